#include "app/main_window_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "app/resource.h"
#include "app/dialogs_win32.h"
#include "app/screen_win32.h"
#include "env/window_text_win32.h"
#include "model/text.h"

namespace mb {

namespace {

constexpr char kWindowClass[] = "MarobexMainWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The dialog font of the system (Tahoma on every Windows since 2000), 8 pt.
constexpr char kFontFace[] = "MS Shell Dlg 2";
constexpr int kFontSize = 800;  // hundredths of a point
// How far a drop-down list opens below its box.
constexpr int kComboDropHeight = 200;

TabStrip StripOfPanel(int panel) {
    return panel == static_cast<int>(Panel::SSTabDivx3Panel) ? TabStrip::SSTabDivx3Panel
                                                             : TabStrip::SSTabXividPanel;
}

int StripId(TabStrip t) {
    switch (t) {
        case TabStrip::SSTabMain: return IDC_SSTabMain;
        case TabStrip::SSTabDivx3Panel: return IDC_SSTabDivx3Panel;
        default: return IDC_SSTabXividPanel;
    }
}

int LabelId(Label l) {
    switch (l) {
        case Label::LbPE: return IDC_LbPE;
        case Label::lbPreProc: return IDC_lbPreProc;
        case Label::LbFM: return IDC_LbFM;
        case Label::LbLM: return IDC_LbLM;
        case Label::LbAmpliStream1: return IDC_LbAmpliStream1;
        default: return IDC_LbAmpliStream2;
    }
}

int CommandId(Command b) { return b == Command::cmdBrowseTgt ? IDC_cmdBrowseTgt : IDC_CmdBrowseStream2; }

bool IsPathBox(Ctl c) {
    return c != Ctl::Count && Control(c).kind == ControlKind::Text && (Control(c).flags & MB_READONLY) != 0;
}

// The lines, and a horizontal scroll extent as wide as the longest of them,
// so that the end of a long line ("(Supported)") can be scrolled to.
void FillList(HWND list, const std::vector<std::string>& lines) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    HDC dc = GetDC(list);
    HGDIOBJ old = dc ? SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0))) : nullptr;
    int widest = 0;
    for (const std::string& line : lines) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        // The list's tab stops are the default ones, as measured here.
        if (dc) widest = std::max(widest, static_cast<int>(LOWORD(GetTabbedTextExtentA(
                                              dc, line.c_str(), static_cast<int>(line.size()), 0, nullptr))));
    }
    if (dc) {
        SelectObject(dc, old);
        ReleaseDC(list, dc);
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 2 * GetSystemMetrics(SM_CXEDGE) + 4), 0);
}

}  // namespace

std::string SystemBrowseDialogs::OpenFile(HWND owner, const std::string& filter, const std::string& title,
                                          const std::string& initialFolder) {
    return ShowOpenDialog(owner, filter, title, initialFolder);
}

std::string SystemBrowseDialogs::SaveFile(HWND owner, const std::string& filter, const std::string& title,
                                          const std::string& initialFolder) {
    return ShowSaveDialog(owner, filter, title, initialFolder);
}

std::string SystemBrowseDialogs::ChooseFolder(HWND owner, const std::string& title, const std::string& startFolder) {
    return BrowseForFolder(owner, title, startFolder);
}

class MainWindowW32::Mirroring {
public:
    explicit Mirroring(MainWindowW32& w) : w_(w) { ++w_.mirroring_; }
    ~Mirroring() { --w_.mirroring_; }
    Mirroring(const Mirroring&) = delete;
    Mirroring& operator=(const Mirroring&) = delete;

private:
    MainWindowW32& w_;
};

MainWindowW32::MainWindowW32(FormModel& model, const ProgramState& state, BrowseDialogs& dialogs,
                             MainWindowHandler& handler)
    : model_(model), state_(state), dialogs_(dialogs), handler_(handler) {}

MainWindowW32::~MainWindowW32() {
    model_.RemoveObserver(this);
    DestroyDetached();
    if (font_) DeleteObject(font_);
}

int MainWindowW32::Scale(int layoutPixels) const { return MulDiv(layoutPixels, dpi_, 96); }

bool MainWindowW32::Create(HINSTANCE instance, int dpi) {
    if (!CreateFrame(instance, dpi)) return false;
    CreateControls(Controls::All);
    return true;
}

