// The file dialogs, the folder browser and the system-menu helper.
#pragma once

#include <windows.h>

#include <string>

namespace mb {

// Shown when the path chosen in a file dialog is longer than 254 characters;
// the dialog then opens again.
inline constexpr char PathTooLongMessage[] =
    "The path is too long: Marobex takes file paths of up to 254 characters.";

// The common open dialog: only existing files, read-only box hidden.
// filter: "Text (*.ext)|*.ext|..." pairs. Returns the chosen full path
// without blanks around it, or empty text when cancelled. Paths are limited
// to 254 characters: a longer one is refused with PathTooLongMessage and
// the dialog opens again.
std::string ShowOpenDialog(HWND owner, const std::string& filter, const std::string& title,
                           const std::string& initialFolder);

// The common save dialog: asks before replacing a file and before creating
// one; no default extension is added. Otherwise as ShowOpenDialog.
std::string ShowSaveDialog(HWND owner, const std::string& filter, const std::string& title,
                           const std::string& initialFolder);

// The shell's folder browser (file-system folders only, full path in its
// status line), opened on startFolder. The chosen folder, or empty text when
// cancelled.
std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder);

// The browser's callback: selects the start folder (data: its text) when the
// dialog opens and shows each newly selected folder's path in the status
// line. Always 0.
int CALLBACK BrowseFolderCallback(HWND window, UINT message, LPARAM parameter, LPARAM data);

// Takes Close and the separator above it out of the window's system menu, so
// neither the menu nor the title-bar close box closes the window.
void RemoveCloseMenu(HWND window);

}  // namespace mb
