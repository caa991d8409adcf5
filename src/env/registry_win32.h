// The registry helpers. Every failure is ignored: the values they write are
// conveniences for the codecs and VirtualDub, never needed by Marobex itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/ports.h"

namespace mb {

// Opens subKey under root, creating it and its missing parents, writes
// valueName as a REG_DWORD and closes the key.
void SetRegistryDword(HKEY root, const std::string& subKey, const std::string& valueName,
                      std::int32_t value);

// Deletes subKey under root (a key without subkeys).
void DeleteRegistryKey(HKEY root, const std::string& subKey);

// The registry port over HKEY_CURRENT_USER.
class RegistryW32 : public RegistryPort {
public:
    void SetRegistryDword(const std::string& subKey, const std::string& valueName,
                          std::int32_t value) override {
        mb::SetRegistryDword(HKEY_CURRENT_USER, subKey, valueName, value);
    }
    void DeleteRegistryKey(const std::string& subKey) override {
        mb::DeleteRegistryKey(HKEY_CURRENT_USER, subKey);
    }
};

}  // namespace mb
