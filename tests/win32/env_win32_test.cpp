// The environment's ports against the system's own functions: files and
// dates, the system's name and the locale, the codec check with a stand-in
// Codec.exe, the settings file, the version reader and the registry; writes
// that fail say why.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "env/codec_detection.h"
#include "env/files_win32.h"
#include "env/os_version.h"
#include "env/profile_win32.h"
#include "env/registry_win32.h"
#include "env/system_win32.h"
#include "env/tool_paths.h"
#include "run/process_win32.h"
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
    DWORD data = 0, size = sizeof data;
    return RegGetValueA(HKEY_CURRENT_USER, subKey, name, RRF_RT_REG_DWORD, nullptr, &data, &size) == ERROR_SUCCESS ? data
                                                                                                             : ~0u;
}

}  // namespace

TEST(Files, ExistSizeWriteDeleteReadLinesAndCreationTime) {
    ScratchFolder folder{"C:\\marobex_files_test"};
    FilesW32 files;
    std::string reason;
    ASSERT_TRUE(files.WriteFile(folder / "a.bin", std::string(70000, 'x'), reason));
    const std::string binary("\0\x01\xFF\r\n", 5);
    ASSERT_TRUE(files.WriteFile(folder / "a.bin", binary, reason));  // replaced whole
    EXPECT_EQ(ReadWholeFile(folder / "a.bin"), binary);
    EXPECT_TRUE(files.FileExists(folder / "a.bin"));
    EXPECT_EQ(files.FileSize(folder / "a.bin"), 5);
    for (const std::string& none : {folder / "b.bin", folder.path(), std::string()}) {
        EXPECT_FALSE(files.FileExists(none)) << none;
        EXPECT_EQ(files.FileSize(none), -1) << none;
    }
    EXPECT_FALSE(files.WriteFile(folder / "no such folder\\job.vcf", "x", reason));
    EXPECT_EQ(reason, ApiErrorReason(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(reason.find('\n'), std::string::npos);
    EXPECT_TRUE(files.DeleteFile(folder / "a.bin"));
    EXPECT_FALSE(files.DeleteFile(folder / "a.bin"));

    const std::pair<std::string, std::vector<std::string>> texts[] = {
        {"one\r\ntwo\r\n", {"one", "two"}}, {"one\ntwo", {"one", "two"}}, {"a\r\n\r\nc \t\r\n", {"a", "", "c \t"}}, {"", {}}};
    for (const auto& [text, expected] : texts) {
        ASSERT_TRUE(WriteWholeFile(folder / "list.txt", text));
        std::vector<std::string> lines = {"stale"};
        ASSERT_TRUE(files.ReadLines(folder / "list.txt", lines));
        EXPECT_EQ(lines, expected) << text;
    }
    std::vector<std::string> lines;
    EXPECT_FALSE(files.ReadLines(folder / "missing.txt", lines));

    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(files.SystemDirectory(), system);
    std::uint64_t created = 0;
    ASSERT_TRUE(files.FileCreationTime(folder / "list.txt", created));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    EXPECT_EQ(FileDateText(created, "/"), FileDateText((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime, "/"));
    EXPECT_FALSE(files.FileCreationTime(folder / "missing.dll", created));
}

TEST(Files, DatesAgreeWithTheSystemsConversionInTheUsersSeparators) {
    char decimal[8];
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
    EXPECT_EQ(LocaleW32().UserNumberFormat().decimalSeparator, decimal[0]);
    EXPECT_EQ(LocaleW32().DateSeparator(), "/");
    for (std::uint64_t t = 0; t < 0x7FFF000000000000ULL; t += 0x0123456789ABCDEFULL / 7) {
        FILETIME ft = {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        char text[16];
        wsprintfA(text, "%02u/%02u/%02u", st.wDay, st.wMonth, st.wYear % 100);
        EXPECT_EQ(FileDateText(t, "/"), text) << t;
    }
}

TEST(GetOsVersionInfo, MatchesTheSystemsVersionAndTheNameTable) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));

    OsVersionInfo info;
    SystemInfoW32 system;
    system.GetOsVersionInfo(info);

    EXPECT_EQ(info.platform, 2);  // Wine and every Windows since XP are NT
    EXPECT_EQ(info.name, OsName(2, v.dwMajorVersion, v.dwMinorVersion));
    EXPECT_FALSE(info.name.empty());
    EXPECT_EQ(info.version, std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion));
    EXPECT_EQ(info.build, std::to_string(v.dwBuildNumber & 0xFFFF));
    EXPECT_EQ(info.servicePack, v.szCSDVersion);
}

