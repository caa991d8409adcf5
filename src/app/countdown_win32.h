// The last chance before "Shutdown when done": a small window on top of
// everything, "Marobex will shut down this computer in 60 s", counting down
// each second, with "Shut Down Now" and "Cancel". Closing it cancels.
#pragma once

#include <windows.h>

#include <functional>

#include "run/shutdown.h"

namespace mb {

class CountdownWindowW32 : public ShutdownCountdown {
public:
    enum ControlId : int { IDC_CountdownText = 3001, IDC_ShutDownNow = 3002, IDC_CancelShutdown = 3003 };

    // seconds: where the count starts; tickMs: the length of one count
    // (tests shorten it).
    explicit CountdownWindowW32(HINSTANCE instance, int seconds = ShutdownCountdownSeconds, UINT tickMs = 1000)
        : instance_(instance), seconds_(seconds), tickMs_(tickMs) {}
    ~CountdownWindowW32() override;
    CountdownWindowW32(const CountdownWindowW32&) = delete;
    CountdownWindowW32& operator=(const CountdownWindowW32&) = delete;

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
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Decide(bool shutDown);
    void ShowLeft();

    HINSTANCE instance_;
    int seconds_;
    UINT tickMs_;
    HWND window_ = nullptr;
    int left_ = 0;
    bool decided_ = false;
    bool shutDown_ = false;
};

}  // namespace mb
