// The encoding run started by "&Start Encode": checks, codec state, job
// scripts, then the outside programs one after another, with the queue and
// the encoding log in the progress window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/encode_settings.h"
#include "model/program_state.h"
#include "model/ports.h"
#include "run/run_progress.h"
#include "run/shutdown.h"

namespace mb {

// The windows a run shows and hides. The main window's view and the console
// runner each implement it.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void HideMainWindow() = 0;
    virtual void ShowMainWindow() = 0;
    // Shows the progress window (created on first use) without making it
    // modal, and lets it paint.
    virtual void ShowProgressWindow() = 0;
    virtual void ClearLog() = 0;
    virtual void AppendLog(const std::string& line) = 0;
    virtual void ClearQueue() = 0;
    virtual void AddQueueEntry(const std::string& entry) = 0;
    virtual void RemoveFirstQueueEntry() = 0;
    // A queue of jobs is running: job `index` (from 1) of `count`; 0 of 0
    // when the queue has ended.
    virtual void ShowJobNumber(int /*index*/, int /*count*/) {}
    // A step of the run begins, named as its queue entry (for the progress
    // shown while its program runs).
    virtual void StepStarted(const RunStepStart& /*step*/) {}
};

// Everything a run reaches the outside world through.
struct RunPorts {
    MessagePort& messages;
    ProcessPort& processes;
    RegistryPort& registry;
    FilePort& files;
    ClockPort& clock;
    TrayPort& tray;
    ShutdownPort& shutdown;
    SystemInfoPort& system;
    RunView& view;
    NumberFormat format;
    // The bytes of c:\fake.avi for the WMA job (the Windows programs carry
    // them as a resource); empty means the built-in layout.
    std::string fakeAvi;
    // Held for the whole run, so that no other run writes the same job
    // scripts meanwhile; null: no other run can exist (tests).
    RunLockPort* runLock = nullptr;
    // No program really runs (marobex-cli --dry-run): the steps' result
    // files are not looked for.
    bool dryRun = false;
    // Asked before "Shutdown when done" shuts the machine down; null: no
    // countdown.
    ShutdownCountdown* countdown = nullptr;
};

// Shown when another run (the window or a console runner) holds the lock.
inline constexpr char RunInProgressMessage[] = "Another encoding run is in progress.";

// Ends a run between two steps: no further program starts and the system is
// not shut down. logLine goes into the encoding log; message, when not
// empty, is shown once the main window is back. A stop the user asked for
// (byUser) is no failure: the run ends as stopped.
struct RunStop {
    std::string logLine;
    std::string message;
    bool byUser = false;
    bool cancelled = false;  // by "Cancel" (or Ctrl+C): a user stop of its own
};
// The user stopped the run; reason says how and where ("aborted in
// C:\Marobex\marobex-engine.exe"): " >> Encoding stopped: <reason> <<".
RunStop UserStop(const std::string& reason);
// The user cancelled the run (ProcessPort::CancelRun): " >> Encoding
// stopped: cancelled <<".
RunStop CancelStop();

// The exit status of Marobex's engine when its "Abort" button stopped it.
inline constexpr std::uint32_t EngineAbortedStatus = 2;

enum class RunOutcome {
    Refused,   // an input check failed; nothing was written or started
    Stopped,   // the run began but a job file could not be written, a program
               // could not be started, or Marobex was quitting
    Finished,  // every step ran
    Failed,    // a program left no result (or an empty one, or one of an
               // earlier run), or the engine said it failed; the run stopped there
    StoppedByUser,  // the user stopped it (UserStop) between or during steps
    Cancelled,      // the user cancelled it (CancelStop): the step's partial
                    // result is gone, nothing later ran
};

// A step whose program left no result file, an empty one or one that it did
// not write (left from an earlier run), or whose engine said it failed.
struct StepFailure {
    std::string step;  // "First Pass", "Audio Stream 1", ...
    std::string path;  // the file the step must leave
    bool empty = false;  // the file is there, but holds nothing
    bool stale = false;  // the file is there, unchanged since before the step
    std::string cause;   // why, as the engine said it; empty when not known
};
// The log line of a failed step, and the message the user is shown once the
// run has ended.
std::string StepFailureLogLine(const StepFailure& failure);
std::string StepFailureMessage(const StepFailure& failure);
// The log line that ends a failed run, in place of " Status Encoding : FINISH".
inline constexpr char FailedStatusLine[] = " Status Encoding : FAILED";

// Starts Priority.exe (without waiting) before an encoder: 1 VirtualDub,
// any other value Nandub.
ProgramCommand PriorityCommand(int ApplicationNumber, const EncodeSettings& s,
                               const std::string& programFolder);
inline std::string PriorityCommandLine(int ApplicationNumber, const EncodeSettings& s,
                                       const std::string& programFolder) {
    return PriorityCommand(ApplicationNumber, s, programFolder).Text();
}
void SetVdubPriority(int ApplicationNumber, const EncodeSettings& s, const ProgramState& state,
                     ProcessPort& processes);

// The tool paths a run starts its programs from, copied from the program
// state when it starts: a path changed while it runs (the External Program
// Location window stays shown) takes effect with the next run.
struct RunTools {
    std::string virtualDub;
    std::string nanDub;
    std::string besweet;
};

// Converts the audio streams whose path box is filled (BeSweet, and for the
// DivX audio format VirtualDub), setting Stream1AudioPath/Stream2AudioPath.
// Throws RunStop when a program cannot start or Marobex is quitting.
Status EncodeAudio(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports);

// Starts a program and waits for it, answering its exit status; throws
// RunStop when it cannot start (naming it by its path, or by the step when
// it has none) or Marobex is quitting meanwhile, and CancelStop once the run
// is cancelled (the program then asked to end as endBy says).
std::uint32_t RunProgram(ProcessPort& processes, const ProgramCommand& command, int windowStyle,
                         const std::string& step = {}, EndBy endBy = EndBy::CloseWindows);

// Runs one step's program and judges what it left: its result must be there,
// not empty, and written by this step (its size and last-write time noted
// before it started). When the program is Marobex's engine (known by its
// version resource), its exit status decides as well, its log gives the
// cause of a failure, and its warnings go into the encoding log; the engine
// stopped by its "Abort" button throws UserStop. Nothing when the result
// counts (or in a dry run). Cancelled during the step, what the step wrote
// goes (its result, unless it is still the file of before the step, and the
// engine's "<result>.part") and CancelStop is thrown.
std::optional<StepFailure> RunStep(RunPorts& ports, const std::string& step, const ProgramCommand& command,
                                   int windowStyle, const std::string& result);

// The message for the first path of the run that no Windows file name can
// be (a '"', '*', '?', '<', '>', '|', a control character, or a ':' other
// than the drive's), naming its field as the window does; in a job script or
// a command line such a path would end its quotes early. Empty when all are
// sound. Only the paths this run uses are looked at.
std::string UnsoundPathMessage(const EncodeSettings& s, const ProgramState& state);

// One run, from the click to the end (shutdown included when asked). A
// failed run keeps the machine running and tells the user why once the
// windows are back.
RunOutcome StartEncode(const EncodeSettings& s, ProgramState& state, RunPorts& ports);

// "Shutdown when done": the countdown (when there is one), then the shutdown
// with ShutdownWhenDoneFlags; a shutdown error is shown as a message.
void ShutdownWhenDone(RunPorts& ports);

}  // namespace mb