bool MainWindowW32::CreateFrame(HINSTANCE instance, int dpi) {
    if (dpi <= 0) dpi = QueryScreenDpi().x;
    dpi_ = dpi > 0 ? dpi : 96;
    windowBrush_ = GetSysColorBrush(COLOR_WINDOW);
    light3dBrush_ = GetSysColorBrush(COLOR_3DLIGHT);

    if (window_) return false;
    if (!RegisterWindowClass(instance, kWindowClass, IDI_MAROBEX)) return false;

    font_ = CreatePointFont(kFontFace, kFontSize, dpi_);

    const ScreenDpi scale{dpi_, dpi_};
    RECT frame{0, 0, TwipsToPixelsX(kClientWidthTwips, scale), TwipsToPixelsY(kClientHeightTwips, scale)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);

    if (!CreateObjectWindow(WS_EX_CONTROLPARENT, kWindowClass, MainWindowTitle, kWindowStyle, x, y, width,
                            height, nullptr, instance))
        return false;
    model_.AddObserver(this);
    return true;
}

void MainWindowW32::CreateControls(Controls which) {
    if (!window_ || HasAllControls()) return;
    {
        Mirroring guard(*this);
        CreateItems(which);
    }
    SyncAll();
}

bool MainWindowW32::HasAllControls() const { return window_ && items_.size() == MainLayout().size(); }

// The window's controls by id, from the table made as they were created
// (the system's lookup walks every child each time).
HWND MainWindowW32::Item(int id) const {
    const auto known = items_.find(id);
    return known != items_.end() ? known->second : nullptr;
}

HWND MainWindowW32::ControlWindow(Ctl c, int button) const { return Item(IdOf(c, button)); }

// ---- Creation -----------------------------------------------------------------

