// How far a run (and a queue of runs) has come: its steps weighted by their
// work (the passes by the source's frames, the audio by its length), the
// running step's share from what its program shows, the time left, and the
// texts the progress window, the tray tip and the console show of it. The
// run's percent never goes back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jobs/source_facts.h"

namespace mb {

// What the run driver tells its view as a step begins: the step as its
// queue entry names it without the leading " - " ("Second Pass"), the
// source, the file the step writes and the bitrate it is written at (kbit/s,
// 0 when the size cannot be foreseen), from which the file's expected size
// follows.
struct RunStepStart {
    std::string name;
    std::string source;
    std::string result;
    double kbps = 0;
};

// The step name of a queue entry (" - First Pass" gives "First Pass").
std::string StepNameOfEntry(const std::string& entry);

// The work of a step, in frames of the source: the passes take every frame,
// an audio conversion as much as a few frames per second of sound, the mux a
// twentieth of the frames; the bitrate recalculation and the split none.
// Without the source's facts, a pass counts as 1.
double StepWork(const std::string& step, const SourceFacts& facts);

// The bytes a step's result file is expected to reach (0: not known).
double ExpectedResultBytes(const RunStepStart& step, const SourceFacts& facts);

class RunProgress {
public:
    // A new run with these steps (names as StepNameOfEntry gives them).
    void Begin(const std::vector<std::string>& steps, const SourceFacts& facts, std::int64_t now);
    bool Begun() const { return !steps_.empty(); }
    // The step begins; the ones before it are done.
    void StepStarted(const std::string& name, std::int64_t now);
    // The running step's share, 0..1; negative when it cannot be known.
    void StepFraction(double fraction, std::int64_t now);
    // Every step has run.
    void Finish(std::int64_t now);

    int RunPercent() const { return runPercent_; }
    // -1 when the step shows no percent.
    int StepPercent() const { return stepPercent_; }
    const std::string& StepName() const { return stepName_; }
    // -1 while it cannot be told yet.
    std::int64_t SecondsLeft() const { return secondsLeft_; }
    std::int64_t Elapsed(std::int64_t now) const { return now - started_; }
    double Fraction() const { return fraction_; }

private:
    void Update(std::int64_t now);

    struct Step {
        std::string name;
        double work = 0;
    };
    std::vector<Step> steps_;
    double total_ = 0;
    int current_ = -1;
    double stepFraction_ = -1;
    double fraction_ = 0;
    int runPercent_ = 0;
    int stepPercent_ = -1;
    std::string stepName_;
    std::int64_t started_ = 0;
    std::int64_t secondsLeft_ = -1;
};

// Jobs of a queue: job `index` (from 1) of `count`, the queue's share from
// the jobs done and the running job's share, and its time left.
class QueueProgress {
public:
    void Begin(int count, std::int64_t now);
    void Job(int index) { index_ = index; }
    void Update(double jobFraction, std::int64_t now);
    bool Active() const { return count_ > 0; }
    void End() { count_ = 0; }
    int Index() const { return index_; }
    int Count() const { return count_; }
    std::int64_t SecondsLeft() const { return secondsLeft_; }

private:
    int index_ = 0, count_ = 0;
    std::int64_t started_ = 0;
    std::int64_t secondsLeft_ = -1;
    double fraction_ = 0;
};

// "0:03:12", or "-:--:--" while it is not known.
std::string TimeLeftText(std::int64_t seconds);

// The console's line: "progress: 41% Second Pass 63% 0:03:12 left"; a step
// that shows no percent goes without one.
std::string ConsoleProgressLine(const RunProgress& run);

// The progress window's three lines.
std::string StepProgressText(const RunProgress& run);   // "Second Pass : 63 %"
std::string RunProgressText(const RunProgress& run);    // "Run : 41 %, 0:03:12 left"
std::string QueueProgressText(const QueueProgress& queue);  // "Job 2 of 3, queue : 0:10:00 left"

// The tray icon's tip, one line within its 63 characters:
// "Marobex 41% Second Pass 63% 0:03:12 left", the job first in a queue.
std::string TrayProgressTip(const RunProgress& run, const QueueProgress& queue);

// How a run ended, as its log's last lines tell it, for the notice at its
// end: " Status Encoding : FINISH" done, " Status Encoding : FAILED" failed
// (the line before it names the step and why), " >> Encoding stopped: ..."
// stopped.
enum class EndKind { Done, Failed, Stopped, Unknown };
struct RunEndNotice {
    EndKind end = EndKind::Unknown;
    std::string title;  // "Encoding done", "Encoding failed", "Encoding stopped"
    std::string text;
};
// `target` and `targetBytes` (-1 when missing) for a done run; `seconds`
// the run's length.
RunEndNotice NoticeFromLog(const std::vector<std::string>& log, const std::string& target,
                           std::int64_t targetBytes, std::int64_t seconds);

// The share an encoder's status window shows: its frame count ("Frame 120
// of 250", digits grouped or not), else its percent ("48 %"); negative when
// neither reads.
double FractionFromStatus(const std::string& frames, const std::string& percent);

// The share a step's result file shows as it grows against its expected size,
// kept below 1 until the step has ended; negative when the size cannot be
// foreseen.
double FractionFromGrowth(std::int64_t bytes, double expectedBytes);

// Reads how far the running program is while it runs, about once a second;
// the window and the console each have one. `tick` gets the step's share
// (negative when it cannot be known).
class StepWatchPort {
public:
    virtual ~StepWatchPort() = default;
    virtual void Watch(const RunStepStart& step, double expectedBytes, std::function<void(double)> tick) = 0;
    virtual void Stop() = 0;
};

}  // namespace mb
