#include "run/run_driver.h"

#include <cmath>
#include <optional>
#include <utility>

#include "model/numbers.h"
#include "codecstate/binary_text.h"
#include "codecstate/codec_state.h"
#include "jobs/besweet.h"
#include "jobs/job_scripts.h"
#include "env/engine_paths.h"
#include "run/encode_log.h"

namespace mb {

namespace {

constexpr const char* kDivx412Key = "Software\\DivxNetworks\\DivX412Codec";
constexpr const char* kDivx3StatsFile = "C:\\Divx3stats.stats";

// A whole number for the log: rounded half to even, held inside 32 bits.
std::int64_t LogNumber(double v) {
    if (auto r = RoundHalfEven32(v)) return *r;
    if (std::isnan(v)) return 0;
    return v < 0 ? INT32_MIN : INT32_MAX;
}

bool HasPoint(const std::string& path) { return path.find('.') != std::string::npos; }

std::string UpToLastPoint(const std::string& path) { return path.substr(0, path.rfind('.')); }

// The values a run works with, worked out (and checked) before anything is
// written.
struct RunPlan {
    int NumPass = 1;
    int FastOrFull = 1;
    double divx4Bitrate = 0;   // strict TxtBr4 (three passes)
    double divx4Size = 0;      // strict TxtDivx4Size (three passes)
    double overSizePercent = 0;
    int streams = 1;           // mux
    std::int32_t delay1 = 0;
    std::int32_t delay2 = 0;
};

const char* const kNotANumber = "Invalid input. Not a number: ";

// A character that no Windows file or folder name holds. ':' is allowed
// only as the drive's, right after its letter.
bool IsSoundPath(const std::string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c < 32 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|') return false;
        if (c == ':' && i != 1) return false;
    }
    return true;
}

// The caption of a field without the " :" that ends it on the window.
std::string FieldName(Ctl field) {
    std::string name = Control(field).caption;
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
    return name;
}

// Reads a strict number that the run needs; shows why when it cannot.
std::optional<double> NeedNumber(const std::string& text, const char* what, RunPorts& ports) {
    auto v = StrictNumber(text, ports.format);
    if (!v) ports.messages.ShowMessage(kNotANumber + std::string(what));
    return v;
}

std::optional<std::int32_t> NeedWhole(const std::string& text, const char* what, RunPorts& ports) {
    auto v = NeedNumber(text, what, ports);
    if (!v) return std::nullopt;
    auto r = RoundHalfEven32(*v);
    if (!r) ports.messages.ShowMessage("Invalid input. Out of range: " + std::string(what));
    return r;
}

std::optional<RunPlan> CheckInput(const EncodeSettings& s, const ProgramState& state, RunPorts& ports) {
    if (s.txtSource.empty() || !ports.files.FileExists(s.txtSource)) {
        ports.messages.ShowMessage("Cannot find source file");
        return std::nullopt;
    }
    if (s.txtTarget.empty()) {
        ports.messages.ShowMessage("No target file specified.");
        return std::nullopt;
    }
    if (s.OptCodec < 0 || s.OptCodec > 3) {
        ports.messages.ShowMessage("No video codec selected.");
        return std::nullopt;
    }
    if (const std::string unsound = UnsoundPathMessage(s, state); !unsound.empty()) {
        ports.messages.ShowMessage(unsound, MessageIcon::Exclamation);
        return std::nullopt;
    }

    RunPlan plan;
    const bool threePass = s.OptCodec == 1 && s.ChkDivx4Pass3 == 1;
    plan.NumPass = threePass ? 3 : (ItemNumber(s, Ctl::CmbNumPass) == 2 ? 2 : 1);
    plan.FastOrFull = s.OptencodingMode == 0 ? 1 : 3;

    // Names derived from the target need a point to cut at.
    if ((plan.NumPass >= 2 || s.ChkMux == 1) && !HasPoint(state.TargetFilePath)) {
        ports.messages.ShowMessage("Invalid input. The target file has no extension: " +
                                   state.TargetFilePath);
        return std::nullopt;
    }

    // The numbers the run itself reads, where this run uses them.
    if (threePass) {
        auto br = NeedNumber(s.TxtBr4, "encoding bitrate", ports);
        if (!br) return std::nullopt;
        auto size = NeedNumber(s.TxtDivx4Size, "desired size", ports);
        if (!size) return std::nullopt;
        if (*size <= 0) {
            ports.messages.ShowMessage("No input for desired size");
            return std::nullopt;
        }
        auto over = NeedNumber(s.TxtDivx4OverSize, "maximum oversize", ports);
        if (!over) return std::nullopt;
        plan.divx4Bitrate = *br;
        plan.divx4Size = *size;
        plan.overSizePercent = *over;
    } else if (auto over = StrictNumber(s.TxtDivx4OverSize, ports.format)) {
        plan.overSizePercent = *over;  // only printed; a hidden field never refuses a run
    }
    if (s.ChkMux == 1) {
        plan.streams = s.TxtStream2.empty() ? 1 : 2;
        auto d1 = NeedWhole(s.TxtDelay1, "audio stream 1 delay", ports);
        if (!d1) return std::nullopt;
        plan.delay1 = *d1;
        if (plan.streams == 2) {
            auto d2 = NeedWhole(s.TxtDelay2, "audio stream 2 delay", ports);
            if (!d2) return std::nullopt;
            plan.delay2 = *d2;
        }
    }
    return plan;
}

bool BuildCodecState(const EncodeSettings& s, ProgramState& state, RunPorts& ports) {
    state.CompDataPass1.clear();
    state.CompDataPass2.clear();
    state.CompDataPass3.clear();
    switch (s.OptCodec) {
        case 0: return CreateCompDataDivx5(s, state, ports.messages, ports.format);
        case 1: return CreateCompDataDivx4(s, state, ports.messages, ports.format);
        case 2: return CreateCompDataXvid(s, state, ports.messages, ports.format);
        default: return true;  // DivX 3 carries its settings in the Nandub scripts
    }
}

Status WriteJobScripts(const EncodeSettings& s, ProgramState& state, const RunPlan& plan,
                       FilePort& files) {
    if (plan.NumPass == 3) return WriteVCFvirtualDub("Divx4", 2, plan.FastOrFull, state, files);
    static const char* const kCodecNames[] = {"Divx5", "Divx4", "Xvid"};
    if (s.OptCodec >= 0 && s.OptCodec <= 2)
        return WriteVCFvirtualDub(kCodecNames[s.OptCodec], plan.NumPass, plan.FastOrFull, state, files);
    Status st = WriteVCFnanDub(1, plan.FastOrFull, s, state, files);
    if (st) st = WriteVCFnanDub(2, plan.FastOrFull, s, state, files);
    return st;
}

// A file as it was before a step: there or not, its size, its last write.
struct FileMark {
    std::int64_t size = -1;  // -1: not there
    std::uint64_t written = 0;
    bool timed = false;
    bool operator==(const FileMark&) const = default;
};

FileMark MarkOf(const std::string& path, FilePort& files) {
    FileMark m;
    m.size = files.FileSize(path);
    if (m.size >= 0) m.timed = files.FileWriteTime(path, m.written);
    return m;
}

// The job file of an encoder's command line (" /r /x /sc:\\jobpass1.vcf").
std::string JobFileOf(const std::string& arguments) {
    const std::size_t at = arguments.find("/s");
    if (at == std::string::npos) return {};
    const std::size_t end = arguments.find(' ', at);
    return arguments.substr(at + 2, end == std::string::npos ? end : end - at - 2);
}

// What the engine's log says of its last run: the cause after "result:
// failed: ", and its warnings.
struct EngineReport {
    std::string cause;
    std::vector<std::string> warnings;
};

EngineReport ReadEngineLog(const std::string& path, FilePort& files) {
    EngineReport report;
    std::vector<std::string> lines;
    if (!files.ReadLines(path, lines)) return report;
    std::size_t from = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind("== ", 0) == 0) from = i;  // each run's block begins so
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i].rfind("result: failed: ", 0) == 0) report.cause = lines[i].substr(16);
        if (lines[i].rfind("warning: ", 0) == 0) report.warnings.push_back(lines[i].substr(9));
    }
    return report;
}

