// The last chance before "Shutdown when done": a small window on top of
// everything, "Marobex will shut down this computer in 60 s", counting down
// each second, with "Shut Down Now" and "Cancel". Closing it cancels.
#pragma once

#include <windows.h>

#include <functional>

#include "app/window_proc_win32.h"
#include "run/shutdown.h"

namespace mb {

class CountdownWindowW32 : public ShutdownCountdown, private WindowObject {
public:
    enum ControlId : int { IDC_CountdownText = 3001, IDC_ShutDownNow = 3002, IDC_CancelShutdown = 3003 };

    // seconds: where the count starts; tickMs: the length of one count
    // (tests shorten it).
    explicit CountdownWindowW32(HINSTANCE instance, int seconds = ShutdownCountdownSeconds, UINT tickMs = 1000)
        : instance_(instance), seconds_(seconds), tickMs_(tickMs) {}

    // Shows the window and delivers the thread's messages until the count
    // reaches 0 or the user decides: true to shut down, false to keep the
    // machine running. A WM_QUIT that arrives meanwhile cancels, and is
    // posted again for the program's own loop.
    bool CountDown() override;

    // The window while it counts (null otherwise).
    HWND Handle() const { return window_; }
    // Called once the window is shown, before the count begins.
    std::function<void(HWND)> onShown;

private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Decide(bool shutDown);
    void ShowLeft();

    HINSTANCE instance_;
    int seconds_;
    UINT tickMs_;
    int left_ = 0;
    bool decided_ = false;
    bool shutDown_ = false;
};

}  // namespace mb
