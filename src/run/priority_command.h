// The command line of Priority.exe, started before each encoder.
#pragma once

#include <string>

#include "model/encode_settings.h"
#include "model/ports.h"
#include "model/program_state.h"

namespace mb {

// Starts Priority.exe (without waiting) before an encoder: 1 VirtualDub,
// any other value Nandub.
ProgramCommand PriorityCommand(int ApplicationNumber, const EncodeSettings& s,
                               const std::string& programFolder);
void SetVdubPriority(int ApplicationNumber, const EncodeSettings& s, const ProgramState& state,
                     ProcessPort& processes);

}  // namespace mb
