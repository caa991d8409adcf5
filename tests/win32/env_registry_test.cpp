// The registry helpers and the start-up preparation against the real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/registry_win32.h"
#include "env/tool_paths.h"

using namespace mb;

namespace {

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

void SeedKey(const char* subKey) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, subKey, &key), ERROR_SUCCESS);
    const char text[] = "old settings";
    RegSetValueExA(key, "Settings", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);
}

}  // namespace

TEST(PrepareToolRegistry, RemovesTheCodecKeysAndSetsVirtualDubsValues) {
    const char* const codecKeys[] = {"Software\\DivXNetworks\\DivX4Windows",
                                     "Software\\DivXNetworks\\DivX412Codec", "Software\\GNU\\XviD"};
    for (const char* k : codecKeys) SeedKey(k);
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

TEST(SetRegistryDword, CreatesMissingKeysAndWritesTheValueAsDword) {
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
}
