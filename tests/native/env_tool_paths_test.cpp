#include "env/tool_paths.h"

#include <gtest/gtest.h>

#include "env_fakes.h"

using namespace mb;
using namespace mb::testing;

namespace {

const std::string kIni = "C:\\Marobex\\Marobex.ini";

struct ToolPathsFixture : ::testing::Test {
    ProgramState state;
    FakeFiles files;
    FakeProfile profile;
    RecordingMessages messages;
    ToolPathsFixture() { state.ProgramFolder = "C:\\Marobex"; }
};

}  // namespace

TEST(LoadToolPaths, ReadsThePathsAndListsTheTools) {
    struct Case {
        const char* name;
        const char* version;  // of the stored VirtualDub path; null: no version resource
        std::string firstLine;
    };
    const Case cases[] = {
        {"four-part version cut to six characters", "1.4.10.0", "VirtualDub v1.4.10\t\tFound"},
        {"short version keeps its trailing point", "1.4.9.0", "VirtualDub v1.4.9.\t\tFound"},
        {"no version resource", nullptr, "VirtualDub v\t\tFound"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramState s;
        s.ProgramFolder = "C:\\Marobex";
        FakeFiles files;
        FakeProfile profile;
        RecordingMessages messages;
        files.contents[kIni] = "";
        if (c.version) files.versions["D:\\VDub\\VirtualDub.exe"] = c.version;
        profile.values[kIni + "|PATH|VIRTUALDUBPATH"] = "D:\\VDub\\VirtualDub.exe";
        profile.values[kIni + "|PATH|NANDUBPATH"] = "D:\\Nandub\\nandub.exe";
        profile.values[kIni + "|PATH|BESWEETPATH"] = "D:\\BeSweet\\BeSweet.exe";

        const auto lines = LoadToolPaths(s, profile, files, messages);

        EXPECT_EQ(s.VirtualDubPath, "D:\\VDub\\VirtualDub.exe");
        EXPECT_EQ(s.NanDubPath, "D:\\Nandub\\nandub.exe");
        EXPECT_EQ(s.BesweetPath, "D:\\BeSweet\\BeSweet.exe");
        EXPECT_EQ(lines, (std::vector<std::string>{c.firstLine, "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}));
        if (c.version) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].first, "Le fichier ne contient aucune information r\xE9"
                                               "cup\xE9"
                                               "rable !");
            EXPECT_EQ(messages.shown[0].second, MessageIcon::Exclamation);
        }
    }
}

TEST_F(ToolPathsFixture, WithoutSettingsFileNothingIsReadOrShown) {
    const auto lines = LoadToolPaths(state, profile, files, messages);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(state.VirtualDubPath, "");
    EXPECT_EQ(state.NanDubPath, "");
    EXPECT_EQ(state.BesweetPath, "");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ToolPathsFixture, MissingKeysGiveEmptyPathsButAllThreeLines) {
    files.contents[kIni] = "";
    profile.values[kIni + "|PATH|NANDUBPATH"] = "D:\\Nandub\\nandub.exe";
    const auto lines = LoadToolPaths(state, profile, files, messages);
    EXPECT_EQ(state.VirtualDubPath, "");
    EXPECT_EQ(state.NanDubPath, "D:\\Nandub\\nandub.exe");
    EXPECT_EQ(state.BesweetPath, "");
    EXPECT_EQ(lines, (std::vector<std::string>{"VirtualDub v\t\tFound", "NanDub\t\t\tFound",
                                               "BeSweet\t\t\tFound"}));
    EXPECT_EQ(messages.shown.size(), 1u);  // the empty VirtualDub path has no version
}

TEST_F(ToolPathsFixture, SaveWritesTheThreePathsInOrder) {
    state.VirtualDubPath = "D:\\VDub\\VirtualDub.exe";
    state.NanDubPath = "";
    state.BesweetPath = "D:\\B S\\BeSweet.exe";
    SaveToolPaths(state, profile);
    const std::vector<std::vector<std::string>> expected = {
        {"PATH", "VirtualDubPath", "D:\\VDub\\VirtualDub.exe", kIni},
        {"PATH", "NanDubPath", "", kIni},
        {"PATH", "BesweetPath", "D:\\B S\\BeSweet.exe", kIni},
    };
    EXPECT_EQ(profile.writes, expected);
}

TEST(PrepareToolRegistry, DeletesTheCodecKeysThenMarksVirtualDubsNotices) {
    RecordingRegistry registry;
    PrepareToolRegistry(registry);
    const std::vector<std::string> expected = {
        "delete Software\\DivXNetworks\\DivX4Windows",
        "delete Software\\DivXNetworks\\DivX412Codec",
        "delete Software\\GNU\\XviD",
        "set Software\\Freeware\\VirtualDub SeenDivXWarning=1",
        "set Software\\Freeware\\VirtualDub SeenWelcome=1",
        "set Software\\Freeware\\VirtualDub VirtualDub=1",
    };
    EXPECT_EQ(registry.calls, expected);
}
