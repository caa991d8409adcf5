#include "ffmpeg_progress.h"

#include <cstdio>
#include <cstdlib>

#include "jobs/source_facts.h"
#include "program_lines.h"

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
    if (Contains(line, "Error while decoding stream") || Contains(line, "] concealing ")) ++decodeErrors_;
    const std::size_t mv = line.find("max_volume: ");
    if (mv != std::string::npos) {
        maxVolume_ = ToDouble(std::string_view(line).substr(mv + 12));
        haveMaxVolume_ = true;
    }
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
    t.elapsed = ClockTime(elapsedSeconds);
    t.remaining = fraction > 0.001 && !p.end ? ClockTime(elapsedSeconds * (1 - fraction) / fraction) : (p.end ? ClockTime(0) : "-");
    t.size = Grouped(p.totalSize / 1024) + " KB";
    return t;
}

namespace {

// Lines FFmpeg adds after the one that states the cause: advice, its
// progress and summary lines.
bool IsHint(const std::string& l) {
    static constexpr std::string_view kHints[] = {
        "To ignore this", "Consider increasing", "Last message repeated", "Press [q]", "frame=", "size=",
        "video:", "Exiting normally", "Input #", "Output #", "Stream mapping:",
    };
    if (l.empty() || l.rfind("  ", 0) == 0) return true;
    for (std::string_view h : kHints)
        if (l.rfind(h, 0) == 0) return true;
    return false;
}

// Lines that say only that something failed, not what.
bool IsGeneric(const std::string& l) {
    static constexpr std::string_view kGeneric[] = {
        "Conversion failed!", "Error initializing output stream", "Error while opening encoder",
        "Error while filtering", "Error closing file",
    };
    for (std::string_view g : kGeneric)
        if (l.rfind(g, 0) == 0) return true;
    return false;
}

// "[mpeg4 @ 000001c2f3a0] text" without the address FFmpeg prints.
std::string WithoutAddress(const std::string& l) {
    const std::size_t at = l.find(" @ ");
    const std::size_t close = l.find(']');
    if (l.empty() || l[0] != '[' || at == std::string::npos || close == std::string::npos || at > close) return l;
    return l.substr(0, at) + l.substr(close);
}

}  // namespace

std::string DiskFullLine(const std::string& path) {
    std::string disk;
    if (path.size() >= 2 && path[1] == ':') {
        disk = path.substr(0, 2);
    } else if (path.rfind("\\\\", 0) == 0) {
        const std::size_t share = path.find('\\', 2);
        const std::size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
        disk = path.substr(0, end);
    }
    return disk.empty() ? "the disk is full" : "the disk " + disk + " is full";
}

std::string FailureLine(const std::deque<std::string>& lastLines, int exitCode, const std::string& input,
                        const std::string& output) {
    for (const std::string& l : lastLines)
        if (Contains(l, "No space left on device") || Contains(l, "There is not enough space"))
            return DiskFullLine(output);
    const bool avs = LowerExtension(input) == ".avs";
    for (const std::string& l : lastLines) {
        if (!Contains(l, input)) continue;
        if (avs) return "FFmpeg cannot read the AviSynth script \"" + input + "\": it needs AviSynth installed (and an FFmpeg built with it)";
        if (Contains(l, "No such file") || Contains(l, "Invalid data") || Contains(l, "Permission denied"))
            return "FFmpeg cannot read \"" + input + "\": " + l.substr(l.rfind(": ") + 2);
    }
    const std::string code = "FFmpeg failed (exit code " + std::to_string(exitCode) + ")";
    const std::string* generic = nullptr;
    for (auto it = lastLines.rbegin(); it != lastLines.rend(); ++it) {
        if (IsHint(*it)) continue;
        if (!IsGeneric(*it)) return code + ": " + WithoutAddress(*it);
        if (generic == nullptr) generic = &*it;
    }
    return generic != nullptr ? code + ": " + *generic : code;
}

std::int64_t ExpectedFrames(const ErrorReader& errors) {
    const double d = errors.durationSeconds(), fps = errors.framesPerSecond();
    return d > 0 && fps > 0 ? static_cast<std::int64_t>(d * fps + 0.5) : 0;
}

std::string IncompleteRun(const RunEnd& end, const std::deque<std::string>& lastLines, const std::string& input,
                          const std::string& output) {
    const int code = static_cast<int>(end.exitCode);
    // FFmpeg's own error exits are small numbers; the system's codes of a
    // crashed or killed process are not.
    if (end.exitCode != 0 && end.exitCode < 256) return FailureLine(lastLines, code, input, output);
    if (!end.sawEnd) {
        std::string at;
        if (end.frames > 0 || end.expectedFrames > 0) {
            at = "frame " + std::to_string(end.frames) +
                 (end.expectedFrames > 0 ? " of " + std::to_string(end.expectedFrames) : std::string());
        } else {
            at = ClockTime(end.outTimeUs / 1e6) + (end.expectedSeconds > 0 ? " of " + ClockTime(end.expectedSeconds) : "");
        }
        return "FFmpeg ended before the end of the pass (killed or crashed) at " + at;
    }
    if (end.exitCode != 0) return "FFmpeg failed (exit code " + std::to_string(end.exitCode) + ") after the end of the pass";
    if (end.outputFrames >= 0 && end.outputFrames < end.frames)
        return "the output holds " + std::to_string(end.outputFrames) + " of the " + std::to_string(end.frames) +
               " frames FFmpeg encoded";
    return {};
}

std::vector<std::string> SourceWarnings(const RunEnd& end) {
    std::vector<std::string> out;
    // FFmpeg's duration is rounded to a hundredth of a second: a frame or
    // two either way is its own counting.
    const std::int64_t slack = end.expectedFrames / 200 > 2 ? end.expectedFrames / 200 : 2;
    if (end.frames > 0 && end.expectedFrames > 0 && end.frames + slack < end.expectedFrames)
        out.push_back("the source holds fewer frames than its header promises: FFmpeg read " +
                      std::to_string(end.frames) + " of " + std::to_string(end.expectedFrames));
    if (end.decodeErrors > 0)
        out.push_back("FFmpeg's decoder reported " + std::to_string(end.decodeErrors) +
                      (end.decodeErrors == 1 ? " error" : " errors") + " in the source: the picture may be damaged there");
    return out;
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
