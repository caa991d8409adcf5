#include "app/log_process_win32.h"

#include <commctrl.h>

#include "app/dialogs_win32.h"
#include "app/screen_win32.h"

namespace mb {
namespace {

constexpr char kClassName[] = "MarobexLogProcess";

// The window's design, in twips: client area, margins and control heights.
constexpr int kClientWidth = 4470;
// The lists' design height, and the progress lines added below them.
constexpr int kListsHeight = 9390;
constexpr int kProgressTop = kListsHeight - 120 - 375;
constexpr int kProgressRow = 270;
constexpr int kBarHeight = 225;
constexpr int kProgressHeight = 3 * kProgressRow + kBarHeight + 120;
constexpr int kClientHeight = kListsHeight + kProgressHeight;
constexpr int kMargin = 120;
constexpr int kLabelHeight = 255;
constexpr int kQueueTop = 390;
constexpr int kQueueHeight = 1875;
constexpr int kLogLabelTop = 2385;
constexpr int kLogTop = 2655;
constexpr int kButtonHeight = 375;
constexpr int kButtonTop = kClientHeight - kMargin - kButtonHeight;
constexpr int kLogHeight = kProgressTop - kMargin - kLogTop;
constexpr int kCheckWidth = 1695;
constexpr int kCloseWidth = 1215;
constexpr int kSaveLogLeft = kMargin + kCheckWidth + 60;
// "Cancel" at the right of the run's and the queue's lines, which make room.
constexpr int kCancelWidth = 975;
constexpr int kCancelTop = kProgressTop + kProgressRow + kBarHeight + 60;
constexpr int kBesideCancelWidth = kClientWidth - 2 * kMargin - kCancelWidth - 60;
// Where the window goes when it is created, from the screen's corner.
constexpr int kPlacedLeft = 110;
constexpr int kPlacedTop = 100;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The log's font: Verdana 8.25 pt.
constexpr char kLogFontFace[] = "Verdana";
constexpr int kLogFontSize = 825;

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    if (!list) return lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
        lines.push_back(std::move(text));
    }
    return lines;
}

// How many whole lines the list shows at once (at least one).
int VisibleRows(HWND list) {
    RECT client = {};
    GetClientRect(list, &client);
    const LRESULT itemHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (itemHeight <= 0) return 1;
    const int rows = static_cast<int>((client.bottom - client.top) / itemHeight);
    return rows > 0 ? rows : 1;
}

}  // namespace

LogProcessWindow::~LogProcessWindow() { Destroy(); }

void LogProcessWindow::Show(HINSTANCE instance) {
    if (!window_) Load(instance);
    if (!window_) return;
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

void LogProcessWindow::Hide() {
    if (window_) ShowWindow(window_, SW_HIDE);
}

bool LogProcessWindow::Visible() const { return window_ && IsWindowVisible(window_); }

void LogProcessWindow::Destroy() {
    if (window_) DestroyWindow(window_);  // WM_NCDESTROY forgets the handle
    window_ = nullptr;
    if (logFont_) DeleteObject(logFont_);
    if (uiFont_) DeleteObject(uiFont_);
    logFont_ = nullptr;
    uiFont_ = nullptr;
}

void LogProcessWindow::ClearLog() {
    LoadIfNeeded();
    HWND list = GetDlgItem(window_, IDC_LstLogEncoding);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
}

void LogProcessWindow::AppendLog(const std::string& line) {
    LoadIfNeeded();
    AddLine(IDC_LstLogEncoding, line, true);
}

void LogProcessWindow::ClearQueue() {
    LoadIfNeeded();
    HWND list = GetDlgItem(window_, IDC_LstQueue);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 0, 0);
}

void LogProcessWindow::AddQueueEntry(const std::string& entry) {
    LoadIfNeeded();
    AddLine(IDC_LstQueue, entry, false);
}

void LogProcessWindow::RemoveFirstQueueEntry() {
    LoadIfNeeded();
    HWND list = GetDlgItem(window_, IDC_LstQueue);
    if (SendMessageA(list, LB_GETCOUNT, 0, 0) > 0) SendMessageA(list, LB_DELETESTRING, 0, 0);
}

std::vector<std::string> LogProcessWindow::LogLines() const {
    return ListLines(window_ ? GetDlgItem(window_, IDC_LstLogEncoding) : nullptr);
}

std::vector<std::string> LogProcessWindow::QueueLines() const {
    return ListLines(window_ ? GetDlgItem(window_, IDC_LstQueue) : nullptr);
}

