#include "app/countdown_win32.h"

#include "app/screen_win32.h"

namespace mb {

namespace {

constexpr char kClass[] = "MarobexShutdownCountdown";
constexpr UINT_PTR kTimer = 1;
// Client area, in dialog-like pixels at 96 DPI, scaled to the system's.
constexpr int kWidth = 330, kHeight = 96;

int Scaled(int pixels) { return MulDiv(pixels, QueryScreenDpi().y, 96); }

}  // namespace

bool CountdownWindowW32::CountDown() {
    if (window_) return false;  // already counting
    if (!RegisterWindowClass(instance_, kClass)) return false;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, Scaled(kWidth), Scaled(kHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST | WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    left_ = seconds_;
    decided_ = false;
    shutDown_ = false;
    if (!CreateObjectWindow(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass, "Marobex", style,
                            work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                            w, h, nullptr, instance_))
        return false;

    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    const auto child = [&](const char* cls, const char* text, DWORD extra, int id, int x, int y, int cw, int ch) {
        HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | extra, Scaled(x), Scaled(y), Scaled(cw),
                                 Scaled(ch), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                 nullptr);
        SendMessageA(c, WM_SETFONT, font, FALSE);
        return c;
    };
    child("STATIC", "", SS_LEFT | SS_NOPREFIX, IDC_CountdownText, 16, 16, kWidth - 32, 20);
    child("BUTTON", "Shut Down Now", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, IDC_ShutDownNow, kWidth - 232, 56, 110, 26);
    HWND cancel =
        child("BUTTON", "Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, IDC_CancelShutdown, kWidth - 112, 56, 96, 26);
    ShowLeft();
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(cancel);  // a stray Enter keeps the machine running
    UpdateWindow(window_);
    SetTimer(window_, kTimer, tickMs_, nullptr);
    if (onShown) onShown(window_);

    MSG message;
    while (!decided_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: nobody is left to shut down for.
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            Decide(false);
            break;
        }
        if (IsDialogMessageA(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyDetached();
    return shutDown_;
}

void CountdownWindowW32::Decide(bool shutDown) {
    if (decided_) return;
    decided_ = true;
    shutDown_ = shutDown;
    if (window_) KillTimer(window_, kTimer);
}

void CountdownWindowW32::ShowLeft() {
    SetDlgItemTextA(window_, IDC_CountdownText, ShutdownCountdownText(left_).c_str());
}

LRESULT CountdownWindowW32::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTimer && !decided_) {
                if (--left_ <= 0) {
                    left_ = 0;
                    ShowLeft();
                    Decide(true);
                } else {
                    ShowLeft();
                }
            }
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
                const int id = LOWORD(wParam);
                if (id == IDC_ShutDownNow) Decide(true);
                if (id == IDC_CancelShutdown || id == IDCANCEL) Decide(false);
            }
            return 0;
        case WM_CLOSE: Decide(false); return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mb
