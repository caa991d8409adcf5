// The settings file and the version reader against the system's profile and
// version functions.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/files_win32.h"
#include "env/profile_win32.h"
#include "env/tool_paths.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

const std::string kFrenchMessage = "Le fichier ne contient aucune information r\xE9" "cup\xE9" "rable !";

struct SettingsFile : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_settings_test"};
    ProgramState state;
    FilesW32 files;
    ProfileW32 profile;
    RecordingMessages messages;
    SettingsFile() { state.ProgramFolder = folder.path(); }
    std::string ini() const { return folder / "Marobex.ini"; }
};

}  // namespace

TEST_F(SettingsFile, SaveWritesUpperCaseKeysThatLoadReadsBack) {
    state.VirtualDubPath = TestProgram("versioned_1_4_10.exe");
    state.NanDubPath = "D:\\Nandub 1.0\\nandub.exe";
    state.BesweetPath = "D:\\BeSweet\\BeSweet.exe";
    SaveToolPaths(state, profile);

    const std::string text = ReadWholeFile(ini());
    EXPECT_NE(text.find("[PATH]"), std::string::npos) << text;
    EXPECT_NE(text.find("VIRTUALDUBPATH=" + state.VirtualDubPath), std::string::npos) << text;
    EXPECT_NE(text.find("NANDUBPATH=D:\\Nandub 1.0\\nandub.exe"), std::string::npos) << text;
    EXPECT_NE(text.find("BESWEETPATH=D:\\BeSweet\\BeSweet.exe"), std::string::npos) << text;
    EXPECT_EQ(text.find("VirtualDubPath"), std::string::npos) << text;

    ProgramState loaded;
    loaded.ProgramFolder = folder.path();
    const auto lines = LoadToolPaths(loaded, profile, files, messages);
    EXPECT_EQ(loaded.VirtualDubPath, state.VirtualDubPath);
    EXPECT_EQ(loaded.NanDubPath, state.NanDubPath);
    EXPECT_EQ(loaded.BesweetPath, state.BesweetPath);
    EXPECT_EQ(lines, (std::vector<std::string>{"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound",
                                               "BeSweet\t\t\tFound"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SettingsFile, KeysInAnyCaseAreRead) {
    ASSERT_TRUE(WriteWholeFile(ini(),
                               "[path]\r\nvirtualdubpath=" + TestProgram("versioned_1_4_9.exe") +
                                   "\r\nNanDubPath=n.exe\r\nbeSWEETpath=b.exe\r\n"));
    const auto lines = LoadToolPaths(state, profile, files, messages);
    EXPECT_EQ(state.VirtualDubPath, TestProgram("versioned_1_4_9.exe"));
    EXPECT_EQ(state.NanDubPath, "n.exe");
    EXPECT_EQ(state.BesweetPath, "b.exe");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "VirtualDub v1.4.9.\t\tFound");
}

TEST_F(SettingsFile, MissingFileLeavesPathsAndListEmpty) {
    const auto lines = LoadToolPaths(state, profile, files, messages);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(state.VirtualDubPath + state.NanDubPath + state.BesweetPath, "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadIniValue("PATH", "NanDubPath", ini()), "");
}

TEST_F(SettingsFile, MissingKeyGivesEmptyPathButTheLineIsAdded) {
    ASSERT_TRUE(WriteWholeFile(ini(), "[PATH]\r\nBESWEETPATH=b.exe\r\n"));
    const auto lines = LoadToolPaths(state, profile, files, messages);
    EXPECT_EQ(state.VirtualDubPath, "");
    EXPECT_EQ(state.NanDubPath, "");
    EXPECT_EQ(state.BesweetPath, "b.exe");
    EXPECT_EQ(lines, (std::vector<std::string>{"VirtualDub v\t\tFound", "NanDub\t\t\tFound",
                                               "BeSweet\t\t\tFound"}));
    ASSERT_EQ(messages.shown.size(), 1u);  // the empty VirtualDub path has no version
    EXPECT_EQ(messages.shown[0].first, kFrenchMessage);
}

TEST(ReadFileVersionInfo, VersionTextsOfTheTestPrograms) {
    struct Case { std::string path; std::string version; std::string line; bool message; };
    const Case cases[] = {
        {TestProgram("versioned_1_4_10.exe"), "1.4.10.0", "VirtualDub v1.4.10\t\tFound", false},
        {TestProgram("versioned_1_4_9.exe"), "1.4.9.0", "VirtualDub v1.4.9.\t\tFound", false},
        {TestProgram("sleeper.exe"), "", "VirtualDub v\t\tFound", true},   // no version resource
        {TestProgram("no_such_program.exe"), "", "VirtualDub v\t\tFound", true},
        {"", "", "VirtualDub v\t\tFound", true},
    };
    FilesW32 files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        RecordingMessages messages;
        std::string version;
        ReadFileVersionInfo(c.path, version, files, messages);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(VirtualDubToolLine(version), c.line);
        if (c.message) {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].first, kFrenchMessage);
            EXPECT_EQ(messages.shown[0].second, MessageIcon::Exclamation);
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
}
