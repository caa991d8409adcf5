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

// "h:mm:ss" of whole seconds.
std::string ClockText(double seconds);

// One line saying why FFmpeg failed, from its last lines: a full disk, a
// source it cannot read (an AviSynth script without AviSynth), or its last
// error line.
std::string FailureLine(const std::deque<std::string>& lastLines, int exitCode, const std::string& input);

// FFmpeg refused the bitrate because the maximum quantizer given ("-qmax")
// cannot reach it ("bitrate too low for this video with these parameters").
bool QuantizerTooTight(const std::deque<std::string>& lastLines, const std::vector<std::string>& args);
// The args without their "-qmax" option.
std::vector<std::string> WithoutMaxQuantizer(const std::vector<std::string>& args);

}  // namespace mb::engine
