// The tray icon's notification handling. (Without a desktop the system has no
// notification area to show the icon in; what matters here is which
// notifications show the progress window.)
#include <windows.h>

#include <gtest/gtest.h>

#include "run/tray_win32.h"

using namespace mb;

TEST(TrayIcon, OnlyALeftDoubleClickShowsTheProgressWindow) {
    int shown = 0;
    TrayIconW32 tray(nullptr, nullptr, [&] { ++shown; });
    const UINT callback = tray.CallbackMessage();
    EXPECT_EQ(callback, TrayCallbackMessage);

    struct Case { UINT message; WPARAM id; LPARAM event; bool handled; int shows; };
    const Case cases[] = {
        {callback, 1, WM_LBUTTONDBLCLK, true, 1},
        {callback, 1, WM_LBUTTONDOWN, true, 0},
        {callback, 1, WM_LBUTTONUP, true, 0},
        {callback, 1, WM_RBUTTONDOWN, true, 0},
        {callback, 1, WM_RBUTTONDBLCLK, true, 0},
        {callback, 1, WM_MOUSEMOVE, true, 0},
        {callback, 2, WM_LBUTTONDBLCLK, true, 0},  // not our icon
        {WM_MOUSEMOVE, 1, WM_LBUTTONDBLCLK, false, 0},
        {WM_TIMER, 0, 0, false, 0},
    };
    for (const auto& c : cases) {
        shown = 0;
        EXPECT_EQ(tray.HandleMessage(c.message, c.id, c.event), c.handled) << c.message << " " << c.event;
        EXPECT_EQ(shown, c.shows) << c.message << " " << c.event;
    }
}

TEST(TrayIcon, ANotificationDuringTheHandlingOfAnotherIsIgnored) {
    int shown = 0;
    TrayIconW32* self = nullptr;
    TrayIconW32 tray(nullptr, nullptr, [&] {
        ++shown;
        self->HandleMessage(self->CallbackMessage(), 1, WM_LBUTTONDBLCLK);  // e.g. from a nested wait
    });
    self = &tray;
    tray.HandleMessage(tray.CallbackMessage(), 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(shown, 1);
    tray.HandleMessage(tray.CallbackMessage(), 1, WM_LBUTTONDBLCLK);  // free again afterwards
    EXPECT_EQ(shown, 2);
}

TEST(TrayIcon, TaskbarRestartIsHandledAndTheIconKnowsWhetherItIsShown) {
    TrayIconW32 tray(nullptr, nullptr, nullptr, WM_APP + 40);
    EXPECT_EQ(tray.CallbackMessage(), static_cast<UINT>(WM_APP + 40));
    const UINT restart = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(restart, 0u);
    EXPECT_EQ(tray.TaskbarCreatedMessage(), restart);
    EXPECT_FALSE(tray.IsShown());
    tray.StartSystray();
    EXPECT_TRUE(tray.IsShown());
    EXPECT_TRUE(tray.HandleMessage(restart, 0, 0));
    EXPECT_TRUE(tray.HandleMessage(tray.CallbackMessage(), 1, WM_LBUTTONDBLCLK));  // no handler: nothing
    tray.DeleteSystray();
    EXPECT_FALSE(tray.IsShown());
    EXPECT_TRUE(tray.HandleMessage(restart, 0, 0));
}
