// What a video source is (frames, frame rate, picture size, length), read
// from an AVI file's own headers, and the sizes the codec panels' numbers
// give for it. These are shown to the user only: nothing Marobex writes
// depends on them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mb {

struct SourceFacts {
    bool known = false;        // the headers were read
    std::int64_t frames = 0;   // video frames
    double fps = 0;            // frames per second
    int width = 0, height = 0;
    double Seconds() const { return fps > 0 ? static_cast<double>(frames) / fps : 0; }
};

// How much of a file the headers need: an AVI's header list lies at its start.
inline constexpr std::size_t AviHeaderBytes = 64 * 1024;

// The facts in the first bytes of an AVI file (RIFF "AVI "): the main header
// and the video stream's header, the OpenDML total where the file has one.
// Anything else gives facts that are not known.
SourceFacts ReadAviFacts(std::string_view bytes);

// The Input tab's text: "Length 0:01:30, 2,250 frames" and
// "25.000 fps, 640 x 480"; "Length unknown" for a source whose facts cannot
// be read. Two lines joined by "\r\n".
std::string SourceFactsText(const SourceFacts& facts);

// h:mm:ss of a count of seconds, rounded to the second.
std::string ClockTime(double seconds);

// What the AVI container adds to a muxed target: about 12.8 KB per 300
// frames (each frame's chunk header and index entry) and its header lists.
double AviOverheadBytes(std::int64_t frames);

// The audio that goes into the muxed target: its bytes per second (an AC3
// stream is copied and counted from its file's size instead).
struct AudioShare {
    double bytesPerSecond = 0;
    std::int64_t fileBytes = 0;  // an AC3 file copied as it is
};

// The bytes of a target muxed from video at `kbps` for the source, with the
// audio streams given.
double TargetBytesForBitrate(double kbps, const SourceFacts& facts, const AudioShare& audio1,
                             const AudioShare& audio2);
// The video bitrate (kbit/s) that a desired size in KB gives for the source
// once the audio and the container are taken off; 0 when nothing is left.
double BitrateForSize(double desiredKB, const SourceFacts& facts, const AudioShare& audio1,
                      const AudioShare& audio2);

// The codec panels' labels: "= 13.4 MB for this source" and
// "= 1,234 kbps for this source"; empty while the source's facts are not
// known or the number does not read.
std::string SizeLabelForBitrate(double kbps, const SourceFacts& facts, const AudioShare& audio1,
                                const AudioShare& audio2);
std::string BitrateLabelForSize(double desiredKB, const SourceFacts& facts, const AudioShare& audio1,
                                const AudioShare& audio2);

// The MP3 bitrates of the audio tab's list (CmbBitrate1/2), by index.
int Mp3Kbps(int bitrateIndex);

}  // namespace mb
