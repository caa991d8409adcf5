// The engine's simulation: what an FFmpeg run of a plan would write, made
// without FFmpeg. It reads the same runs the engine gives FFmpeg and writes
// plausible files in their place: AVIs of filler frames with the planned
// fourcc and bit rate (a video pass that aims at a size lands on its aim),
// the audio streams at their bit rates, WAV and MP3 files of silence, and a
// first pass's statistics. Durations come from the inputs: an AVI's header,
// a WAV header, an MPEG audio frame, AC3 at 384 kbit/s; 10 s where none
// tells. For tests, and for watching a run where FFmpeg is not installed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine_plan.h"

namespace mb::engine {

// The largest file the simulation writes: files are built in memory. A run
// that asks for more (an absurd bit rate) fails.
constexpr std::int64_t kSimulatedMaxBytes = std::int64_t{1} << 30;

// The length of a file in bytes, -1 when it does not exist.
using FileSizer = std::function<std::int64_t(const std::string&)>;

struct SimulatedFile {
    std::string path;   // empty when the run writes no file (FFmpeg's null muxer)
    std::string bytes;
};
struct Simulated {
    SimulatedFile output;
    std::optional<SimulatedFile> passLog;  // a first pass's statistics
    std::string problem;                   // when it cannot be simulated
};

// What the run would write; heads gives the first bytes of an input.
Simulated SimulateRun(const FfmpegRun& run, const FileReader& heads, const FileSizer& sizes);

}  // namespace mb::engine
