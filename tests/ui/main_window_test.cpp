// The main window over the form model, driven through the messages its
// controls send: every step ends with the window agreeing with the model.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <map>

#include "app/screenshot_win32.h"
#include "main_test_support.h"

namespace mb::test {

std::string WindowTextOf(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ScreenshotFolder() {
    char full[MAX_PATH] = "";
    GetFullPathNameA("screenshots", MAX_PATH, full, nullptr);
    CreateDirectoryA(full, nullptr);
    return full;
}

namespace {

// Where the frames of the codec panels are: the panel, and the tab of the
// panel's own tab strip (-1: the panel has none).
struct PanelPlace {
    Panel panel;
    int inner;
};
const std::map<std::string, PanelPlace>& PanelFrames() {
    static const std::map<std::string, PanelPlace> frames = {
        {"Frame2", {Panel::FrmDivx5, -1}},         {"Frame4", {Panel::FrmDivx5, -1}},
        {"Frame5", {Panel::FrmDivx5, -1}},         {"Frame3", {Panel::FrmDivx5, -1}},
        {"Frame16", {Panel::FrmDivx5, -1}},        {"Frame7", {Panel::FrmDivx4, -1}},
        {"Frame6", {Panel::FrmDivx4, -1}},         {"Frame9", {Panel::FrmDivx4, -1}},
        {"Frame18", {Panel::FrmDivx4, -1}},        {"FrmDivx4", {Panel::FrmDivx4, -1}},
        {"Frame12", {Panel::SSTabXividPanel, 0}},  {"Frame10", {Panel::SSTabXividPanel, 0}},
        {"Frame13", {Panel::SSTabXividPanel, 0}},  {"Frame14", {Panel::SSTabXividPanel, 0}},
        {"FrmXvid", {Panel::SSTabXividPanel, 0}},  {"Frame11", {Panel::SSTabXividPanel, 1}},
        {"Frame15", {Panel::SSTabXividPanel, 1}},  {"Frame19", {Panel::SSTabXividPanel, 1}},
        {"Frame30", {Panel::SSTabDivx3Panel, 0}},  {"Frame31", {Panel::SSTabDivx3Panel, 0}},
        {"Frame35", {Panel::SSTabDivx3Panel, 0}},  {"Frame36", {Panel::SSTabDivx3Panel, 0}},
        {"Frame37", {Panel::SSTabDivx3Panel, 0}},  {"Frame29", {Panel::SSTabDivx3Panel, 0}},
        {"FrmDivx3", {Panel::SSTabDivx3Panel, 0}}, {"Frame32", {Panel::SSTabDivx3Panel, 1}},
        {"Frame34", {Panel::SSTabDivx3Panel, 1}},  {"Frame33", {Panel::SSTabDivx3Panel, 1}},
        {"Frame38", {Panel::SSTabDivx3Panel, 1}},  {"FrmDivx32", {Panel::SSTabDivx3Panel, 1}},
    };
    return frames;
}

// Whether the model has the control in sight: its tab selected, its codec
// panel shown and its inner tab selected.
bool InSight(const FormModel& model, Ctl c) {
    const ControlInfo& info = Control(c);
    if (static_cast<int>(info.tab) != model.SelectedTab(TabStrip::SSTabMain)) return false;
    const auto it = PanelFrames().find(info.frame);
    if (it == PanelFrames().end()) return model.Visible(c);
    const PanelPlace& place = it->second;
    if (!model.PanelVisible(place.panel)) return false;
    if (place.inner >= 0) {
        const TabStrip strip =
            place.panel == Panel::SSTabXividPanel ? TabStrip::SSTabXividPanel : TabStrip::SSTabDivx3Panel;
        if (model.SelectedTab(strip) != place.inner) return false;
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

TEST_F(MainWindow, OpensWithTheModelsStartValues) {
    EXPECT_EQ(WindowTextOf(w.Handle()), "Marobex");
    RECT client{};
    GetClientRect(w.Handle(), &client);
    const int dpi = w.window->Dpi();
    EXPECT_EQ(client.right, MulDiv(10170, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(8265, dpi, 1440));
    // Each window lies on the main window itself, over its tab strip.
    EXPECT_EQ(GetParent(w.Of(Ctl::TxtBr4)), w.Handle());
    EXPECT_EQ(GetParent(w.Of(Ctl::OptCodec, 3)), w.Handle());

    const std::pair<int, const char*> captions[] = {
        {IDC_cmdExit, "E&xit"},
        {IDC_cmdStartEncode, "&Start Encode"},
        {IDC_CmdCheckCodec, "Check Installed Codec"},
        {IDC_CmdChangePath, "Change Application Path"},
        {IDC_cmdBrowseSrc, "\\ ..."},
        {IDC_Frame42, "Select Path :"},
        {IDC_Frame19, ""},
        {IDC_FrmDivx32, "DivX 3.x Advanced Setting"},
        {CaptionIdOf(Ctl::TxtStrenght), "Strenght :"},
        {UnitIdOf(Ctl::TxtDivx4Size), "kbyte"},
        {IdOf(Ctl::OptAudioFormat1, 3), "DivX ;-) Audio 64 Kb/s"},
        {IdOf(Ctl::ChkStream2), "Audio Stream 2 :"},
    };
    for (const auto& [id, caption] : captions) EXPECT_EQ(WindowTextOf(w.Item(id)), caption) << id;

    const std::pair<int, std::vector<std::string>> tabs[] = {
        {IDC_SSTabMain, {"   Input   ", "   Video   ", "   Audio   ", "   Output   "}},
        {IDC_SSTabDivx3Panel, {"   Global   ", "  Advanced  "}},
        {IDC_SSTabXividPanel, {"   Global   ", "  Advanced  "}},
    };
    for (const auto& [id, expected] : tabs) {
        std::vector<std::string> actual;
        const int count = static_cast<int>(SendMessageA(w.Item(id), TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = "";
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(w.Item(id), TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            actual.emplace_back(text);
        }
        EXPECT_EQ(actual, expected) << id;
    }
    ExpectWindowMatchesModel(w);
}

TEST_F(MainWindow, DivX3TakesTwoPassesAndLocksThePassList) {
    w.SelectTab(IDC_SSTabMain, 1);
    w.Click(Ctl::OptCodec, 3);
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::CmbNumPass)));
    EXPECT_EQ(SendMessageA(w.Of(Ctl::CmbNumPass), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::CmbNumPass)), "2 - Two Pass (Both)");
    EXPECT_TRUE(Shown(w.Item(IDC_SSTabDivx3Panel)));
    EXPECT_TRUE(Shown(w.Of(Ctl::TxtBit3)));
    EXPECT_FALSE(Shown(w.Of(Ctl::txtBr)));
    ExpectWindowMatchesModel(w);

    w.SelectTab(IDC_SSTabDivx3Panel, 1);
    EXPECT_TRUE(Shown(w.Of(Ctl::TxtHighPass)));
    EXPECT_FALSE(Shown(w.Of(Ctl::TxtBit3)));
    ExpectWindowMatchesModel(w);

    // Any other codec gives the pass list back, at one pass.
    w.Click(Ctl::OptCodec, 2);
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::CmbNumPass)));
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::CmbNumPass)), "1 - One Pass");
    EXPECT_EQ(SendMessageA(w.Item(IDC_SSTabDivx3Panel), TCM_GETCURSEL, 0, 0), 0);
    ExpectWindowMatchesModel(w);
}

