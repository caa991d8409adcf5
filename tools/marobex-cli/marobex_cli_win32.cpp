// marobex-cli.exe [--dry-run] JOBFILE...: the console runner over the real
// system (see run/console_run.h for what it prints).
#include <windows.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "env/saved_job_win32.h"
#include "env/files_win32.h"
#include "env/profile_win32.h"
#include "env/registry_win32.h"
#include "env/system_win32.h"
#include "jobs/fakeavi_win32.h"
#include "run/console_run.h"
#include "run/process_win32.h"
#include "run/run_lock_win32.h"
#include "run/shutdown.h"
#include "run/shutdown_win32.h"
#include "run/step_watch_win32.h"

namespace {

// Set by Ctrl+C (or Ctrl+Break): cancels the shutdown's countdown, and the
// run going on (the processes' own cancel, which its wait watches).
HANDLE g_cancelled = nullptr;
mb::ProcessPort* g_processes = nullptr;

// The system calls it on a thread of its own.
BOOL WINAPI OnConsoleBreak(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (g_processes) g_processes->CancelRun();
    SetEvent(g_cancelled);
    return TRUE;  // the program goes on to end the run as cancelled
}

// The countdown's wait: about `ms`, cut short by Ctrl+C.
bool WaitCancelled(int ms) {
    return g_cancelled && WaitForSingleObject(g_cancelled, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const std::string programPath = mb::ProgramFilePath();

        mb::FilesW32 files;
        mb::ProfileW32 profile;
        mb::ProcessesW32 processes;
        mb::RegistryW32 registry;
        mb::ClockW32 clock;
        mb::SystemInfoW32 system;
        mb::LocaleW32 locale;
        mb::ShutdownPlatformW32 platform;
        mb::SystemShutdown shutdown(platform, programPath);
        mb::RunMutexW32 runLock;
        mb::StepWatchW32 watch;
        g_processes = &processes;
        g_cancelled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(OnConsoleBreak, TRUE);

        mb::CliEnvironment env{std::cout,
                               std::cerr,
                               processes,
                               registry,
                               files,
                               profile,
                               clock,
                               shutdown,
                               system,
                               locale.UserNumberFormat(),
                               mb::LoadFakeAviResource(),
                               programPath.substr(0, programPath.find_last_of('\\')),
                               mb::OpenSavedJob,
                               &runLock,
                               WaitCancelled,
                               &watch,
                               mb::ReadSourceFacts};
        const int status = mb::RunCli(args, env);
        SetConsoleCtrlHandler(OnConsoleBreak, FALSE);
        g_processes = nullptr;
        return status;
    } catch (const std::exception& e) {
        std::cerr << "error: " << e.what() << std::endl;
    } catch (...) {
        std::cerr << "error: unexpected failure" << std::endl;
    }
    return mb::CliExitRefused;
}
