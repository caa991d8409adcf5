// The operating system, the clock and the user's regional settings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/ports.h"

namespace mb {

// Fills info from GetVersionExA; leaves it unchanged when the system cannot
// be asked.
void GetOsVersionInfo(OsVersionInfo& info);

// The full path of the running program's file.
std::string ProgramFilePath();

class SystemInfoW32 : public SystemInfoPort {
public:
    void GetOsVersionInfo(OsVersionInfo& info) override { mb::GetOsVersionInfo(info); }
};

// Seconds since the system started, on a 64-bit count that never wraps.
class ClockW32 : public ClockPort {
public:
    std::int64_t NowSeconds() override;
};

// The current user's number format and date separator (GetLocaleInfoA).
class LocaleW32 : public LocalePort {
public:
    NumberFormat UserNumberFormat() override;
    std::string DateSeparator() override;
};

}  // namespace mb
