// The files the engine's simulation writes: AVI (RIFF "AVI ") files of filler
// frames whose size follows from a bitrate and a duration, WAV (RIFF "WAVE")
// files, and MPEG-1 Layer III (MP3) streams of silent frames. Readers of the
// AVI and WAV headers let the simulation learn what it is given, and let
// tests check what was written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mb {

// A WAVEFORMATEX: the format of an audio stream.
struct AudioFormat {
    std::uint16_t formatTag = 1;          // 1 PCM, 0x55 MPEG Layer III, 0x161 WMA, 0x2000 AC3
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint32_t avgBytesPerSec = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::string extra;                    // the format's own bytes behind the structure
};

// 16-bit-per-sample style PCM: block align and bytes per second follow.
AudioFormat PcmFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bits);

struct AviAudioTrack {
    AudioFormat format;
    std::int64_t bytes = 0;               // the track's data
};

struct AviShape {
    std::uint32_t handler = 0;            // FOURCC of the video codec; 0 for uncompressed RGB
    std::int32_t width = 320;
    std::int32_t height = 240;
    std::uint32_t framesPerSecond = 25;
    std::uint32_t frames = 1;
    std::int64_t videoBytes = 0;          // all frames' data together
    std::vector<AviAudioTrack> audio;     // streams 1, 2, ... after the video stream 0
};

// A valid AVI: "hdrl" with "avih" and one "strl" per stream, "movi" with each
// audio track as one "01wb", "02wb", ... chunk followed by the frames as
// "00dc" chunks (sizes as equal as possible, each padded to an even length),
// and "idx1" with an entry per chunk (a key frame each second).
std::string AviBytes(const AviShape& avi);

// The length AviBytes gives for that layout, without building the file.
std::int64_t AviFileSize(const AviShape& avi);

struct AviStreamInfo {
    std::string type;                     // "vids" or "auds"
    std::uint32_t handler = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t length = 0;
    std::uint32_t compression = 0;        // video: the BITMAPINFOHEADER's compression
    std::int32_t width = 0;               // video
    std::int32_t height = 0;              // video
    AudioFormat audio;                    // audio
    std::int64_t indexedBytes = 0;        // sum of the stream's chunk sizes in idx1
    std::uint32_t indexedChunks = 0;
};

struct AviSummary {
    std::uint32_t microSecPerFrame = 0;
    std::uint32_t flags = 0;
    std::uint32_t totalFrames = 0;
    std::uint32_t streams = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<AviStreamInfo> streamInfo;
    std::uint32_t keyFrames = 0;          // idx1 entries of stream 0 flagged as key frames
};

// Reads a whole AVI file: the RIFF size must match the length, the headers
// must be complete, and every idx1 entry must point at a chunk of its id and
// size inside "movi". On failure returns false and says why in problem.
bool ReadAvi(std::string_view bytes, AviSummary& summary, std::string& problem);

// Reads only the headers ("hdrl") from the beginning of an AVI file, up to
// its "movi" list; the index fields of the summary stay 0.
bool ReadAviHeaders(std::string_view bytes, AviSummary& summary, std::string& problem);

// A WAV file of the format with dataBytes of silence (zero bytes); a format
// other than PCM also gets a "fact" chunk with its length in samples.
std::string WavBytes(const AudioFormat& format, std::int64_t dataBytes);

struct WavSummary {
    AudioFormat format;
    std::int64_t dataBytes = 0;           // the "data" chunk's size as its header says
};

// Reads the header of a WAV file up to the start of its "data" chunk; the
// bytes may be only the beginning of the file.
bool ReadWavHeader(std::string_view bytes, WavSummary& summary, std::string& problem);

// The bitrates (kbit/s) an MPEG-1 Layer III frame can carry.
bool IsMp3Bitrate(int kbps);
// The highest MPEG-1 Layer III bitrate not above kbps (32 at least).
int Mp3BitrateAtMost(int kbps);

// An MPEG-1 Layer III stream of silent frames (1,152 samples each, joint
// stereo) at samplesPerSec (32000, 44100 or 48000) lasting at least the
// seconds given. The frames alternate between the two bitrates (kbit/s; give
// the same one twice for a constant bitrate); padding keeps the average exact
// at 44100 Hz.
std::string Mp3Bytes(std::uint32_t samplesPerSec, int kbpsA, int kbpsB, double seconds);

}  // namespace mb