// Controls are stacked in layout order (that is the tab order too), so one
// made later goes beneath the one before it in the layout.
void MainWindowW32::CreateItems(Controls which) {
    const int page = model_.SelectedTab(TabStrip::SSTabMain);
    HWND above = nullptr;
    const bool between = !items_.empty();  // made now, they go between those made before
    std::vector<const LayoutItem*> made;
    for (const LayoutItem& item : MainLayout()) {
        if (HWND existing = Item(item.id)) {
            above = existing;
            continue;
        }
        if (which == Controls::SelectedPage && item.place.tab >= 0 && item.place.tab != page) continue;
        HWND control = CreateItem(item);
        if (!control) continue;
        items_[item.id] = control;
        if (font_) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (between)
            SetWindowPos(control, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = control;
        made.push_back(&item);
        switch (item.kind) {
            case ItemKind::Combo:
                for (const std::string& entry : SplitAt(item.text, '|'))
                    SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
                break;
            case ItemKind::ListBox:
                FillList(control, item.id == IDC_LstCodecFound ? codecLines_ : externalAppLines_);
                break;
            case ItemKind::Slider: {
                const ControlInfo& info = Control(item.control);
                SendMessageA(control, TBM_SETRANGE, FALSE, MAKELPARAM(info.lo, info.hi));
                // A wide range gets a tick every tenth of it.
                if (info.hi - info.lo > 10) {
                    SendMessageA(control, TBM_SETTICFREQ, static_cast<WPARAM>((info.hi - info.lo) / 10), 0);
                    SendMessageA(control, TBM_SETPAGESIZE, 0, (info.hi - info.lo) / 10);
                }
                break;
            }
            case ItemKind::Tab: {
                int index = 0;
                for (const std::string& caption : SplitAt(item.text, '|')) {
                    TCITEMA tab{};
                    tab.mask = TCIF_TEXT;
                    tab.pszText = const_cast<char*>(caption.c_str());
                    SendMessageA(control, TCM_INSERTITEMA, static_cast<WPARAM>(index++),
                                 reinterpret_cast<LPARAM>(&tab));
                }
                break;
            }
            default: break;
        }
    }
    // The page backgrounds lie over their strip's display area; each strip
    // follows its pages in the layout.
    const std::vector<LayoutItem>& layout = MainLayout();
    for (const LayoutItem* body : made) {
        if (body->kind != ItemKind::PageBody) continue;
        auto strip = layout.begin() + (body - layout.data());
        while (strip != layout.end() && strip->kind != ItemKind::Tab) ++strip;
        if (strip == layout.end()) continue;
        RECT area{};
        GetWindowRect(Item(strip->id), &area);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
        SendMessageA(Item(strip->id), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        SetWindowPos(Item(body->id), nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND MainWindowW32::CreateItem(const LayoutItem& item) {
    const char* cls = WC_STATICA;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (ShouldShow(item) ? WS_VISIBLE : 0);
    DWORD exStyle = 0;
    int height = Scale(item.rect.y + item.rect.h) - Scale(item.rect.y);
    // Every control starts a group of its own but the second and later
    // option buttons, so that the arrows move within an option group.
    if (item.kind != ItemKind::Radio || item.button == 0) style |= WS_GROUP;
    switch (item.kind) {
        case ItemKind::Label:
        case ItemKind::Unit:
        case ItemKind::ValueLabel: style |= SS_LEFT | SS_NOPREFIX; break;
        case ItemKind::PageBody: break;
        case ItemKind::Edit:
            cls = WC_EDITA;
            exStyle = WS_EX_CLIENTEDGE;
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            if (IsPathBox(item.control)) style |= ES_READONLY;
            break;
        case ItemKind::Check:
            cls = WC_BUTTONA;
            style |= WS_TABSTOP | BS_CHECKBOX;
            break;
        case ItemKind::Radio:
            cls = WC_BUTTONA;
            style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
            break;
        case ItemKind::Combo:
            cls = WC_COMBOBOXA;
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            height = Scale(item.rect.y + item.rect.h + kComboDropHeight) - Scale(item.rect.y);
            break;
        case ItemKind::Slider:
            cls = TRACKBAR_CLASSA;
            style |= WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS;
            break;
        case ItemKind::Button:
            cls = WC_BUTTONA;
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ItemKind::ListBox:
            cls = WC_LISTBOXA;
            exStyle = WS_EX_CLIENTEDGE;
            style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS;
            break;
        case ItemKind::Frame:
            cls = WC_BUTTONA;
            style |= BS_GROUPBOX;
            break;
        case ItemKind::Tab:
            cls = WC_TABCONTROLA;
            style |= WS_TABSTOP;
            break;
    }
    const char* text = item.kind == ItemKind::Tab || item.kind == ItemKind::Combo ? "" : item.text.c_str();
    const int x = Scale(item.rect.x);
    const int y = Scale(item.rect.y);
    const int width = Scale(item.rect.x + item.rect.w) - x;
    return CreateWindowExA(exStyle, cls, text, style, x, y, width, height, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE)),
                           nullptr);
}

// ---- Mirroring the model ------------------------------------------------------------

void MainWindowW32::SyncAll() {
    for (int i = 0; i < kControlCount; ++i) {
        MirrorValue(static_cast<Ctl>(i));
        MirrorEnabled(static_cast<Ctl>(i));
        if (HWND control = ControlWindow(static_cast<Ctl>(i))) InvalidateRect(control, nullptr, TRUE);
    }
    for (int l = 0; l < kLabelCount; ++l) MirrorLabel(static_cast<Label>(l));
    MirrorCommands();
    MirrorTabs();
    UpdateFactLabels(Ctl::txtSource);
    ApplyVisibility();
}

void MainWindowW32::MirrorValue(Ctl c) {
    Mirroring guard(*this);
    HWND control = ControlWindow(c);
    if (!control) return;  // not made yet: made showing the model
    switch (Control(c).kind) {
        case ControlKind::Text:
            if (WindowText(control) != model_.Text(c)) SetWindowTextA(control, model_.Text(c).c_str());
            break;
        case ControlKind::Check:
            SendMessageA(control, BM_SETCHECK, model_.Value(c) ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::Option:
            for (int button = 0; button < FormModel::ButtonCount(c); ++button)
                SendMessageA(ControlWindow(c, button), BM_SETCHECK,
                             model_.Value(c) == button ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::List: SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(model_.Value(c)), 0); break;
        case ControlKind::Slider: SendMessageA(control, TBM_SETPOS, TRUE, model_.Value(c)); break;
    }
}

namespace {
// A control not made yet is made in the model's state.
void Enable(HWND control, bool enabled) {
    if (control) EnableWindow(control, enabled);
}
}  // namespace

void MainWindowW32::MirrorEnabled(Ctl c) {
    Mirroring guard(*this);
    if (Control(c).kind == ControlKind::Option) {
        for (int button = 0; button < FormModel::ButtonCount(c); ++button)
            Enable(ControlWindow(c, button), model_.Enabled(c) && model_.ButtonEnabled(c, button));
        return;
    }
    Enable(ControlWindow(c), model_.Enabled(c));
}

void MainWindowW32::MirrorLabel(Label l) {
    Mirroring guard(*this);
    if (HWND label = Item(LabelId(l))) SetWindowTextA(label, model_.LabelText(l).c_str());
}

void MainWindowW32::MirrorCommands() {
    Mirroring guard(*this);
    for (int b = 0; b < kCommandCount; ++b)
        Enable(Item(CommandId(static_cast<Command>(b))), model_.CommandEnabled(static_cast<Command>(b)));
}

void MainWindowW32::MirrorTabs() {
    Mirroring guard(*this);
    for (int t = 0; t < kTabStripCount; ++t) {
        const TabStrip strip = static_cast<TabStrip>(t);
        SendMessageA(Item(StripId(strip)), TCM_SETCURSEL, static_cast<WPARAM>(model_.SelectedTab(strip)), 0);
    }
}

bool MainWindowW32::ShouldShow(const LayoutItem& item) const {
    const ItemPlace& place = item.place;
    if (place.tab >= 0 && place.tab != model_.SelectedTab(TabStrip::SSTabMain)) return false;
    if (place.panel >= 0 && !model_.PanelVisible(static_cast<Panel>(place.panel))) return false;
    if (place.inner >= 0 && place.inner != model_.SelectedTab(StripOfPanel(place.panel))) return false;
    if (item.control != Ctl::Count) {
        if (!model_.Visible(item.control)) return false;
        if (item.kind == ItemKind::Radio && !model_.ButtonVisible(item.control, item.button)) return false;
    }
    return true;
}

void MainWindowW32::ApplyVisibility() {
    Mirroring guard(*this);
    const bool shown = IsWindowVisible(window_) != FALSE;
    if (shown) SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    for (const LayoutItem& item : MainLayout()) {
        HWND control = Item(item.id);
        if (!control) continue;
        const bool visible = ShouldShow(item);
        if (((GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0) != visible)
            ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
    }
    // Keyboard focus never stays on a control that went out of sight.
    HWND focus = GetFocus();
    if (focus && IsChild(window_, focus) && !IsWindowVisible(focus)) SetFocus(Item(IDC_SSTabMain));
    if (shown) {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void MainWindowW32::OnValueChanged(Ctl c) {
    MirrorValue(c);
    UpdateFactLabels(c);
}
void MainWindowW32::OnEnabledChanged(Ctl c) { MirrorEnabled(c); }
void MainWindowW32::OnButtonChanged(Ctl group, int) { MirrorEnabled(group); }
void MainWindowW32::OnBackColourChanged(Ctl c) {
    if (HWND control = ControlWindow(c)) InvalidateRect(control, nullptr, TRUE);
}
void MainWindowW32::OnLabelChanged(Label l) { MirrorLabel(l); }
void MainWindowW32::OnPanelChanged(Panel) { ApplyVisibility(); }
void MainWindowW32::OnTabChanged(TabStrip) {
    // A tab chosen before its controls are made gets them now.
    if (!items_.empty() && !HasAllControls()) return CreateControls(Controls::SelectedPage);
    MirrorTabs();
    ApplyVisibility();
}
void MainWindowW32::OnCommandChanged(Command) { MirrorCommands(); }

// ---- Lists ------------------------------------------------------------------------

// Kept for a list not made yet, which is filled as it is made.
void MainWindowW32::SetCodecList(const std::vector<std::string>& lines) {
    codecLines_ = lines;
    if (HWND list = Item(IDC_LstCodecFound)) FillList(list, lines);
}

void MainWindowW32::SetExternalAppList(const std::vector<std::string>& lines) {
    externalAppLines_ = lines;
    if (HWND list = Item(IDC_LstExternalApp)) FillList(list, lines);
}

// ---- User actions -------------------------------------------------------------------

void MainWindowW32::BrowseSource() {
    model_.BrowseSource(dialogs_.OpenFile(window_, SourceFilter, SourceTitle, state_.ProgramFolder));
}

void MainWindowW32::BrowseTarget() {
    model_.BrowseTarget(dialogs_.SaveFile(window_, TargetFilter, TargetTitle, state_.ProgramFolder));
}

void MainWindowW32::BrowseTempFolder() {
    model_.BrowseTempFolder(dialogs_.ChooseFolder(window_, TempFolderTitle, TempFolderStart));
}

void MainWindowW32::BrowseStream1() {
    model_.BrowseStream1(dialogs_.OpenFile(window_, AudioFilter, AudioTitle, state_.ProgramFolder));
}

void MainWindowW32::BrowseStream2() {
    model_.BrowseStream2(dialogs_.OpenFile(window_, AudioFilter, AudioTitle, state_.ProgramFolder));
}

void MainWindowW32::OnCommand(int id, int code, HWND control) {
    int slot = 0;
    const Ctl c = ControlOfId(id, &slot);
    if (c != Ctl::Count && control) {
        // Only the notices of a change by the user; the others (focus,
        // EN_UPDATE before the text is final, ...) are no action.
        bool acted = false;
        switch (Control(c).kind) {
            case ControlKind::Text:
                if ((acted = code == EN_CHANGE && slot == 0)) model_.SetText(c, WindowText(control));
                break;
            case ControlKind::Check:
                if ((acted = code == BN_CLICKED && slot == 0)) model_.SetCheck(c, model_.Value(c) ? 0 : 1);
                break;
            case ControlKind::Option:
                if ((acted = code == BN_CLICKED && slot < FormModel::ButtonCount(c))) model_.SelectOption(c, slot);
                break;
            case ControlKind::List:
                if ((acted = code == CBN_SELCHANGE && slot == 0))
                    model_.SelectListEntry(c, static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0)));
                break;
            case ControlKind::Slider: break;
        }
        // The control shows the model again, whatever the model made of it.
        if (acted) MirrorValue(c);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_cmdBrowseSrc: BrowseSource(); break;
        case IDC_cmdBrowseTgt: BrowseTarget(); break;
        case IDC_CmdBrowseTempRep: BrowseTempFolder(); break;
        case IDC_CmdBrowseStream1: BrowseStream1(); break;
        case IDC_CmdBrowseStream2: BrowseStream2(); break;
        case IDC_CmdCheckCodec: handler_.CheckInstalledCodecs(); break;
        case IDC_CmdChangePath: handler_.ChangeApplicationPath(); break;
        case IDC_cmdStartEncode: handler_.StartEncode(); break;
        case IDC_cmdExit: SendMessageA(window_, WM_CLOSE, 0, 0); break;
        default: break;
    }
}

void MainWindowW32::OnSlider(HWND control) {
    const Ctl c = ControlOfId(GetDlgCtrlID(control));
    if (c == Ctl::Count || Control(c).kind != ControlKind::Slider) return;
    model_.SetSlider(c, static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0)));
    MirrorValue(c);
}

void MainWindowW32::OnTabSelected(HWND tab) {
    const int selected = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
    switch (GetDlgCtrlID(tab)) {
        case IDC_SSTabMain: model_.SelectTab(TabStrip::SSTabMain, selected); break;
        case IDC_SSTabDivx3Panel: model_.SelectTab(TabStrip::SSTabDivx3Panel, selected); break;
        case IDC_SSTabXividPanel: model_.SelectTab(TabStrip::SSTabXividPanel, selected); break;
        default: return;
    }
    MirrorTabs();
}

HBRUSH MainWindowW32::OnControlColour(HDC dc, HWND control) {
    int slot = 0;
    const Ctl c = ControlOfId(GetDlgCtrlID(control), &slot);
    if (slot != 0 || !IsPathBox(c)) return nullptr;
    const bool light = model_.BackColourOf(c) == BackColour::Light3D;
    SetBkColor(dc, GetSysColor(light ? COLOR_3DLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return light ? light3dBrush_ : windowBrush_;
}

bool MainWindowW32::PreTranslateMessage(MSG& message) {
    if (!window_ || !IsWindow(window_)) return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        // Every tab of the strip, the program's own pages included.
        const int count = std::max(1, static_cast<int>(SendMessageA(Item(IDC_SSTabMain), TCM_GETITEMCOUNT, 0, 0)));
        const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
        model_.SelectTab(TabStrip::SSTabMain, (model_.SelectedTab(TabStrip::SSTabMain) + step) % count);
        return true;
    }
    return IsDialogMessageA(window_, &message) != FALSE;
}

// ---- The window procedure ---------------------------------------------------------------

LRESULT MainWindowW32::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (mirroring_ == 0)
                OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_HSCROLL:
            if (mirroring_ == 0 && lParam) OnSlider(reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (mirroring_ == 0 && header->code == TCN_SELCHANGE) OnTabSelected(header->hwndFrom);
            return 0;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_ACTIVATE:
            // Keyboard focus goes back where it was when the window was left.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(window_, focus)) lastFocus_ = focus;
            } else {
                HWND target = lastFocus_ && IsWindowVisible(lastFocus_) ? lastFocus_ : Item(IDC_SSTabMain);
                SetFocus(target);
                return 0;
            }
            break;
        case WM_CLOSE:
            handler_.MainWindowClosing();
            if (window_) DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            model_.RemoveObserver(this);
            handler_.MainWindowDestroyed();
            return 0;
        default: break;
    }
    if (handler_.HandleMessage(message, wParam, lParam)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void MainWindowW32::OnWindowGone() {
    lastFocus_ = nullptr;
    items_.clear();
}

}  // namespace mb
