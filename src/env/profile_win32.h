// Private profile (INI) files through the system's profile functions.
#pragma once

#include <windows.h>

#include <string>

#include "model/ports.h"

namespace mb {

// The value of key in section of file, found in any case; empty when absent.
// Read into 750 characters: a longer value comes back as its first 749.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

// Writes value under key, the key in upper case; creates the file or section
// when missing. Failures are not reported.
void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

class ProfileW32 : public ProfilePort {
public:
    std::string ReadIniValue(const std::string& section, const std::string& key,
                             const std::string& file) override {
        return mb::ReadIniValue(section, key, file);
    }
    void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) override {
        mb::WriteIniValue(section, key, value, file);
    }
};

}  // namespace mb
