#include "app/external_app_win32.h"

#include <iterator>
#include <utility>

#include "app/dialogs_win32.h"
#include "app/screen_win32.h"
#include "env/engine_paths.h"
#include "env/message_box_win32.h"
#include "env/tool_paths.h"
#include "env/window_text_win32.h"
#include "model/text.h"

namespace mb {

namespace {

// One row of the "Program Location" frame: its browse button, the box that
// shows the path, the dialog it opens and the path it sets.
struct Row {
    int button;
    int box;
    const char* title;
    const char* filter;
    std::string ProgramState::*path;
};

constexpr char kClassName[] = "MarobexExternalApp";

constexpr Row kRows[] = {
    {ExternalAppWindow::IDC_cmdBrowseVirtual, ExternalAppWindow::IDC_txtVirtualDub,
     "Choose VirtualDub Executable", "VirtualDub Exe File (*.exe)|*.exe", &ProgramState::VirtualDubPath},
    {ExternalAppWindow::IDC_CmdBrowseNandub, ExternalAppWindow::IDC_TxtNandubPath,
     "Choose Nandub Executable", "Nandub Exe File (*.exe)|*.exe", &ProgramState::NanDubPath},
    {ExternalAppWindow::IDC_CmdBrowseBeesweet, ExternalAppWindow::IDC_TxtBesweetPath,
     "Choose Besweet Executable", "Besweet Exe File (*.exe)|*.exe", &ProgramState::BesweetPath},
};

// The window's design, in twips.
constexpr int kClientWidth = 7455;
constexpr int kClientHeight = 2490;
constexpr int kMargin = 120;
constexpr int kFrameHeight = 1755;
constexpr int kFirstRowTop = 405;
constexpr int kRowPitch = 465;
constexpr int kRowHeight = 345;
constexpr int kLabelLeft = 300;
constexpr int kLabelWidth = 1590;
constexpr int kLabelHeight = 255;
constexpr int kBoxLeft = 1950;
constexpr int kBoxWidth = 4635;
constexpr int kBrowseLeft = 6645;
constexpr int kBrowseWidth = 510;
constexpr int kButtonTop = kMargin + kFrameHeight + kMargin;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kEngineButtonWidth = 1935;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

std::string VirtualDubDialogFolder(const std::string& boxText, const std::string& programFolder) {
    if (boxText.empty() || HasForbiddenPathCharacter(boxText)) return programFolder;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(boxText.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NO_MORE_FILES:
            return boxText;  // a file that is gone: the dialog copes with it
        default:
            return programFolder;  // not a name the system can look up
        }
    }
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return boxText;
    // The folder part of the text as typed (the name found can differ from
    // it, e.g. the long name of a short one).
    std::size_t end = boxText.size();
    while (end > 0 && !IsSeparator(boxText[end - 1])) --end;
    return boxText.substr(0, end);
}

OpenFileDialog ExternalAppWindow::DefaultOpenDialog() {
    return [](HWND owner, const std::string& filter, const std::string& title,
              const std::string& initialFolder) {
        return ShowOpenDialog(owner, filter, title, initialFolder);
    };
}

ExternalAppWindow::ExternalAppWindow(ProgramState& state, ProfilePort& profile,
                                     OpenFileDialog openDialog)
    : state_(state), profile_(profile), openDialog_(std::move(openDialog)) {}

ExternalAppWindow::~ExternalAppWindow() { Close(); }

void ExternalAppWindow::Load(HWND owner, HINSTANCE instance) {
    if (window_) return;
    if (!RegisterWindowClass(instance, kClassName)) return;
    if (font_) DeleteObject(font_);  // left by a window its owner took along
    font_ = nullptr;

    const ScreenDpi dpi = QueryScreenDpi();
    RECT frame = {0, 0, TwipsToPixelsX(kClientWidth, dpi), TwipsToPixelsY(kClientHeight, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    // Centred on the owner, or on the screen's work area without one.
    RECT around = {};
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &around))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    int left = around.left + (around.right - around.left - width) / 2;
    int top = around.top + (around.bottom - around.top - height) / 2;
    if (left < 0) left = 0;
    if (top < 0) top = 0;

    if (!CreateObjectWindow(0, kClassName, ExternalAppCaption, kStyle, left, top, width, height, owner,
                            instance))
        return;

    font_ = CreateMessageFont();
    struct Child {
        int id;
        const char* className;
        const char* text;
        DWORD style;
        DWORD exStyle;
    };
    const DWORD boxStyle = WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    const DWORD buttonStyle = WS_TABSTOP | BS_PUSHBUTTON;
    const Child children[] = {
        {IDC_FrameLocation, "BUTTON", "Program Location", BS_GROUPBOX, 0},
        {IDC_Label3, "STATIC", "VirtualDub Path :", SS_LEFT, 0},
        {IDC_txtVirtualDub, "EDIT", "", boxStyle, WS_EX_CLIENTEDGE},
        {IDC_cmdBrowseVirtual, "BUTTON", "\\ ...", buttonStyle, 0},
        {IDC_Label1, "STATIC", "NanDub Path :", SS_LEFT, 0},
        {IDC_TxtNandubPath, "EDIT", "", boxStyle, WS_EX_CLIENTEDGE},
        {IDC_CmdBrowseNandub, "BUTTON", "\\ ...", buttonStyle, 0},
        {IDC_Label2, "STATIC", "BeSweet Path :", SS_LEFT, 0},
        {IDC_TxtBesweetPath, "EDIT", "", boxStyle, WS_EX_CLIENTEDGE},
        {IDC_CmdBrowseBeesweet, "BUTTON", "\\ ...", buttonStyle, 0},
        {IDC_CmdSaveApp, "BUTTON", "Save", buttonStyle, 0},
        {IDC_CmdCloseApp, "BUTTON", "Close", buttonStyle, 0},
        {IDC_CmdUseEngine, "BUTTON", "Use Marobex Engine", buttonStyle, 0},
    };
    for (const Child& c : children) {
        HWND control = CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style,
                                       0, 0, 0, 0, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        if (control && font_) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    LayOut();
    RefreshPaths();
    // Only where the engine was installed with the program.
    EnableWindow(GetDlgItem(window_, IDC_CmdUseEngine),
                 GetFileAttributesA((state_.ProgramFolder + "\\" + EngineFileName).c_str()) != INVALID_FILE_ATTRIBUTES);
    // Closed only with its own "Close" button.
    RemoveCloseMenu(window_);
}

void ExternalAppWindow::Show(HWND owner, HINSTANCE instance) {
    Load(owner, instance);
    if (!window_) return;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void ExternalAppWindow::Close() {
    if (window_) DestroyWindow(window_);  // WM_NCDESTROY forgets the handle
    window_ = nullptr;
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

void ExternalAppWindow::RefreshPaths() {
    if (!window_) return;
    for (const Row& row : kRows) SetDlgItemTextA(window_, row.box, (state_.*row.path).c_str());
}

bool ExternalAppWindow::TranslateDialogMessage(MSG& message) {
    return window_ && IsDialogMessageA(window_, &message);
}

void ExternalAppWindow::LayOut() {
    const ScreenDpi dpi = QueryScreenDpi();
    auto place = [&](int id, int left, int top, int width, int height) {
        MoveWindow(GetDlgItem(window_, id), TwipsToPixelsX(left, dpi), TwipsToPixelsY(top, dpi),
                   TwipsToPixelsX(width, dpi), TwipsToPixelsY(height, dpi), FALSE);
    };
    place(IDC_FrameLocation, kMargin, kMargin, kClientWidth - 2 * kMargin, kFrameHeight);
    const int labels[] = {IDC_Label3, IDC_Label1, IDC_Label2};
    for (int i = 0; i < 3; ++i) {
        const int top = kFirstRowTop + i * kRowPitch;
        place(labels[i], kLabelLeft, top + (kRowHeight - kLabelHeight) / 2, kLabelWidth, kLabelHeight);
        place(kRows[i].box, kBoxLeft, top, kBoxWidth, kRowHeight);
        place(kRows[i].button, kBrowseLeft, top, kBrowseWidth, kRowHeight);
    }
    const int right = kClientWidth - kMargin;
    place(IDC_CmdSaveApp, right - 2 * kButtonWidth - kMargin, kButtonTop, kButtonWidth, kButtonHeight);
    place(IDC_CmdCloseApp, right - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight);
    place(IDC_CmdUseEngine, kMargin, kButtonTop, kEngineButtonWidth, kButtonHeight);
}

// The chosen path is used at once by every later run; a cancelled dialog
// empties it. Only "Save" writes the settings file.
void ExternalAppWindow::Browse(std::size_t rowIndex) {
    const Row& row = kRows[rowIndex];
    const std::string initialFolder =
        row.button == IDC_cmdBrowseVirtual
            ? VirtualDubDialogFolder(WindowText(GetDlgItem(window_, IDC_txtVirtualDub)),
                                     state_.ProgramFolder)
            : state_.ProgramFolder;
    const std::string chosen = openDialog_(window_, row.filter, row.title, initialFolder);
    state_.*row.path = chosen;
    if (window_) SetDlgItemTextA(window_, row.box, chosen.c_str());
}

// Marobex's engine, beside the program, takes the place of all three.
void ExternalAppWindow::UseEngine() {
    const std::string engine = state_.ProgramFolder + "\\" + EngineFileName;
    state_.VirtualDubPath = state_.NanDubPath = state_.BesweetPath = engine;
    RefreshPaths();
}

LRESULT ExternalAppWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const int id = LOWORD(wParam);
            for (std::size_t row = 0; row < std::size(kRows); ++row) {
                if (kRows[row].button == id) {
                    Browse(row);
                    return 0;
                }
            }
            if (id == IDC_CmdSaveApp) {
                // Under a folder the user cannot write to (Program Files) the
                // save fails: say so, with the system's reason.
                if (const Status saved = SaveToolPaths(state_, profile_); !saved)
                    MessageBoxesW32(window_).ShowMessage(saved.message, MessageIcon::Exclamation);
                return 0;
            }
            if (id == IDC_CmdUseEngine) {
                UseEngine();
                return 0;
            }
            if (id == IDC_CmdCloseApp) {
                Close();
                return 0;
            }
        }
        break;
    case WM_CLOSE:
        // Only a keyboard shortcut can still ask; it does what "Close" does.
        Close();
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mb
