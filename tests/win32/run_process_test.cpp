// ShellAndWait and StartProcess against real processes (sleeper.exe).
#include <windows.h>

#include <gtest/gtest.h>

#include "run/process_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

// Gives the sleepers a log to write to, fresh for each test.
struct Processes : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_process_test"};
    std::string log = folder / "sleepers.log";
    Processes() { SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", log.c_str()); }
    ~Processes() override { SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", nullptr); }
    static ProgramCommand Sleeper(int milliseconds) {
        return {TestProgram("sleeper.exe"), " " + std::to_string(milliseconds)};
    }
    std::string reason;
};

int g_timerTicks = 0;
LRESULT CALLBACK CountTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++g_timerTicks;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND TimerWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountTimer;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MarobexTestTimer";
    RegisterClassA(&windowClass);
    return CreateWindowA("MarobexTestTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         windowClass.hInstance, nullptr);
}

}  // namespace

TEST_F(Processes, ReturnsAfterTheProgramEndedWhileWindowsGetTheirMessages) {
    HWND window = TimerWindow();
    ASSERT_NE(window, nullptr);
    g_timerTicks = 0;
    ASSERT_NE(SetTimer(window, 1, 50, nullptr), 0u);

    EXPECT_EQ(ShellAndWait(Sleeper(1500), 0, reason), ProgramEnd::Ended);

    KillTimer(window, 1);
    DestroyWindow(window);
    // The sleeper writes its line as the last thing before it ends.
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    EXPECT_GE(g_timerTicks, 3);  // timers fired during the wait
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

TEST_F(Processes, StartProcessDoesNotWait) {
    StartProcess(Sleeper(2000), 0);
    EXPECT_FALSE(PathExists(log));  // the sleeper is still asleep
    for (int i = 0; i < 300 && !PathExists(log); ++i) Sleep(100);  // let it finish before cleanup
    Sleep(200);
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    StartProcess({folder / "no_such_program.exe", ""}, 0);  // ignored
}
