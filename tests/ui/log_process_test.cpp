// The progress window, created for real and driven through messages.
#include "app/log_process_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/encode_log.h"
#include "window_shot.h"

namespace {

using mb::LogProcessWindow;
using mb::test::PumpMessages;
using Lines = std::vector<std::string>;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

int ScreenDpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi;
}
int TwipsX(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440); }
int TwipsY(int twips) { return MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440); }

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
    PumpMessages();
}

class FakeSystem : public mb::SystemInfoPort {
public:
    void GetOsVersionInfo(mb::OsVersionInfo& info) override {
        info = {2, "Windows XP", "5.1", "Service Pack 1", "2600"};
    }
};

TEST(LogProcessWindow, IsCreatedOnceAndPlacedFromTheScreenCorner) {
    LogProcessWindow w;
    EXPECT_EQ(w.Handle(), nullptr);
    EXPECT_FALSE(w.Visible());

    w.Show(Instance());
    HWND first = w.Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(mb::test::WindowText(first), "Loggin Encoding process");
    const RECT r = WindowRect(first);
    EXPECT_EQ(r.left, TwipsX(110));
    EXPECT_EQ(r.top, TwipsY(100));
    RECT client;
    GetClientRect(first, &client);
    EXPECT_EQ(client.right, TwipsX(4470));
    EXPECT_EQ(client.bottom, TwipsY(9390));
    EXPECT_TRUE(OnTopChecked(w));
    EXPECT_TRUE(Topmost(first));

    w.Show(Instance());
    EXPECT_EQ(w.Handle(), first);
}

TEST(LogProcessWindow, ShowsItsControlsFontsAndNoCloseInItsMenu) {
    LogProcessWindow w;
    w.Show(Instance());
    const struct {
        int id;
        const char* text;
    } controls[] = {
        {LogProcessWindow::IDC_Label2, "Queue :"},       {LogProcessWindow::IDC_LstQueue, ""},
        {LogProcessWindow::IDC_Label1, "Log :"},         {LogProcessWindow::IDC_LstLogEncoding, ""},
        {LogProcessWindow::IDC_ChkOnTop, "Always On Top"}, {LogProcessWindow::IDC_CmdClose, "Close"},
    };
    for (const auto& c : controls) {
        HWND control = Item(w, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_TRUE(IsWindowVisible(control)) << c.id;
        EXPECT_EQ(mb::test::WindowText(control), c.text) << c.id;
    }
    EXPECT_EQ(mb::test::LayoutFaults(w.Handle()), Lines{});
    // The texts fit: the labels, the button, and the check box beside its box.
    EXPECT_TRUE(mb::test::TextFits(Item(w, LogProcessWindow::IDC_Label2), 0));
    EXPECT_TRUE(mb::test::TextFits(Item(w, LogProcessWindow::IDC_Label1), 0));
    EXPECT_TRUE(mb::test::TextFits(Item(w, LogProcessWindow::IDC_CmdClose), 8));
    EXPECT_TRUE(mb::test::TextFits(Item(w, LogProcessWindow::IDC_ChkOnTop),
                                   GetSystemMetrics(SM_CXMENUCHECK) + 8));
    // The queue list is above the log list, the buttons below both.
    const RECT queue = WindowRect(Item(w, LogProcessWindow::IDC_LstQueue));
    const RECT log = WindowRect(Item(w, LogProcessWindow::IDC_LstLogEncoding));
    const RECT close = WindowRect(Item(w, LogProcessWindow::IDC_CmdClose));
    EXPECT_LT(queue.bottom, log.top);
    EXPECT_LT(log.bottom, close.top);

    // The log in Verdana 8.25 pt, normal weight; the queue in the system's font.
    const struct {
        int id;
        bool verdana;
    } lists[] = {{LogProcessWindow::IDC_LstLogEncoding, true}, {LogProcessWindow::IDC_LstQueue, false}};
    for (const auto& l : lists) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(Item(w, l.id), WM_GETFONT, 0, 0));
        LOGFONTA logFont = {};
        ASSERT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
        EXPECT_EQ(std::string(logFont.lfFaceName) == "Verdana", l.verdana) << logFont.lfFaceName;
        if (l.verdana) {
            EXPECT_EQ(logFont.lfHeight, -MulDiv(825, ScreenDpi(LOGPIXELSY), 7200));
            EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
            EXPECT_FALSE(logFont.lfItalic);
        }
    }

    // Close is gone from the system menu, with the separator above it.
    HMENU menu = GetSystemMenu(w.Handle(), FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
    const int count = GetMenuItemCount(menu);
    ASSERT_GT(count, 0);
    EXPECT_FALSE(GetMenuState(menu, count - 1, MF_BYPOSITION) & MF_SEPARATOR);
}

