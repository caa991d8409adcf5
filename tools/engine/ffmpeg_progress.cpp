#include "ffmpeg_progress.h"

#include <cstdio>
#include <cstdlib>

#include "standin/standin_common.h"

namespace mb::engine {

namespace {

std::int64_t ToInt(std::string_view v) { return std::strtoll(std::string(v).c_str(), nullptr, 10); }
double ToDouble(std::string_view v) { return std::strtod(std::string(v).c_str(), nullptr); }

// Takes the complete lines out of the buffer and hands each to the function.
template <typename F>
void Lines(std::string& buffer, std::string_view bytes, F each) {
    for (char c : bytes) {
        if (c == '\n' || c == '\r') {
            if (!buffer.empty()) each(buffer);
            buffer.clear();
        } else {
            buffer += c;
        }
    }
}

std::string Grouped(std::int64_t v) {
    std::string digits = std::to_string(v);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

}  // namespace

std::vector<Progress> ProgressReader::Feed(std::string_view bytes) {
    std::vector<Progress> done;
    Lines(line_, bytes, [&](const std::string& line) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) return;
        const std::string_view key = std::string_view(line).substr(0, eq);
        const std::string_view value = std::string_view(line).substr(eq + 1);
        if (key == "frame") current_.frame = ToInt(value);
        else if (key == "fps") current_.fps = ToDouble(value);
        else if (key == "total_size") current_.totalSize = ToInt(value);
        else if (key == "out_time_ms" || key == "out_time_us") current_.outTimeUs = ToInt(value);
        else if (key == "progress") {
            current_.end = value == "end";
            done.push_back(current_);
        }
    });
    return done;
}

void ErrorReader::Feed(std::string_view bytes) {
    Lines(line_, bytes, [&](const std::string& line) { Line(line); });
}

void ErrorReader::Finish() {
    if (!line_.empty()) Line(line_);
    line_.clear();
}

void ErrorReader::Line(const std::string& line) {
    last_.push_back(line);
    if (last_.size() > kKeptLines) last_.pop_front();
    if (line.rfind("Input #", 0) == 0) inInput0_ = line.rfind("Input #0", 0) == 0;
    if (line.rfind("Output #", 0) == 0) inInput0_ = false;
    if (inInput0_ && duration_ < 0) {
        const std::size_t at = line.find("Duration: ");
        int h = 0, m = 0;
        double s = 0;
        if (at != std::string::npos && std::sscanf(line.c_str() + at + 10, "%d:%d:%lf", &h, &m, &s) == 3)
            duration_ = h * 3600.0 + m * 60.0 + s;
    }
    if (inInput0_ && fps_ == 0 && Contains(line, "Video: ")) {
        const std::size_t at = line.find(" fps");
        if (at != std::string::npos) {
            std::size_t from = line.rfind(' ', at - 1);
            if (from != std::string::npos) fps_ = ToDouble(std::string_view(line).substr(from + 1, at - from - 1));
        }
    }
    const std::size_t mv = line.find("max_volume: ");
    if (mv != std::string::npos) {
        maxVolume_ = ToDouble(std::string_view(line).substr(mv + 12));
        haveMaxVolume_ = true;
    }
}

std::string ClockText(double seconds) {
    const auto total = static_cast<long long>(seconds < 0 ? 0 : seconds + 0.5);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    return buf;
}

StatusTexts DescribeProgress(const Progress& p, double durationSeconds, double framesPerSecond, double elapsedSeconds) {
    StatusTexts t;
    const double done = p.outTimeUs / 1e6;
    double fraction = durationSeconds > 0 ? done / durationSeconds : 0;
    if (p.end) fraction = 1;
    if (fraction > 1) fraction = 1;
    if (fraction < 0) fraction = 0;
    t.percentValue = static_cast<int>(fraction * 100);
    const std::int64_t total =
        durationSeconds > 0 && framesPerSecond > 0 ? static_cast<std::int64_t>(durationSeconds * framesPerSecond + 0.5) : 0;
    t.frames = "Frame " + Grouped(p.frame) + (total > 0 ? " of " + Grouped(total < p.frame ? p.frame : total) : std::string());
    t.percent = std::to_string(t.percentValue) + " %";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f frames/s", p.fps);
    t.speed = buf;
    t.elapsed = ClockText(elapsedSeconds);
    t.remaining = fraction > 0.001 && !p.end ? ClockText(elapsedSeconds * (1 - fraction) / fraction) : (p.end ? ClockText(0) : "-");
    t.size = Grouped(p.totalSize / 1024) + " KB";
    return t;
}

std::string FailureLine(const std::deque<std::string>& lastLines, int exitCode, const std::string& input) {
    for (const std::string& l : lastLines)
        if (Contains(l, "No space left on device") || Contains(l, "There is not enough space"))
            return "the disk is full: FFmpeg could not write the file";
    const bool avs = LowerExtension(input) == ".avs";
    for (const std::string& l : lastLines) {
        if (!Contains(l, input)) continue;
        if (avs) return "FFmpeg cannot read the AviSynth script \"" + input + "\": it needs AviSynth installed (and an FFmpeg built with it)";
        if (Contains(l, "No such file") || Contains(l, "Invalid data") || Contains(l, "Permission denied"))
            return "FFmpeg cannot read \"" + input + "\": " + l.substr(l.rfind(": ") + 2);
    }
    for (auto it = lastLines.rbegin(); it != lastLines.rend(); ++it)
        if (!it->empty() && it->rfind("  ", 0) != 0) return "FFmpeg failed (exit code " + std::to_string(exitCode) + "): " + *it;
    return "FFmpeg failed (exit code " + std::to_string(exitCode) + ")";
}

bool QuantizerTooTight(const std::deque<std::string>& lastLines, const std::vector<std::string>& args) {
    bool tooLow = false;
    for (const std::string& l : lastLines) tooLow = tooLow || Contains(l, "bitrate too low");
    for (std::size_t i = 0; tooLow && i < args.size(); ++i)
        if (args[i] == "-qmax") return true;
    return false;
}

std::vector<std::string> WithoutMaxQuantizer(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-qmax") {
            ++i;
            continue;
        }
        out.push_back(args[i]);
    }
    return out;
}

}  // namespace mb::engine
