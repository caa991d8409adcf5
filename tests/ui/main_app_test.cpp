// The whole program around the main window, over the shared in-memory
// ports: the start-up order, the codec check on the window, a run with the
// tray icon and the progress window, and the exit that closes every window.
#include <windows.h>

#include <algorithm>
#include <initializer_list>

#include "main_test_support.h"
#include "run/tray_win32.h"

namespace mb::test {
namespace {

using fakes::Lines;

// Writes down, in order, the windows of this thread that are destroyed.
class DestroyedWindows {
public:
    DestroyedWindows() : hook_(SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId())) { current_ = this; }
    ~DestroyedWindows() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    DestroyedWindows(const DestroyedWindows&) = delete;
    DestroyedWindows& operator=(const DestroyedWindows&) = delete;

    // The given windows in the order they went.
    std::vector<HWND> Among(std::initializer_list<HWND> windows) const {
        std::vector<HWND> out;
        for (HWND w : order_)
            if (std::find(windows.begin(), windows.end(), w) != windows.end()) out.push_back(w);
        return out;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_DESTROYWND && current_) current_->order_.push_back(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline DestroyedWindows* current_ = nullptr;
    HHOOK hook_;
    std::vector<HWND> order_;
};

// The program over the shared fakes, with Codec.exe finding DivX 5 Pro,
// XviD and DivX 3, and the settings file naming VirtualDub.
struct World {
    fakes::World env;
};
struct Program : World, ProgramUnderTest {
    Program() : ProgramUnderTest(env) {
        NameVirtualDub();
        env.files[std::string(kFolder) + "\\Codec.exe"] = "";
        env.events.clear();
        env.programs.push_back({"Codec.exe", [this] {
                                    env.files["c:\\Marobex_Codecs.txt"] =
                                        "DivX Pro 5.0.2 Codec\r\nXviD MPEG-4 Codec\r\nDivX ;-) MPEG-4 Low-Motion\r\n";
                                }});
    }
};

TEST(MainProgram, StartsUpInItsOrder) {
    Program p;
    Lines atCheck;
    p.env.programs.push_back({"Codec.exe", [&] {
                                  HWND button = p.Item(IDC_CmdCheckCodec);
                                  char first[128] = "";
                                  SendMessageA(p.Item(IDC_LstCodecFound), LB_GETTEXT, 0,
                                               reinterpret_cast<LPARAM>(first));
                                  atCheck = {WindowTextOf(button), std::to_string(IsWindowEnabled(button)),
                                             std::to_string(Shown(p.Main())),
                                             std::to_string(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 0))),
                                             first,
                                             std::to_string(p.app->Model().Value(Ctl::OptCodec)),
                                             std::to_string(p.app->ExternalApp().Loaded()),
                                             std::to_string(IsWindowVisible(p.app->ExternalApp().Handle()))};
                              }});
    ASSERT_TRUE(p.Start(SW_SHOWNOACTIVATE));
    // The registry is prepared, then Codec.exe runs: the tool paths are read
    // (the External Program Location window loaded hidden), the controls
    // hold their start values, the button waits; the window is up first, the
    // codec choices wait for the check and the list says it is checking.
    EXPECT_EQ(p.env.Events({"registry", "run("}).back(), "run(0): C:\\Marobex\\Codec.exe");
    EXPECT_EQ(p.env.Events({"registry"}).size(), 6u);
    EXPECT_EQ(atCheck, (Lines{"Wait Starting Check ...", "0", "1", "0", CodecCheckRunningLine, "0", "1", "0"}));
    EXPECT_EQ(p.env.messages, Lines{});
    EXPECT_EQ(WindowTextOf(p.Item(IDC_CmdCheckCodec)), "Check Installed Codec");
    EXPECT_TRUE(IsWindowEnabled(p.Item(IDC_CmdCheckCodec)));
    EXPECT_TRUE(IsWindowVisible(p.Main()));
    EXPECT_EQ(p.Listed(IDC_LstCodecFound), (Lines{"DivX Pro 5.0.2 Codec\t(Supported)", "XviD MPEG-4 Codec\t()",
                                                   "DivX ;-) MPEG-4 Low-Motion\t(Supported)"}));
    EXPECT_EQ(p.Listed(IDC_LstExternalApp),
              (Lines{"VirtualDub v1.4.10\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}));
    char box[MAX_PATH] = "";
    GetDlgItemTextA(p.app->ExternalApp().Handle(), ExternalAppWindow::IDC_txtVirtualDub, box, MAX_PATH);
    EXPECT_STREQ(box, ProgramUnderTest::kVirtualDub);
    // DivX 4 was not found: its choice is gone; the others stay.
    EXPECT_FALSE(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 1)));
    EXPECT_TRUE(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 3)));
    // The check button checks again.
    p.env.files["C:\\WINDOWS\\System32\\DIVXA32.ACM"] = "";
    p.Click(IDC_CmdCheckCodec);
    EXPECT_EQ(p.Listed(IDC_LstCodecFound).size(), 4u);
    EXPECT_TRUE(p.app->State().DivxAudioCodecFound);
}

