// The run's Win32 parts against the real system: ShellAndWait and
// StartProcess with real processes (sleeper.exe), the tray icon, the
// shutdown's checks, and the fake AVI the programs carry as a resource.
#include <windows.h>

#include <gtest/gtest.h>

#include "env/api_error_win32.h"
#include "jobs/fakeavi_win32.h"
#include "jobs/job_scripts.h"
#include "run/process_win32.h"
#include "run/shutdown_win32.h"
#include "run/tray_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

// Gives the sleepers a log to write to, fresh for each test.
struct Processes : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_process_test"};
    std::string log = folder / "sleepers.log";
    EnvironmentSet logged{"MAROBEX_SLEEPER_LOG", log};
    static ProgramCommand Sleeper(int milliseconds) {
        return {TestProgram("sleeper.exe"), " " + std::to_string(milliseconds)};
    }
    std::string reason;
};

int g_timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_timerTicks; }

}  // namespace

// ShellAndWait returns once the program has ended, delivering the thread's
// messages meanwhile; StartProcess does not wait.
TEST_F(Processes, ShellAndWaitReturnsAfterTheProgramEndedWhileTimersFireAndStartProcessDoesNotWait) {
    g_timerTicks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(ShellAndWait(Sleeper(1500), 0, reason), ProgramEnd::Ended);
    KillTimer(nullptr, timer);
    // The sleeper writes its line as the last thing before it ends.
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    EXPECT_GE(g_timerTicks, 3);

    DeleteFileA(log.c_str());
    StartProcess(Sleeper(2000), 0);
    EXPECT_FALSE(PathExists(log));  // the sleeper is still asleep
    for (int i = 0; i < 300 && !PathExists(log); ++i) Sleep(100);  // let it finish before cleanup
    Sleep(200);
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    StartProcess({folder / "no_such_program.exe", ""}, 0);  // ignored
}

TEST_F(Processes, ProgramThatCannotStartIsReportedAtOnce) {
    const ProgramCommand cannotStart[] = {
        {folder / "no_such_program.exe", ""},
        {"", " 1"},
        {folder.path(), ""},  // a folder
        {TestProgram("sleeper\".exe"), ""},  // a quote would end the quoted path
    };
    for (const ProgramCommand& command : cannotStart) {
        reason.clear();
        EXPECT_EQ(ShellAndWait(command, 0, reason), ProgramEnd::NotStarted) << command.program;
        EXPECT_FALSE(reason.empty()) << command.program;
    }
    EXPECT_FALSE(PathExists(log));
}

TEST_F(Processes, ProgramPathIsStartedExactlyWithOrWithoutExtension) {
    // Decoys where Windows would look first for an unquoted path.
    ScratchFolder programs("C:\\Program Files\\Marobex Test");
    const std::string decoy = "C:\\Program Files\\Marobex.exe";
    const std::string decoy2 = "C:\\Program.exe";
    for (const std::string& copy : {programs / "sleep.exe", decoy, decoy2})
        ASSERT_TRUE(CopyFileA(TestProgram("sleeper.exe").c_str(), copy.c_str(), FALSE)) << copy;

    EXPECT_EQ(ShellAndWait({programs / "sleep.exe", " 10"}, 1, reason), ProgramEnd::Ended);
    EXPECT_EQ(ShellAndWait({programs / "sleep", " 10"}, 1, reason), ProgramEnd::Ended);  // ".exe" assumed

    DeleteFileA(decoy.c_str());
    DeleteFileA(decoy2.c_str());
    EXPECT_EQ(ReadWholeFile(log), programs / "sleep.exe" + "\r\n" + programs / "sleep.exe" + "\r\n");
}

TEST_F(Processes, QuitDuringTheWaitGivesTheWaitUpAndIsKeptForTheProgramsLoop) {
    PostQuitMessage(7);
    const ULONGLONG before = GetTickCount64();
    EXPECT_EQ(ShellAndWait(Sleeper(3000), 0, reason), ProgramEnd::Quit);
    EXPECT_LT(GetTickCount64() - before, 2000u);  // not held until the program ends
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    for (int i = 0; i < 100 && !PathExists(log); ++i) Sleep(100);  // let it finish before cleanup
    Sleep(200);
}

// A waited-for program past its time limit is ended; one that ends in time is
// simply waited for.
TEST_F(Processes, AProgramPastTheLimitIsEnded) {
    EXPECT_FALSE(ShellAndWaitFor(Sleeper(20000), 0, 300));
    EXPECT_FALSE(PathExists(log)) << "the sleeper was not ended";
    EXPECT_TRUE(ShellAndWaitFor(Sleeper(0), 0, 20000));
    EXPECT_TRUE(PathExists(log));
    EXPECT_TRUE(ShellAndWaitFor({folder / "missing.exe", ""}, 0, 300));  // cannot start: not a hang
}

// The tray icon's notification handling (which notifications show the
// progress window is seen in the program's test): a notification during the
// handling of another is ignored; the taskbar's restart.
TEST(TrayIcon, ANotificationDuringAnotherIsIgnoredAndTheTaskbarsRestartIsHandled) {
    int shown = 0;
    TrayIconW32* self = nullptr;
    TrayIconW32 tray(nullptr, nullptr, [&] {
        ++shown;
        self->HandleMessage(self->CallbackMessage(), 1, WM_LBUTTONDBLCLK);  // e.g. from a nested wait
    }, WM_APP + 40);
    self = &tray;
    EXPECT_EQ(tray.CallbackMessage(), static_cast<UINT>(WM_APP + 40));
    tray.HandleMessage(tray.CallbackMessage(), 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(shown, 1);
    tray.HandleMessage(tray.CallbackMessage(), 1, WM_LBUTTONDBLCLK);  // free again afterwards
    EXPECT_EQ(shown, 2);

    const UINT restart = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(restart, 0u);
    EXPECT_EQ(tray.TaskbarCreatedMessage(), restart);
    EXPECT_FALSE(tray.IsShown());
    tray.StartSystray();
    EXPECT_TRUE(tray.IsShown());
    EXPECT_TRUE(tray.HandleMessage(restart, 0, 0));
    EXPECT_FALSE(tray.HandleMessage(WM_TIMER, 0, 0));
    EXPECT_TRUE(TrayIconW32(nullptr, nullptr, nullptr).HandleMessage(TrayCallbackMessage, 1, WM_LBUTTONDBLCLK));
    tray.DeleteSystray();
    EXPECT_FALSE(tray.IsShown());
    EXPECT_TRUE(tray.HandleMessage(restart, 0, 0));
}

// ShutdownSystem's checks and the privilege step on the real system. Every
// test that would get as far as the shutdown call uses a recording platform.
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

TEST(ShutdownSystem, FlagsOutsideZeroTo31AreRefusedTheOthersReachTheShutdownCallAndThePrivilegeIsEnabled) {
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
    // The privilege step on the real system.
    EXPECT_TRUE(IsWinNT());
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

// The fake AVI that the Windows programs carry as a resource.
TEST(LoadFakeAviResource, HoldsTheBytesOfTheLayout) {
    const std::string resource = LoadFakeAviResource();
    ASSERT_EQ(resource.size(), 3072u);
    EXPECT_TRUE(resource == FakeAviBytes());
}
