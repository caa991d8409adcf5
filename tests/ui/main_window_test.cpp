// The main window over the form model, driven through the messages its
// controls send: every step ends with the window agreeing with the model.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "main_test_support.h"

namespace mb::test {

namespace {

// Whether the model has the control in sight: its tab selected (as the
// model's own table says), and the codec panel and inner tab the layout
// puts it on shown and selected.
bool InSight(const FormModel& model, Ctl c) {
    if (static_cast<int>(Control(c).tab) != model.SelectedTab(TabStrip::SSTabMain)) return false;
    const ItemPlace& place = FindLayoutItem(IdOf(c))->place;
    if (place.panel >= 0) {
        const Panel panel = static_cast<Panel>(place.panel);
        if (!model.PanelVisible(panel)) return false;
        const TabStrip strip =
            panel == Panel::SSTabDivx3Panel ? TabStrip::SSTabDivx3Panel : TabStrip::SSTabXividPanel;
        if (place.inner >= 0 && model.SelectedTab(strip) != place.inner) return false;
    }
    return model.Visible(c);
}

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

void ExpectWindowMatchesModel(const WindowUnderTest& w) {
    const FormModel& model = w.model;
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const std::string name = Control(c).name;
        SCOPED_TRACE(name);
        const bool inSight = InSight(model, c);
        switch (Control(c).kind) {
            case ControlKind::Text:
                EXPECT_EQ(WindowTextOf(w.Of(c)), model.Text(c));
                break;
            case ControlKind::Check:
                EXPECT_EQ(Checked(w.Of(c)), model.Value(c) == 1);
                break;
            case ControlKind::List:
                EXPECT_EQ(SendMessageA(w.Of(c), CB_GETCURSEL, 0, 0), model.Value(c));
                break;
            case ControlKind::Slider:
                EXPECT_EQ(SendMessageA(w.Of(c), TBM_GETPOS, 0, 0), model.Value(c));
                break;
            case ControlKind::Option:
                for (int b = 0; b < FormModel::ButtonCount(c); ++b) {
                    SCOPED_TRACE("button " + std::to_string(b));
                    HWND button = w.Of(c, b);
                    EXPECT_EQ(Checked(button), model.Value(c) == b);
                    EXPECT_EQ(IsWindowEnabled(button) != FALSE, model.Enabled(c) && model.ButtonEnabled(c, b));
                    EXPECT_EQ(Shown(button), inSight && model.ButtonVisible(c, b));
                }
                continue;
        }
        EXPECT_EQ(IsWindowEnabled(w.Of(c)) != FALSE, model.Enabled(c));
        EXPECT_EQ(Shown(w.Of(c)), inSight);
        // A label or unit goes with its control.
        for (int id : {CaptionIdOf(c), UnitIdOf(c)})
            if (HWND label = w.Item(id)) EXPECT_EQ(Shown(label), inSight);
    }
    const std::pair<Label, int> labels[] = {
        {Label::LbPE, IDC_LbPE},   {Label::lbPreProc, IDC_lbPreProc},         {Label::LbFM, IDC_LbFM},
        {Label::LbLM, IDC_LbLM}, {Label::LbAmpliStream1, IDC_LbAmpliStream1}, {Label::LbAmpliStream2, IDC_LbAmpliStream2},
    };
    for (const auto& [label, id] : labels) EXPECT_EQ(WindowTextOf(w.Item(id)), model.LabelText(label)) << id;
    EXPECT_EQ(IsWindowEnabled(w.Item(IDC_cmdBrowseTgt)) != FALSE, model.CommandEnabled(Command::cmdBrowseTgt));
    EXPECT_EQ(IsWindowEnabled(w.Item(IDC_CmdBrowseStream2)) != FALSE, model.CommandEnabled(Command::CmdBrowseStream2));
    const std::pair<TabStrip, int> strips[] = {{TabStrip::SSTabMain, IDC_SSTabMain},
                                               {TabStrip::SSTabDivx3Panel, IDC_SSTabDivx3Panel},
                                               {TabStrip::SSTabXividPanel, IDC_SSTabXividPanel}};
    for (const auto& [strip, id] : strips)
        EXPECT_EQ(SendMessageA(w.Item(id), TCM_GETCURSEL, 0, 0), model.SelectedTab(strip)) << id;
}

namespace {

class MainWindow : public ::testing::Test {
protected:
    WindowUnderTest w;
    void SetUp() override { ASSERT_NE(w.Handle(), nullptr); }
};

// The colour a path box is painted with, as the window answers the box.
COLORREF PaintedBackground(const WindowUnderTest& w, Ctl box) {
    HWND control = w.Of(box);
    HDC dc = GetDC(control);
    const UINT message = IsWindowEnabled(control) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    SendMessageA(w.Handle(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = GetBkColor(dc);
    ReleaseDC(control, dc);
    return colour;
}

// Made in steps as the program starts it, with a tab chosen before the rest
// is made, the window is the one made at once: the same controls stacked in
// the same order (the tab order too), in the same places, with the same
// styles and texts.
TEST(MainWindowInSteps, IsTheWindowMadeAtOnce) {
    const auto children = [](const WindowUnderTest& w) {
        std::vector<std::string> out;
        for (HWND c = GetWindow(w.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char line[1200], cls[64] = "";
            GetClassNameA(c, cls, sizeof cls);
            RECT r{};
            GetWindowRect(c, &r);
            MapWindowPoints(nullptr, w.Handle(), reinterpret_cast<POINT*>(&r), 2);
            std::snprintf(line, sizeof line, "%d %s %lx %lx %ld,%ld,%ld,%ld %s", GetDlgCtrlID(c), cls,
                          GetWindowLongA(c, GWL_STYLE), GetWindowLongA(c, GWL_EXSTYLE), r.left, r.top, r.right,
                          r.bottom, WindowTextOf(c).c_str());
            out.push_back(line);
        }
        return out;
    };
    WindowUnderTest atOnce;
    WindowUnderTest inSteps(false, 0, EveryCodec(), true);
    EXPECT_EQ(inSteps.Item(IDC_FrmVideo), nullptr);
    for (WindowUnderTest* w : {&atOnce, &inSteps}) w->SelectTab(IDC_SSTabMain, 2);
    inSteps.window->CreateControls(MainWindowW32::Controls::All);
    EXPECT_EQ(children(inSteps), children(atOnce));
    ExpectWindowMatchesModel(inSteps);
}

// Every user action, as its control sends it, reaches the model, and the
// rules it sets off reach every control.
TEST_F(MainWindow, OpensAsTheModelStartsAndUserActionsReachTheModelAndTheWindowMirrorsIt) {
    EXPECT_EQ(WindowTextOf(w.Handle()), "Marobex");
    RECT client{};
    GetClientRect(w.Handle(), &client);
    EXPECT_EQ(client.right, MulDiv(10170, w.window->Dpi(), 1440));
    EXPECT_EQ(client.bottom, MulDiv(8265, w.window->Dpi(), 1440));
    EXPECT_EQ(WindowTextOf(w.Item(IDC_cmdStartEncode)), "&Start Encode");
    EXPECT_EQ(WindowTextOf(w.Item(CaptionIdOf(Ctl::TxtStrenght))), "Strenght :");
    EXPECT_EQ(WindowTextOf(w.Item(UnitIdOf(Ctl::TxtDivx4Size))), "kbyte");
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"as opened", [] {}},
        {"video tab", [&] { w.SelectTab(IDC_SSTabMain, 1); }},
        {"DivX 3", [&] { w.Click(Ctl::OptCodec, 3); }},
        {"DivX 3 advanced", [&] { w.SelectTab(IDC_SSTabDivx3Panel, 1); }},
        {"error prevention", [&] { w.Click(Ctl::ChkError); }},
        {"antishit typed", [&] { w.Type(Ctl::TxtAntiShit, "7"); }},
        {"error prevention off", [&] { w.Click(Ctl::ChkError); }},
        {"DivX 4", [&] { w.Click(Ctl::OptCodec, 1); }},
        {"two passes", [&] { w.ChooseEntry(Ctl::CmbNumPass, 1); }},
        {"third pass", [&] { w.Click(Ctl::ChkDivx4Pass3); }},
        {"one pass", [&] { w.ChooseEntry(Ctl::CmbNumPass, 0); }},
        {"DivX 5", [&] { w.Click(Ctl::OptCodec, 0); }},
        {"psychovisual", [&] { w.Slide(Ctl::SldPE, 3); }},
        {"audio tab", [&] { w.SelectTab(IDC_SSTabMain, 2); }},
        {"stream 1", [&] { w.dialogs.answers = {"D:\\a\\track.ac3"}; w.Click(w.Item(IDC_CmdBrowseStream1)); }},
        {"stream 2 on", [&] { w.Click(Ctl::ChkStream2); }},
        {"stream 2", [&] { w.dialogs.answers = {"D:\\a\\second.ac3"}; w.Click(w.Item(IDC_CmdBrowseStream2)); }},
        {"stream 2 AC3", [&] { w.Click(Ctl::OptAudioFormat2, 0); }},
        {"stream 2 delay", [&] { w.Type(Ctl::TxtDelay2, "120"); }},
        {"stream 2 amplified", [&] { w.Slide(Ctl::SldAmpliStream2, 4); }},
        {"stream 2 off", [&] { w.Click(Ctl::ChkStream2); }},
        {"source", [&] { w.dialogs.answers = {"D:\\Rip\\MOVIE.AVI"}; w.Click(w.Item(IDC_cmdBrowseSrc)); }},
        {"output tab", [&] { w.SelectTab(IDC_SSTabMain, 3); }},
        {"source cancelled", [&] { w.Click(w.Item(IDC_cmdBrowseSrc)); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        ExpectWindowMatchesModel(w);
        EXPECT_EQ(PaintedBackground(w, Ctl::txtTarget),
                  GetSysColor(w.model.Enabled(Ctl::txtTarget) ? COLOR_WINDOW : COLOR_3DLIGHT));
    }
    EXPECT_EQ(w.model.Text(Ctl::TxtAntiShit), "0");
    EXPECT_EQ(w.model.Value(Ctl::SldPE), 3);
    EXPECT_EQ(w.state.Stream1FilePath, "D:\\a\\track.ac3");
}

TEST_F(MainWindow, EachBrowseButtonAsksItsDialog) {
    const struct {
        int button;
        const char *answer, *asked;
        Ctl box;
        const char* shown;
    } cases[] = {
        {IDC_cmdBrowseSrc, "C:\\v\\clip.avs", "open|Choose Source File|Avisynth File (*.avs)|*.avs|Video File (*.avi)|*.avi|C:\\Marobex",
         Ctl::txtSource, "C:\\v\\clip.avs"},
        {IDC_cmdBrowseTgt, "E:\\out\\final", "save|Choose Destination File|Video File (*.avi)|*.avi|C:\\Marobex",
         Ctl::txtTarget, "E:\\out\\final"},
        {IDC_CmdBrowseTempRep, "F:\\", "folder|Choose a Tempory Directory|c:\\", Ctl::TxtTempRep, "F:"},
        {IDC_CmdBrowseStream1, "C:\\a\\one.mpa",
         "open|Choose Audio Source File|AC3 Audio Stream (*.ac3)|*.ac3|MPEG-2 Audio Stream (*.mpa)|*.mpa|C:\\Marobex",
         Ctl::TxtStream1, "C:\\a\\one.mpa"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        w.dialogs.asked.clear();
        w.dialogs.answers = {c.answer};
        w.Click(w.Item(c.button));
        EXPECT_EQ(w.dialogs.asked, std::vector<std::string>{c.asked});
        EXPECT_EQ(WindowTextOf(w.Of(c.box)), c.shown);
    }
}

struct RuleCounter : FormObserver {
    int rules = 0;
    void OnRuleStarted(Ctl) override { ++rules; }
};

TEST_F(MainWindow, UpdatesFromTheModelDoNotComeBackAsUserActions) {
    // The same changes on a model without a window run the same rules: the
    // window's updates of its controls set nothing off.
    ProgramState state;
    FormModel bare(state);
    bare.RunStartup({});
    bare.ApplyCodecCheck(EveryCodec(), true);
    const auto changes = [](FormModel& m) {
        m.SetEnabled(Ctl::ChkStream2, true);
        m.SetCheck(Ctl::ChkStream2, 1);
        m.SelectOption(Ctl::OptAudioFormat2, 3);
        m.SetCheck(Ctl::ChkStream2, 0);
        m.SelectOption(Ctl::OptCodec, 3);
        m.SetCheck(Ctl::ChkError, 1);
        m.SetText(Ctl::TxtAntiShit, "5");
        m.SetCheck(Ctl::ChkError, 0);
        m.SetSlider(Ctl::SldSwitchFM, 120);
        m.SelectListEntry(Ctl::CmbPriority, 2);
    };
    RuleCounter withWindow, without;
    w.model.AddObserver(&withWindow);
    bare.AddObserver(&without);
    changes(w.model);
    Pump();
    changes(bare);
    w.model.RemoveObserver(&withWindow);
    EXPECT_GT(without.rules, 5);
    EXPECT_EQ(withWindow.rules, without.rules);
    ExpectWindowMatchesModel(w);
}

TEST(MainWindowKeys, CtrlTabTurnsThePageAndAltPressesTheCaptionsButton) {
    WindowUnderTest w(true);
    w.SelectTab(IDC_SSTabMain, 2);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab{w.Of(Ctl::TxtStream1), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(w.window->PreTranslateMessage(tab));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(w.model.SelectedTab(TabStrip::SSTabMain), 3);
    ExpectWindowMatchesModel(w);
    MSG alt{w.Of(Ctl::txtTarget), WM_SYSCHAR, 'x', 0x20000000, 0, {}};  // "E&xit"
    EXPECT_TRUE(w.window->PreTranslateMessage(alt));
    Pump();
    EXPECT_EQ(w.handler.destroyed, 1);
    EXPECT_FALSE(IsWindow(w.window->Handle()));
}

}  // namespace
}  // namespace mb::test