std::string WithoutFinalPoint(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

Status EncodeAudioSteps(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports,
                        std::optional<StepFailure>& failure);

// One run between the hiding and the showing of the main window.
class Run {
public:
    Run(const EncodeSettings& s, ProgramState& state, RunPorts& ports, const RunPlan& plan, RunTools tools)
        : s_(s), state_(state), ports_(ports), plan_(plan), tools_(std::move(tools)) {}

    // The steps that run the outside programs; a failed Status stops the run.
    // A program that leaves no result stops the run at once (Failure()); a
    // RunStop ends the run here, with its line in the log.
    Status Execute() {
        FillLogValues();
        FillQueue();
        try {
            if (Status st = EncodeAudioSteps(s_, state_, tools_, ports_, failure_); !st) return st;
            if (failure_) return LogFailure();
            if (Status st = VideoPlan(); !st || failure_) return st;
            if (s_.ChkMux == 1)
                if (Status st = Mux(); !st || failure_) return st;
            // A cancel after the last program still holds the shutdown back.
            if (ports_.processes.RunCancelled()) throw CancelStop();
        } catch (const RunStop& stop) {
            ports_.view.AppendLog(stop.logLine);
            stoppedByUser_ = stop.byUser;
            cancelled_ = stop.cancelled;
            return Status::Failure(stop.message);
        }
        return Status::Ok();
    }

    const std::optional<StepFailure>& Failure() const { return failure_; }
    bool StoppedByUser() const { return stoppedByUser_; }
    bool Cancelled() const { return cancelled_; }

private:
    // Starts a job (Priority.exe first) and judges what it left; false when
    // the run fails here.
    // kbps: the bitrate the step aims at, for the size its progress expects.
    bool Step(const char* step, int app, const std::string& programPath, const char* literal,
              const std::string& result, std::int64_t kbps = 0) {
        if (ports_.processes.RunCancelled()) throw CancelStop();
        ports_.view.StepStarted({step, state_.SourceFilePath, result, static_cast<double>(kbps)});
        SetVdubPriority(app, s_, state_, ports_.processes);
        failure_ = RunStep(ports_, step, {programPath, literal}, 0, result);
        if (failure_) LogFailure();
        return !failure_;
    }

    Status LogFailure() {
        ports_.view.AppendLog(StepFailureLogLine(*failure_));
        ports_.view.AppendLog(FailedStatusLine);
        return Status::Ok();
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

    Status VideoPlan() {
        FinalSize_ = 0;
        TimeEncode_ = 0;
        Log("InitLog");
        if (plan_.NumPass == 1) {
            StartClock();
            Log("Job1Start");
            if (!Step("First Pass", 1, tools_.virtualDub, " /r /x /sc:\\jobpass.vcf", state_.VideoOutputPath, OldBit_))
                return Status::Ok();
            FinalSize_ = KB(state_.VideoOutputPath);
            StopClock();
            TotalTime_ = 0;
            Log("Job1End");
            FinalSize_ = KB(state_.VideoOutputPath);
            StopClock();
            TotalTime_ = TimeEncode_;
            Log("CloseLog");
            ports_.view.RemoveFirstQueueEntry();
            return Status::Ok();
        }

        const bool nandub = s_.OptCodec == 3;
        const int app = nandub ? 2 : 1;
        const std::string& program = nandub ? tools_.nanDub : tools_.virtualDub;
        StartClock();
        Log("Job1Start");
        // Nandub's first pass writes no AVI, only the statistics file that
        // the second pass reads back.
        if (!Step("First Pass", app, program, " /r /x /sc:\\jobpass1.vcf", nandub ? kDivx3StatsFile : state_.FirstPassPath))
            return Status::Ok();
        FinalSize_ = 0;
        StopClock();
        TotalTime_ = TimeEncode_;
        Log("Job1End");
        StartClock();
        Log("Job2Start");
        if (!Step("Second Pass", app, program, " /r /x /sc:\\jobpass2.vcf", state_.VideoOutputPath, OldBit_))
            return Status::Ok();
        FinalSize_ = 0;
        StopClock();
        TotalTime_ += TimeEncode_;
        Log("Job2End");
        if (plan_.NumPass == 2) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            return Status::Ok();
        }
        return ThirdPass();
    }

    Status ThirdPass() {
        const std::int64_t FirstSize = KB(state_.VideoOutputPath);
        if (FirstSize <= 0) return Status::Ok();  // the second pass left nothing to measure

        const bool needed = FirstSize > DesiredSize_ + OverSizeError_ ||
                            FirstSize < DesiredSize_ - OverSizeError_;
        if (!needed) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("NoDivx3Pass");
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            return Status::Ok();
        }

        if (state_.CompDataPass3.size() < 32) {
            ports_.view.AppendLog(" >> Third Pass not possible: no DivX 4 codec state <<");
            return Status::Ok();
        }
        double quotient = std::trunc(plan_.divx4Bitrate * plan_.divx4Size / static_cast<double>(FirstSize));
        if (quotient > 6000) quotient = 6000;
        const auto newBitrate = static_cast<std::int32_t>(quotient);
        state_.CompDataPass3 =
            BinaryToBase64(ReplaceBits(state_.CompDataPass3, 0, 32, LongToBinary(newBitrate * 1000))) + "=";
        if (Status st = WriteVCFvirtualDub("Divx4", 3, plan_.FastOrFull, state_, ports_.files); !st) {
            FinalSize_ = KB(state_.VideoOutputPath);
            Log("CloseLog");
            return st;
        }
        FinalSize_ = KB(state_.VideoOutputPath);
        NewBit_ = newBitrate;
        Log("BitrRecal");
        StartClock();
        Log("Job3Start");
        if (!Step("Third Pass", 1, tools_.virtualDub, " /r /x /sc:\\jobpass3.vcf", state_.VideoOutputPath, NewBit_))
            return Status::Ok();
        StopClock();
        TotalTime_ += TimeEncode_;
        Log("Job3End");
        FinalSize_ = KB(state_.VideoOutputPath);
        Log("CloseLog");
        return Status::Ok();
    }

    Status Mux() {
        const int ac3First = s_.OptAudioFormat1 == 0 ? 1 : 0;
        const int ac3Second = plan_.streams == 2 && s_.OptAudioFormat2 == 0 ? 1 : 0;
        const int delaySecond = plan_.streams == 2 ? plan_.delay2 : 0;
        if (Status st = WriteVCFaudioMux(plan_.streams, ac3First, ac3Second, plan_.delay1, delaySecond,
                                         state_, ports_.files);
            !st)
            return st;
        Step("Mux Video / Audio", 2, tools_.nanDub, " /r /x /sc:\\audiomux.vcf", state_.TargetFilePath);
        return Status::Ok();
    }

    const EncodeSettings& s_;
    ProgramState& state_;
    RunPorts& ports_;
    const RunPlan& plan_;
    const RunTools tools_;

    std::int64_t TimeEncode_ = 0, OldBit_ = 0, NewBit_ = 0, FinalSize_ = 0, DesiredSize_ = 0,
                 OverSizeError_ = 0, TotalTime_ = 0, StartTime_ = 0;
    std::string PassMode_, CodecUsed_;
    std::optional<StepFailure> failure_;
    bool stoppedByUser_ = false;
    bool cancelled_ = false;
};

}  // namespace