void LogProcessWindow::SetProgress(const std::string& step, int runPercent, const std::string& run,
                                   const std::string& queue) {
    LoadIfNeeded();
    const std::pair<int, const std::string*> texts[] = {{IDC_LbStep, &step}, {IDC_LbRun, &run}, {IDC_LbQueueJob, &queue}};
    for (const auto& [id, text] : texts)
        if (ProgressText(id) != *text) SetDlgItemTextA(window_, id, text->c_str());
    SendDlgItemMessageA(window_, IDC_PrgRun, PBM_SETPOS, static_cast<WPARAM>(runPercent), 0);
}

std::string LogProcessWindow::ProgressText(int id) const {
    char text[256] = {};
    if (window_) GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

int LogProcessWindow::RunBarPosition() const {
    return window_ ? static_cast<int>(SendDlgItemMessageA(window_, IDC_PrgRun, PBM_GETPOS, 0, 0)) : 0;
}

void LogProcessWindow::SetCancelEnabled(bool enabled) {
    if (window_) EnableWindow(GetDlgItem(window_, IDC_CmdCancel), enabled);
}

void LogProcessWindow::KeepClearOf(HWND status) {
    if (!window_ || !status || !IsWindow(status)) return;
    RECT mine, theirs, work;
    GetWindowRect(window_, &mine);
    GetWindowRect(status, &theirs);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // Beside this window when the screen has room there, else below it.
    const int width = theirs.right - theirs.left, height = theirs.bottom - theirs.top;
    int x = mine.right + 8, y = mine.top;
    if (x + width > work.right) {
        x = mine.left;
        y = mine.bottom + 8;
    }
    RECT overlap;
    const RECT placed = {x, y, x + width, y + height};
    if (IntersectRect(&overlap, &theirs, &mine) && !IntersectRect(&overlap, &placed, &mine) && y + height <= work.bottom)
        SetWindowPos(status, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsDlgButtonChecked(window_, IDC_ChkOnTop) == BST_CHECKED)
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool LogProcessWindow::TranslateDialogMessage(MSG& message) {
    return window_ && IsDialogMessageA(window_, &message);
}

void LogProcessWindow::LoadIfNeeded() {
    if (!window_) Load(GetModuleHandleA(nullptr));
}

void LogProcessWindow::Load(HINSTANCE instance) {
    if (!RegisterWindowClass(instance, kClassName)) return;
    if (logFont_) DeleteObject(logFont_);
    if (uiFont_) DeleteObject(uiFont_);
    logFont_ = nullptr;
    uiFont_ = nullptr;

    const ScreenDpi dpi = QueryScreenDpi();
    RECT frame = {0, 0, TwipsToPixelsX(kClientWidth, dpi), TwipsToPixelsY(kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    if (!CreateObjectWindow(0, kClassName, LogProcessCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, instance))
        return;

    uiFont_ = CreateMessageFont();
    logFont_ = CreatePointFont(kLogFontFace, kLogFontSize, dpi.y);
    struct Child {
        int id;
        const char* className;
        const char* text;
        DWORD style;
        DWORD exStyle;
    };
    const DWORD listStyle = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT;
    const Child children[] = {
        {IDC_Label2, "STATIC", "Queue :", SS_LEFT, 0},
        {IDC_LstQueue, "LISTBOX", "", listStyle, WS_EX_CLIENTEDGE},
        {IDC_Label1, "STATIC", "Log :", SS_LEFT, 0},
        {IDC_LstLogEncoding, "LISTBOX", "", listStyle, WS_EX_CLIENTEDGE},
        {IDC_ChkOnTop, "BUTTON", "Always On Top", WS_TABSTOP | BS_AUTOCHECKBOX, 0},
        {IDC_CmdClose, "BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, 0},
        {IDC_LbStep, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0},
        {IDC_PrgRun, PROGRESS_CLASSA, "", 0, 0},
        {IDC_LbRun, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0},
        {IDC_LbQueueJob, "STATIC", "", SS_LEFT | SS_NOPREFIX, 0},
        {IDC_CmdSaveLog, "BUTTON", "Save Log...", WS_TABSTOP | BS_PUSHBUTTON, 0},
        {IDC_CmdCancel, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 0},
    };
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    for (const Child& c : children) {
        HWND control = CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style,
                                       0, 0, 0, 0, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        HFONT font = c.id == IDC_LstLogEncoding ? logFont_ : uiFont_;
        if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendDlgItemMessageA(window_, IDC_PrgRun, PBM_SETRANGE32, 0, 100);
    LayOut();

    // Closed only with its own button: "Close" hides it, and the program
    // keeps this one window for its whole life.
    RemoveCloseMenu(window_);
    SetOnTop(true);
    SetWindowPos(window_, nullptr, TwipsToPixelsX(kPlacedLeft, dpi), TwipsToPixelsY(kPlacedTop, dpi),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LogProcessWindow::LayOut() {
    const ScreenDpi dpi = QueryScreenDpi();
    struct Place {
        int id;
        int left, top, width, height;
    };
    const int fullWidth = kClientWidth - 2 * kMargin;
    const Place places[] = {
        {IDC_Label2, kMargin, kMargin, fullWidth, kLabelHeight},
        {IDC_LstQueue, kMargin, kQueueTop, fullWidth, kQueueHeight},
        {IDC_Label1, kMargin, kLogLabelTop, fullWidth, kLabelHeight},
        {IDC_LstLogEncoding, kMargin, kLogTop, fullWidth, kLogHeight},
        {IDC_ChkOnTop, kMargin, kButtonTop, kCheckWidth, kButtonHeight},
        {IDC_CmdClose, kClientWidth - kMargin - kCloseWidth, kButtonTop, kCloseWidth, kButtonHeight},
        {IDC_LbStep, kMargin, kProgressTop, fullWidth, kLabelHeight},
        {IDC_PrgRun, kMargin, kProgressTop + kProgressRow, fullWidth, kBarHeight},
        {IDC_LbRun, kMargin, kCancelTop, kBesideCancelWidth, kLabelHeight},
        {IDC_LbQueueJob, kMargin, kCancelTop + kProgressRow, kBesideCancelWidth, kLabelHeight},
        {IDC_CmdSaveLog, kSaveLogLeft, kButtonTop, kCloseWidth, kButtonHeight},
        {IDC_CmdCancel, kClientWidth - kMargin - kCancelWidth, kCancelTop + (kProgressRow + kLabelHeight - kButtonHeight) / 2,
         kCancelWidth, kButtonHeight},
    };
    for (const Place& p : places) {
        MoveWindow(GetDlgItem(window_, p.id), TwipsToPixelsX(p.left, dpi), TwipsToPixelsY(p.top, dpi),
                   TwipsToPixelsX(p.width, dpi), TwipsToPixelsY(p.height, dpi), FALSE);
    }
}

// Sets "Always On Top" as the program does, which runs its click handler.
void LogProcessWindow::SetOnTop(bool checked) {
    SendDlgItemMessageA(window_, IDC_ChkOnTop, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    OnTopClick();
}

// Topmost on or off. The call also moves the window to the screen's top-left
// corner (position 0, 0 without SWP_NOMOVE), and users know it for that.
void LogProcessWindow::OnTopClick() {
    const bool checked = IsDlgButtonChecked(window_, IDC_ChkOnTop) == BST_CHECKED;
    SetWindowPos(window_, checked ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_FRAMECHANGED);
}

void LogProcessWindow::AddLine(int listId, const std::string& line, bool followEnd) {
    HWND list = GetDlgItem(window_, listId);
    if (!list) return;
    const LRESULT countBefore = SendMessageA(list, LB_GETCOUNT, 0, 0);
    const int rows = VisibleRows(list);
    const bool showedEnd =
        SendMessageA(list, LB_GETTOPINDEX, 0, 0) + rows >= countBefore;
    const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index < 0) return;
    WidenFor(list, line);
    if (followEnd && showedEnd) {
        // Counted again: a horizontal scroll bar may have just taken a row.
        const LRESULT top = index + 1 - VisibleRows(list);
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(top > 0 ? top : 0), 0);
    }
}

// Lets the list scroll sideways to its widest line.
void LogProcessWindow::WidenFor(HWND list, const std::string& line) {
    HDC dc = GetDC(list);
    if (!dc) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    if (old) SelectObject(dc, old);
    ReleaseDC(list, dc);
    const LRESULT needed = size.cx + 6;  // the list's own indent on both sides
    if (needed > SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0))
        SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(needed), 0);
}

LRESULT LogProcessWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDC_ChkOnTop: OnTopClick(); return 0;
            case IDC_CmdClose: Hide(); return 0;
            case IDC_CmdSaveLog:
                if (onSaveLog) onSaveLog();
                return 0;
            case IDC_CmdCancel:
                if (onCancel) onCancel();
                return 0;
            default: break;
            }
        }
        break;
    case WM_CLOSE:
        // Only a keyboard shortcut can still ask; it does what "Close" does,
        // so the one window is never lost.
        Hide();
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mb
