// The External Program Location window (frmExternalApp): where the user
// chooses the VirtualDub, Nandub and BeSweet executables and saves them to
// Marobex.ini. Modeless and owned by the main window; one at a time, created
// when first needed and ended by its "Close" button.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "app/window_proc_win32.h"
#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

inline constexpr char ExternalAppCaption[] = "External Program Location";

// An open-file dialog: owner, filter ("Text (*.exe)|*.exe"), title, initial
// folder; returns the chosen full path, or empty text when cancelled. The
// program uses ShowOpenDialog; tests feed their own answers.
using OpenFileDialog = std::function<std::string(HWND owner, const std::string& filter,
                                                 const std::string& title,
                                                 const std::string& initialFolder)>;

// The folder the VirtualDub browse dialog opens in, from the text of its box:
// for an existing file, its folder with the trailing backslash; for a name
// that is not there (or a folder), the whole text; for an empty text, or one
// the system cannot look up at all (characters no file name may hold, too
// long), programFolder.
std::string VirtualDubDialogFolder(const std::string& boxText, const std::string& programFolder);

class ExternalAppWindow : private WindowObject {
public:
    // Control ids, named after the controls.
    enum ControlId : int {
        IDC_FrameLocation = 3001,  // "Program Location"
        IDC_Label3 = 3002,         // "VirtualDub Path :"
        IDC_txtVirtualDub = 3003,
        IDC_cmdBrowseVirtual = 3004,
        IDC_Label1 = 3005,  // "NanDub Path :"
        IDC_TxtNandubPath = 3006,
        IDC_CmdBrowseNandub = 3007,
        IDC_Label2 = 3008,  // "BeSweet Path :"
        IDC_TxtBesweetPath = 3009,
        IDC_CmdBrowseBeesweet = 3010,
        IDC_CmdSaveApp = 3011,   // "Save"
        IDC_CmdCloseApp = 3012,  // "Close"
        IDC_CmdUseEngine = 3013, // "Use Marobex Engine"
    };

    // state: the tool paths the window shows and sets (and ProgramFolder,
    // where Marobex.ini lies); profile: how "Save" writes the settings file.
    // Both must outlive the window.
    ExternalAppWindow(ProgramState& state, ProfilePort& profile,
                      OpenFileDialog openDialog = DefaultOpenDialog());
    ~ExternalAppWindow() override;

    // Creates the window hidden, owned by owner, its boxes showing the
    // paths; nothing when it exists already.
    void Load(HWND owner, HINSTANCE instance);
    // Loads the window when needed and shows it in front; returns at once.
    void Show(HWND owner, HINSTANCE instance);
    // Ends the window ("Close" does the same). Nothing is saved.
    void Close();
    bool Loaded() const { return window_ != nullptr; }
    // The window, or null while it is not loaded.
    HWND Handle() const { return window_; }
    // Shows the paths of the program state in the three boxes (after they
    // were read from the settings file).
    void RefreshPaths();

    // For the message loop of the program: keyboard navigation between the
    // window's controls (Tab, Space, Enter). True when the message was used.
    bool TranslateDialogMessage(MSG& message);

    static OpenFileDialog DefaultOpenDialog();

private:
    void LayOut();
    void Browse(std::size_t row);
    void UseEngine();
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    ProgramState& state_;
    ProfilePort& profile_;
    OpenFileDialog openDialog_;
    HFONT font_ = nullptr;
};

}  // namespace mb