ProgramCommand PriorityCommand(int ApplicationNumber, const EncodeSettings& s,
                               const std::string& programFolder) {
    std::string program = programFolder;
    if (program.empty() || program.back() != '\\') program += '\\';  // a drive root keeps its one "\"
    program += "Priority.exe";
    std::string cmd = " ";
    cmd += ApplicationNumber == 1 ? "\"WI00:VirtualDub Status\"" : "\"WI00:Nandub Status\"";
    if (s.ChkShowInput == 0) cmd += " BT01:";
    if (s.ChkShowOutput == 0) cmd += " BT02:";
    cmd += " \"CB00:" + ChoiceText(Ctl::CmbPriority, s.CmbPriority) + "\"";
    cmd += " QU00:";
    return {program, cmd};
}

void SetVdubPriority(int ApplicationNumber, const EncodeSettings& s, const ProgramState& state,
                     ProcessPort& processes) {
    processes.StartProcess(PriorityCommand(ApplicationNumber, s, state.ProgramFolder), 0);
}

Status EncodeAudio(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports) {
    std::optional<StepFailure> failure;
    return EncodeAudioSteps(s, state, tools, ports, failure);
}

namespace {

// The audio conversions; the first one that leaves no result sets `failure`
// and ends them.
Status EncodeAudioSteps(const EncodeSettings& s, ProgramState& state, const RunTools& tools, RunPorts& ports,
                        std::optional<StepFailure>& failure) {
    for (int stream = 1; stream <= 2; ++stream) {
        const bool first = stream == 1;
        if ((first ? s.TxtStream1 : s.TxtStream2).empty()) continue;
        const int format = first ? s.OptAudioFormat1 : s.OptAudioFormat2;
        const std::string& source = first ? state.Stream1FilePath : state.Stream2FilePath;
        std::string& audio = first ? state.Stream1AudioPath : state.Stream2AudioPath;
        std::string& wma = first ? state.Stream1WmaPath : state.Stream2WmaPath;
        const std::string name = first ? "\\Stream1" : "\\Stream2";
        const std::string step = first ? "Audio Stream 1" : "Audio Stream 2";

        ports.view.StepStarted({step, state.SourceFilePath,
                                format == 1 ? state.TempFolderPath + name + ".MP3" : std::string(),
                                format == 1 ? static_cast<double>(Mp3Kbps(first ? s.CmbBitrate1 : s.CmbBitrate2)) : 0});
        if (format == 0) audio = source;  // the AC3 file itself goes into the mux
        if (format == 1) {
            audio = state.TempFolderPath + name + ".MP3";
            if ((failure = RunStep(ports, step, {tools.besweet, BesweetArguments(stream, s, state)}, 1, audio)))
                return Status::Ok();
        }
        if (format == 3) {
            audio = state.TempFolderPath + name + ".WAV";
            wma = state.TempFolderPath + name + "WMA.WAV";
            if ((failure = RunStep(ports, step, {tools.besweet, BesweetArguments(stream, s, state)}, 1, audio)))
                return Status::Ok();
            Status st = WriteFakeAvi(ports.files, ports.fakeAvi.empty() ? FakeAviBytes() : ports.fakeAvi);
            if (st) st = WriteVCFwav2wma(audio, wma, ports.files);
            if (!st) return st;
            if (ports.processes.RunCancelled()) throw CancelStop();
            SetVdubPriority(1, s, state, ports.processes);
            if ((failure = RunStep(ports, step + " WMA", {tools.virtualDub, " /r /x /sc:\\wav2wma.vcf"}, 0, wma)))
                return Status::Ok();
            audio = wma;
        }
    }
    return Status::Ok();
}

}  // namespace

