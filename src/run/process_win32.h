// Starting outside programs, and waiting for them without blocking the
// windows: the wait sleeps on the process handle and on the thread's message
// queue at once, and delivers the window messages after every wake.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/ports.h"

namespace mb {

// A hook that sees each message before it is translated and dispatched
// (IsDialogMessage for a modeless dialog, for example); returns true when it
// has handled the message itself.
using MessageFilter = bool (*)(MSG& message);
void SetMessageFilter(MessageFilter filter);

// Delivers every message waiting in this thread's queue. Returns false when
// WM_QUIT was among them; quitCode then holds its exit code and the messages
// after it stay queued.
bool PumpPendingMessages(int& quitCode);

// The command line handed to the system: the program path, in double
// quotes when it holds a blank, then the arguments as given; either way the
// system takes the whole path as the program's. A program path without
// extension gets ".exe" from the system, as typed at a prompt.
std::string SystemCommandLine(const ProgramCommand& command);

// What a wait watches besides its program: an event set when the user
// cancels the run (null: none), how the program is then asked to end, and
// how long it has to go before it is ended.
struct CancelWatch {
    HANDLE cancelled = nullptr;
    EndBy endBy = EndBy::CloseWindows;
    DWORD graceMs = CancelGraceMs;
};

// Starts the program (window style: SW_HIDE 0, SW_SHOWNORMAL 1, ...) and
// returns when it has ended, delivering window messages meanwhile. A
// program that cannot start returns NotStarted at once, with the system's
// reason. A WM_QUIT received during the wait gives the wait up (the program
// goes on alone) and is posted again, so the program's own loop ends:
// Quit. exitStatus gets the program's exit status when it has ended. Once
// the cancel event is set the program is not started, or is asked to end
// (AskToEnd) and ended after the grace: Cancelled.
ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, std::string& reason,
                        std::uint32_t& exitStatus, const CancelWatch& cancel = {});
inline ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, std::string& reason) {
    std::uint32_t exitStatus = 0;
    return ShellAndWait(command, windowStyle, reason, exitStatus);
}

// Asks a running program to end: presses the "Abort" button of the engine's
// status window, or sends WM_CLOSE to the program's top-level windows.
// False when it has no such window (yet).
bool AskToEnd(DWORD processId, EndBy endBy);

// ShellAndWait with a time limit: a program still running after limitMs is
// ended (it is one of Marobex's own helpers, hung) and the answer is false.
bool ShellAndWaitFor(const ProgramCommand& command, int windowStyle, DWORD limitMs);

// Starts the program and returns at once; failures are ignored.
void StartProcess(const ProgramCommand& command, int windowStyle);

class ProcessesW32 : public ProcessPort {
public:
    explicit ProcessesW32(DWORD cancelGraceMs = CancelGraceMs);
    ~ProcessesW32() override;
    ProcessesW32(const ProcessesW32&) = delete;
    ProcessesW32& operator=(const ProcessesW32&) = delete;

    ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, EndBy endBy, std::string& reason,
                            std::uint32_t& exitStatus) override {
        return mb::ShellAndWait(command, windowStyle, reason, exitStatus, {cancelled_, endBy, graceMs_});
    }
    // A manual-reset event: setting it from another thread is safe.
    void CancelRun() override { SetEvent(cancelled_); }
    bool RunCancelled() override { return WaitForSingleObject(cancelled_, 0) == WAIT_OBJECT_0; }
    void ResetCancel() override { ResetEvent(cancelled_); }
    void StartProcess(const ProgramCommand& command, int windowStyle) override {
        mb::StartProcess(command, windowStyle);
    }
    bool ShellAndWaitFor(const ProgramCommand& command, int windowStyle, int limitMs) override {
        return mb::ShellAndWaitFor(command, windowStyle, static_cast<DWORD>(limitMs < 0 ? 0 : limitMs));
    }

private:
    HANDLE cancelled_;
    DWORD graceMs_;
};

}  // namespace mb
