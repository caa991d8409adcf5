// One step of a run: starting its program, judging what it left, and the one
// way a run ends early.
#pragma once

#include <cstdint>
#include <string>

#include "run/run_driver.h"

namespace mb {

// Ends a run before its last step: no further program starts and the system
// is not shut down. A step that failed, a program that could not start, a
// file that could not be written, Marobex closing and the user's stop all
// end a run so. logLine, when not empty, goes into the encoding log (a
// failed step's is followed by FailedStatusLine); message, when not empty,
// is shown once the main window is back. A stop the user asked for is no
// failure: it is told as information.
struct RunStop {
    RunOutcome outcome = RunOutcome::Stopped;
    std::string logLine;
    std::string message;
    bool ByUser() const { return outcome == RunOutcome::StoppedByUser || outcome == RunOutcome::Cancelled; }
};
// The user stopped the run; reason says how and where ("aborted in
// C:\Marobex\marobex-engine.exe"): " >> Encoding stopped: <reason> <<".
RunStop UserStop(const std::string& reason);
// The user cancelled the run (ProcessPort::CancelRun): " >> Encoding
// stopped: cancelled <<".
RunStop CancelStop();
// A file the run needs could not be written: the run stops, the error its
// message.
void StopUnless(const Status& written);

// The tool paths a run starts its programs from, copied from the program
// state when it starts: a path changed while it runs (the External Program
// Location window stays shown) takes effect with the next run.
struct RunTools {
    std::string virtualDub;
    std::string nanDub;
    std::string besweet;
};

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
// stopped by its "Abort" button throws UserStop. A result that does not
// count throws a RunStop of RunOutcome::Failed, naming the step and what it
// left; nothing is judged in a dry run. Cancelled during the step, what the
// step wrote goes (its result, unless it is still the file of before the
// step, and the engine's "<result>.part") and CancelStop is thrown.
void RunStep(RunPorts& ports, const std::string& step, const ProgramCommand& command, int windowStyle,
             const std::string& result);

}  // namespace mb
