#include "run/run_progress.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace mb {

namespace {

// An audio conversion weighs as much as this many frames per second of
// sound: it runs many times faster than an encode of the same length.
constexpr double kAudioFramesPerSecond = 3;
constexpr double kMuxShare = 0.05;
// Before this much of the run is done, the time left is a guess.
constexpr double kFractionForEstimate = 0.01;

bool IsPass(const std::string& step) {
    return step == "First Pass" || step == "Second Pass" || step == "Third Pass";
}

int Percent(double fraction) {
    const int p = static_cast<int>(std::floor(fraction * 100 + 1e-9));
    return std::clamp(p, 0, 100);
}

std::int64_t Left(double fraction, std::int64_t elapsed) {
    if (fraction >= 1) return 0;
    if (fraction < kFractionForEstimate || elapsed < 1) return -1;
    return static_cast<std::int64_t>(std::llround(static_cast<double>(elapsed) * (1 - fraction) / fraction));
}

}  // namespace

std::string StepNameOfEntry(const std::string& entry) {
    return entry.rfind(" - ", 0) == 0 ? entry.substr(3) : entry;
}

double StepWork(const std::string& step, const SourceFacts& facts) {
    const double frames = facts.known ? static_cast<double>(facts.frames) : 1;
    const double seconds = facts.known ? facts.Seconds() : 1 / kAudioFramesPerSecond / 5;
    if (IsPass(step)) return frames;
    if (step.rfind("Audio Stream", 0) == 0) return seconds * kAudioFramesPerSecond;
    if (step == "Mux Video / Audio") return frames * kMuxShare;
    return 0;
}

double ExpectedResultBytes(const RunStepStart& step, const SourceFacts& facts) {
    if (!facts.known || step.kbps <= 0) return 0;
    const double bytes = step.kbps * 1000 / 8 * facts.Seconds();
    return IsPass(step.name) ? bytes + AviOverheadBytes(facts.frames) : bytes;
}

void RunProgress::Begin(const std::vector<std::string>& steps, const SourceFacts& facts, std::int64_t now) {
    steps_.clear();
    total_ = 0;
    for (const std::string& name : steps) {
        steps_.push_back({name, StepWork(name, facts)});
        total_ += steps_.back().work;
    }
    current_ = -1;
    stepFraction_ = -1;
    fraction_ = 0;
    runPercent_ = 0;
    stepPercent_ = -1;
    stepName_.clear();
    started_ = now;
    secondsLeft_ = -1;
}

void RunProgress::StepStarted(const std::string& name, std::int64_t now) {
    // The next step of that name: a step runs once, in the order listed.
    for (int i = current_ + 1; i < static_cast<int>(steps_.size()); ++i) {
        if (steps_[static_cast<std::size_t>(i)].name == name) {
            current_ = i;
            break;
        }
    }
    stepName_ = name;
    stepFraction_ = -1;
    Update(now);
}

void RunProgress::StepFraction(double fraction, std::int64_t now) {
    stepFraction_ = std::isfinite(fraction) && fraction >= 0 ? std::min(fraction, 1.0) : -1;
    Update(now);
}

void RunProgress::Finish(std::int64_t now) {
    current_ = static_cast<int>(steps_.size());
    stepFraction_ = 1;
    Update(now);
}

void RunProgress::Update(std::int64_t now) {
    double done = 0;
    const int count = static_cast<int>(steps_.size());
    for (int i = 0; i < std::min(current_, count); ++i) done += steps_[static_cast<std::size_t>(i)].work;
    if (current_ >= 0 && current_ < count && stepFraction_ > 0)
        done += steps_[static_cast<std::size_t>(current_)].work * stepFraction_;
    const double fraction = current_ >= count ? 1 : (total_ > 0 ? done / total_ : 0);
    // Never back: a step that shows less than it did (a program that starts
    // its count again) leaves the run where it was.
    fraction_ = std::max(fraction_, std::min(fraction, 1.0));
    runPercent_ = std::max(runPercent_, Percent(fraction_));
    stepPercent_ = stepFraction_ >= 0 ? Percent(stepFraction_) : -1;
    secondsLeft_ = Left(fraction_, now - started_);
}

void QueueProgress::Begin(int count, std::int64_t now) {
    count_ = count;
    index_ = 0;
    started_ = now;
    secondsLeft_ = -1;
    fraction_ = 0;
}

void QueueProgress::Update(double jobFraction, std::int64_t now) {
    if (count_ <= 0) return;
    const double f = (std::max(index_ - 1, 0) + std::clamp(jobFraction, 0.0, 1.0)) / count_;
    fraction_ = std::max(fraction_, f);
    secondsLeft_ = Left(fraction_, now - started_);
}

