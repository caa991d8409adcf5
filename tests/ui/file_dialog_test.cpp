// The system's open dialog, driven from another thread as a user would: a
// chosen path longer than the dialog's buffer is said to be too long, and the
// dialog opens again instead of passing for a Cancel.
#include "app/dialogs_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "../win32/win32_test_support.h"

namespace {

constexpr char kTitle[] = "Marobex Long Path Test";

HWND WaitForWindow(const char* title) {
    for (int i = 0; i < 200; ++i) {
        if (HWND window = FindWindowA("#32770", title)) return window;
        Sleep(50);
    }
    return nullptr;
}

void Press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// Whatever went wrong, no dialog of this process stays open to hang the test.
BOOL CALLBACK CloseDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (process == GetCurrentProcessId() && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

void CloseLeftDialogs() {
    for (int i = 0; i < 40; ++i) {
        bool found = false;
        EnumWindows(CloseDialog, reinterpret_cast<LPARAM>(&found));
        if (!found) return;
        Sleep(250);
    }
}

struct Driver {
    std::string path;
    bool toldTooLong = false;
    bool openedAgain = false;
};

DWORD WINAPI Drive(void* parameter) {
    auto& driver = *static_cast<Driver*>(parameter);
    HWND dialog = WaitForWindow(kTitle);
    if (!dialog) return 1;
    Sleep(300);  // let the dialog fill itself
    for (int box : {0x47c, 0x480}) SetDlgItemTextA(dialog, box, driver.path.c_str());  // cmb13, edt1
    Press(dialog, IDOK);
    if (HWND message = WaitForWindow("Marobex")) {
        driver.toldTooLong = true;
        Press(message, IDOK);
    }
    if (HWND again = WaitForWindow(kTitle)) {
        driver.openedAgain = true;
        Press(again, IDCANCEL);
    }
    Sleep(500);
    CloseLeftDialogs();
    return 0;
}

}  // namespace

TEST(FileDialog, PathLongerThanTheBufferIsToldTooLongAndAskedAgain) {
    const mb::testing::ScratchFolder folder("C:\\marobex_long_path");
    char here[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, here);  // the dialog moves it; later tests write beside it
    Driver driver;
    driver.path = folder / (std::string(251 - folder.path().size(), 'n') + ".avi");  // 256 characters
    ASSERT_TRUE(mb::testing::WriteWholeFile(driver.path, ""));

    HANDLE thread = CreateThread(nullptr, 0, Drive, &driver, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const std::string chosen = mb::ShowOpenDialog(nullptr, "Video (*.avi)|*.avi", kTitle, folder.path());
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    SetCurrentDirectoryA(here);

    EXPECT_TRUE(driver.toldTooLong);
    EXPECT_TRUE(driver.openedAgain);
    EXPECT_EQ(chosen, "");  // cancelled the second time
}
