#include "run/tray_win32.h"

#include "env/system_library_win32.h"

namespace mb {

namespace {
void NotifyIcon(DWORD what, NOTIFYICONDATAA& data) {
    if (const auto notify = SystemFunction<decltype(&Shell_NotifyIconA)>("shell32.dll", "Shell_NotifyIconA"))
        notify(what, &data);
}
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
    NotifyIcon(NIM_ADD, data_);
    shown_ = true;
}

void TrayIconW32::DeleteSystray() {
    NotifyIcon(NIM_DELETE, data_);
    shown_ = false;
}

bool TrayIconW32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == data_.uCallbackMessage) {
        if (wParam != data_.uID) return true;
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
        return true;
    }
    return false;
}

}  // namespace mb
