// ShellAndWait and StartProcess against real processes (sleeper.exe, which
// writes its own path to MAROBEX_SLEEPER_LOG as the last thing it does).
#include <windows.h>

#include <gtest/gtest.h>

#include "run/process_win32.h"
#include "win32_test_support.h"

using namespace mb;
using namespace mb::testing;

namespace {

struct Processes : ::testing::Test {
    ScratchFolder folder{"C:\\marobex_process_test"};
    std::string log = folder / "sleepers.log";
    const std::string sleeper = TestProgram("sleeper.exe");
    Processes() { SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", log.c_str()); }
    ~Processes() override { SetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", nullptr); }
};

int g_timerTicks = 0;
LRESULT CALLBACK CountTimer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++g_timerTicks;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TEST_F(Processes, WaitingKeepsWindowsAndTheQuitMessageAliveAndFailuresReturnAtOnce) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountTimer;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MarobexTestTimer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("MarobexTestTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(SetTimer(window, 1, 50, nullptr), 0u);
    ShellAndWait(sleeper + " 1500", 0);
    KillTimer(window, 1);
    DestroyWindow(window);
    EXPECT_EQ(ReadWholeFile(log), sleeper + "\r\n");  // waited to the end
    EXPECT_GE(g_timerTicks, 3);                       // timers fired during the wait
    DeleteFileA(log.c_str());
    PostQuitMessage(7);
    ShellAndWait(sleeper + " 300", 0);
    EXPECT_EQ(ReadWholeFile(log), sleeper + "\r\n");  // still waited to the end
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // kept for the program's loop
    EXPECT_EQ(message.wParam, 7u);
    DeleteFileA(log.c_str());
    for (const std::string& none : {folder / "no_such_program.exe", std::string(), folder.path()}) ShellAndWait(none, 0);
    StartProcess(folder / "no_such_program.exe", 0);
    EXPECT_FALSE(PathExists(log));
}

TEST_F(Processes, ProgramPathWithBlanksIsQuotedAndStartProcessDoesNotWait) {
    // A decoy where Windows would look first for an unquoted path.
    ScratchFolder programs("C:\\Program Files\\Marobex Test");
    const std::string decoy = "C:\\Program Files\\Marobex.exe";
    ASSERT_TRUE(CopyFileA(sleeper.c_str(), (programs / "sleep.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(sleeper.c_str(), decoy.c_str(), FALSE));
    ShellAndWait(programs / "sleep.exe" + " 10", 1);
    DeleteFileA(decoy.c_str());
    EXPECT_EQ(ReadWholeFile(log), programs / "sleep.exe" + "\r\n");
    DeleteFileA(log.c_str());
    StartProcess(sleeper + " 2000", 0);
    EXPECT_FALSE(PathExists(log));  // the sleeper is still asleep
    for (int i = 0; i < 300 && !PathExists(log); ++i) Sleep(100);  // let it finish before cleanup
    Sleep(200);
    EXPECT_EQ(ReadWholeFile(log), sleeper + "\r\n");
}
