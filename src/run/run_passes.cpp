#include "run/run_passes.h"

#include <cmath>
#include <utility>

#include "model/numbers.h"
#include "codecstate/binary_text.h"
#include "jobs/job_scripts.h"
#include "run/encode_log.h"
#include "run/priority_command.h"
#include "run/run_audio.h"

namespace mb {

namespace {

constexpr const char* kDivx3StatsFile = "C:\\Divx3stats.stats";

// A whole number for the log: rounded half to even, held inside 32 bits.
std::int64_t LogNumber(double v) {
    if (auto r = RoundHalfEven32(v)) return *r;
    if (std::isnan(v)) return 0;
    return v < 0 ? INT32_MIN : INT32_MAX;
}

// One run between the hiding and the showing of the main window: the log's
// values, the queue, the audio, the video passes, the mux.
class Run {
public:
    Run(const EncodeSettings& s, ProgramState& state, RunPorts& ports, const RunPlan& plan, RunTools tools)
        : s_(s), state_(state), ports_(ports), plan_(plan), tools_(std::move(tools)) {}

    void Execute() {
        FillLogValues();
        FillQueue();
        EncodeAudio(s_, state_, tools_, ports_);
        VideoPlan();
        if (s_.ChkMux == 1) Mux();
        // A cancel after the last program still holds the shutdown back.
        if (ports_.processes.RunCancelled()) throw CancelStop();
    }

private:
    // Starts a job (Priority.exe first) and judges what it left (RunStep).
    // kbps: the bitrate the step aims at, for the size its progress expects.
    void Step(const char* step, int app, const std::string& programPath, const char* literal,
              const std::string& result, std::int64_t kbps = 0) {
        if (ports_.processes.RunCancelled()) throw CancelStop();
        ports_.view.StepStarted({step, state_.SourceFilePath, result, static_cast<double>(kbps)});
        SetVdubPriority(app, s_, state_, ports_.processes);
        RunStep(ports_, step, {programPath, literal}, 0, result);
    }

    void FillLogValues() {
        const std::string* bitrate[] = {&s_.txtBr, &s_.TxtBr4, &s_.TxtBrX, &s_.TxtBit3};
        OldBit_ = LogNumber(LeadingNumber(*bitrate[s_.OptCodec]));
        DesiredSize_ = LogNumber(LeadingNumber(s_.TxtDivx4Size));
        OverSizeError_ = static_cast<std::int64_t>(
            std::trunc(plan_.overSizePercent / 100.0 * static_cast<double>(DesiredSize_)));
        PassMode_ = ItemNumber(s_, Ctl::CmbNumPass) == 2 ? "2 Pass (Both)" : "1 Pass (CBR)";
        if (plan_.NumPass == 3) PassMode_ = "3 Pass";
        static const char* const kCodecUsed[] = {"DivX 5.x or DivX5 Pro", "DivX 4.x Codec",
                                                 "XviD MPEG-4 Codec", "DivX 3.x (SBC) Codec"};
        CodecUsed_ = kCodecUsed[s_.OptCodec];
    }

    void FillQueue() {
        RunView& v = ports_.view;
        v.ClearQueue();
        if (!s_.TxtStream1.empty()) v.AddQueueEntry(" - Audio Stream 1");
        if (!s_.TxtStream2.empty()) v.AddQueueEntry(" - Audio Stream 2");
        v.AddQueueEntry(" - First Pass");
        if (plan_.NumPass >= 2) v.AddQueueEntry(" - Second Pass");
        if (plan_.NumPass == 3) {
            v.AddQueueEntry(" - Bitrate Recalculation");
            v.AddQueueEntry(" - Third Pass");
        }
        if (s_.ChkMux == 1) v.AddQueueEntry(" - Mux Video / Audio");
        if (s_.ChkSplitSize == 1) v.AddQueueEntry(" - Split Final Video");
    }

    void Log(const std::string& PartLog) {
        for (const std::string& line :
             VdubLogEncode(PartLog, TimeEncode_, OldBit_, NewBit_, FinalSize_, DesiredSize_,
                           OverSizeError_, PassMode_, CodecUsed_, TotalTime_, ports_.system))
            ports_.view.AppendLog(line);
    }

    std::int64_t KB(const std::string& path) {
        const std::int64_t bytes = ports_.files.FileSize(path);
        return bytes < 0 ? 0 : bytes / 1024;
    }

    void StartClock() { StartTime_ = ports_.clock.NowSeconds(); }
    void StopClock() { TimeEncode_ = ports_.clock.NowSeconds() - StartTime_; }

