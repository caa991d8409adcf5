// The console runner (marobex-cli): runs a saved job exactly as "&Start
// Encode" would, through the same form model, rules and run driver, with the
// console in place of the windows.
//
// Standard output gets one line per thing the run does, in the order it
// happens:
//   registry: <subkey>\<value name> = <decimal>   a registry value written
//   queue: <entry>                                a queue entry, as the queue is filled
//   start: <command line>                         a program started without waiting
//   run: <command line>                           a program started and waited for
//   log: <line>                                   a line of the encoding log
// Standard error gets "message: <text>" for each message box and
// "warning: <text>" for each value of the job that was not used; during a
// real run (with a step watch), at most once a second,
// "progress: <run>% <step> <step>% <h:mm:ss> left", and "progress: 100% ..."
// once a run has gone through.
//
// A dry run starts no program and leaves the registry alone, but prints the
// same lines and writes the job scripts (and c:\fake.avi) as a real run does.
//
// Several job files run one after another, each after a line
// "job: <i>/<n> <path>", and end with one "summary: <path>: <result>" line per
// job (done, refused, failed, stopped, cancelled, unreadable, or "not run"
// after a job the user stopped or cancelled). "Shutdown when done" then
// applies once, after the last job, when every job went through.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "model/saved_job.h"
#include "model/ports.h"
#include "run/run_progress.h"

namespace mb {

// Exit statuses.
inline constexpr int CliExitFinished = 0;  // the run went through
inline constexpr int CliExitRefused = 1;   // a check refused the run, or it stopped (Abort and Ctrl+C included)
inline constexpr int CliExitUsage = 2;     // usage error, or a job file that cannot be read
inline constexpr int CliExitFailed = 3;    // a program of the run left no result

// What --help prints.
std::string CliUsage();

// The outside world of one console run. In a dry run, processes, registry
// and shutdown are never called.
struct CliEnvironment {
    std::ostream& out;
    std::ostream& err;
    ProcessPort& processes;
    RegistryPort& registry;
    FilePort& files;
    ProfilePort& profile;  // reads Marobex.ini
    ClockPort& clock;
    ShutdownPort& shutdown;
    SystemInfoPort& system;
    NumberFormat format;
    std::string fakeAvi;        // the bytes of c:\fake.avi; empty: the built-in layout
    std::string programFolder;  // where Marobex.ini and Priority.exe are, no trailing "\"
    // Opens the job file named on the command line; null, with the reason,
    // when it cannot be read.
    std::function<std::unique_ptr<SavedJobSource>(const std::string& path, std::string& reason)> openJob;
    // The lock every run holds, dry runs too (they write the job scripts);
    // null in tests that run alone.
    RunLockPort* runLock = nullptr;
    // The countdown before a real run shuts the machine down: waits about
    // `ms` and answers true once the user has cancelled (Ctrl+C). Empty: no
    // countdown.
    std::function<bool(int ms)> waitCancelled;
    // Follows the running program for the progress lines of a real run;
    // null: no progress lines. readFacts gives the source's facts for the
    // steps' weights.
    StepWatchPort* watch = nullptr;
    std::function<SourceFacts(const std::string& path)> readFacts;
};

// Runs the command line (its arguments, without the program name) and
// returns the exit status.
int RunCli(const std::vector<std::string>& args, CliEnvironment& env);

}  // namespace mb
