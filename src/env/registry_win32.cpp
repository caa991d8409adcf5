#include "env/registry_win32.h"

namespace mb {

void SetRegistryDword(HKEY root, const std::string& subKey, const std::string& valueName,
                      std::int32_t value) {
    HKEY key = nullptr;
    if (RegCreateKeyA(root, subKey.c_str(), &key) != ERROR_SUCCESS) return;
    const DWORD data = static_cast<DWORD>(value);
    RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                   sizeof data);
    RegCloseKey(key);
}

void DeleteRegistryKey(HKEY root, const std::string& subKey) {
    RegDeleteKeyA(root, subKey.c_str());
}

}  // namespace mb
