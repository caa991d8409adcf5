#include "env/system_win32.h"

#include <string_view>

#include "env/os_version.h"

namespace mb {
namespace {

// A locale text of the current user; empty when the system has none.
std::string UserLocaleText(LCTYPE type) {
    char buffer[16] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return length > 1 ? std::string(buffer) : std::string();
}

}  // namespace

void GetOsVersionInfo(OsVersionInfo& info) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) != 1) return;
    info = MakeOsVersionInfo(static_cast<std::int32_t>(version.dwPlatformId), version.dwMajorVersion,
                             version.dwMinorVersion, version.dwBuildNumber,
                             std::string_view(version.szCSDVersion, sizeof version.szCSDVersion));
}

std::string ProgramFilePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::int64_t ClockW32::NowSeconds() {
    return static_cast<std::int64_t>(GetTickCount64() / 1000);
}

NumberFormat LocaleW32::UserNumberFormat() {
    NumberFormat format;
    const std::string decimal = UserLocaleText(LOCALE_SDECIMAL);
    if (!decimal.empty()) format.decimalSeparator = decimal[0];
    const std::string thousand = UserLocaleText(LOCALE_STHOUSAND);
    if (!thousand.empty()) format.thousandSeparator = thousand[0];
    return format;
}

std::string LocaleW32::DateSeparator() {
    const std::string separator = UserLocaleText(LOCALE_SDATE);
    return separator.empty() ? std::string("/") : separator;
}

}  // namespace mb