TEST(LogProcessWindow, CloseHidesAndShowBringsBackBothListsUnchanged) {
    LogProcessWindow w;
    w.Show(Instance());
    w.ClearQueue();
    for (const char* entry : {" - Audio Stream 1", " - First Pass", " - Second Pass"}) w.AddQueueEntry(entry);
    w.RemoveFirstQueueEntry();
    w.ClearLog();
    for (const char* line : {"[ CODEC ]", "----------", "", " Start First Pass Encoding ..."})
        w.AppendLog(line);
    const Lines queue = {" - First Pass", " - Second Pass"};
    const Lines log = {"[ CODEC ]", "----------", "", " Start First Pass Encoding ..."};
    HWND window = w.Handle();

    Click(w, LogProcessWindow::IDC_CmdClose);
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(w.Handle(), window);
    EXPECT_EQ(w.QueueLines(), queue);
    EXPECT_EQ(w.LogLines(), log);

    w.Show(Instance());
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(w.Handle(), window);
    EXPECT_EQ(w.QueueLines(), queue);
    EXPECT_EQ(w.LogLines(), log);

    // A close request from the keyboard (Alt+F4) hides it the same way.
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(w.Visible());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(w.LogLines(), log);
}

TEST(LogProcessWindow, ListsUsedBeforeTheFirstShowCreateItHidden) {
    LogProcessWindow w;
    w.ClearQueue();
    w.AddQueueEntry(" - First Pass");
    w.RemoveFirstQueueEntry();
    w.RemoveFirstQueueEntry();  // an empty queue stays empty
    w.AppendLog(" Status Encoding : START");
    ASSERT_NE(w.Handle(), nullptr);
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(w.QueueLines(), Lines{});
    EXPECT_EQ(w.LogLines(), Lines{" Status Encoding : START"});
    EXPECT_TRUE(OnTopChecked(w));

    HWND window = w.Handle();
    w.Show(Instance());
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(w.Handle(), window);
    w.ClearLog();
    EXPECT_EQ(w.LogLines(), Lines{});
}

TEST(LogProcessWindow, AlwaysOnTopSwitchesTopmostAndMovesToTheCorner) {
    LogProcessWindow w;
    w.Show(Instance());
    HWND window = w.Handle();
    const RECT created = WindowRect(window);
    for (const bool checked : {false, true, false}) {
        SetWindowPos(window, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(WindowRect(window).left, 200);
        Click(w, LogProcessWindow::IDC_ChkOnTop);
        EXPECT_EQ(OnTopChecked(w), checked);
        EXPECT_EQ(Topmost(window), checked);
        const RECT r = WindowRect(window);
        EXPECT_EQ(r.left, 0) << checked;
        EXPECT_EQ(r.top, 0) << checked;
        EXPECT_EQ(r.right - r.left, created.right - created.left);
        EXPECT_EQ(r.bottom - r.top, created.bottom - created.top);
    }
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
    w.AppendLog("line 100");
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 10);
    EXPECT_EQ(w.LogLines().back(), "line 100");

    // A line wider than the list can be scrolled to.
    w.AppendLog(std::string(200, 'W'));
    EXPECT_GT(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), client.right);
    w.ClearLog();
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

TEST(LogProcessWindow, DestroyedWindowComesBackFreshOnTheNextShow) {
    LogProcessWindow w;
    w.Show(Instance());
    w.AppendLog("old");
    Click(w, LogProcessWindow::IDC_ChkOnTop);
    ASSERT_FALSE(OnTopChecked(w));
    w.Destroy();
    EXPECT_EQ(w.Handle(), nullptr);
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(w.LogLines(), Lines{});

    w.Show(Instance());
    ASSERT_NE(w.Handle(), nullptr);
    EXPECT_TRUE(OnTopChecked(w));
    EXPECT_TRUE(Topmost(w.Handle()));
    EXPECT_EQ(w.LogLines(), Lines{});
}

// A three-pass run's log as the run writes it, for a person to look at.
TEST(LogProcessWindow, Screenshot) {
    LogProcessWindow w;
    w.Show(Instance());
    for (const char* entry : {" - Audio Stream 1", " - First Pass", " - Second Pass",
                              " - Bitrate Recalculation", " - Third Pass", " - Mux Video / Audio"})
        w.AddQueueEntry(entry);
    w.RemoveFirstQueueEntry();
    FakeSystem system;
    const struct {
        const char* part;
        int time;
    } events[] = {{"InitLog", 0},   {"Job1Start", 0}, {"Job1End", 3725}, {"Job2Start", 0},
                  {"Job2End", 3600}, {"BitrRecal", 0}, {"Job3Start", 0}, {"Job3End", 3550},
                  {"CloseLog", 0}};
    for (const auto& e : events) {
        for (const std::string& line : mb::VdubLogEncode(e.part, e.time, 780, 741, 600000, 570000,
                                                         28500, "Three Pass", "DivX 4.12", 10875,
                                                         system))
            w.AppendLog(line);
    }
    EXPECT_TRUE(mb::test::SaveWindowShot(w.Handle(), "log-process"));
}

}  // namespace
