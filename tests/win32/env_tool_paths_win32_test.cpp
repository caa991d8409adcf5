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

TEST(SettingsFile, SaveWritesUpperCaseKeysThatLoadReadsInAnyCase) {
    ScratchFolder folder{"C:\\marobex_settings_test"};
    const std::string ini = folder / "Marobex.ini";
    ProgramState state;
    state.ProgramFolder = folder.path();
    state.VirtualDubPath = TestProgram("versioned_1_4_10.exe");
    state.NanDubPath = "D:\\Nandub 1.0\\nandub.exe";
    ProfileW32 profile;
    SaveToolPaths(state, profile);
    EXPECT_EQ(ReadWholeFile(ini), "[PATH]\r\nVIRTUALDUBPATH=" + state.VirtualDubPath +
                                      "\r\nNANDUBPATH=D:\\Nandub 1.0\\nandub.exe\r\nBESWEETPATH=\r\n");
    ASSERT_TRUE(WriteWholeFile(ini, "[path]\r\nvirtualdubpath=" + TestProgram("versioned_1_4_10.exe") +
                                        "\r\nbeSWEETpath=" + std::string(3000, 'b') + "\r\n"));
    ProgramState loaded;
    loaded.ProgramFolder = folder.path();
    FilesW32 files;
    RecordingMessages messages;
    EXPECT_EQ(LoadToolPaths(loaded, profile, files, messages),
              (std::vector<std::string>{"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}));
    EXPECT_EQ(loaded.VirtualDubPath, TestProgram("versioned_1_4_10.exe"));
    EXPECT_EQ(loaded.NanDubPath, "");
    EXPECT_EQ(loaded.BesweetPath, std::string(3000, 'b'));  // read whole, however long
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SettingsFile, VersionTextsOfTheTestPrograms) {
    const struct {
        std::string path, version;
    } cases[] = {
        {TestProgram("versioned_1_4_10.exe"), "1.4.10.0"},
        {TestProgram("sleeper.exe"), ""},  // no version resource
        {TestProgram("no_such_program.exe"), ""}, {"", ""},
    };
    FilesW32 files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        RecordingMessages messages;
        std::string version;
        ReadFileVersionInfo(c.path, version, files, messages);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(messages.shown.size(), c.version.empty() ? 1u : 0u);
    }
}