TEST_F(MainWindow, DivX4WithTwoPassesOffersTheThirdPass) {
    w.SelectTab(IDC_SSTabMain, 1);
    w.Click(Ctl::OptCodec, 1);
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::ChkDivx4Pass3)));
    w.ChooseEntry(Ctl::CmbNumPass, 1);
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::ChkDivx4Pass3)));
    ExpectWindowMatchesModel(w);

    w.Click(Ctl::ChkDivx4Pass3);
    EXPECT_EQ(w.model.Value(Ctl::ChkDivx4Pass3), 1);
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::TxtDivx4Size)));
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::TxtDivx4OverSize)));
    ExpectWindowMatchesModel(w);

    w.ChooseEntry(Ctl::CmbNumPass, 0);
    EXPECT_EQ(SendMessageA(w.Of(Ctl::ChkDivx4Pass3), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::ChkDivx4Pass3)));
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::TxtDivx4Size)));
    ExpectWindowMatchesModel(w);
}

TEST_F(MainWindow, ClearingStream2LocksAndResetsEveryStream2Control) {
    w.SelectTab(IDC_SSTabMain, 2);
    w.dialogs.answers = {"D:\\a\\track.ac3", "D:\\a\\second.ac3"};
    w.Click(w.Item(IDC_CmdBrowseStream1));
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::ChkStream2)));
    w.Click(Ctl::ChkStream2);
    w.Click(w.Item(IDC_CmdBrowseStream2));
    w.Click(Ctl::OptAudioFormat2, 0);
    w.Type(Ctl::TxtDelay2, "120");
    w.Slide(Ctl::SldAmpliStream2, 4);
    w.Click(Ctl::ChkNormaliseStream2);
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::TxtStream2)), "D:\\a\\second.ac3");
    EXPECT_EQ(w.model.Text(Ctl::TxtDelay2), "120");
    EXPECT_EQ(WindowTextOf(w.Item(IDC_LbAmpliStream2)), "4");
    ExpectWindowMatchesModel(w);

    w.Click(Ctl::ChkStream2);
    const Ctl stream2[] = {Ctl::TxtStream2,  Ctl::CmbMP3ModeStream2,   Ctl::CmbBitrate2,    Ctl::TxtDelay2,
                           Ctl::Chk44Stream2, Ctl::ChkNormaliseStream2, Ctl::SldAmpliStream2};
    for (Ctl c : stream2) EXPECT_FALSE(IsWindowEnabled(w.Of(c))) << Control(c).name;
    for (int b = 0; b < 4; ++b) EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::OptAudioFormat2, b))) << b;
    EXPECT_FALSE(IsWindowEnabled(w.Item(IDC_CmdBrowseStream2)));
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::TxtStream2)), "");
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::TxtDelay2)), "0");
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::CmbBitrate2)), "128 Kbt/s");
    EXPECT_EQ(WindowTextOf(w.Item(IDC_LbAmpliStream2)), "2");
    EXPECT_EQ(SendMessageA(w.Of(Ctl::OptAudioFormat2, 1), BM_GETCHECK, 0, 0), BST_CHECKED);
    ExpectWindowMatchesModel(w);
}

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

