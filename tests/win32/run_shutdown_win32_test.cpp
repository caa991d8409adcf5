// ShutdownSystem's checks and the privilege step on the real system. Every
// test that would get as far as the shutdown call uses a recording platform.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "run/shutdown_win32.h"

using namespace mb;

namespace {

// The real system calls, except that the shutdown itself is only recorded.
struct NoShutdownPlatform : ShutdownPlatformW32 {
    std::vector<std::uint32_t> requested;
    bool RequestShutdown(std::uint32_t flags, std::uint32_t&) override {
        requested.push_back(flags);
        return true;
    }
};

}  // namespace

TEST(ShutdownSystem, FlagsOutsideZeroTo31AreRefusedAndTheOthersReachTheShutdownCall) {
    try {
        ShutdownSystem(32);  // the real one: the check comes before any system call
        ADD_FAILURE() << "no error";
    } catch (const ShutdownError& e) {
        EXPECT_EQ(e.number, 0x8004062Fu);
        EXPECT_EQ(e.source, "win32_tests.mShutDown");  // the program's own name
    }
    NoShutdownPlatform platform;
    EXPECT_TRUE(ShutdownSystem(0, platform, "win32_tests.mShutDown"));
    EXPECT_TRUE(ShutdownSystem(31, platform, "win32_tests.mShutDown"));
    EXPECT_EQ(platform.requested, (std::vector<std::uint32_t>{0, 31}));
}

TEST(ShutdownPlatform, PrivilegeIsEnabledOnNT) {
    EXPECT_TRUE(IsWinNT());
    EXPECT_TRUE(IsWinNT());  // the kept answer
    EXPECT_TRUE(EnableShutdownPrivilege());
}

TEST(ApiErrorText, IsTheSystemsMessageWithItsLineBreak) {
    const std::string text = ApiErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(ApiErrorReason(ERROR_FILE_NOT_FOUND), text.substr(0, text.size() - 2));
    EXPECT_EQ(ApiErrorText(0x2FFFFFFF), "");  // no such message
    ShutdownPlatformW32 platform;
    EXPECT_EQ(platform.ApiErrorText(ERROR_FILE_NOT_FOUND), text);
}
