#include "env/os_version.h"

#include <gtest/gtest.h>

#include <string>

using namespace mb;

TEST(OsName, FollowsPlatformAndVersion) {
    struct Case { std::int32_t platform; std::uint32_t major, minor; const char* name; };
    const Case cases[] = {
        {0, 3, 10, "Win32s"},
        {1, 4, 0, "Windows 95"},
        {1, 4, 10, "Windows 98"},
        {1, 4, 90, "Windows ME"},
        {2, 4, 0, "Windows NT"},
        {2, 5, 0, "Windows 2000"},
        {2, 5, 1, "Windows XP"},
        {2, 5, 2, "Windows NT"},
        {2, 6, 1, "Windows NT"},
        {2, 10, 0, "Windows NT"},
        {3, 5, 1, ""},
        {-1, 5, 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsName(c.platform, c.major, c.minor), c.name) << c.platform << " " << c.major << "." << c.minor;
}

TEST(MakeOsVersionInfo, FillsTheRecordFromTheSystemFields) {
    const char csd[8] = {'S', 'P', ' ', '1', '\0', 'x', 'y', 'z'};
    const OsVersionInfo info = MakeOsVersionInfo(2, 5, 1, 0x0A280A28u, std::string_view(csd, sizeof csd));
    EXPECT_EQ(info.platform, 2);
    EXPECT_EQ(info.name, "Windows XP");
    EXPECT_EQ(info.version, "5.1");
    EXPECT_EQ(info.servicePack, "SP 1");  // cut at the first NUL
    EXPECT_EQ(info.build, "2600");        // low 16 bits only
}

TEST(OsLogLine, JoinsThePiecesWithTheirBlanks) {
    OsVersionInfo xp;
    xp.platform = 2;
    xp.name = "Windows XP";
    xp.version = "5.1";
    xp.servicePack = "Service Pack 1";
    xp.build = "2600";
    EXPECT_EQ(OsLogLine(xp), "OS  : Windows XP 5.1 build 2600 (Service Pack 1)");
    xp.servicePack.clear();
    EXPECT_EQ(OsLogLine(xp), "OS  : Windows XP 5.1 build 2600 ()");
    EXPECT_EQ(OsLogLine(OsVersionInfo{}), "OS  :   build  ()");  // the system could not be asked
}
