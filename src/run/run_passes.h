// The steps of a run, in their order: the audio, the video passes with the
// third pass's bitrate worked out from the second pass's size, the mux.
#pragma once

#include "run/run_checks.h"
#include "run/run_step.h"

namespace mb {

// Fills the queue and runs every step, each written to the encoding log;
// the first that fails or is stopped ends the run (RunStop).
void RunPasses(const EncodeSettings& s, ProgramState& state, RunPorts& ports, const RunPlan& plan, RunTools tools);

}  // namespace mb
