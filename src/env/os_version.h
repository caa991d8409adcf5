// The operating system as the encoding log describes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/ports.h"

namespace mb {

// Platform ids of the system's version record.
inline constexpr std::int32_t PlatformWin32s = 0;
inline constexpr std::int32_t PlatformWindows = 1;  // Windows 95, 98, ME
inline constexpr std::int32_t PlatformNT = 2;

// The system's name by platform and version: "Win32s"; "Windows 95",
// "Windows 98", "Windows ME"; "Windows 2000", "Windows XP", and "Windows NT"
// for every other NT version. Empty for an unknown platform.
std::string OsName(std::int32_t platform, std::uint32_t major, std::uint32_t minor);

// The record from the fields of the system's version record: the version
// as "major.minor", the build as the low 16 bits of the build number, the
// service pack text up to its first NUL.
OsVersionInfo MakeOsVersionInfo(std::int32_t platform, std::uint32_t major, std::uint32_t minor,
                                std::uint32_t buildNumber, std::string_view servicePack);

// "OS  : " + name + " " + version + " build " + build + " (" + servicePack + ")".
std::string OsLogLine(const OsVersionInfo& info);

}  // namespace mb
