// The time limit of a waited-for program against real processes: a program
// that outlives it is ended, one that ends in time is simply waited for.
#include <windows.h>

#include <gtest/gtest.h>

#include "run/process_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

TEST(ShellAndWaitFor, AProgramPastTheLimitIsEnded) {
    ScratchFolder folder{"C:\\marobex_limit_test"};
    const std::string log = folder / "sleepers.log";
    SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", log.c_str());
    EXPECT_FALSE(ShellAndWaitFor({TestProgram("sleeper.exe"), " 20000"}, 0, 300));
    EXPECT_FALSE(PathExists(log)) << "the sleeper was not ended";
    EXPECT_TRUE(ShellAndWaitFor({TestProgram("sleeper.exe"), " 0"}, 0, 20000));
    EXPECT_TRUE(PathExists(log));
    EXPECT_TRUE(ShellAndWaitFor({folder / "missing.exe", ""}, 0, 300));  // cannot start: not a hang
    SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", nullptr);
}
