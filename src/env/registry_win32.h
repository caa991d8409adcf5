// The registry helpers. The values they write are conveniences for the
// codecs and VirtualDub, never needed by Marobex itself: a value that cannot
// be written is reported, a key that cannot be deleted is ignored.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/ports.h"

namespace mb {

// Opens subKey under root, creating it and its missing parents, writes
// valueName as a REG_DWORD and closes the key. A failure comes back with
// the system's reason.
Status SetRegistryDword(HKEY root, const std::string& subKey, const std::string& valueName,
                      std::int32_t value);

// Deletes subKey under root (a key without subkeys).
void DeleteRegistryKey(HKEY root, const std::string& subKey);

// The registry port over HKEY_CURRENT_USER.
class RegistryW32 : public RegistryPort {
public:
    Status SetRegistryDword(const std::string& subKey, const std::string& valueName,
                            std::int32_t value) override {
        return mb::SetRegistryDword(HKEY_CURRENT_USER, subKey, valueName, value);
    }
    void DeleteRegistryKey(const std::string& subKey) override {
        mb::DeleteRegistryKey(HKEY_CURRENT_USER, subKey);
    }
};

}  // namespace mb
