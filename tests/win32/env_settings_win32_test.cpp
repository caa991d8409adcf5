// The settings file, the version reader and the registry against the
// system's own functions; writes that fail say why.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "env/files_win32.h"
#include "env/profile_win32.h"
#include "env/registry_win32.h"
#include "env/tool_paths.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

const std::vector<std::pair<std::string, std::string>> kPaths = {
    {"VirtualDubPath", "C:\\vd\\VirtualDub.exe"}, {"NanDubPath", ""}, {"BesweetPath", "C:\\b s\\BeSweet.exe"}};

// A copy the save left beside the file.
bool CopyLeftIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\mbx*.tmp").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return search != INVALID_HANDLE_VALUE;
}

bool KeyExists(const char* subKey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The data of a DWORD value; ~0u when it is not one.
DWORD ReadDword(const char* subKey, const char* name) {
    HKEY key;
    DWORD type = 0, data = ~0u, size = sizeof data;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return ~0u;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        data = ~0u;
    RegCloseKey(key);
    return data;
}

}  // namespace

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

TEST(SettingsFile, WriteIniValuesReplacesTheFileWholeKeepingWhatElseItHolds) {
    ScratchFolder folder("C:\\marobex_ini_test");
    const std::string ini = folder / "Marobex.ini";
    ASSERT_TRUE(WriteIniValue("Other", "Kept", "yes", ini));
    ASSERT_TRUE(WriteIniValue("PATH", "NANDUBPATH", "C:\\old\\NanDub.exe", ini));

    ASSERT_TRUE(WriteIniValues("PATH", kPaths, ini).ok);

    for (const auto& [key, value] : kPaths) EXPECT_EQ(ReadIniValue("PATH", key, ini), value) << key;
    EXPECT_EQ(ReadIniValue("Other", "Kept", ini), "yes");
    EXPECT_FALSE(CopyLeftIn(folder.path()));
}

TEST(SettingsFile, FolderThatCannotBeWrittenFailsWithTheSystemsReason) {
    for (const std::string ini : {"C:\\marobex no such folder\\Marobex.ini", "Z:\\proc\\Marobex.ini"}) {
        const Status saved = WriteIniValues("PATH", kPaths, ini);
        EXPECT_FALSE(saved.ok) << ini;
        const std::string start = "Cannot save the settings to " + ini + ": ";
        EXPECT_EQ(saved.message.rfind(start, 0), 0u) << saved.message;
        EXPECT_GT(saved.message.size(), start.size()) << saved.message;  // the reason
    }
}

TEST(Registry, PrepareRemovesTheCodecKeysAndSetsVirtualDubsValues) {
    const char* const codecKeys[] = {"Software\\DivXNetworks\\DivX4Windows",
                                     "Software\\DivXNetworks\\DivX412Codec", "Software\\GNU\\XviD"};
    for (const char* k : codecKeys) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, k, &key), ERROR_SUCCESS);
        RegSetValueExA(key, "Settings", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
        RegCloseKey(key);
    }
    SetRegistryDword(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", "SeenWelcome", 0);

    RegistryW32 registry;
    for (int run = 1; run <= 2; ++run) {  // the second run finds the keys gone already
        SCOPED_TRACE(run);
        PrepareToolRegistry(registry);
        for (const char* k : codecKeys) EXPECT_FALSE(KeyExists(k)) << k;
        for (const char* name : {"SeenDivXWarning", "SeenWelcome", "VirtualDub"})
            EXPECT_EQ(ReadDword("Software\\Freeware\\VirtualDub", name), 1u) << name;
    }
}

TEST(Registry, DwordsMakeTheirKeysKeysGoDeepestFirstAndFailuresSayWhy) {
    const char* const deep = "Software\\Marobex Tests\\Level 1\\Level 2";
    SetRegistryDword(HKEY_CURRENT_USER, deep, "Negative", -5);
    SetRegistryDword(HKEY_CURRENT_USER, deep, "Large", 2147483647);
    EXPECT_EQ(ReadDword(deep, "Negative"), 0xFFFFFFFBu);
    EXPECT_EQ(ReadDword(deep, "Large"), 0x7FFFFFFFu);
    SetRegistryDword(HKEY_CURRENT_USER, deep, "Large", 3);  // overwritten
    EXPECT_EQ(ReadDword(deep, "Large"), 3u);

    // A key with subkeys is left alone; the keys go one by one, deepest first.
    DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Marobex Tests\\Level 1");
    EXPECT_TRUE(KeyExists(deep));
    DeleteRegistryKey(HKEY_CURRENT_USER, deep);
    DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Marobex Tests\\Level 1");
    DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Marobex Tests");
    EXPECT_FALSE(KeyExists("Software\\Marobex Tests"));

    const Status written = SetRegistryDword(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)),
                                            "Software\\Marobex Test", "Value", 1);
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.message, "Cannot write the registry value Software\\Marobex Test\\Value: " +
                                   ApiErrorReason(ERROR_INVALID_HANDLE));
}
