// How a codec's own settings become FFmpeg's: the options of each field of
// the DivX 5, DivX 4 and XviD records and of Nandub's DivX 3 lines, the
// effort FFmpeg spends per bit, and the arithmetic that turns a size the
// user asked for into a bitrate and corrects a pass that missed it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codecstate/codec_state_reader.h"

namespace mb::engine {

// The length of a source, from its AVI header.
struct ClipLength {
    std::int64_t frames = 0;
    double framesPerSecond = 0;
    double Seconds() const { return framesPerSecond > 0 ? static_cast<double>(frames) / framesPerSecond : 0; }
};

// The frame count and rate of the main AVI header ("avih") at the start of
// an AVI file; nullopt when the text is no AVI or the header is cut short.
std::optional<ClipLength> ReadAviLength(std::string_view head);

// The bytes an AVI file holds besides its video frames when FFmpeg writes
// it: the headers, and per frame a chunk header, padding and an index entry.
std::int64_t AviOverheadBytes(std::int64_t frames);

// The bit rate that fills a video stream of kbytes (of 1,024 bytes) over
// the clip, the AVI's own bytes taken off; 0 when the clip has no length or
// the size does not even hold the AVI's own bytes.
std::int64_t BitrateForSize(std::int64_t kbytes, const ClipLength& clip);

// The video stream bytes a bit rate gives over the clip.
std::int64_t BytesForBitrate(std::int64_t bitsPerSecond, const ClipLength& clip);

// What a pass that aimed at aimBytes of video and wrote gotBytes is encoded
// again at: the bit rate scaled by how far it missed, when it missed by more
// than the tolerance (0.01 is 1 %); nullopt when it landed.
std::optional<std::int64_t> CorrectedBitrate(std::int64_t bitsPerSecond, std::int64_t aimBytes, std::int64_t gotBytes,
                                             double tolerance);

// FFmpeg's effort per bit, 0 (fastest) to 6 (the best there is), in the
// steps of XviD's motion search precision.
constexpr int kBestEffort = 6;
std::vector<std::string> EffortOptions(int effort, bool msmpeg4);

// The options of a codec's settings (bit rate and passes excepted), and one
// line for each setting that FFmpeg has no counterpart for.
struct SettingOptions {
    std::vector<std::string> args;
    std::vector<std::string> notApplied;
};
SettingOptions Mpeg4SettingOptions(const CodecSettings& c);

// Nandub's DivX 3 lines, by method ("SetMinKBPS"), with their numbers.
using ScriptNumbers = std::map<std::string, std::vector<int>, std::less<>>;
SettingOptions Divx3LineOptions(const ScriptNumbers& lines, bool analysis);

}  // namespace mb::engine
