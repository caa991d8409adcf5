// The system description, clock and locale under the real system.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/os_version.h"
#include "env/system_win32.h"

using namespace mb;

TEST(GetOsVersionInfo, MatchesTheSystemsVersionAndTheNameTable) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));

    OsVersionInfo info;
    SystemInfoW32 system;
    system.GetOsVersionInfo(info);

    EXPECT_EQ(info.platform, 2);  // Wine and every Windows since XP are NT
    EXPECT_EQ(info.name, OsName(2, v.dwMajorVersion, v.dwMinorVersion));
    EXPECT_FALSE(info.name.empty());
    EXPECT_EQ(info.version, std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion));
    EXPECT_EQ(info.build, std::to_string(v.dwBuildNumber & 0xFFFF));
    EXPECT_EQ(info.servicePack, v.szCSDVersion);
    const std::string line = OsLogLine(info);
    EXPECT_EQ(line, "OS  : " + info.name + " " + info.version + " build " + info.build + " (" +
                        info.servicePack + ")");
    std::printf("%s\n", line.c_str());
}

TEST(LocaleW32, UsesTheUsersSeparators) {
    char decimal[8];
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
    LocaleW32 locale;
    EXPECT_EQ(locale.UserNumberFormat().decimalSeparator, decimal[0]);
    EXPECT_FALSE(locale.DateSeparator().empty());
}
