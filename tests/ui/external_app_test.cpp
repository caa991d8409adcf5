// The External Program Location window, created for real and driven through
// messages; its file dialog answers what each test feeds it, and "Save"
// writes through the real profile functions.
#include "app/external_app_win32.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "env/profile_win32.h"
#include "window_shot.h"

namespace {

using mb::ExternalAppWindow;
using mb::test::PumpMessages;
using mb::test::WindowText;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

struct DialogCall {
    HWND owner;
    std::string filter;
    std::string title;
    std::string initialFolder;
};

// The open dialog: records each call and gives the next fed answer ("" is
// a cancelled dialog).
struct FedDialog {
    std::vector<DialogCall> calls;
    std::deque<std::string> answers;
    mb::OpenFileDialog Port() {
        return [this](HWND owner, const std::string& filter, const std::string& title,
                      const std::string& initialFolder) {
            calls.push_back({owner, filter, title, initialFolder});
            std::string answer = answers.empty() ? std::string() : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        };
    }
};

// A folder of its own under the temporary folder, as the program's folder.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "marobex-external-app-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& f : files_) DeleteFileA(f.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    std::string Add(const std::string& name, const std::string& bytes = "MZ") {
        const std::string file = path_ + "\\" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        files_.push_back(file);
        return file;
    }
    void Forget(const std::string& name) { files_.push_back(path_ + "\\" + name); }

private:
    std::string path_;
    std::vector<std::string> files_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ExternalAppTest : public ::testing::Test {
protected:
    ExternalAppTest() { state.ProgramFolder = folder.Path(); }

    HWND Item(int id) const { return GetDlgItem(window.Handle(), id); }
    std::string Box(int id) const { return WindowText(Item(id)); }
    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        PumpMessages();
    }

    TempFolder folder;
    mb::ProgramState state;
    mb::ProfileW32 profile;
    FedDialog dialog;
    ExternalAppWindow window{state, profile, dialog.Port()};
};

TEST_F(ExternalAppTest, LoadsHiddenShowingThePathsWithoutCloseInItsMenu) {
    state.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
    state.NanDubPath = "C:\\nd\\NanDub.exe";
    state.BesweetPath = "C:\\bs\\BeSweet.exe";
    EXPECT_FALSE(window.Loaded());
    window.Load(nullptr, Instance());
    ASSERT_TRUE(window.Loaded());
    HWND handle = window.Handle();
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_EQ(WindowText(handle), "External Program Location");

    const struct {
        int id;
        const char* text;
    } controls[] = {
        {ExternalAppWindow::IDC_FrameLocation, "Program Location"},
        {ExternalAppWindow::IDC_Label3, "VirtualDub Path :"},
        {ExternalAppWindow::IDC_txtVirtualDub, "C:\\vd\\VirtualDub.exe"},
        {ExternalAppWindow::IDC_cmdBrowseVirtual, "\\ ..."},
        {ExternalAppWindow::IDC_Label1, "NanDub Path :"},
        {ExternalAppWindow::IDC_TxtNandubPath, "C:\\nd\\NanDub.exe"},
        {ExternalAppWindow::IDC_CmdBrowseNandub, "\\ ..."},
        {ExternalAppWindow::IDC_Label2, "BeSweet Path :"},
        {ExternalAppWindow::IDC_TxtBesweetPath, "C:\\bs\\BeSweet.exe"},
        {ExternalAppWindow::IDC_CmdBrowseBeesweet, "\\ ..."},
        {ExternalAppWindow::IDC_CmdSaveApp, "Save"},
        {ExternalAppWindow::IDC_CmdCloseApp, "Close"},
    };
    for (const auto& c : controls) {
        ASSERT_NE(Item(c.id), nullptr) << c.id;
        EXPECT_EQ(Box(c.id), c.text) << c.id;
    }
    for (int box : {ExternalAppWindow::IDC_txtVirtualDub, ExternalAppWindow::IDC_TxtNandubPath,
                    ExternalAppWindow::IDC_TxtBesweetPath})
        EXPECT_TRUE(GetWindowLongA(Item(box), GWL_STYLE) & ES_READONLY) << box;

    HMENU menu = GetSystemMenu(handle, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    window.Load(nullptr, Instance());
    EXPECT_EQ(window.Handle(), handle);
    EXPECT_FALSE(IsWindowVisible(handle));

    // Paths read later (from the settings file) reach the boxes on request.
    state.NanDubPath = "D:\\other\\NanDub.exe";
    window.RefreshPaths();
    EXPECT_EQ(Box(ExternalAppWindow::IDC_TxtNandubPath), "D:\\other\\NanDub.exe");
}

TEST_F(ExternalAppTest, ShowLoadsOnceOwnedByTheMainWindow) {
    HWND owner = CreateWindowExA(0, "STATIC", "Marobex", WS_OVERLAPPED | WS_VISIBLE, 50, 50, 600,
                                 500, nullptr, nullptr, Instance(), nullptr);
    ASSERT_NE(owner, nullptr);
    window.Show(owner, Instance());
    HWND handle = window.Handle();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(GetWindow(handle, GW_OWNER), owner);
    window.Show(owner, Instance());
    EXPECT_EQ(window.Handle(), handle);

    // Ending the main window takes this one along.
    DestroyWindow(owner);
    EXPECT_FALSE(window.Loaded());
    EXPECT_FALSE(IsWindow(handle));
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
    state.VirtualDubPath = state.NanDubPath = state.BesweetPath = "kept";
    window.Show(nullptr, Instance());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        dialog.calls.clear();
        dialog.answers = {row.chosen, ""};

        state.*row.path = "";
        window.RefreshPaths();
        Click(row.button);
        ASSERT_EQ(dialog.calls.size(), 1u);
        EXPECT_EQ(dialog.calls[0].owner, window.Handle());
        EXPECT_EQ(dialog.calls[0].title, row.title);
        EXPECT_EQ(dialog.calls[0].filter, row.filter);
        EXPECT_EQ(dialog.calls[0].initialFolder, folder.Path());
        EXPECT_EQ(state.*row.path, row.chosen);
        EXPECT_EQ(Box(row.box), row.chosen);

        Click(row.button);
        ASSERT_EQ(dialog.calls.size(), 2u);
        EXPECT_EQ(state.*row.path, "");
        EXPECT_EQ(Box(row.box), "");
        state.*row.path = "kept";
        window.RefreshPaths();
    }
    EXPECT_EQ(state.VirtualDubPath, "kept");
    EXPECT_EQ(state.NanDubPath, "kept");
    EXPECT_EQ(state.BesweetPath, "kept");
    EXPECT_TRUE(window.Loaded());
}

