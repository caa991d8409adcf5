// Priority.exe: waits for an encoder's status window and sets it as its
// command line says (see env/priority_commands.h): the preview check boxes
// turned off and an entry of the priority list selected, each the way a
// user's click would do it, so that the encoder notices. It has no windows
// of its own, never waits on the encoder without a time limit, and ends on
// its own: when it is done, or quietly when the window or a control does not
// turn up within its wait (MAROBEX_PRIORITY_TIMEOUT_MS, 60 s by default).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "env/priority_commands.h"
#include "env/window_text_win32.h"

namespace {

// Longest a single message to the encoder's window may take; a window that
// does not answer in that time is given up.
constexpr UINT kMessageTimeoutMs = 5000;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &answer))
        return false;
    if (result != nullptr) *result = static_cast<LRESULT>(answer);
    return true;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK CheckControlId(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The control may sit directly on the window or on a page inside it.
HWND FindControl(HWND window, int id) {
    if (HWND direct = GetDlgItem(window, id)) return direct;
    ControlSearch search{id, nullptr};
    EnumChildWindows(window, CheckControlId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool AllControlsPresent(HWND window, const mb::PriorityScript& script) {
    for (const auto& command : script.commands)
        if (FindControl(window, command.controlId) == nullptr) return false;
    return true;
}

struct WindowSearch {
    const mb::PriorityScript* script;
    HWND complete;   // a window with the title and every control needed
    HWND candidate;  // the first window with the title
};

BOOL CALLBACK CheckTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    const std::string title = mb::WindowText(window);
    if (title.empty() || !mb::TitleMatches(title, search->script->windowTitle)) return TRUE;
    if (AllControlsPresent(window, *search->script)) {
        search->complete = window;
        return FALSE;
    }
    if (search->candidate == nullptr) search->candidate = window;
    return TRUE;
}

// The top-level window the commands are for: one whose title begins with
// the given text and that has every control the commands need; failing
// that, the first with the title (its controls may still be coming).
HWND FindStatusWindow(const mb::PriorityScript& script, bool* complete) {
    WindowSearch search{&script, nullptr, nullptr};
    EnumWindows(CheckTitle, reinterpret_cast<LPARAM>(&search));
    *complete = search.complete != nullptr;
    return search.complete != nullptr ? search.complete : search.candidate;
}

// Tells the control's owner what a user's action on it would have told it.
void Notify(HWND control, int id, WORD code) {
    HWND owner = GetParent(control);
    if (owner == nullptr) return;
    Send(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
         reinterpret_cast<LPARAM>(control));
}

void UncheckBox(HWND control, int id) {
    LRESULT state = 0;
    if (!Send(control, BM_GETCHECK, 0, 0, &state) || state == BST_UNCHECKED) return;
    if (Send(control, BM_SETCHECK, BST_UNCHECKED, 0)) Notify(control, id, BN_CLICKED);
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

// Selects the entry whose text is exactly the given one. The list's own
// search ignores case, so every entry is read back and compared. The
// entries are read as UTF-16: that is how the text crosses to another
// process, and an ANSI read across processes is not passed through
// reliably everywhere (Wine hands back the UTF-16 form).
void SelectEntry(HWND control, int id, const std::string& text) {
    const std::wstring wanted = Widen(text);
    if (wanted.empty()) return;
    LRESULT count = 0;
    if (!Send(control, CB_GETCOUNT, 0, 0, &count) || count <= 0) return;
    for (LRESULT i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0,
                                 SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) ||
            static_cast<LRESULT>(length) == CB_ERR || length != wanted.size())
            continue;
        // The entry may have grown since its length was asked for.
        std::wstring entry(mb::EntryBufferLength(wanted.size()), L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(control, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(entry.data()), SMTO_ABORTIFHUNG,
                                 kMessageTimeoutMs, &copied) ||
            static_cast<LRESULT>(copied) == CB_ERR ||
            !mb::EntryTextMatches(entry, static_cast<std::size_t>(copied), wanted))
            continue;
        if (Send(control, CB_SETCURSEL, static_cast<WPARAM>(i), 0))
            Notify(control, id, CBN_SELCHANGE);
        return;
    }
}

int Run(const mb::PriorityScript& script, unsigned timeoutMs) {
    if (script.windowTitle.empty()) return mb::kPriorityNothingToDo;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND window = nullptr;
    // The encoder starts after us: wait until its window is there with
    // every control the commands need, or the time is up.
    for (;;) {
        bool complete = false;
        window = FindStatusWindow(script, &complete);
        if (complete || GetTickCount64() >= deadline) break;
        Sleep(mb::kPriorityPollMs);
    }
    if (window == nullptr) return mb::kPriorityNoWindow;

    bool allDone = true;
    for (const auto& command : script.commands) {
        HWND control = FindControl(window, command.controlId);
        if (control == nullptr) {
            allDone = false;
            continue;
        }
        switch (command.action) {
            case mb::PriorityAction::UncheckBox:
                UncheckBox(control, command.controlId);
                break;
            case mb::PriorityAction::SelectEntry:
                SelectEntry(control, command.controlId, command.text);
                break;
        }
    }
    return allDone ? mb::kPriorityDone : mb::kPriorityControlMissing;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Taking a message from our own queue tells the shell that start-up is
    // over, so the pointer does not show the busy cursor while we wait.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    if (PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0)) GetMessageA(&msg, nullptr, 0, 0);

    const mb::PriorityScript script =
        mb::ParsePriorityCommands(mb::SplitCommandLine(commandLine != nullptr ? commandLine : ""));
    const unsigned timeoutMs =
        mb::ParseTimeoutMs(std::getenv("MAROBEX_PRIORITY_TIMEOUT_MS"), mb::kPriorityDefaultTimeoutMs);
    return Run(script, timeoutMs);
}
