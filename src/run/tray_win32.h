// The notification-area icon shown while a run lasts. A double-click on it
// with the left button shows the progress window; a right click opens its
// menu ("Cancel" of the run); nothing else reacts. When
// Explorer restarts (the registered "TaskbarCreated" message) an icon that
// was shown is added again.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

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

    // The tip while the icon is shown (one line, at most 63 characters);
    // StartSystray gives it TrayTip again.
    void SetTip(const std::string& tip);
    std::string Tip() const { return data_.szTip; }

    // A balloon from the icon: while a run shows the icon, from it; else
    // the icon comes for the time of the notice. False where the system
    // shows no balloons (it then takes the larger record the balloon needs
    // as an error, and nothing else changes).
    bool ShowNotice(const std::string& title, const std::string& text);
    bool NoticeShown() const { return notice_; }
    // Takes a notice's icon away now (the program is ending).
    void EndNotice();

    // The menu's "Cancel" while the icon is shown for a run; null: no menu.
    std::function<void()> onCancel;
    // Where the menu's choice is asked: opens the menu and answers the chosen
    // item's id (TrayCancelItem, or 0); tests put themselves in its place.
    std::function<UINT(HMENU menu)> chooseFromMenu;

    bool IsShown() const { return shown_; }
    UINT CallbackMessage() const { return data_.uCallbackMessage; }
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

private:
    UINT ChooseFromMenu();

    NOTIFYICONDATAA data_;
    UINT taskbarCreated_;
    std::function<void()> showProgress_;
    bool shown_ = false;
    bool busy_ = false;  // a notification is being handled
    bool notice_ = false;  // the icon is there for a notice only
};

inline constexpr UINT TrayCancelItem = 1;
inline constexpr char TrayCancelText[] = "Cancel";

// How long a notice's icon stays when no run shows it.
inline constexpr UINT TrayNoticeMs = 15000;

}  // namespace mb