    void VideoPlan() {
        FinalSize_ = 0;
        TimeEncode_ = 0;
        Log("InitLog");
        if (plan_.NumPass == 1) {
            StartClock();
            Log("Job1Start");
            Step("First Pass", 1, tools_.virtualDub, " /r /x /sc:\\jobpass.vcf", state_.VideoOutputPath, OldBit_);
            FinalSize_ = KB(state_.VideoOutputPath);
            StopClock();
            TotalTime_ = 0;
            Log("Job1End");
            FinalSize_ = KB(state_.VideoOutputPath);
            StopClock();
            TotalTime_ = TimeEncode_;
            Log("CloseLog");
            ports_.view.RemoveFirstQueueEntry();
            return;
        }

        const bool nandub = s_.OptCodec == 3;
        const int app = nandub ? 2 : 1;
        const std::string& program = nandub ? tools_.nanDub : tools_.virtualDub;
        StartClock();
        Log("Job1Start");
        // Nandub's first pass writes no AVI, only the statistics file that
        // the second pass reads back.
        Step("First Pass", app, program, " /r /x /sc:\\jobpass1.vcf", nandub ? kDivx3StatsFile : state_.FirstPassPath);
        FinalSize_ = 0;
        StopClock();
        TotalTime_ = TimeEncode_;
        Log("Job1End");
        StartClock();
        Log("Job2Start");
        Step("Second Pass", app, program, " /r /x /sc:\\jobpass2.vcf", state_.VideoOutputPath, OldBit_);
        FinalSize_ = 0;
        StopClock();
        TotalTime_ += TimeEncode_;
        Log("Job2End");
        if (plan_.NumPass == 2) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            return;
        }
        ThirdPass();
    }

    void ThirdPass() {
        const std::int64_t FirstSize = KB(state_.VideoOutputPath);
        if (FirstSize <= 0) return;  // the second pass left nothing to measure

        const bool needed = FirstSize > DesiredSize_ + OverSizeError_ ||
                            FirstSize < DesiredSize_ - OverSizeError_;
        if (!needed) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("NoDivx3Pass");
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            return;
        }

        if (state_.CompDataPass3.size() < 32) {
            ports_.view.AppendLog(" >> Third Pass not possible: no DivX 4 codec state <<");
            return;
        }
        double quotient = std::trunc(plan_.divx4Bitrate * plan_.divx4Size / static_cast<double>(FirstSize));
        if (quotient > 6000) quotient = 6000;
        const auto newBitrate = static_cast<std::int32_t>(quotient);
        state_.CompDataPass3 =
            BinaryToBase64(ReplaceBits(state_.CompDataPass3, 0, 32, LongToBinary(newBitrate * 1000))) + "=";
        if (Status st = WriteVCFvirtualDub("Divx4", 3, plan_.FastOrFull, state_, ports_.files); !st) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            StopUnless(st);
        }
        FinalSize_ = KB(state_.VideoOutputPath);
        NewBit_ = newBitrate;
        Log("BitrRecal");
        StartClock();
        Log("Job3Start");
        Step("Third Pass", 1, tools_.virtualDub, " /r /x /sc:\\jobpass3.vcf", state_.VideoOutputPath, NewBit_);
        StopClock();
        TotalTime_ += TimeEncode_;
        Log("Job3End");
        FinalSize_ = KB(state_.VideoOutputPath);
        Log("CloseLog");
    }

    void Mux() {
        const int ac3First = s_.OptAudioFormat1 == 0 ? 1 : 0;
        const int ac3Second = plan_.streams == 2 && s_.OptAudioFormat2 == 0 ? 1 : 0;
        const int delaySecond = plan_.streams == 2 ? plan_.delay2 : 0;
        StopUnless(WriteVCFaudioMux(plan_.streams, ac3First, ac3Second, plan_.delay1, delaySecond, state_,
                                    ports_.files));
        Step("Mux Video / Audio", 2, tools_.nanDub, " /r /x /sc:\\audiomux.vcf", state_.TargetFilePath);
    }

    const EncodeSettings& s_;
    ProgramState& state_;
    RunPorts& ports_;
    const RunPlan& plan_;
    const RunTools tools_;

    std::int64_t TimeEncode_ = 0, OldBit_ = 0, NewBit_ = 0, FinalSize_ = 0, DesiredSize_ = 0,
                 OverSizeError_ = 0, TotalTime_ = 0, StartTime_ = 0;
    std::string PassMode_, CodecUsed_;
};

}  // namespace

void RunPasses(const EncodeSettings& s, ProgramState& state, RunPorts& ports, const RunPlan& plan, RunTools tools) {
    Run(s, state, ports, plan, std::move(tools)).Execute();
}

}  // namespace mb
