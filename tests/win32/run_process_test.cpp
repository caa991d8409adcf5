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
    std::string Sleeper(int milliseconds) const {
        return TestProgram("sleeper.exe") + " " + std::to_string(milliseconds);
    }
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

    ShellAndWait(Sleeper(1500), 0);

    KillTimer(window, 1);
    DestroyWindow(window);
    // The sleeper writes its line as the last thing before it ends.
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    EXPECT_GE(g_timerTicks, 3);  // timers fired during the wait
}

TEST_F(Processes, ProgramThatCannotStartReturnsAtOnce) {
    ShellAndWait(folder / "no_such_program.exe", 0);
    ShellAndWait("", 1);
    ShellAndWait(folder.path(), 0);  // a folder
    EXPECT_FALSE(PathExists(log));
}

TEST_F(Processes, ProgramPathWithBlanksIsQuoted) {
    // A decoy where Windows would look first for an unquoted path.
    ScratchFolder programs("C:\\Program Files\\Marobex Test");
    const std::string decoy = "C:\\Program Files\\Marobex.exe";
    ASSERT_TRUE(CopyFileA(TestProgram("sleeper.exe").c_str(), (programs / "sleep.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(TestProgram("sleeper.exe").c_str(), decoy.c_str(), FALSE));

    ShellAndWait(programs / "sleep.exe" + " 10", 1);

    DeleteFileA(decoy.c_str());
    EXPECT_EQ(ReadWholeFile(log), programs / "sleep.exe" + "\r\n");
}

TEST_F(Processes, QuitMessageDuringTheWaitIsKeptForTheProgramsLoop) {
    PostQuitMessage(7);
    ShellAndWait(Sleeper(300), 0);
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");  // still waited to the end
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(Processes, StartProcessDoesNotWait) {
    StartProcess(Sleeper(2000), 0);
    EXPECT_FALSE(PathExists(log));  // the sleeper is still asleep
    for (int i = 0; i < 300 && !PathExists(log); ++i) Sleep(100);  // let it finish before cleanup
    Sleep(200);
    EXPECT_EQ(ReadWholeFile(log), TestProgram("sleeper.exe") + "\r\n");
    StartProcess(folder / "no_such_program.exe", 0);  // ignored
}