std::uint32_t RunProgram(ProcessPort& processes, const ProgramCommand& command, int windowStyle,
                         const std::string& step, EndBy endBy) {
    if (processes.RunCancelled()) throw CancelStop();
    std::string reason;
    std::uint32_t status = 0;
    switch (processes.ShellAndWait(command, windowStyle, endBy, reason, status)) {
    case ProgramEnd::Ended: return status;
    case ProgramEnd::NotStarted:
        // A program without a path is named by the step that needs it.
        if (command.program.empty() && !step.empty())
            throw RunStop{" >> Encoding stopped: no program for the step " + step + " <<",
                          "Cannot start the program of the step \"" + step +
                              "\": no path is set for it (\"Change Application Path\" on the Input tab)." +
                              (reason.empty() ? "" : " " + reason)};
        throw RunStop{" >> Encoding stopped: cannot start " + command.program + " <<",
                      "Cannot start " + command.program + (reason.empty() ? "" : ": " + reason)};
    case ProgramEnd::Quit: throw RunStop{" >> Encoding stopped: Marobex is closing <<", ""};
    case ProgramEnd::Cancelled: throw CancelStop();
    }
    return status;
}

RunStop UserStop(const std::string& reason) {
    return RunStop{" >> Encoding stopped: " + reason + " <<", "The encoding was stopped: " + reason + ".", true};
}

