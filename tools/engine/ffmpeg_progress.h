// Reading what FFmpeg says while it works: the key=value blocks of
// "-progress pipe:1" on its standard output, and on its standard error the
// input's length and frame rate, the loudness volumedetect measured, and the
// last lines, which tell why a run failed.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace mb::engine {

// One block of -progress output, ended by its "progress=" line.
struct Progress {
    std::int64_t frame = 0;
    double fps = 0;
    std::int64_t totalSize = 0;      // bytes written so far
    std::int64_t outTimeUs = 0;      // "out_time_ms", which counts microseconds
    bool end = false;                // "progress=end"
};

// Takes the output in pieces as they come and gives the finished blocks.
class ProgressReader {
public:
    std::vector<Progress> Feed(std::string_view bytes);

private:
    std::string line_;
    Progress current_;
};

// What the standard error tells: the first input's duration and the frame
// rate of its first video stream, the volumedetect result, and the last lines.
class ErrorReader {
public:
    static constexpr std::size_t kKeptLines = 20;

    void Feed(std::string_view bytes);
    // A last line without its line end.
    void Finish();

    double durationSeconds() const { return duration_; }  // -1 when not known
    double framesPerSecond() const { return fps_; }       // 0 when not known
    bool haveMaxVolume() const { return haveMaxVolume_; }
    // Lines in which FFmpeg's decoder says the source is damaged.
    int decodeErrors() const { return decodeErrors_; }
    double maxVolumeDb() const { return maxVolume_; }
    const std::deque<std::string>& lastLines() const { return last_; }

private:
    void Line(const std::string& line);

    std::string line_;
    bool inInput0_ = false;
    double duration_ = -1;
    double fps_ = 0;
    bool haveMaxVolume_ = false;
    double maxVolume_ = 0;
    int decodeErrors_ = 0;
    std::deque<std::string> last_;
};

// The status window's texts for a moment of a run.
struct StatusTexts {
    std::string frames;     // "Frame 120 of 250"
    std::string percent;    // "48 %"
    std::string speed;      // "31.5 frames/s"
    std::string elapsed;    // "0:00:04"
    std::string remaining;  // "0:00:04", "-" while not known
    std::string size;       // "1,234 KB"
    int percentValue = 0;   // 0..100 for the progress bar
};
StatusTexts DescribeProgress(const Progress& p, double durationSeconds, double framesPerSecond, double elapsedSeconds);

// One line saying why FFmpeg failed, from its last lines: a full disk
// (named by the output's drive), a source it cannot read (an AviSynth script
// without AviSynth), or the line that states the cause, passing over the
// hints FFmpeg adds after it ("To ignore this, add a trailing '?' to the
// map.") and its closing summaries ("Conversion failed!").
std::string FailureLine(const std::deque<std::string>& lastLines, int exitCode, const std::string& input,
                        const std::string& output = {});

// "the disk E: is full", naming the drive (or share) of the path.
std::string DiskFullLine(const std::string& path);

// How one FFmpeg run ended, as the engine saw it.
struct RunEnd {
    unsigned long exitCode = 0;
    bool sawEnd = false;              // its progress output reached "progress=end"
    std::int64_t frames = 0;          // the frame count of its last progress block
    std::int64_t outTimeUs = 0;
    std::int64_t expectedFrames = 0;  // the source's frames by its header; 0: not known
    double expectedSeconds = -1;      // the source's length by its header; -1: not known
    std::int64_t outputFrames = -1;   // the frames the output's header holds (0: no AVI header); -1: not looked at
    int decodeErrors = 0;
};

// The frames the source's header promises, from FFmpeg's report of its first
// input; 0 when it does not say.
std::int64_t ExpectedFrames(const ErrorReader& errors);

// Empty when the run is complete: FFmpeg ended by itself with exit status 0
// after its progress said "progress=end", and the output holds the frames it
// encoded. Otherwise the line that says what happened.
std::string IncompleteRun(const RunEnd& end, const std::deque<std::string>& lastLines, const std::string& input,
                          const std::string& output);

// What a complete run tells about its source: fewer frames read than its
// header promises, or damage FFmpeg's decoder reported. One line each.
std::vector<std::string> SourceWarnings(const RunEnd& end);

// FFmpeg refused the bitrate because the maximum quantizer given ("-qmax")
// cannot reach it ("bitrate too low for this video with these parameters").
bool QuantizerTooTight(const std::deque<std::string>& lastLines, const std::vector<std::string>& args);
// The args without their "-qmax" option.
std::vector<std::string> WithoutMaxQuantizer(const std::vector<std::string>& args);

}  // namespace mb::engine
