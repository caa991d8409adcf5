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

bool StyleVisible(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }
bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

void ExpectWindowMatchesModel(const ShownWindow& w) {
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
                    EXPECT_EQ(StyleVisible(button), inSight && model.ButtonVisible(c, b));
                }
                continue;
        }
        EXPECT_EQ(IsWindowEnabled(w.Of(c)) != FALSE, model.Enabled(c));
        EXPECT_EQ(StyleVisible(w.Of(c)), inSight);
        // A label or unit goes with its control.
        for (int id : {CaptionIdOf(c), UnitIdOf(c)})
            if (HWND label = w.Item(id)) EXPECT_EQ(StyleVisible(label), inSight);
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
    ShownWindow w;
    void SetUp() override { ASSERT_NE(w.Handle(), nullptr); }
};

TEST_F(MainWindow, OpensWithTheModelsStartValues) {
    EXPECT_EQ(WindowTextOf(w.Handle()), "Marobex");
    RECT client{};
    GetClientRect(w.Handle(), &client);
    const int dpi = w.window->Dpi();
    EXPECT_EQ(client.right, MulDiv(10170, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(8265, dpi, 1440));
    EXPECT_TRUE(Checked(w.Of(Ctl::OptCodec, 0)));
    EXPECT_EQ(WindowTextOf(w.Item(IDC_LbPE)), "Light");
    EXPECT_FALSE(IsWindowEnabled(w.Of(Ctl::txtTarget)));
    ExpectWindowMatchesModel(w);
}

}  // namespace
}  // namespace mb::test
