// Settings file and registry writes that fail say why.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "env/profile_win32.h"
#include "env/registry_win32.h"
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

}  // namespace

TEST(WriteIniValues, ReplacesTheFileWholeKeepingWhatElseItHolds) {
    ScratchFolder folder("C:\\marobex_ini_test");
    const std::string ini = folder / "Marobex.ini";
    ASSERT_TRUE(WriteIniValue("Other", "Kept", "yes", ini));
    ASSERT_TRUE(WriteIniValue("PATH", "NANDUBPATH", "C:\\old\\NanDub.exe", ini));

    ASSERT_TRUE(WriteIniValues("PATH", kPaths, ini).ok);

    for (const auto& [key, value] : kPaths) EXPECT_EQ(ReadIniValue("PATH", key, ini), value) << key;
    EXPECT_EQ(ReadIniValue("Other", "Kept", ini), "yes");
    EXPECT_FALSE(CopyLeftIn(folder.path()));
}

TEST(WriteIniValues, FolderThatCannotBeWrittenFailsWithTheSystemsReason) {
    for (const std::string ini : {"C:\\marobex no such folder\\Marobex.ini", "Z:\\proc\\Marobex.ini"}) {
        const Status saved = WriteIniValues("PATH", kPaths, ini);
        EXPECT_FALSE(saved.ok) << ini;
        const std::string start = "Cannot save the settings to " + ini + ": ";
        EXPECT_EQ(saved.message.rfind(start, 0), 0u) << saved.message;
        EXPECT_GT(saved.message.size(), start.size()) << saved.message;  // the reason
    }
}

TEST(SetRegistryDword, ValueThatCannotBeWrittenFailsWithTheSystemsReason) {
    const Status written = SetRegistryDword(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)),
                                            "Software\\Marobex Test", "Value", 1);
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.message, "Cannot write the registry value Software\\Marobex Test\\Value: " +
                                   ApiErrorReason(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(SetRegistryDword(HKEY_CURRENT_USER, "Software\\Marobex Test", "Value", 1).ok);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Marobex Test");
}
