// The notification-area icon shown while a run lasts. A double-click on it
// with the left button shows the progress window; nothing else reacts. When
// Explorer restarts (the registered "TaskbarCreated" message) an icon that
// was shown is added again.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "model/ports.h"

namespace mb {

inline constexpr char TrayTip[] = "Marobex Start Encoding";
// The message the icon sends its window, unless the window chooses another.
inline constexpr UINT TrayCallbackMessage = WM_APP + 1;

class TrayIconW32 : public TrayPort {
public:
    // window: receives the icon's notifications (and passes them to
    // HandleMessage); icon: the window's icon, the application icon when
    // null; showProgress: shows the progress window.
    TrayIconW32(HWND window, HICON icon, std::function<void()> showProgress,
                UINT callbackMessage = TrayCallbackMessage);

    // Adds the icon (id 1, tip TrayTip).
    void StartSystray() override;
    // Removes the icon.
    void DeleteSystray() override;

    // For the window procedure: handles the icon's notifications and the
    // taskbar's restart. True when message was one of these.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool IsShown() const { return shown_; }
    UINT CallbackMessage() const { return data_.uCallbackMessage; }
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

private:
    NOTIFYICONDATAA data_;
    UINT taskbarCreated_;
    std::function<void()> showProgress_;
    bool shown_ = false;
    bool busy_ = false;  // a notification is being handled
};

}  // namespace mb