TEST_F(MainWindow, ChoosingASourceDerivesTargetTempFolderAndMode) {
    EXPECT_EQ(PaintedBackground(w, Ctl::txtTarget), GetSysColor(COLOR_3DLIGHT));
    w.dialogs.answers = {"D:\\Rip\\MOVIE.AVI"};
    w.Click(w.Item(IDC_cmdBrowseSrc));
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::txtSource)), "D:\\Rip\\MOVIE.AVI");
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::txtTarget)), "D:\\Rip\\MOVIE_1.avi");
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::TxtTempRep)), "D:\\Rip");
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::txtTarget)));
    EXPECT_TRUE(IsWindowEnabled(w.Item(IDC_cmdBrowseTgt)));
    EXPECT_EQ(PaintedBackground(w, Ctl::txtTarget), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(SendMessageA(w.Of(Ctl::OptencodingMode, 1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(w.state.TargetFilePath, "D:\\Rip\\MOVIE_1.avi");
    ExpectWindowMatchesModel(w);

    w.dialogs.answers = {"D:\\Rip\\movie.avs"};
    w.Click(w.Item(IDC_cmdBrowseSrc));
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::txtTarget)), "D:\\Rip\\movie.avi");
    EXPECT_EQ(SendMessageA(w.Of(Ctl::OptencodingMode, 0), BM_GETCHECK, 0, 0), BST_CHECKED);

    // Cancelled: the target is emptied and locked again.
    w.Click(w.Item(IDC_cmdBrowseSrc));
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::txtSource)), "");
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::txtTarget)), "");
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::txtTarget)));
    EXPECT_FALSE(IsWindowEnabled(w.Item(IDC_cmdBrowseTgt)));
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::OptencodingMode, 0)));
    EXPECT_EQ(PaintedBackground(w, Ctl::txtTarget), GetSysColor(COLOR_3DLIGHT));
    ExpectWindowMatchesModel(w);
}

