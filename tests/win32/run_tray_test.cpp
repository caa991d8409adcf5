// The tray icon's notification handling (which notifications show the
// progress window is seen in the program's test): a notification during the
// handling of another, and the taskbar's restart.
#include <windows.h>

#include <gtest/gtest.h>

#include "run/tray_win32.h"

using namespace mb;

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
    EXPECT_FALSE(tray.HandleMessage(WM_TIMER, 0, 0));
    tray.DeleteSystray();
    EXPECT_FALSE(tray.IsShown());
    EXPECT_TRUE(tray.HandleMessage(restart, 0, 0));
}
