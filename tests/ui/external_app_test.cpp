// The External Program Location window, created for real and driven through
// messages; its file dialog answers what each test feeds it, and "Save"
// writes through the real profile functions. Then the system's open dialog,
// driven from another thread as a user would: a chosen path longer than the
// dialog's buffer is said to be too long, and the dialog opens again instead
// of passing for a Cancel.
#include "app/external_app_win32.h"
#include "app/dialogs_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/profile_win32.h"
#include "main_test_support.h"
#include "../win32/win32_test_support.h"

namespace {

using mb::ExternalAppWindow;
using mb::test::Pump;
using mb::test::WindowTextOf;
using mb::testing::ReadWholeFile;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

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

class ExternalAppTest : public ::testing::Test {
protected:
    ExternalAppTest() { state.ProgramFolder = folder.path(); }

    HWND Item(int id) const { return GetDlgItem(window.Handle(), id); }
    std::string Box(int id) const { return WindowTextOf(Item(id)); }
    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }

    mb::testing::ScratchFolder folder{"C:\\marobex-external-app"};
    mb::ProgramState state;
    mb::ProfileW32 profile;
    mb::test::ScriptedDialogs dialog;  // the open dialog, and the windows that own it
    std::vector<HWND> owners;
    ExternalAppWindow window{state, profile, [this](HWND owner, const std::string& filter, const std::string& title,
                                                    const std::string& folder) {
                                 owners.push_back(owner);
                                 return dialog.OpenFile(owner, filter, title, folder);
                             }};
};

