// The audio steps of a run: BeSweet, and for WMA a VirtualDub job.
#pragma once

#include "run/run_step.h"

namespace mb {

// Converts the audio streams whose path box is filled (BeSweet, and for the
// DivX audio format VirtualDub), setting Stream1AudioPath/Stream2AudioPath.
// The first step that fails, or a program that cannot start, ends the run
// (RunStop).
void EncodeAudio(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports);

}  // namespace mb
