#include "app/queue_page_win32.h"

#include <commctrl.h>

namespace mb {

namespace {

constexpr char kClass[] = "MarobexQueuePage";

struct Column {
    const char* title;
    int width;  // layout pixels
};
constexpr Column kColumns[] = {{"Source", 190}, {"Target", 170}, {"Codec", 64}, {"Passes", 56}, {"State", 142}};

}  // namespace

QueuePageW32::QueuePageW32(FormModel& model, QueuePageHandler& handler) : model_(model), handler_(handler) {}

QueuePageW32::~QueuePageW32() {
    model_.RemoveObserver(this);
    DestroyDetached();
}

bool QueuePageW32::Create(HWND main, HWND tabStrip, HINSTANCE instance, HFONT font, int dpi) {
    if (window_ || !main || !tabStrip) return false;
    dpi_ = dpi > 0 ? dpi : 96;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    if (!RegisterWindowClass(instance, kClass)) return false;

    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>(QueueTabCaption);
    SendMessageA(tabStrip, TCM_INSERTITEMA, QueueTabIndex, reinterpret_cast<LPARAM>(&tab));

    // The strip's display area, in the main window's client coordinates.
    RECT area;
    GetWindowRect(tabStrip, &area);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&area), 2);
    SendMessageA(tabStrip, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!CreateObjectWindow(WS_EX_CONTROLPARENT, kClass, "", WS_CHILD | WS_CLIPSIBLINGS, area.left, area.top, width,
                            height, main, instance))
        return false;
    // Above the tab strip and every page of the other tabs.
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const int margin = Scale(8), row = Scale(26), buttonW = Scale(104), gap = Scale(8);
    const auto child = [&](const char* cls, const char* text, DWORD style, DWORD exStyle, int id, int x, int y, int w,
                           int h) {
        HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (c && font) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    int x = margin;
    child(WC_BUTTONA, "Open Job...", button | WS_GROUP, 0, IDC_QueueOpenJob, x, margin, buttonW, row);
    x += buttonW + gap;
    child(WC_BUTTONA, "Save Job...", button, 0, IDC_QueueSaveJob, x, margin, buttonW, row);
    x += buttonW + gap;
    child(WC_BUTTONA, "Add to Queue", button, 0, IDC_QueueAdd, x, margin, buttonW, row);

    const int listTop = margin + row + Scale(28);
    child(WC_STATICA, "Queue of jobs, run one after another :", SS_LEFT | SS_NOPREFIX, 0, IDC_QueueLabel, margin,
          listTop - Scale(18), width - 2 * margin, Scale(14));
    const int bottom = height - margin - row;
    // The chosen job's state in full, on two lines above the buttons.
    const int stateHeight = Scale(28);
    const int stateTop = bottom - gap - stateHeight;
    HWND list = child(WC_LISTVIEWA, "", WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                            LVS_NOSORTHEADER,
                      WS_EX_CLIENTEDGE, IDC_QueueList, margin, listTop, width - 2 * margin, stateTop - gap - listTop);
    child(WC_STATICA, "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, IDC_QueueState, margin, stateTop,
          width - 2 * margin, stateHeight);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    int column = 0;
    for (const Column& c : kColumns) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = Scale(c.width);
        col.pszText = const_cast<char*>(c.title);
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column++), reinterpret_cast<LPARAM>(&col));
    }

    x = margin;
    const int smallW = Scale(88);
    child(WC_BUTTONA, "Remove", button | WS_GROUP, 0, IDC_QueueRemove, x, bottom, smallW, row);
    x += smallW + gap;
    child(WC_BUTTONA, "Move Up", button, 0, IDC_QueueUp, x, bottom, smallW, row);
    x += smallW + gap;
    child(WC_BUTTONA, "Move Down", button, 0, IDC_QueueDown, x, bottom, smallW, row);
    x += smallW + gap;
    const int startW = Scale(112);
    child(WC_STATICA, "\"Shutdown when done\" (Output tab) applies after the last job.", SS_LEFT | SS_NOPREFIX, 0,
          IDC_QueueNote, x + gap, bottom + Scale(2), width - margin - startW - gap - (x + gap), row - Scale(2));
    child(WC_BUTTONA, "Start Queue", button, 0, IDC_QueueStart, width - margin - startW, bottom, startW, row);

    model_.AddObserver(this);
    OnTabChanged(TabStrip::SSTabMain);
    UpdateButtons();
    return true;
}

void QueuePageW32::SetRows(const std::vector<QueueRow>& rows, int selected) {
    HWND list = Item(IDC_QueueList);
    if (!list) return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string* cells[] = {&rows[i].source, &rows[i].target, &rows[i].codec, &rows[i].passes,
                                      &rows[i].state};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(cells[0]->c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int sub = 1; sub < 5; ++sub) {
            item.iSubItem = sub;
            item.pszText = const_cast<char*>(cells[sub]->c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    rows_ = static_cast<int>(rows.size());
    states_.clear();
    for (const QueueRow& r : rows) states_.push_back(r.state);
    if (selected >= 0 && selected < rows_) {
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state));
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateButtons();
    ShowState();
}

void QueuePageW32::ShowState() {
    const int selected = Selected();
    std::string text;
    if (selected >= 0 && selected < static_cast<int>(states_.size()))
        text = "Job " + std::to_string(selected + 1) + " : " + states_[static_cast<std::size_t>(selected)] +
               "  (double-click: its log)";
    char shown[1024] = {};
    GetWindowTextA(Item(IDC_QueueState), shown, sizeof shown);
    if (text != shown) SetWindowTextA(Item(IDC_QueueState), text.c_str());
}

int QueuePageW32::Selected() const {
    HWND list = Item(IDC_QueueList);
    return list ? static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void QueuePageW32::UpdateButtons() {
    const int selected = Selected();
    EnableWindow(Item(IDC_QueueRemove), selected >= 0);
    EnableWindow(Item(IDC_QueueUp), selected > 0);
    EnableWindow(Item(IDC_QueueDown), selected >= 0 && selected + 1 < rows_);
    EnableWindow(Item(IDC_QueueStart), rows_ > 0);
}

void QueuePageW32::OnTabChanged(TabStrip t) {
    if (t != TabStrip::SSTabMain || !window_) return;
    const bool shown = model_.SelectedTab(TabStrip::SSTabMain) == QueueTabIndex;
    ShowWindow(window_, shown ? SW_SHOWNA : SW_HIDE);
    if (shown) SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT QueuePageW32::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                const int selected = Selected();
                switch (LOWORD(wParam)) {
                    case IDC_QueueOpenJob: handler_.OpenJob(); break;
                    case IDC_QueueSaveJob: handler_.SaveJob(); break;
                    case IDC_QueueAdd: handler_.AddToQueue(); break;
                    case IDC_QueueRemove:
                        if (selected >= 0) handler_.RemoveQueuedJob(selected);
                        break;
                    case IDC_QueueUp:
                        if (selected > 0) handler_.MoveQueuedJob(selected, -1);
                        break;
                    case IDC_QueueDown:
                        if (selected >= 0) handler_.MoveQueuedJob(selected, 1);
                        break;
                    case IDC_QueueStart: handler_.StartQueue(); break;
                    default: break;
                }
            }
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_QueueList && header->code == LVN_ITEMCHANGED) {
                UpdateButtons();
                ShowState();
            }
            if (header->idFrom == IDC_QueueList && header->code == NM_DBLCLK && Selected() >= 0)
                handler_.ShowQueuedJobLog(Selected());
            return 0;
        }
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mb
