#include "run/process_win32.h"

#include <vector>

#include "env/api_error_win32.h"
#include "model/status_window.h"

namespace mb {
namespace {

MessageFilter g_filter = nullptr;

// While a cancelled program shows no window to ask, it is looked for again
// this often.
constexpr DWORD kAskAgainMs = 250;

struct EndRequest {
    DWORD processId;
    EndBy endBy;
    bool asked;
};

BOOL CALLBACK AskWindowToEnd(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<EndRequest*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != request->processId) return TRUE;
    if (request->endBy == EndBy::EngineAbort) {
        // Pressed as a click would: the engine stops FFmpeg, removes what it
        // was writing and ends with its abort status.
        HWND abort = GetDlgItem(window, kEngineAbortId);
        if (!abort) return TRUE;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(kEngineAbortId, BN_CLICKED), reinterpret_cast<LPARAM>(abort));
        request->asked = true;
        return FALSE;
    }
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "IME") == 0) return TRUE;  // the system's own helper window
    PostMessageA(window, WM_CLOSE, 0, 0);
    request->asked = true;
    return TRUE;
}

// Starts the program; the caller owns the returned process handle. Null,
// with the system's reason, when the program cannot start.
HANDLE Start(const ProgramCommand& command, int windowStyle, std::string& reason) {
    // A quote inside the path would end the quoted path early and hand the
    // rest to the system as arguments; no file name holds one.
    if (command.program.empty() || command.program.find('"') != std::string::npos) {
        reason = ApiErrorReason(ERROR_INVALID_NAME);
        return nullptr;
    }
    const std::string text = SystemCommandLine(command);
    std::vector<char> line(text.begin(), text.end());
    line.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        reason = ApiErrorReason(GetLastError());
        return nullptr;
    }
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

std::string SystemCommandLine(const ProgramCommand& command) {
    // Without a blank the system cannot cut the path short; the programs
    // then get their command line exactly as they always did.
    if (command.program.find_first_of(" \t") == std::string::npos) return command.program + command.arguments;
    return "\"" + command.program + "\"" + command.arguments;
}

bool AskToEnd(DWORD processId, EndBy endBy) {
    EndRequest request{processId, endBy, false};
    EnumWindows(AskWindowToEnd, reinterpret_cast<LPARAM>(&request));
    return request.asked;
}

ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, std::string& reason,
                        std::uint32_t& exitStatus, const CancelWatch& cancel) {
    exitStatus = 0;
    if (cancel.cancelled && WaitForSingleObject(cancel.cancelled, 0) == WAIT_OBJECT_0) return ProgramEnd::Cancelled;
    HANDLE process = Start(command, windowStyle, reason);
    if (!process) return ProgramEnd::NotStarted;
    HANDLE waits[2] = {process, cancel.cancelled};
    DWORD count = cancel.cancelled ? 2 : 1;
    ProgramEnd end = ProgramEnd::Ended;
    bool asked = false;
    ULONGLONG deadline = 0;  // once cancelled: when the program is ended
    for (;;) {
        DWORD timeout = INFINITE;
        if (end == ProgramEnd::Cancelled) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
                break;
            }
            timeout = static_cast<DWORD>(deadline - now);
            if (!asked && timeout > kAskAgainMs) timeout = kAskAgainMs;
        }
        // MWMO_INPUTAVAILABLE: messages that were already queued (seen but
        // not removed by the caller's handler) wake the wait too.
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, waits, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_TIMEOUT) {
            if (!asked) asked = AskToEnd(GetProcessId(process), cancel.endBy);
            continue;
        }
        if (count == 2 && woke == WAIT_OBJECT_0 + 1) {
            // Cancelled: asked once (again while it shows no window to ask),
            // and ended when the grace is over. The event stays set, so it
            // is watched no more.
            end = ProgramEnd::Cancelled;
            count = 1;
            deadline = GetTickCount64() + cancel.graceMs;
            asked = AskToEnd(GetProcessId(process), cancel.endBy);
            continue;
        }
        if (woke != WAIT_OBJECT_0 + count) break;  // the program has ended, or the wait failed
        int quitCode = 0;
        if (!PumpPendingMessages(quitCode)) {
            // Marobex is closing: the program finishes its job on its own,
            // and the caller starts nothing more.
            PostQuitMessage(quitCode);
            end = ProgramEnd::Quit;
            break;
        }
    }
    DWORD code = 0;
    if (end != ProgramEnd::Quit && GetExitCodeProcess(process, &code)) exitStatus = code;
    CloseHandle(process);
    return end;
}

ProcessesW32::ProcessesW32(DWORD cancelGraceMs)
    : cancelled_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), graceMs_(cancelGraceMs) {}

ProcessesW32::~ProcessesW32() {
    if (cancelled_) CloseHandle(cancelled_);
}

bool ShellAndWaitFor(const ProgramCommand& command, int windowStyle, DWORD limitMs) {
    std::string reason;
    HANDLE process = Start(command, windowStyle, reason);
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

void StartProcess(const ProgramCommand& command, int windowStyle) {
    std::string reason;
    if (HANDLE process = Start(command, windowStyle, reason)) CloseHandle(process);
}

}  // namespace mb
