#include "app/dialogs_win32.h"

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <shlobj.h>

#include "env/command_text.h"
#include "env/message_box_win32.h"
#include "env/system_library_win32.h"

namespace mb {
namespace {

#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "OPENFILENAME_SIZE_VERSION_400A: the Windows 95 record is 76 bytes");
#endif

constexpr DWORD kOpenFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;                       // 0x1004
constexpr DWORD kSaveFlags = OFN_CREATEPROMPT | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;  // 0x2006

std::string ShowFileDialog(HWND owner, const std::string& filter, const std::string& title,
                           const std::string& initialFolder, bool save) {
    // The converted filter ends with its own NUL; c_str() adds the second
    // one that closes the list.
    const std::string pairs = FileDialogFilter(filter);
    char fileName[255] = {};
    char fileTitle[255] = {};

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = pairs.c_str();
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = sizeof fileName;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = sizeof fileTitle;
    dialog.lpstrInitialDir = initialFolder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = save ? kSaveFlags : kOpenFlags;

    const auto show = save ? SystemFunction<decltype(&GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA")
                           : SystemFunction<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    const auto lastError = SystemFunction<decltype(&CommDlgExtendedError)>("comdlg32.dll", "CommDlgExtendedError");
    if (!show || !lastError) return {};
    for (;;) {
        if (show(&dialog)) break;
        // A path longer than the buffer is no Cancel: say why it cannot be
        // taken, and let the user choose again.
        if (lastError() != FNERR_BUFFERTOOSMALL) return {};
        MessageBoxesW32(owner).ShowMessage(PathTooLongMessage, MessageIcon::Exclamation);
        std::fill(std::begin(fileName), std::end(fileName), '\0');  // the size needed is left there
    }
    fileName[sizeof fileName - 1] = '\0';
    return TrimBlanks(fileName);
}

}  // namespace

std::string ShowOpenDialog(HWND owner, const std::string& filter, const std::string& title,
                           const std::string& initialFolder) {
    return ShowFileDialog(owner, filter, title, initialFolder, false);
}

std::string ShowSaveDialog(HWND owner, const std::string& filter, const std::string& title,
                           const std::string& initialFolder) {
    return ShowFileDialog(owner, filter, title, initialFolder, true);
}

int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM parameter, LPARAM data) {
    switch (message) {
    case BFFM_INITIALIZED:
        if (data) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
        break;
    case BFFM_SELCHANGED: {
        char path[MAX_PATH] = {};
        const auto pathOf = SystemFunction<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
        if (parameter && pathOf && pathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path))
            SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        break;
    }
    default: break;
    }
    return 0;
}

std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder) {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;  // 7
    browse.lpfn = BrowseFolderCallback;
    browse.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());

    const auto browseFor = SystemFunction<decltype(&SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    const auto pathOf = SystemFunction<decltype(&SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    const auto comStart = SystemFunction<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
    const auto comEnd = SystemFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
    const auto memFree = SystemFunction<decltype(&CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    if (!browseFor || !pathOf || !comStart || !comEnd || !memFree) return {};

    // The shell's browser wants COM on this thread; start it here unless the
    // program already has.
    const HRESULT com = comStart(nullptr, COINIT_APARTMENTTHREADED);
    std::string chosen;
    if (PIDLIST_ABSOLUTE item = browseFor(&browse)) {
        char path[MAX_PATH] = {};
        if (pathOf(item, path)) chosen = path;
        memFree(item);
    }
    if (SUCCEEDED(com)) comEnd();
    return chosen;
}

void RemoveCloseMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu) return;
    RemoveMenu(menu, 6, MF_BYPOSITION);
    RemoveMenu(menu, 5, MF_BYPOSITION);
}

}  // namespace mb
