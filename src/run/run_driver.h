// The encoding run started by "&Start Encode": checks, codec state, job
// scripts, then the outside programs one after another, with the queue and
// the encoding log in the progress window. Its parts: run_checks (the input),
// run_step (a program started and judged, and RunStop, the one way a run
// ends early), run_passes (the steps in their order), run_audio,
// priority_command; StartEncode here holds them together.
#pragma once

#include <cstdint>
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

// The log line that ends a failed run, in place of " Status Encoding : FINISH".
inline constexpr char FailedStatusLine[] = " Status Encoding : FAILED";

// One run, from the click to the end (shutdown included when asked). A
// failed run keeps the machine running and tells the user why once the
// windows are back.
RunOutcome StartEncode(const EncodeSettings& s, ProgramState& state, RunPorts& ports);

// "Shutdown when done": the countdown (when there is one), then the shutdown
// with ShutdownWhenDoneFlags; a shutdown error is shown as a message.
void ShutdownWhenDone(RunPorts& ports);

}  // namespace mb