TEST(MainProgram, ChangeApplicationPathShowsTheExternalProgramWindowAndExitClosesAll) {
    Program p;
    ASSERT_TRUE(p.Start());
    HWND external = p.app->ExternalApp().Handle();  // loaded hidden at start-up
    ASSERT_NE(external, nullptr);
    p.Click(IDC_CmdChangePath);
    EXPECT_EQ(p.app->ExternalApp().Handle(), external);
    EXPECT_TRUE(IsWindowVisible(external));
    // The icon's double-click opens the progress window.
    SendMessageA(p.Main(), TrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    HWND progress = p.app->Progress().Handle();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(p.app->Progress().Visible());
    const std::size_t before = p.env.events.size();

    DestroyedWindows destroyed;
    HWND main = p.Main();
    p.Click(IDC_cmdExit);
    // The other windows go first, the last opened first, then the main window.
    EXPECT_EQ(destroyed.Among({main, progress, external}), (std::vector<HWND>{progress, external, main}));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_FALSE(IsWindow(external));
    // Nothing is written anywhere.
    EXPECT_EQ(p.env.events.size(), before);
    EXPECT_EQ(p.app->Run(), 0);  // the program's loop ends at once
    // Without a settings file or a codec list nothing is restricted; the
    // close box ends the program too.
    Program q;
    q.env.files.clear();
    ASSERT_TRUE(q.Start());
    for (int b = 0; b < 4; ++b) EXPECT_TRUE(IsWindowEnabled(q.app->Window().ControlWindow(Ctl::OptCodec, b))) << b;
    EXPECT_EQ(q.Listed(IDC_LstCodecFound), Lines{});
    EXPECT_EQ(q.Listed(IDC_LstExternalApp), Lines{});
    EXPECT_FALSE(q.app->ExternalApp().Loaded());
    q.Click(IDC_CmdChangePath);
    SendMessageA(q.Main(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(q.Main()));
    EXPECT_FALSE(q.app->ExternalApp().Loaded());
    EXPECT_TRUE(TakeQuitMessage());
}

TEST(MainProgram, ARunHidesTheWindowBehindTheTrayIconAndARefusedOneOnlyTellsWhy) {
    Program p;
    ASSERT_TRUE(p.Start());
    p.Click(IDC_cmdStartEncode);
    EXPECT_EQ(p.env.messages, Lines{"Cannot find source file"});
    EXPECT_EQ(p.env.Events({"run("}).size(), 1u);  // the codec check at start-up only
    EXPECT_EQ(p.app->Progress().Handle(), nullptr);
    EXPECT_FALSE(p.app->Tray()->IsShown());
    p.dialogs.answers = {"C:\\v\\movie.avs"};
    p.env.files["C:\\v\\movie.avs"] = "";
    p.Click(IDC_cmdBrowseSrc);

    // While the encoder runs: main window hidden, icon and progress window
    // shown with the queue; the user closes the progress window, a click or a
    // right double-click on the icon leaves it closed, a double-click brings it back.
    std::string during;
    LogProcessWindow& progress = p.app->Progress();
    const auto seen = [&](bool b) { during += b ? '1' : '0'; };
    p.env.programs.push_back({"VirtualDub.exe", [&] {
                                  p.env.files["C:\\v\\movie.avi"] = "encoded";  // the encoder's result
                                  seen(Shown(p.Main())), seen(p.app->Tray()->IsShown()), seen(progress.Visible());
                                  seen(!progress.QueueLines().empty());
                                  seen(IsWindowEnabled(p.app->ExternalApp().Handle()));  // External Program Location
                                  for (LPARAM click : {WM_LBUTTONDOWN, WM_RBUTTONDBLCLK, WM_LBUTTONDBLCLK}) {
                                      progress.Hide();
                                      SendMessageA(p.Main(), TrayCallbackMessage, 1, click);
                                      seen(progress.Visible());
                                  }
                              }});
    p.Click(IDC_cmdStartEncode);
    EXPECT_EQ(p.env.Events({"run(0): C:\\VD\\VirtualDub.exe"}).size(), 1u);
    EXPECT_EQ(during, "01110001");
    EXPECT_TRUE(IsWindowEnabled(p.app->ExternalApp().Handle()));
    EXPECT_FALSE(progress.LogLines().empty());
    // At the end the icon goes and the main window comes back.
    EXPECT_FALSE(p.app->Tray()->IsShown());
    EXPECT_TRUE(Shown(p.Main()));
    EXPECT_EQ(p.env.messages.size(), 1u);
}

TEST(MainProgram, EndingDuringARunStartsNothingMoreAndBringsNoWindowBack) {
    Program p;
    ASSERT_TRUE(p.Start());
    p.dialogs.answers = {"C:\\v\\movie.avs"};
    p.env.files["C:\\v\\movie.avs"] = "";
    p.Click(IDC_cmdBrowseSrc);
    p.app->Model().SetCheck(Ctl::chkShutdown, 1);
    p.app->Model().SelectListEntry(Ctl::CmbNumPass, 1);  // two passes
    p.env.programs.push_back({"jobpass1.vcf", [&] { DestroyWindow(p.Main()); }});  // the program ends
    p.env.quitDuring = "jobpass1.vcf";
    p.Click(IDC_cmdStartEncode);

    EXPECT_EQ(p.env.Events({"run(0): C:\\VD\\VirtualDub.exe"}).size(), 1u);  // no second pass
    EXPECT_EQ(p.env.Events({"shutdown"}), Lines{});
    EXPECT_EQ(p.app->Progress().Handle(), nullptr);
    EXPECT_FALSE(p.app->Tray()->IsShown());
}

}  // namespace
}  // namespace mb::test
