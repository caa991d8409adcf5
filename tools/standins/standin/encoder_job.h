// What the VirtualDub and Nandub stand-ins do with a job script once it has
// been read: the statements' effects, and the files they write.
//
// Effects, in the order the statements run (the first failure ends the job):
// - Open needs the source file to exist; audio SetSource with a file name
//   needs that file.
// - video.SetCompression selects a codec by FOURCC; SetCompData then hands it
//   its state record. Without a selected codec, with a length beyond what the
//   base64 text holds, or with a state no known codec takes (DivX 5: FOURCC
//   "divx", 323 bytes, bitrate at byte 4; DivX 4: "divx" or "dvx4", 316
//   bytes, bitrate at byte 0; XviD: "xvid", 1124 bytes, bitrate at byte 4;
//   32-bit little-endian bit/s, above 0), the statement fails.
// - SaveAVI writes an AVI of the duration given: video at the codec's bitrate
//   (DivX 3 in Nandub: SetDivX's kbit/s), or a copy of the source's size when
//   the video mode is 0 (direct stream copy), or uncompressed 160 x 120 frames;
//   plus every audio track that has a source file.
// - In Nandub with NoAVIOutput(1), SaveAVI writes the GenStats statistics file
//   and no AVI; with a curve file (SetCurveFile) it needs that file to be a
//   statistics file of a first pass.
// - SaveWAV writes the first audio track as WAV: its compression's format when
//   the audio mode is 1 and a compression is set, else PCM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/job_script.h"
#include "standin/standin_common.h"
#include "standin/trace.h"

namespace mb {

// Frames per second of the video the stand-ins write.
constexpr std::uint32_t kStandinFramesPerSecond = 25;

// FOURCCs as the job scripts write them (first character in the low byte).
constexpr std::uint32_t kFourccDivx = 0x78766964;  // "divx"
constexpr std::uint32_t kFourccDvx4 = 0x34787664;  // "dvx4"
constexpr std::uint32_t kFourccXvid = 0x64697678;  // "xvid"
constexpr std::uint32_t kFourccDiv3 = 0x33564944;  // "DIV3"

struct CodecStateInfo {
    std::string codec;                // "DivX 5", "DivX 4" or "XviD"
    std::int32_t bitsPerSecond = 0;   // the state's bitrate field
};
// The codec that takes a state record of this FOURCC and length, and the
// bitrate in it; nullopt when no codec takes it.
std::optional<CodecStateInfo> ReadCodecState(std::uint32_t fourcc, std::string_view state);

// The first line of the statistics file of a Nandub first pass.
constexpr std::string_view kNandubStatsHeader = "Nandub first pass statistics";

// The command line of the stand-in encoders: " /r /x /s<job file>".
struct EncoderArguments {
    std::string jobFile;
    bool runJob = false;        // /r
    bool exitWhenDone = false;  // /x
};
// Parses the arguments (the command line after the program path). The job
// file follows /s directly, quoted when it holds blanks; /x is required, since
// without it the program would stay open after the job.
bool ParseEncoderArguments(std::string_view arguments, EncoderArguments& out, std::string& problem);

// The file name of the first VirtualDub.Open of the job, for the status
// window's title; empty when the job opens nothing.
std::string SourceNameOfJob(const std::vector<ScriptStatement>& statements);

// Runs the statements in order and stops at the first that fails. Adds to
// the trace: "statement" for each statement run ("<line>: <text>"),
// "codec", "codec fourcc", "codec state length", "codec state" (hex),
// "video bitrate" (bit/s) when a codec takes its state, "audio codec state"
// (hex) for an audio compression with format bytes, "wrote" for each file
// written, "no AVI" for a first pass that writes none, and "error" for the
// failure. True when every statement ran.
bool RunEncoderJob(const std::vector<ScriptStatement>& statements, ScriptDialect dialect,
                   double seconds, StandinFiles& files, TraceRecord& trace);

}  // namespace mb