// Loaded hidden at start-up, shown on request owned by the main window, and
// unloaded by Close, Alt+F4 or the end of the main window.
TEST_F(ExternalAppTest, LoadsHiddenShowsOwnedByTheMainWindowAndCloseUnloads) {
    state.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
    window.Load(nullptr, Instance());
    ASSERT_TRUE(window.Loaded());
    HWND handle = window.Handle();
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_EQ(WindowTextOf(handle), "External Program Location");
    EXPECT_EQ(Box(ExternalAppWindow::IDC_Label3), "VirtualDub Path :");
    EXPECT_EQ(Box(ExternalAppWindow::IDC_txtVirtualDub), "C:\\vd\\VirtualDub.exe");
    EXPECT_TRUE(GetWindowLongA(Item(ExternalAppWindow::IDC_TxtBesweetPath), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(GetMenuState(GetSystemMenu(handle, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    window.Load(nullptr, Instance());
    EXPECT_EQ(window.Handle(), handle);
    // Paths read later (from the settings file) reach the boxes on request.
    state.NanDubPath = "D:\\other\\NanDub.exe";
    window.RefreshPaths();
    EXPECT_EQ(Box(ExternalAppWindow::IDC_TxtNandubPath), "D:\\other\\NanDub.exe");
    window.Close();

    HWND owner = CreateWindowExA(0, "STATIC", "Marobex", WS_OVERLAPPED | WS_VISIBLE, 50, 50, 600,
                                 500, nullptr, nullptr, Instance(), nullptr);
    ASSERT_NE(owner, nullptr);
    window.Show(owner, Instance());
    handle = window.Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(GetWindow(handle, GW_OWNER), owner);
    window.Show(owner, Instance());
    EXPECT_EQ(window.Handle(), handle);
    Click(ExternalAppWindow::IDC_CmdCloseApp);
    EXPECT_FALSE(window.Loaded());
    EXPECT_FALSE(IsWindow(handle));
    window.Show(owner, Instance());
    SendMessageA(window.Handle(), WM_CLOSE, 0, 0);  // Alt+F4 does what "Close" does
    EXPECT_FALSE(window.Loaded());
    window.Show(owner, Instance());
    DestroyWindow(owner);
    EXPECT_FALSE(window.Loaded());
}

TEST_F(ExternalAppTest, BrowseButtonsSetThePathAtOnceAndCancelEmptiesIt) {
    const struct {
        int button;
        int box;
        std::string mb::ProgramState::*path;
        const char* title;
        const char* filter;
        const char* chosen;
    } rows[] = {
        {ExternalAppWindow::IDC_cmdBrowseVirtual, ExternalAppWindow::IDC_txtVirtualDub,
         &mb::ProgramState::VirtualDubPath, "Choose VirtualDub Executable",
         "VirtualDub Exe File (*.exe)|*.exe", "C:\\vd\\VirtualDub.exe"},
        {ExternalAppWindow::IDC_CmdBrowseNandub, ExternalAppWindow::IDC_TxtNandubPath,
         &mb::ProgramState::NanDubPath, "Choose Nandub Executable", "Nandub Exe File (*.exe)|*.exe",
         "C:\\nd\\NanDub.exe"},
        {ExternalAppWindow::IDC_CmdBrowseBeesweet, ExternalAppWindow::IDC_TxtBesweetPath,
         &mb::ProgramState::BesweetPath, "Choose Besweet Executable",
         "Besweet Exe File (*.exe)|*.exe", "C:\\bs\\BeSweet.exe"},
    };
    window.Show(nullptr, Instance());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        dialog.asked.clear();
        dialog.answers = {row.chosen, ""};
        Click(row.button);
        EXPECT_EQ(state.*row.path, row.chosen);
        EXPECT_EQ(Box(row.box), row.chosen);
        Click(row.button);  // cancelled
        EXPECT_EQ(state.*row.path, "");
        EXPECT_EQ(Box(row.box), "");
        ASSERT_EQ(dialog.asked.size(), 2u);
        EXPECT_EQ(owners.back(), window.Handle());
        EXPECT_EQ(dialog.asked[0], std::string("open|") + row.title + "|" + row.filter + "|" + folder.path());
    }
    EXPECT_TRUE(window.Loaded());
}

TEST_F(ExternalAppTest, VirtualDubDialogOpensWhereTheCurrentFileIs) {
    const std::string exe = folder / "VirtualDub.exe";
    mb::testing::WriteWholeFile(exe, "MZ");
    const std::string here = folder.path() + "\\";
    const std::string gone = folder.path() + "\\Gone\\VirtualDub.exe";
    const struct {
        std::string box;
        std::string initialFolder;
    } cases[] = {
        {"", folder.path()},
        {exe, here},
        {folder.path() + "\\virtualdub.EXE", here},
        {folder.path() + "\\Missing.exe", folder.path() + "\\Missing.exe"},
        {gone, gone},
        {folder.path(), folder.path()},  // a folder is a folder to open in
        {std::string(400, 'x') + ".exe", folder.path()},
        {"C:\\vd\\Virtual<Dub>|.exe", folder.path()},
        {folder.path() + "\\a\"b.exe", folder.path()},
        {folder.path() + "\\Virtual*.exe", folder.path()},  // no name the dialog could start in
    };
    for (const auto& c : cases)
        EXPECT_EQ(mb::VirtualDubDialogFolder(c.box, folder.path()), c.initialFolder) << c.box;

}

// Reads the text of the first "Marobex" message box and answers it.
DWORD WINAPI AnswerMessageBox(void* text) {
    HWND box = WaitForWindow("Marobex");
    if (!box) return 1;
    char line[512] = "";
    GetDlgItemTextA(box, 0xFFFF, line, sizeof line);  // the message's own text
    *static_cast<std::string*>(text) = line;
    Press(box, IDOK);
    return 0;
}

// The boxes' paths, through the real profile functions (their file's form
// is the settings file's test); a failure says why in a message box.
TEST_F(ExternalAppTest, SaveWritesThePathsAndStaysOpenOrSaysWhyItCannot) {
    state.VirtualDubPath = "C:\\Program Files\\VirtualDub\\VirtualDub.exe";
    window.Show(nullptr, Instance());
    Click(ExternalAppWindow::IDC_CmdSaveApp);
    const std::string ini = folder.path() + "\\Marobex.ini";
    EXPECT_EQ(mb::ReadIniValue("PATH", "VirtualDubPath", ini), state.VirtualDubPath);
    EXPECT_TRUE(window.Loaded());
    EXPECT_TRUE(IsWindowVisible(window.Handle()));

    // A path chosen afterwards is in use at once, but in the file only on Save.
    dialog.answers = {"C:\\bs\\BeSweet.exe"};
    Click(ExternalAppWindow::IDC_CmdBrowseBeesweet);
    EXPECT_EQ(state.BesweetPath, "C:\\bs\\BeSweet.exe");
    EXPECT_EQ(mb::ReadIniValue("PATH", "BesweetPath", ini), "");
    Click(ExternalAppWindow::IDC_CmdSaveApp);
    EXPECT_EQ(mb::ReadIniValue("PATH", "BesweetPath", ini), "C:\\bs\\BeSweet.exe");

    state.ProgramFolder = "C:\\marobex no such folder";
    std::string shown;
    HANDLE thread = CreateThread(nullptr, 0, AnswerMessageBox, &shown, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Click(ExternalAppWindow::IDC_CmdSaveApp);
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    const std::string start = "Cannot save the settings to C:\\marobex no such folder\\Marobex.ini: ";
    EXPECT_EQ(shown.rfind(start, 0), 0u) << shown;
    EXPECT_GT(shown.size(), start.size());  // the system's reason
}

TEST_F(ExternalAppTest, LayoutAndScreenshot) {
    state.VirtualDubPath = "C:\\Program Files\\VirtualDub\\VirtualDub.exe";
    state.NanDubPath = "C:\\Program Files\\NanDub\\NanDub.exe";
    state.BesweetPath = "C:\\Program Files\\BeSweet\\BeSweet.exe";
    window.Show(nullptr, Instance());
    EXPECT_EQ(mb::test::LayoutFaults(window.Handle()), std::vector<std::string>{});
    for (int id : {ExternalAppWindow::IDC_Label3, ExternalAppWindow::IDC_Label1,
                   ExternalAppWindow::IDC_Label2})
        EXPECT_EQ(mb::test::TextFault(Item(id), 0), "");
    for (int id : {ExternalAppWindow::IDC_cmdBrowseVirtual, ExternalAppWindow::IDC_CmdSaveApp,
                   ExternalAppWindow::IDC_CmdCloseApp, ExternalAppWindow::IDC_CmdUseEngine})
        EXPECT_EQ(mb::test::TextFault(Item(id), 8), "");
    EXPECT_EQ(mb::test::TextFault(Item(ExternalAppWindow::IDC_txtVirtualDub), 4), "");
    EXPECT_TRUE(mb::test::SaveWindowShot(window.Handle(), "external-app"));
}

TEST_F(ExternalAppTest, UseMarobexEngineFillsTheThreePathsWhereTheEngineIs) {
    state.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
    window.Load(nullptr, Instance());
    EXPECT_EQ(Box(ExternalAppWindow::IDC_CmdUseEngine), "Use Marobex Engine");
    EXPECT_FALSE(IsWindowEnabled(Item(ExternalAppWindow::IDC_CmdUseEngine)));
    window.Close();

    const std::string engine = folder / "marobex-engine.exe";
    mb::testing::WriteWholeFile(engine, "MZ");
    window.Load(nullptr, Instance());
    ASSERT_TRUE(IsWindowEnabled(Item(ExternalAppWindow::IDC_CmdUseEngine)));
    Click(ExternalAppWindow::IDC_CmdUseEngine);
    for (int box : {ExternalAppWindow::IDC_txtVirtualDub, ExternalAppWindow::IDC_TxtNandubPath,
                    ExternalAppWindow::IDC_TxtBesweetPath})
        EXPECT_EQ(Box(box), engine) << box;
    EXPECT_EQ(state.VirtualDubPath, engine);
    EXPECT_EQ(state.NanDubPath, engine);
    EXPECT_EQ(state.BesweetPath, engine);
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
