// Private profile (INI) files through the system's profile functions.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "model/ports.h"

namespace mb {

// The value of key in section of file, found in any case; empty when absent.
// Read whole, however long.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

// Writes value under key, the key in upper case, straight into the file;
// creates the file or section when missing. False when the system refused.
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

// Writes the keys (upper case) into a copy of the file beside it, then puts
// the copy in the file's place: the file is either as it was or holds every
// value. A failure comes back as "Cannot save the settings to <file>: " and
// the system's reason, and leaves no copy behind.
Status WriteIniValues(const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values,
                      const std::string& file);

class ProfileW32 : public ProfilePort {
public:
    std::string ReadIniValue(const std::string& section, const std::string& key,
                             const std::string& file) override {
        return mb::ReadIniValue(section, key, file);
    }
    Status WriteIniValues(const std::string& section,
                          const std::vector<std::pair<std::string, std::string>>& values,
                          const std::string& file) override {
        return mb::WriteIniValues(section, values, file);
    }
};

}  // namespace mb
