// The progress window, created for real and driven through messages.
#include "app/log_process_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_test_support.h"

namespace {

using mb::LogProcessWindow;
using mb::test::Pump;
using Lines = std::vector<std::string>;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Twips on the screen, across (LOGPIXELSX) or down (LOGPIXELSY).
int Twips(int twips, int axis) {
    HDC screen = GetDC(nullptr);
    const int pixels = MulDiv(twips, GetDeviceCaps(screen, axis), 1440);
    ReleaseDC(nullptr, screen);
    return pixels;
}

HWND Item(const LogProcessWindow& w, int id) { return GetDlgItem(w.Handle(), id); }
bool Topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
bool OnTopChecked(const LogProcessWindow& w) {
    return SendMessageA(Item(w, LogProcessWindow::IDC_ChkOnTop), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
RECT WindowRect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}
void Click(const LogProcessWindow& w, int id) {
    SendMessageA(Item(w, id), BM_CLICK, 0, 0);
    Pump();
}

// Always On Top switches the window between topmost and not, moving it to
// the corner each time.
TEST(LogProcessWindow, IsCreatedOnceInTheCornerWithItsControlsAndAlwaysOnTopSwitchesTopmost) {
    LogProcessWindow w;
    EXPECT_EQ(w.Handle(), nullptr);
    w.Show(Instance());
    HWND first = w.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(mb::test::WindowTextOf(first), "Loggin Encoding process");
    const RECT r = WindowRect(first);
    EXPECT_EQ(r.left, Twips(110, LOGPIXELSX));
    EXPECT_EQ(r.top, Twips(100, LOGPIXELSY));
    EXPECT_TRUE(OnTopChecked(w));
    EXPECT_TRUE(Topmost(first));
    w.Show(Instance());
    EXPECT_EQ(w.Handle(), first);
    const std::pair<int, const char*> controls[] = {
        {LogProcessWindow::IDC_Label2, "Queue :"},         {LogProcessWindow::IDC_Label1, "Log :"},
        {LogProcessWindow::IDC_ChkOnTop, "Always On Top"}, {LogProcessWindow::IDC_CmdClose, "Close"},
    };
    for (const auto& [id, text] : controls) EXPECT_EQ(mb::test::WindowTextOf(Item(w, id)), text) << id;
    EXPECT_EQ(mb::test::LayoutFaults(w.Handle()), Lines{});
    EXPECT_EQ(mb::test::TextFault(Item(w, LogProcessWindow::IDC_CmdClose), 8), "");
    EXPECT_EQ(mb::test::TextFault(Item(w, LogProcessWindow::IDC_ChkOnTop), GetSystemMetrics(SM_CXMENUCHECK) + 8), "");
    EXPECT_LT(WindowRect(Item(w, LogProcessWindow::IDC_LstQueue)).bottom,
              WindowRect(Item(w, LogProcessWindow::IDC_LstLogEncoding)).top);
    // The log in Verdana.
    LOGFONTA logFont = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Item(w, LogProcessWindow::IDC_LstLogEncoding), WM_GETFONT, 0, 0)),
               sizeof logFont, &logFont);
    EXPECT_STREQ(logFont.lfFaceName, "Verdana");
    HMENU menu = GetSystemMenu(w.Handle(), FALSE);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_FALSE(GetMenuState(menu, GetMenuItemCount(menu) - 1, MF_BYPOSITION) & MF_SEPARATOR);
    for (const bool checked : {false, true}) {
        SetWindowPos(first, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Click(w, LogProcessWindow::IDC_ChkOnTop);
        EXPECT_EQ(OnTopChecked(w), checked);
        EXPECT_EQ(Topmost(first), checked);
        const RECT moved = WindowRect(first);
        EXPECT_EQ(moved.left, 0) << checked;
        EXPECT_EQ(moved.top, 0) << checked;
        EXPECT_EQ(moved.right - moved.left, r.right - r.left);
    }
}

TEST(LogProcessWindow, CloseHidesItAndTheListsStayUntilItIsDestroyed) {
    LogProcessWindow w;
    // Lists used before the first show create the window hidden.
    w.AddQueueEntry(" - Audio Stream 1");
    w.AddQueueEntry(" - First Pass");
    w.RemoveFirstQueueEntry();
    w.AppendLog(" Status Encoding : START");
    HWND window = w.Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(w.Visible());
    w.Show(Instance());
    Click(w, LogProcessWindow::IDC_CmdClose);
    EXPECT_FALSE(w.Visible());
    w.Show(Instance());
    SendMessageA(window, WM_CLOSE, 0, 0);  // Alt+F4 hides it the same way
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(w.Handle(), window);
    EXPECT_EQ(w.QueueLines(), Lines{" - First Pass"});
    EXPECT_EQ(w.LogLines(), Lines{" Status Encoding : START"});
    Click(w, LogProcessWindow::IDC_ChkOnTop);
    w.Destroy();
    EXPECT_EQ(w.Handle(), nullptr);
    EXPECT_EQ(w.LogLines(), Lines{});
    w.Show(Instance());
    EXPECT_TRUE(OnTopChecked(w));  // fresh
    EXPECT_EQ(w.LogLines(), Lines{});
}

TEST(LogProcessWindow, LogFollowsTheNewestLineUnlessScrolledBack) {
    LogProcessWindow w;
    w.Show(Instance());
    HWND list = Item(w, LogProcessWindow::IDC_LstLogEncoding);
    RECT client;
    GetClientRect(list, &client);
    const auto rows = client.bottom / SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    for (int i = 0; i < 100; ++i) w.AppendLog("line " + std::to_string(i));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 100 - rows);
    SendMessageA(list, LB_SETTOPINDEX, 10, 0);
    w.AppendLog(std::string(200, 'W'));
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 10);
    EXPECT_GT(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right);  // a wide line can be scrolled to
    w.ClearLog();
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    // A run's log, for a person to look at.
    for (const char* line : {"[ CODEC ]", "----------", "", "Name  :   DivX 4.x Codec", "Mode   :   3 Pass",
                             " Start First Pass Encoding ...", " New BitRate Used : 741 Kbt/s"})
        w.AppendLog(line);
    EXPECT_TRUE(mb::test::SaveWindowShot(w.Handle(), "log-process"));
}

}  // namespace
