// The main window's layout on the screen: on every tab, codec panel and
// inner tab, at the usual DPI and at 150 %, no two controls overlap, no
// control crosses the border of a frame or leaves its page, and no text is
// cut off. The tests leave a screenshot of each page for a person to look at.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>

#include "app/main_layout_win32.h"
#include "main_test_support.h"

namespace mb::test {
namespace {

// One view of the window: the tab, and on the Video tab the codec and the
// tab of its own strip.
struct Page {
    const char* name;
    int tab;
    int codec = -1;
    int inner = -1;
};
const Page kPages[] = {
    {"input", 0},
    {"video_divx5", 1, 0},
    {"video_divx4", 1, 1},
    {"video_xvid_global", 1, 2, 0},
    {"video_xvid_advanced", 1, 2, 1},
    {"video_divx3_global", 1, 3, 0},
    {"video_divx3_advanced", 1, 3, 1},
    {"audio", 2},
    {"output", 3},
};

void Show(WindowUnderTest& w, const Page& page) {
    w.SelectTab(IDC_SSTabMain, page.tab);
    if (page.codec < 0) return;
    w.Click(Ctl::OptCodec, page.codec);
    if (page.inner < 0) return;
    w.SelectTab(page.codec == 2 ? IDC_SSTabXividPanel : IDC_SSTabDivx3Panel, page.inner);
    EXPECT_EQ(w.model.SelectedTab(page.codec == 2 ? TabStrip::SSTabXividPanel : TabStrip::SSTabDivx3Panel), page.inner);
}

RECT RectOf(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Intersect(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}
std::string Describe(const LayoutItem& item) {
    return std::to_string(item.id) + " \"" + item.text + "\"";
}

// Fails when the text does not fit the room the control leaves it.
void ExpectFits(HWND control, const LayoutItem& item, const std::string& text, int extra) {
    EXPECT_EQ(TextFault(control, extra, text), "") << Describe(item) << " is cut off";
}

// The window of each frame a control can name as its own.
const std::map<std::string, int>& FrameIds() {
#define F(name) {#name, IDC_##name}
    static const std::map<std::string, int> ids = {
        F(Frame42), F(Frame17), F(Frame22), F(Frame1), F(Frame8), F(FrmPassMode), F(FrmDivx5),
        F(Frame2), F(Frame4), F(Frame5), F(Frame3), F(Frame16), F(FrmDivx4), F(Frame7),
        F(Frame6), F(Frame9), F(Frame18), F(FrmXvid), F(Frame12), F(Frame10), F(Frame13),
        F(Frame14), F(FrmXvid2), F(Frame11), F(Frame15), F(Frame19), F(FrmDivx3), F(Frame30),
        F(Frame31), F(Frame35), F(Frame36), F(Frame37), F(Frame29), F(FrmDivx32), F(Frame32),
        F(Frame34), F(Frame33), F(Frame38), F(Frame20), F(Frame21), F(FrmOutput),
    };
#undef F
    return ids;
}

bool IsLeaf(const LayoutItem& item) {
    return item.kind != ItemKind::Frame && item.kind != ItemKind::Tab && item.kind != ItemKind::PageBody;
}

// The layout checks of the page now shown.
void ExpectCleanLayout(const WindowUnderTest& w, const std::string& page) {
    SCOPED_TRACE(page);
    HWND window = w.Handle();
    RECT client{};
    GetClientRect(window, &client);
    const int dpi = w.window->Dpi();
    const int checkGlyph = MulDiv(13 + 6, dpi, 96);  // the box and the gap before the caption
    std::vector<std::pair<const LayoutItem*, RECT>> shown;
    for (const LayoutItem& item : MainLayout()) {
        HWND control = w.Item(item.id);
        if (!Shown(control)) continue;
        const RECT r = RectOf(window, control);
        shown.emplace_back(&item, r);
        EXPECT_TRUE(Inside(r, client)) << Describe(item) << " leaves the window";
        const std::string text = WindowTextOf(control);
        switch (item.kind) {
            case ItemKind::Label:
            case ItemKind::Unit:
            case ItemKind::ValueLabel: ExpectFits(control, item, text, 0); break;
            case ItemKind::Check:
            case ItemKind::Radio: ExpectFits(control, item, text, checkGlyph); break;
            case ItemKind::Button: ExpectFits(control, item, text, MulDiv(12, dpi, 96)); break;
            case ItemKind::Frame: ExpectFits(control, item, text, MulDiv(20, dpi, 96)); break;
            case ItemKind::Combo: {
                const int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
                for (int i = 0; i < count; ++i) {
                    char entry[128] = "";
                    SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
                    ExpectFits(control, item, entry, GetSystemMetrics(SM_CXVSCROLL) + MulDiv(8, dpi, 96));
                }
                break;
            }
            default: break;
        }
    }
    // A control, its label and its unit lie in the frame the control list
    // puts it in (a frame's title check box on its top border).
    for (const auto& [item, r] : shown) {
        if (item->control == Ctl::Count) continue;
        const auto frame = FrameIds().find(Control(item->control).frame);
        if (frame == FrameIds().end()) {
            ADD_FAILURE() << Describe(*item) << " names an unknown frame";
            continue;
        }
        RECT rf = RectOf(window, w.Item(frame->second));
        if (item->kind == ItemKind::Check) rf.top -= r.bottom - r.top;
        EXPECT_TRUE(Inside(r, rf)) << Describe(*item) << " lies outside its frame " << frame->first;
    }
    // The page backgrounds of the tab strips, where everything on a page stays.
    for (const auto& [item, r] : shown) {
        if (item->kind != ItemKind::PageBody) continue;
        for (const auto& [other, o] : shown) {
            if (other->kind == ItemKind::Tab || other->kind == ItemKind::PageBody || other->place.tab < 0) continue;
            if (item->place.panel >= 0 && other->place.panel != item->place.panel) continue;
            EXPECT_TRUE(Inside(o, r)) << Describe(*other) << " leaves the page " << Describe(*item);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto& [a, ra] = shown[i];
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const auto& [b, rb] = shown[j];
            if (!Intersect(ra, rb)) continue;
            if (IsLeaf(*a) && IsLeaf(*b)) {
                ADD_FAILURE() << Describe(*a) << " overlaps " << Describe(*b);
                continue;
            }
            // A control in a frame, or a frame in a frame, lies wholly inside
            // it; only the check box that is a frame's title sits on its top
            // border.
            if (a->kind == ItemKind::Frame || b->kind == ItemKind::Frame) {
                const auto& [frame, rf] = a->kind == ItemKind::Frame ? shown[i] : shown[j];
                const auto& [inner, ri] = a->kind == ItemKind::Frame ? shown[j] : shown[i];
                if (inner->kind == ItemKind::Tab || inner->kind == ItemKind::PageBody) continue;
                if (Inside(ri, rf) || Inside(rf, ri)) continue;
                const bool title = inner->kind == ItemKind::Check && frame->text.empty() && ri.top < rf.top &&
                                   ri.bottom > rf.top && ri.left > rf.left && ri.right < rf.right;
                EXPECT_TRUE(title) << Describe(*inner) << " crosses the border of " << Describe(*frame);
            }
        }
    }
}

class MainWindowLayout : public ::testing::TestWithParam<int> {};

// Also leaves a screenshot of each page, main_<page>_<dpi>dpi.bmp, in the
// build's screenshots folder.
TEST_P(MainWindowLayout, NothingOverlapsOrIsCutOffOnAnyPage) {
    const int dpi = GetParam();
    WindowUnderTest w(true, dpi);
    ASSERT_NE(w.Handle(), nullptr);
    for (const Page& page : kPages) {
        Show(w, page);
        ExpectCleanLayout(w, page.name);
        ExpectWindowMatchesModel(w);
        EXPECT_TRUE(SaveWindowShot(w.Handle(), std::string("main_") + page.name + "_" + std::to_string(dpi) + "dpi"));
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, MainWindowLayout, ::testing::Values(96, 144));

}  // namespace
}  // namespace mb::test