RunStop CancelStop() {
    RunStop stop = UserStop("cancelled");
    stop.cancelled = true;
    return stop;
}

std::optional<StepFailure> RunStep(RunPorts& ports, const std::string& step, const ProgramCommand& command,
                                   int windowStyle, const std::string& result) {
    if (ports.dryRun) {
        RunProgram(ports.processes, command, windowStyle, step);
        return std::nullopt;
    }
    // The engine writes its log beside its result, or beside its job file
    // when it makes none (Nandub's analysis pass); only a log this step
    // wrote tells of this step.
    const bool engine = IsEngine(command.program, ports.files);
    std::vector<std::pair<std::string, FileMark>> logs;
    if (engine) {
        for (const std::string& log : {result + ".log", JobFileOf(command.arguments) + ".log"})
            if (log != ".log") logs.emplace_back(log, MarkOf(log, ports.files));
    }
    const FileMark before = MarkOf(result, ports.files);

    std::uint32_t status = 0;
    try {
        status = RunProgram(ports.processes, command, windowStyle, step,
                            engine ? EndBy::EngineAbort : EndBy::CloseWindows);
    } catch (const RunStop& stop) {
        if (stop.cancelled) {
            // Only what this step wrote: a file it left as it was (an
            // earlier run's) stays.
            if (const FileMark after = MarkOf(result, ports.files); after.size >= 0 && !(after == before))
                ports.files.DeleteFile(result);
            if (engine && ports.files.FileExists(result + ".part")) ports.files.DeleteFile(result + ".part");
        }
        throw;
    }

    EngineReport report;
    for (const auto& [log, mark] : logs)
        if (MarkOf(log, ports.files) != mark) {
            report = ReadEngineLog(log, ports.files);
            break;
        }
    if (engine && status == EngineAbortedStatus) throw UserStop("aborted in " + command.program);

    const FileMark after = MarkOf(result, ports.files);
    StepFailure failure{step, result, after.size == 0, false, WithoutFinalPoint(report.cause)};
    // Unchanged since before the step: the file of an earlier run, which
    // stays where it is but does not count.
    failure.stale = after.size > 0 && before.timed && after.timed && before == after;
    const bool programFailed = engine && status != 0;
    if (programFailed && failure.cause.empty())
        failure.cause = "the engine ended with exit code " + std::to_string(status);
    if (after.size > 0 && !failure.stale && !programFailed) {
        for (const std::string& warning : report.warnings)
            ports.view.AppendLog(" >> " + step + " warning : " + warning + " <<");
        return std::nullopt;
    }
    // The engine's partial file of a pass that did not end (the engine
    // itself ended) goes too; the user's own files stay.
    if (engine && ports.files.FileExists(result + ".part")) ports.files.DeleteFile(result + ".part");
    return failure;
}

