#include "run/process_win32.h"

#include <vector>

#include "env/command_text.h"
#include "env/files_win32.h"

namespace mb {
namespace {

MessageFilter g_filter = nullptr;

// Starts the command line; the caller owns the returned process handle.
// Null when the program cannot start.
HANDLE Start(const std::string& commandLine, int windowStyle) {
    const std::string quoted =
        QuoteProgramPath(commandLine, [](const std::string& path) { return FileExists(path); });
    std::vector<char> line(quoted.begin(), quoted.end());
    line.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

}  // namespace

void SetMessageFilter(MessageFilter filter) { g_filter = filter; }

bool PumpPendingMessages(int& quitCode) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            return false;
        }
        if (g_filter && g_filter(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void ShellAndWait(const std::string& commandLine, int windowStyle) {
    HANDLE process = Start(commandLine, windowStyle);
    if (!process) return;
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages that were already queued (seen but
        // not removed by the caller's handler) wake the wait too.
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &process, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1) break;  // the program has ended, or the wait failed
        int quitCode = 0;
        if (!PumpPendingMessages(quitCode)) {
            // The program is closing its windows: nothing is left to keep
            // responsive, but the caller must still find the program ended.
            WaitForSingleObject(process, INFINITE);
            PostQuitMessage(quitCode);
            break;
        }
    }
    CloseHandle(process);
}

bool ShellAndWaitFor(const std::string& commandLine, int windowStyle, DWORD limitMs) {
    HANDLE process = Start(commandLine, windowStyle);
    if (!process) return true;
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    bool ended = true;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            if (!ended) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            break;
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &process, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke == WAIT_TIMEOUT) continue;
        if (woke != WAIT_OBJECT_0 + 1) break;  // ended, or the wait failed
        int quitCode = 0;
        if (!PumpPendingMessages(quitCode)) {
            // The program is closing: a hung helper is not waited for.
            if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
            PostQuitMessage(quitCode);
            break;
        }
    }
    CloseHandle(process);
    return ended;
}

void StartProcess(const std::string& commandLine, int windowStyle) {
    if (HANDLE process = Start(commandLine, windowStyle)) CloseHandle(process);
}

}  // namespace mb