TEST_F(ExternalAppTest, VirtualDubDialogOpensWhereTheCurrentFileIs) {
    const std::string exe = folder.Add("VirtualDub.exe");
    const std::string here = folder.Path() + "\\";
    const std::string gone = folder.Path() + "\\Gone\\VirtualDub.exe";
    const struct {
        std::string box;
        std::string initialFolder;
    } cases[] = {
        {"", folder.Path()},
        {exe, here},
        {folder.Path() + "\\virtualdub.EXE", here},
        {folder.Path() + "\\Missing.exe", folder.Path() + "\\Missing.exe"},
        {gone, gone},
        {folder.Path(), folder.Path()},  // a folder is a folder to open in
        {std::string(400, 'x') + ".exe", folder.Path()},
        {"C:\\vd\\Virtual<Dub>|.exe", folder.Path()},
        {folder.Path() + "\\a\"b.exe", folder.Path()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mb::VirtualDubDialogFolder(c.box, folder.Path()), c.initialFolder) << c.box;

    // Through the button: the folder comes from the box's text, and a name
    // that cannot be looked up (from a hand-edited settings file) still
    // opens the dialog.
    window.Show(nullptr, Instance());
    for (const std::string& path : {exe, std::string("C:\\vd\\Virtual<Dub>|.exe")}) {
        state.VirtualDubPath = path;
        window.RefreshPaths();
        dialog.answers = {exe};
        Click(ExternalAppWindow::IDC_cmdBrowseVirtual);
        EXPECT_EQ(state.VirtualDubPath, exe);
    }
    ASSERT_EQ(dialog.calls.size(), 2u);
    EXPECT_EQ(dialog.calls[0].initialFolder, here);
    EXPECT_EQ(dialog.calls[1].initialFolder, folder.Path());
}

TEST_F(ExternalAppTest, SaveWritesTheThreePathsWithUpperCaseKeysAndStaysOpen) {
    folder.Forget("Marobex.ini");
    state.VirtualDubPath = "C:\\Program Files\\VirtualDub\\VirtualDub.exe";
    state.NanDubPath = "C:\\nd\\NanDub.exe";
    state.BesweetPath = "";
    window.Show(nullptr, Instance());
    Click(ExternalAppWindow::IDC_CmdSaveApp);
    EXPECT_EQ(ReadFile(folder.Path() + "\\Marobex.ini"),
              "[PATH]\r\n"
              "VIRTUALDUBPATH=C:\\Program Files\\VirtualDub\\VirtualDub.exe\r\n"
              "NANDUBPATH=C:\\nd\\NanDub.exe\r\n"
              "BESWEETPATH=\r\n");
    EXPECT_TRUE(window.Loaded());
    EXPECT_TRUE(IsWindowVisible(window.Handle()));

    // A path chosen afterwards is in use at once, but in the file only on Save.
    dialog.answers = {"C:\\bs\\BeSweet.exe"};
    Click(ExternalAppWindow::IDC_CmdBrowseBeesweet);
    EXPECT_EQ(state.BesweetPath, "C:\\bs\\BeSweet.exe");
    EXPECT_EQ(mb::ReadIniValue("PATH", "BesweetPath", folder.Path() + "\\Marobex.ini"), "");
    Click(ExternalAppWindow::IDC_CmdSaveApp);
    EXPECT_EQ(mb::ReadIniValue("PATH", "BesweetPath", folder.Path() + "\\Marobex.ini"),
              "C:\\bs\\BeSweet.exe");
}

// Reads the text of the first "Marobex" message box and answers it.
DWORD WINAPI AnswerMessageBox(void* text) {
    for (int i = 0; i < 200; ++i, Sleep(50)) {
        HWND box = FindWindowA("#32770", "Marobex");
        if (!box) continue;
        char line[512] = "";
        GetDlgItemTextA(box, 0xFFFF, line, sizeof line);  // the message's own text
        *static_cast<std::string*>(text) = line;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 1;
}

TEST_F(ExternalAppTest, SaveThatCannotWriteSaysWhy) {
    state.ProgramFolder = "C:\\marobex no such folder";
    window.Show(nullptr, Instance());
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

TEST_F(ExternalAppTest, CloseUnloadsTheWindowAndShowBringsANewOne) {
    state.NanDubPath = "C:\\nd\\NanDub.exe";
    window.Show(nullptr, Instance());
    HWND first = window.Handle();
    Click(ExternalAppWindow::IDC_CmdCloseApp);
    EXPECT_FALSE(window.Loaded());
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(state.NanDubPath, "C:\\nd\\NanDub.exe");

    window.Show(nullptr, Instance());
    ASSERT_TRUE(window.Loaded());
    EXPECT_EQ(Box(ExternalAppWindow::IDC_TxtNandubPath), "C:\\nd\\NanDub.exe");

    // A close request from the keyboard (Alt+F4) does what "Close" does.
    HWND second = window.Handle();
    SendMessageA(second, WM_CLOSE, 0, 0);
    EXPECT_FALSE(window.Loaded());
    EXPECT_FALSE(IsWindow(second));
}

TEST_F(ExternalAppTest, LayoutAndScreenshot) {
    state.VirtualDubPath = "C:\\Program Files\\VirtualDub\\VirtualDub.exe";
    state.NanDubPath = "C:\\Program Files\\NanDub\\NanDub.exe";
    state.BesweetPath = "C:\\Program Files\\BeSweet\\BeSweet.exe";
    window.Show(nullptr, Instance());
    EXPECT_EQ(mb::test::LayoutFaults(window.Handle()), std::vector<std::string>{});
    for (int id : {ExternalAppWindow::IDC_Label3, ExternalAppWindow::IDC_Label1,
                   ExternalAppWindow::IDC_Label2})
        EXPECT_TRUE(mb::test::TextFits(Item(id), 0)) << Box(id);
    for (int id : {ExternalAppWindow::IDC_cmdBrowseVirtual, ExternalAppWindow::IDC_CmdSaveApp,
                   ExternalAppWindow::IDC_CmdCloseApp})
        EXPECT_TRUE(mb::test::TextFits(Item(id), 8)) << Box(id);
    EXPECT_TRUE(mb::test::TextFits(Item(ExternalAppWindow::IDC_txtVirtualDub), 4));
    EXPECT_TRUE(mb::test::SaveWindowShot(window.Handle(), "external-app"));
}

}  // namespace
