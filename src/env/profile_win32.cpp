#include "env/profile_win32.h"

namespace mb {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
    char buffer[750];
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer,
                                                  sizeof buffer, file.c_str());
    return std::string(buffer, length);
}

void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    std::string upper = key;
    if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    WritePrivateProfileStringA(section.c_str(), upper.c_str(), value.c_str(), file.c_str());
}

}  // namespace mb
