// Starting outside programs, and waiting for them without blocking the
// windows: the wait sleeps on the process handle and on the thread's message
// queue at once, and delivers the window messages after every wake.
#pragma once

#include <windows.h>

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

// Starts the command line (window style: SW_HIDE 0, SW_SHOWNORMAL 1, ...)
// and returns when the program has ended, delivering window messages
// meanwhile. The program path is put in double quotes when it holds a blank;
// the arguments are passed as given. A program that cannot start returns at
// once, silently. A WM_QUIT received during the wait is posted again once
// the program has ended.
void ShellAndWait(const std::string& commandLine, int windowStyle);

// ShellAndWait with a time limit: a program still running after limitMs is
// ended (it is one of Marobex's own helpers, hung) and the answer is false.
bool ShellAndWaitFor(const std::string& commandLine, int windowStyle, DWORD limitMs);

// Starts the command line and returns at once; failures are ignored.
void StartProcess(const std::string& commandLine, int windowStyle);

class ProcessesW32 : public ProcessPort {
public:
    void ShellAndWait(const std::string& commandLine, int windowStyle) override {
        mb::ShellAndWait(commandLine, windowStyle);
    }
    void StartProcess(const std::string& commandLine, int windowStyle) override {
        mb::StartProcess(commandLine, windowStyle);
    }
    bool ShellAndWaitFor(const std::string& commandLine, int windowStyle, int limitMs) override {
        return mb::ShellAndWaitFor(commandLine, windowStyle, static_cast<DWORD>(limitMs < 0 ? 0 : limitMs));
    }
};

}  // namespace mb