TEST(CodecDetection, ListsTheSupportedCodecsDatesTheXvidDllAndDeletesTheList) {
    ScratchFolder folder{"C:\\marobex_codec_test"};
    ProgramState state;
    state.ProgramFolder = folder.path();
    FilesW32 files;
    ProcessesW32 processes;
    LocaleW32 locale;
    const std::string system = SystemDirectory();
    // Without Codec.exe, and with one that writes no list: nothing, cleanly.
    EXPECT_FALSE(RunCodecCheck(state, processes, files, locale).listRead);
    ASSERT_TRUE(CopyFileA(TestProgram("codec_standin.exe").c_str(), (folder / "Codec.exe").c_str(), FALSE));
    EXPECT_FALSE(RunCodecCheck(state, processes, files, locale).listRead);
    ASSERT_TRUE(WriteWholeFile(folder / "codec_list.txt", "Microsoft Video 1\r\nDivX Codec 4.12\r\nXviD MPEG-4 Codec\r\n"));
    for (const char* name : {"\\XVID.DLL", "\\DIVX4.DLL", "\\DIVXA32.ACM"}) WriteWholeFile(system + name, "codec");
    const CodecCheckResult r = RunCodecCheck(state, processes, files, locale);
    for (const char* name : {"\\XVID.DLL", "\\DIVX4.DLL", "\\DIVXA32.ACM"}) DeleteFileA((system + name).c_str());
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::string today = FileDateText((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime, "/");
    EXPECT_EQ(r.lines, (std::vector<std::string>{"DivX Codec 4.12\t\t(Supported)", "XviD MPEG-4 Codec\t(" + today + ")",
                                                 "DivX ;-) Audio Codec\t(Supported)"}));
    EXPECT_TRUE(r.listRead && r.divx4 && r.xvid);
    EXPECT_FALSE(state.Divx4FourccIsDivx);  // DIVX4.DLL was there
    EXPECT_TRUE(state.DivxAudioCodecFound);
    EXPECT_FALSE(PathExists(CodecListFile));
}

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

TEST(SettingsFile, WriteIniValuesReplacesTheFileWholeKeepingWhatElseItHoldsOrSaysWhyItCannot) {
    ScratchFolder folder("C:\\marobex_ini_test");
    const std::string ini = folder / "Marobex.ini";
    ASSERT_TRUE(WriteIniValue("Other", "Kept", "yes", ini));
    ASSERT_TRUE(WriteIniValue("PATH", "NANDUBPATH", "C:\\old\\NanDub.exe", ini));
    ASSERT_TRUE(WriteIniValues("PATH", kPaths, ini).ok);
    for (const auto& [key, value] : kPaths) EXPECT_EQ(ReadIniValue("PATH", key, ini), value) << key;
    EXPECT_EQ(ReadIniValue("Other", "Kept", ini), "yes");
    EXPECT_FALSE(CopyLeftIn(folder.path()));

    for (const std::string bad : {"C:\\marobex no such folder\\Marobex.ini", "Z:\\proc\\Marobex.ini"}) {
        const Status saved = WriteIniValues("PATH", kPaths, bad);
        EXPECT_FALSE(saved.ok) << bad;
        const std::string start = "Cannot save the settings to " + bad + ": ";
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
