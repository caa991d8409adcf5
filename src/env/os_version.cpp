#include "env/os_version.h"

namespace mb {

std::string OsName(std::int32_t platform, std::uint32_t major, std::uint32_t minor) {
    switch (platform) {
    case PlatformWin32s: return "Win32s";
    case PlatformWindows:
        if (minor == 0) return "Windows 95";
        if (minor == 90) return "Windows ME";
        return "Windows 98";
    case PlatformNT:
        if (major == 5 && minor == 0) return "Windows 2000";
        if (major == 5 && minor == 1) return "Windows XP";
        return "Windows NT";
    default: return {};
    }
}

OsVersionInfo MakeOsVersionInfo(std::int32_t platform, std::uint32_t major, std::uint32_t minor,
                                std::uint32_t buildNumber, std::string_view servicePack) {
    OsVersionInfo info;
    info.platform = platform;
    info.name = OsName(platform, major, minor);
    info.version = std::to_string(major) + "." + std::to_string(minor);
    info.servicePack = std::string(servicePack.substr(0, servicePack.find('\0')));
    info.build = std::to_string(buildNumber & 0xFFFFu);
    return info;
}

std::string OsLogLine(const OsVersionInfo& info) {
    return "OS  : " + info.name + " " + info.version + " build " + info.build + " (" +
           info.servicePack + ")";
}

}  // namespace mb