std::string UnsoundPathMessage(const EncodeSettings& s, const ProgramState& state) {
    struct Field {
        bool used;
        std::string name;
        const std::string& path;
    };
    const auto converts = [](int format) { return format == 1 || format == 3; };
    const bool stream1 = !s.TxtStream1.empty();
    const bool stream2 = !s.TxtStream2.empty();
    const Field fields[] = {
        {true, FieldName(Ctl::txtSource), state.SourceFilePath},
        {true, FieldName(Ctl::txtTarget), state.TargetFilePath},
        {stream1, "Audio Stream 1 " + FieldName(Ctl::TxtStream1), state.Stream1FilePath},
        {stream2, "Audio Stream 2 " + FieldName(Ctl::TxtStream2), state.Stream2FilePath},
        {(stream1 && converts(s.OptAudioFormat1)) || (stream2 && converts(s.OptAudioFormat2)),
         FieldName(Ctl::TxtTempRep), state.TempFolderPath},
    };
    for (const Field& f : fields)
        if (f.used && !IsSoundPath(f.path))
            return "Invalid input. No file name can hold \" * ? < > | or control characters: " + f.name +
                   " (" + f.path + ")";
    return {};
}

namespace {

// Holds the run lock from the input check to the end of the run.
class RunLockHold {
public:
    explicit RunLockHold(RunLockPort* lock) : lock_(lock) {
        if (lock_ && !lock_->TryLock()) lock_ = nullptr, refused_ = true;
    }
    ~RunLockHold() {
        if (lock_) lock_->Unlock();
    }
    RunLockHold(const RunLockHold&) = delete;
    RunLockHold& operator=(const RunLockHold&) = delete;
    bool Refused() const { return refused_; }

private:
    RunLockPort* lock_;
    bool refused_ = false;
};

// From the hiding of the main window on: whatever ends the run, an
// exception included, the tray icon goes and the main window comes back.
class WindowsBackAtTheEnd {
public:
    explicit WindowsBackAtTheEnd(RunPorts& ports) : ports_(ports) {}
    ~WindowsBackAtTheEnd() {
        try {
            ports_.tray.DeleteSystray();
        } catch (...) {
        }
        try {
            ports_.view.ShowMainWindow();
        } catch (...) {
        }
    }
    WindowsBackAtTheEnd(const WindowsBackAtTheEnd&) = delete;
    WindowsBackAtTheEnd& operator=(const WindowsBackAtTheEnd&) = delete;

private:
    RunPorts& ports_;
};

}  // namespace