std::string TimeLeftText(std::int64_t seconds) { return seconds < 0 ? "-:--:--" : ClockTime(static_cast<double>(seconds)); }

std::string ConsoleProgressLine(const RunProgress& run) {
    std::string line = "progress: " + std::to_string(run.RunPercent()) + "% " + run.StepName();
    if (run.StepPercent() >= 0) line += " " + std::to_string(run.StepPercent()) + "%";
    return line + " " + TimeLeftText(run.SecondsLeft()) + " left";
}

std::string StepProgressText(const RunProgress& run) {
    if (run.StepName().empty()) return "";
    return run.StepName() + (run.StepPercent() >= 0 ? " : " + std::to_string(run.StepPercent()) + " %" : "");
}

std::string RunProgressText(const RunProgress& run) {
    return "Run : " + std::to_string(run.RunPercent()) + " %, " + TimeLeftText(run.SecondsLeft()) + " left";
}

std::string QueueProgressText(const QueueProgress& queue) {
    if (!queue.Active()) return "";
    return "Job " + std::to_string(queue.Index()) + " of " + std::to_string(queue.Count()) + ", queue : " +
           TimeLeftText(queue.SecondsLeft()) + " left";
}

std::string TrayProgressTip(const RunProgress& run, const QueueProgress& queue) {
    std::string tip = "Marobex ";
    if (queue.Active()) tip += "job " + std::to_string(queue.Index()) + "/" + std::to_string(queue.Count()) + " ";
    tip += std::to_string(run.RunPercent()) + "% " + run.StepName();
    if (run.StepPercent() >= 0) tip += " " + std::to_string(run.StepPercent()) + "%";
    tip += " " + TimeLeftText(queue.Active() ? queue.SecondsLeft() : run.SecondsLeft()) + " left";
    return tip.size() > 63 ? tip.substr(0, 63) : tip;
}

namespace {

// The number at `at` with its group separators; false when none is there.
bool ReadGrouped(const std::string& text, std::size_t& at, double& value) {
    std::string digits;
    while (at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) ||
                                ((text[at] == ',' || text[at] == '.' || text[at] == ' ') && !digits.empty() &&
                                 at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1]))))) {
        if (std::isdigit(static_cast<unsigned char>(text[at]))) digits += text[at];
        ++at;
    }
    if (digits.empty()) return false;
    value = std::strtod(digits.c_str(), nullptr);
    return true;
}

}  // namespace

double FractionFromStatus(const std::string& frames, const std::string& percent) {
    const std::size_t frame = frames.find("Frame ");
    const std::size_t of = frames.find(" of ");
    if (frame != std::string::npos && of != std::string::npos) {
        std::size_t a = frame + 6, b = of + 4;
        double done = 0, total = 0;
        if (ReadGrouped(frames, a, done) && ReadGrouped(frames, b, total) && total > 0)
            return std::clamp(done / total, 0.0, 1.0);
    }
    std::size_t at = percent.find_first_of("0123456789");
    double value = 0;
    if (at != std::string::npos && ReadGrouped(percent, at, value) && percent.find('%', at) != std::string::npos)
        return std::clamp(value / 100, 0.0, 1.0);
    return -1;
}

double FractionFromGrowth(std::int64_t bytes, double expectedBytes) {
    if (!(expectedBytes > 0)) return -1;
    if (bytes <= 0) return 0;
    return std::min(static_cast<double>(bytes) / expectedBytes, 0.99);
}

RunEndNotice NoticeFromLog(const std::vector<std::string>& log, const std::string& target,
                           std::int64_t targetBytes, std::int64_t seconds) {
    RunEndNotice notice;
    const auto trimmed = [](std::string line) {
        const auto from = line.find_first_not_of(" >");
        const auto to = line.find_last_not_of(" <");
        return from == std::string::npos ? std::string() : line.substr(from, to - from + 1);
    };
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (*it == " Status Encoding : FINISH") {
            notice.end = EndKind::Done;
            notice.title = "Encoding done";
            notice.text = target + "\n" + (targetBytes >= 0 ? std::to_string(targetBytes / 1024) + " KB" : "no file") +
                          " in " + ClockTime(static_cast<double>(seconds));
            return notice;
        }
        if (*it == " Status Encoding : FAILED") {
            notice.end = EndKind::Failed;
            notice.title = "Encoding failed";
            notice.text = it + 1 != log.rend() ? trimmed(*(it + 1)) : std::string();
            return notice;
        }
        if (it->rfind(" >> Encoding stopped", 0) == 0) {
            notice.end = EndKind::Stopped;
            notice.title = "Encoding stopped";
            notice.text = trimmed(*it);
            return notice;
        }
    }
    notice.title = "Encoding ended";
    notice.text = target;
    return notice;
}

}  // namespace mb
