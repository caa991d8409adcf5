// What a run checks before it writes anything: the input it needs, and the
// paths no file name can be.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "run/run_driver.h"

namespace mb {

// The values a run works with, worked out (and checked) before anything is
// written.
struct RunPlan {
    int NumPass = 1;
    int FastOrFull = 1;
    double divx4Bitrate = 0;   // strict TxtBr4 (three passes)
    double divx4Size = 0;      // strict TxtDivx4Size (three passes)
    double overSizePercent = 0;
    int streams = 1;           // mux
    std::int32_t delay1 = 0;
    std::int32_t delay2 = 0;
};

// The plan of the run, or nothing once a message has told the user why the
// input cannot be run.
std::optional<RunPlan> CheckInput(const EncodeSettings& s, const ProgramState& state, RunPorts& ports);

// The message for the first path of the run that no Windows file name can
// be (HasForbiddenPathCharacter), naming its field as the window does; in a
// job script or a command line such a path would end its quotes early.
// Empty when all are sound. Only the paths this run uses are looked at.
std::string UnsoundPathMessage(const EncodeSettings& s, const ProgramState& state);

}  // namespace mb
