#include "env/registry_win32.h"

#include "env/api_error_win32.h"

namespace mb {

Status SetRegistryDword(HKEY root, const std::string& subKey, const std::string& valueName,
                        std::int32_t value) {
    const auto failure = [&](LONG code) {
        return Status::Failure("Cannot write the registry value " + subKey + "\\" + valueName + ": " +
                               ApiErrorReason(static_cast<DWORD>(code)));
    };
    HKEY key = nullptr;
    // Only the right to set values: writing one needs no more.
    LONG result = RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return failure(result);
    const DWORD data = static_cast<DWORD>(value);
    result = RegSetValueExA(key, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? Status::Ok() : failure(result);
}

void DeleteRegistryKey(HKEY root, const std::string& subKey) {
    RegDeleteKeyA(root, subKey.c_str());
}

}  // namespace mb
