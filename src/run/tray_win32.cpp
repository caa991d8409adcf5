#include "run/tray_win32.h"

#include "env/system_library_win32.h"

namespace mb {

namespace {
bool NotifyIcon(DWORD what, NOTIFYICONDATAA& data) {
    if (const auto notify = SystemFunction<decltype(&Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA"))
        return notify(what, &data) != FALSE;
    return false;
}

// The timer that ends a notice's icon, on the icon's window.
constexpr UINT_PTR kNoticeTimer = 0x4D42;
// The balloon's own notifications (shellapi's NIN_BALLOONTIMEOUT and
// NIN_BALLOONUSERCLICK).
constexpr UINT kBalloonTimeout = WM_USER + 4;
constexpr UINT kBalloonClick = WM_USER + 5;
}  // namespace

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first NOTIFYICONDATA layout is 88 bytes");
#endif

TrayIconW32::TrayIconW32(HWND window, HICON icon, std::function<void()> showProgress,
                         UINT callbackMessage)
    : data_(), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")),
      showProgress_(std::move(showProgress)) {
    // The first layout of the record: the same fields on every Windows since
    // 95, and the size the 32-bit build must pass (88 bytes).
    data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(data_.szTip, TrayTip, 64);
}

void TrayIconW32::StartSystray() {
    if (notice_) EndNotice();
    lstrcpynA(data_.szTip, TrayTip, 64);
    NotifyIcon(NIM_ADD, data_);
    shown_ = true;
}

void TrayIconW32::DeleteSystray() {
    NotifyIcon(NIM_DELETE, data_);
    shown_ = false;
}

void TrayIconW32::SetTip(const std::string& tip) {
    if (tip == data_.szTip) return;
    lstrcpynA(data_.szTip, tip.c_str(), 64);
    if (shown_) {
        data_.uFlags = NIF_TIP;
        NotifyIcon(NIM_MODIFY, data_);
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    }
}

bool TrayIconW32::ShowNotice(const std::string& title, const std::string& text) {
    // The record with the balloon's fields: the 88-byte one has none.
    NOTIFYICONDATAA balloon = data_;
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.uFlags = NIF_INFO;
    lstrcpynA(balloon.szInfo, text.c_str(), sizeof balloon.szInfo);
    lstrcpynA(balloon.szInfoTitle, title.c_str(), sizeof balloon.szInfoTitle);
    balloon.dwInfoFlags = NIIF_INFO;
    balloon.uTimeout = TrayNoticeMs;
    if (shown_) return NotifyIcon(NIM_MODIFY, balloon);
    if (notice_) EndNotice();
    balloon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    lstrcpynA(balloon.szTip, TrayTip, 64);
    if (!NotifyIcon(NIM_ADD, balloon)) return false;
    notice_ = true;
    SetTimer(data_.hWnd, kNoticeTimer, TrayNoticeMs, nullptr);
    return true;
}

void TrayIconW32::EndNotice() {
    KillTimer(data_.hWnd, kNoticeTimer);
    if (!shown_) NotifyIcon(NIM_DELETE, data_);
    notice_ = false;
}

UINT TrayIconW32::ChooseFromMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return 0;
    AppendMenuA(menu, MF_STRING, TrayCancelItem, TrayCancelText);
    UINT chosen = 0;
    if (chooseFromMenu) {
        chosen = chooseFromMenu(menu);
    } else {
        // The window comes forward first, or the menu would not close when
        // the user clicks elsewhere.
        POINT at = {};
        GetCursorPos(&at);
        SetForegroundWindow(data_.hWnd);
        chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                                  data_.hWnd, nullptr));
        PostMessageA(data_.hWnd, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
    return chosen;
}

bool TrayIconW32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kNoticeTimer) {
        if (notice_) EndNotice();
        return true;
    }
    if (message == data_.uCallbackMessage) {
        if (wParam != data_.uID) return true;
        if (notice_ && (LOWORD(lParam) == kBalloonTimeout || LOWORD(lParam) == kBalloonClick)) EndNotice();
        if (!busy_ && shown_ && LOWORD(lParam) == WM_RBUTTONUP && onCancel) {
            busy_ = true;
            const UINT chosen = ChooseFromMenu();
            busy_ = false;
            if (chosen == TrayCancelItem && shown_ && onCancel) onCancel();
            return true;
        }
        if (!busy_ && LOWORD(lParam) == WM_LBUTTONDBLCLK && showProgress_) {
            busy_ = true;
            try {
                showProgress_();
            } catch (...) {
                busy_ = false;
                throw;
            }
            busy_ = false;
        }
        return true;
    }
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        if (shown_) NotifyIcon(NIM_ADD, data_);
        else if (notice_) EndNotice();
        return true;
    }
    return false;
}

}  // namespace mb