namespace {
// "was not written: <cause>", "is empty", ...: what the step left.
std::string WhatWasLeft(const StepFailure& failure, bool forLog) {
    const std::string cause = failure.cause.empty() ? "" : ": " + failure.cause;
    if (failure.empty) return " is empty" + cause;
    if (failure.stale && forLog && cause.empty()) return " is left from an earlier run";
    return " was not written" + cause;
}
}  // namespace

std::string StepFailureLogLine(const StepFailure& failure) {
    return " >> " + failure.step + " FAILED : " + failure.path + WhatWasLeft(failure, true) + " <<";
}

std::string StepFailureMessage(const StepFailure& failure) {
    return "The encoding failed at the step \"" + failure.step + "\": " + failure.path + WhatWasLeft(failure, false) +
           ".";
}

void ShutdownWhenDone(RunPorts& ports) {
    if (ports.countdown && !ports.countdown->CountDown()) return;
    try {
        ports.shutdown.ShutdownSystem(ShutdownWhenDoneFlags);
    } catch (const ShutdownError& e) {
        ports.messages.ShowMessage(e.description, MessageIcon::Critical);
    }
}

RunOutcome StartEncode(const EncodeSettings& s, ProgramState& state, RunPorts& ports) {
    const std::optional<RunPlan> plan = CheckInput(s, state, ports);
    if (!plan) return RunOutcome::Refused;
    const RunLockHold lock(ports.runLock);
    if (lock.Refused()) {
        ports.messages.ShowMessage(RunInProgressMessage, MessageIcon::Exclamation);
        return RunOutcome::Refused;
    }

    // The codec's values are conveniences: one that cannot be written is
    // reported (the first failure) and the run goes on.
    Status registry;
    const auto setValue = [&](const char* name, std::int32_t value) {
        Status st = ports.registry.SetRegistryDword(kDivx412Key, name, value);
        if (!st && registry) registry = std::move(st);
    };
    if (s.ChkCPU == 1) {
        setValue("CPU limit", 100);
        setValue("Have CPU Limit", 1);
    }
    if (s.SldPostProces != 0) setValue("Postprocessing", s.SldPostProces * 10);
    if (!registry) ports.messages.ShowMessage(registry.message, MessageIcon::Exclamation);

    if (!BuildCodecState(s, state, ports)) return RunOutcome::Refused;

    state.VideoOutputPath =
        s.ChkMux == 1 ? UpToLastPoint(state.TargetFilePath) + "_temp.avi" : state.TargetFilePath;

    if (Status st = WriteJobScripts(s, state, *plan, ports.files); !st) {
        ports.messages.ShowMessage(st.message, MessageIcon::Critical);
        return RunOutcome::Stopped;
    }

    Status result;
    std::optional<StepFailure> failure;
    bool stoppedByUser = false, cancelled = false;
    {
        const WindowsBackAtTheEnd windowsBack(ports);
        ports.view.HideMainWindow();
        ports.tray.StartSystray();
        ports.view.ShowProgressWindow();
        ports.view.ClearLog();

        Run run(s, state, ports, *plan, RunTools{state.VirtualDubPath, state.NanDubPath, state.BesweetPath});
        result = run.Execute();
        failure = run.Failure();
        stoppedByUser = run.StoppedByUser();
        cancelled = run.Cancelled();
    }
    if (stoppedByUser) {
        // A stop is no failure: said once the windows are back; no later
        // step and no shutdown.
        ports.messages.ShowMessage(result.message, MessageIcon::Information);
        return cancelled ? RunOutcome::Cancelled : RunOutcome::StoppedByUser;
    }
    if (!result) {
        // The user is told why the run stopped; the machine stays on to show it.
        if (!result.message.empty()) ports.messages.ShowMessage(result.message, MessageIcon::Critical);
        return RunOutcome::Stopped;
    }
    if (failure) {
        // Told once the windows are back, never during the run; the machine
        // stays on to show it.
        ports.messages.ShowMessage(StepFailureMessage(*failure), MessageIcon::Critical);
        return RunOutcome::Failed;
    }
    if (s.chkShutdown == 1) ShutdownWhenDone(ports);
    return RunOutcome::Finished;
}

}  // namespace mb