TEST_F(MainWindow, EachBrowseButtonAsksItsDialog) {
    struct Case {
        int button;
        const char* answer;
        const char* asked;
        Ctl box;
        const char* shown;
    };
    const Case cases[] = {
        {IDC_cmdBrowseSrc, "C:\\v\\clip.avs", "open|Choose Source File|Avisynth File (*.avs)|*.avs|Video File (*.avi)|*.avi|C:\\Marobex",
         Ctl::txtSource, "C:\\v\\clip.avs"},
        {IDC_cmdBrowseTgt, "E:\\out\\final", "save|Choose Destination File|Video File (*.avi)|*.avi|C:\\Marobex",
         Ctl::txtTarget, "E:\\out\\final"},
        {IDC_CmdBrowseTempRep, "F:\\", "folder|Choose a Tempory Directory|c:\\", Ctl::TxtTempRep, "F:"},
        {IDC_CmdBrowseStream1, "C:\\a\\one.mpa",
         "open|Choose Audio Source File|AC3 Audio Stream (*.ac3)|*.ac3|MPEG-2 Audio Stream (*.mpa)|*.mpa|C:\\Marobex",
         Ctl::TxtStream1, "C:\\a\\one.mpa"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        w.dialogs.asked.clear();
        w.dialogs.answers = {c.answer};
        w.Click(w.Item(c.button));
        ASSERT_EQ(w.dialogs.asked.size(), 1u);
        EXPECT_EQ(w.dialogs.asked[0], c.asked);
        EXPECT_EQ(WindowTextOf(w.Of(c.box)), c.shown);
        ExpectWindowMatchesModel(w);
    }
    // The stream-1 file makes muxing possible and turns it on.
    EXPECT_EQ(SendMessageA(w.Of(Ctl::ChkMux), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::ChkMux)));
}

TEST_F(MainWindow, UserEditsReachTheModelAndRulesReachTheControls) {
    w.SelectTab(IDC_SSTabMain, 1);
    w.Click(Ctl::OptCodec, 3);
    w.Click(Ctl::ChkError);
    EXPECT_TRUE(IsWindowEnabled(w.Of(Ctl::TxtAntiShit)));
    w.Type(Ctl::TxtAntiShit, "7");
    EXPECT_EQ(w.model.Text(Ctl::TxtAntiShit), "7");
    // Clearing the check box writes the neutral value back into the box.
    w.Click(Ctl::ChkError);
    EXPECT_EQ(WindowTextOf(w.Of(Ctl::TxtAntiShit)), "0");
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::TxtAntiShit)));

    w.Click(Ctl::OptCodec, 0);
    w.Slide(Ctl::SldPE, 3);
    EXPECT_EQ(w.model.Value(Ctl::SldPE), 3);
    EXPECT_EQ(WindowTextOf(w.Item(IDC_LbPE)), "Strong");
    w.ChooseEntry(Ctl::CmbNumPass, 1);
    EXPECT_EQ(w.model.Value(Ctl::CmbNumPass), 1);
    ExpectWindowMatchesModel(w);
}

// Counts the rules that run, so that a control updated by the window is
// seen not to come back as a user action.
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
        m.SetCheck(Ctl::ChkStream2, 0);  // a list, an option group, check boxes, a slider, a text
        m.SelectOption(Ctl::OptCodec, 3);
        m.SetCheck(Ctl::ChkError, 1);
        m.SetText(Ctl::TxtAntiShit, "5");
        m.SetCheck(Ctl::ChkError, 0);
        m.SetSlider(Ctl::SldSwitchFM, 120);
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
    EXPECT_EQ(w.model.Text(Ctl::TxtAntiShit), "0");
    ExpectWindowMatchesModel(w);
}

TEST_F(MainWindow, TabsFollowTheStripAndCtrlTab) {
    w.SelectTab(IDC_SSTabMain, 2);
    EXPECT_EQ(w.model.SelectedTab(TabStrip::SSTabMain), 2);
    EXPECT_TRUE(Shown(w.Of(Ctl::TxtStream1)));
    EXPECT_FALSE(Shown(w.Of(Ctl::txtSource)));

    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab{w.Of(Ctl::TxtStream1), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(w.window->PreTranslateMessage(tab));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(w.model.SelectedTab(TabStrip::SSTabMain), 3);
    EXPECT_TRUE(Shown(w.Of(Ctl::txtTarget)));
    ExpectWindowMatchesModel(w);
}

TEST(MainWindowKeys, AcceleratorsOfTheCaptionsPressTheirButtons) {
    WindowUnderTest w(true);
    // Alt+X: "E&xit".
    MSG alt{w.Of(Ctl::txtSource), WM_SYSCHAR, 'x', 0x20000000, 0, {}};
    EXPECT_TRUE(w.window->PreTranslateMessage(alt));
    Pump();
    EXPECT_EQ(w.handler.destroyed, 1);
    EXPECT_FALSE(IsWindow(w.window->Handle()));
}

}  // namespace
}  // namespace mb::test
