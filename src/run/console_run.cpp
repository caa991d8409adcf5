#include "run/console_run.h"

#include <algorithm>
#include <ostream>

#include "model/form_model.h"
#include "env/tool_paths.h"
#include "run/shutdown.h"
#include "run/run_driver.h"

namespace mb {

namespace {

// One line of output: the prefix, then the text with any line break turned
// into a blank, so that each event stays on its own line.
void PrintLine(std::ostream& stream, const char* prefix, const std::string& text) {
    std::string line = prefix;
    line.reserve(line.size() + text.size());
    for (char c : text) line.push_back(c == '\r' || c == '\n' ? ' ' : c);
    stream << line << '\n' << std::flush;
}

// The progress window on the console: the queue as it is filled and every
// log line; in a real run the progress on standard error. The main window
// has nothing to hide or show.
class ConsoleRunView : public RunView {
public:
    ConsoleRunView(std::ostream& out, std::ostream& err, ClockPort& clock, StepWatchPort* watch,
                   const std::function<SourceFacts(const std::string&)>& readFacts)
        : out_(out), err_(err), clock_(clock), watch_(watch), readFacts_(readFacts) {}
    ~ConsoleRunView() override {
        if (watch_) watch_->Stop();
    }
    void HideMainWindow() override {}
    // The run has ended: a run that went through says 100% last.
    void ShowMainWindow() override {
        if (watch_) watch_->Stop();
        if (!watch_ || !progress_.Begun() || lastStatus_ != " Status Encoding : FINISH") return;
        progress_.Finish(clock_.NowSeconds());
        PrintLine(err_, "", ConsoleProgressLine(progress_));
    }
    void ShowProgressWindow() override {}
    void ClearLog() override {}
    void AppendLog(const std::string& line) override {
        if (line.rfind(" Status Encoding : ", 0) == 0) lastStatus_ = line;
        PrintLine(out_, "log: ", line);
    }
    void ClearQueue() override { steps_.clear(); }
    void AddQueueEntry(const std::string& entry) override {
        steps_.push_back(StepNameOfEntry(entry));
        PrintLine(out_, "queue: ", entry);
    }
    void RemoveFirstQueueEntry() override {}
    void StepStarted(const RunStepStart& step) override {
        if (!watch_) return;
        const std::int64_t now = clock_.NowSeconds();
        if (!progress_.Begun()) {
            facts_ = readFacts_ ? readFacts_(step.source) : SourceFacts{};
            progress_.Begin(steps_, facts_, now);
        }
        progress_.StepStarted(step.name, now);
        watch_->Watch(step, ExpectedResultBytes(step, facts_), [this](double fraction) {
            const std::int64_t at = clock_.NowSeconds();
            progress_.StepFraction(fraction, at);
            if (at == printedAt_) return;  // at most once a second
            printedAt_ = at;
            PrintLine(err_, "", ConsoleProgressLine(progress_));
        });
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    ClockPort& clock_;
    StepWatchPort* watch_;
    const std::function<SourceFacts(const std::string&)>& readFacts_;
    std::vector<std::string> steps_;
    SourceFacts facts_;
    RunProgress progress_;
    std::string lastStatus_;
    std::int64_t printedAt_ = -1;
};

class ConsoleMessages : public MessagePort {
public:
    explicit ConsoleMessages(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text, MessageIcon) override { PrintLine(err_, "message: ", text); }

private:
    std::ostream& err_;
};

// Names each program, then starts it unless the run is a dry one. Ctrl+C
// cancels dry runs too.
class ConsoleProcesses : public ProcessPort {
public:
    ConsoleProcesses(std::ostream& out, ProcessPort& real, bool dryRun) : out_(out), real_(real), dryRun_(dryRun) {}
    ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, EndBy endBy, std::string& reason,
                            std::uint32_t& exitStatus) override {
        PrintLine(out_, "run: ", command.Text());
        return dryRun_ ? ProgramEnd::Ended : real_.ShellAndWait(command, windowStyle, endBy, reason, exitStatus);
    }
    void StartProcess(const ProgramCommand& command, int windowStyle) override {
        PrintLine(out_, "start: ", command.Text());
        if (!dryRun_) real_.StartProcess(command, windowStyle);
    }
    void CancelRun() override { real_.CancelRun(); }
    bool RunCancelled() override { return real_.RunCancelled(); }
    void ResetCancel() override { real_.ResetCancel(); }

private:
    std::ostream& out_;
    ProcessPort& real_;
    bool dryRun_;
};

class ConsoleRegistry : public RegistryPort {
public:
    ConsoleRegistry(std::ostream& out, RegistryPort* real) : out_(out), real_(real) {}
    Status SetRegistryDword(const std::string& subKey, const std::string& valueName, std::int32_t value) override {
        PrintLine(out_, "registry: ", subKey + "\\" + valueName + " = " + std::to_string(value));
        return real_ ? real_->SetRegistryDword(subKey, valueName, value) : Status::Ok();
    }
    void DeleteRegistryKey(const std::string& subKey) override {
        PrintLine(out_, "registry: ", "delete " + subKey);
        if (real_) real_->DeleteRegistryKey(subKey);
    }

private:
    std::ostream& out_;
    RegistryPort* real_;
};

// A dry run never shuts the machine down; it says so instead.
class ConsoleShutdown : public ShutdownPort {
public:
    ConsoleShutdown(std::ostream& err, ShutdownPort* real) : err_(err), real_(real) {}
    bool ShutdownSystem(std::int32_t flags) override {
        if (real_) return real_->ShutdownSystem(flags);
        PrintLine(err_, "warning: ", "dry run: the system is not shut down (chkShutdown)");
        return true;
    }

private:
    std::ostream& err_;
    ShutdownPort* real_;
};

// There is no notification area for a console run.
class NoTray : public TrayPort {
public:
    void StartSystray() override {}
    void DeleteSystray() override {}
};

int UsageError(std::ostream& err, const std::string& what) {
    PrintLine(err, "error: ", what);
    err << CliUsage() << std::flush;
    return CliExitUsage;
}

// The countdown on the console before a real run shuts the machine down.
class ConsoleCountdown : public ShutdownCountdown {
public:
    ConsoleCountdown(std::ostream& err, const std::function<bool(int)>& waitCancelled)
        : err_(err), waitCancelled_(waitCancelled) {}
    bool CountDown() override { return CountDownOnConsole(err_, ShutdownCountdownSeconds, waitCancelled_); }

private:
    std::ostream& err_;
    const std::function<bool(int)>& waitCancelled_;
};

enum class JobResult { Done, Refused, Failed, Unreadable, Stopped, Cancelled };

const char* ResultText(JobResult r) {
    switch (r) {
        case JobResult::Done: return "done";
        case JobResult::Refused: return "refused";
        case JobResult::Failed: return "failed";
        case JobResult::Stopped: return "stopped";
        case JobResult::Cancelled: return "cancelled";
        default: return "unreadable";
    }
}

// The ports of the console for one run, real or dry.
struct ConsolePorts {
    ConsolePorts(CliEnvironment& env, bool dryRun)
        : view(env.out, env.err, env.clock, dryRun ? nullptr : env.watch, env.readFacts),
          messages(env.err),
          processes(env.out, env.processes, dryRun),
          registry(env.out, dryRun ? nullptr : &env.registry),
          shutdown(env.err, dryRun ? nullptr : &env.shutdown),
          countdown(env.err, env.waitCancelled),
          ports{messages, processes, registry, env.files, env.clock, tray, shutdown, env.system, view,
                env.format, env.fakeAvi, env.runLock} {
        ports.dryRun = dryRun;
        if (!dryRun && env.waitCancelled) ports.countdown = &countdown;
    }
    ConsoleRunView view;
    ConsoleMessages messages;
    ConsoleProcesses processes;
    ConsoleRegistry registry;
    ConsoleShutdown shutdown;
    ConsoleCountdown countdown;
    NoTray tray;
    RunPorts ports;
};

// One job file, loaded and run as "&Start Encode" runs it. With
// `holdShutdown` the job's "Shutdown when done" is not acted on but
// reported in `wantsShutdown`.
JobResult RunJobFile(const std::string& path, CliEnvironment& env, bool dryRun, bool holdShutdown,
                     bool& wantsShutdown, bool& registryPrepared) {
    std::string reason;
    const std::unique_ptr<SavedJobSource> source = env.openJob(path, reason);
    if (!source) {
        PrintLine(env.err, "error: ", "cannot read the job file " + path + ": " + reason);
        return JobResult::Unreadable;
    }
    // The encoders' registry values as the window's start-up sets them, so
    // that VirtualDub does not stop at its welcome dialog: once, before the
    // first real run.
    if (!dryRun && !registryPrepared) {
        PrepareToolRegistry(env.registry);
        registryPrepared = true;
    }

    std::vector<std::string> warnings;
    const SavedJob job = ReadSavedJob(*source, warnings);

    ProgramState state;
    state.ProgramFolder = env.programFolder;
    // The tool paths as the window has them from Marobex.ini, then the job's.
    const std::string settingsFile = SettingsFilePath(state);
    if (env.files.FileExists(settingsFile)) {
        state.VirtualDubPath = env.profile.ReadIniValue(ToolPathSection, VirtualDubPathKey, settingsFile);
        state.NanDubPath = env.profile.ReadIniValue(ToolPathSection, NanDubPathKey, settingsFile);
        state.BesweetPath = env.profile.ReadIniValue(ToolPathSection, BesweetPathKey, settingsFile);
    }
    ApplySavedJobTools(job, state);

    FormModel form(state);
    StartSavedJobForm(form, state);
    ApplySavedJob(job, form, warnings);
    for (const std::string& w : warnings) PrintLine(env.err, "warning: ", w);

    EncodeSettings settings = form.Settings();
    if (holdShutdown) {
        wantsShutdown = wantsShutdown || settings.chkShutdown == 1;
        settings.chkShutdown = 0;
    }
    ConsolePorts console(env, dryRun);
    switch (StartEncode(settings, state, console.ports)) {
        case RunOutcome::Finished: return JobResult::Done;
        case RunOutcome::Failed: return JobResult::Failed;
        case RunOutcome::StoppedByUser: return JobResult::Stopped;
        case RunOutcome::Cancelled: return JobResult::Cancelled;
        default: return JobResult::Refused;
    }
}

}  // namespace

std::string CliUsage() {
    return "Usage: marobex-cli [--dry-run] JOBFILE...\n"
           "Runs the encoding jobs saved in the JOBFILEs, one after another, as\n"
           "\"&Start Encode\" would.\n"
           "\n"
           "  --dry-run  start no program and leave the registry alone; the job\n"
           "             scripts are written and every step is printed all the same\n"
           "  --help     print this text\n"
           "\n"
           "Standard output, one line per step: \"registry: \", \"queue: \", \"start: \",\n"
           "\"run: \" and \"log: \". Standard error: \"message: \" and \"warning: \".\n"
           "With several JOBFILEs: \"job: \" before each job, \"summary: \" after the last.\n"
           "Ctrl+C cancels the run: its program is asked to end, nothing later starts.\n"
           "Exit status: 0 every run went through, 1 a check refused a run or it\n"
           "stopped (Ctrl+C included), 2 a usage error or a job file that cannot be\n"
           "read, 3 a program of a run left no result.\n";
}

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
    bool dryRun = false;
    bool optionsEnded = false;
    std::vector<std::string> jobs;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "--help" || arg == "-h" || arg == "/?")) {
            env.out << CliUsage() << std::flush;
            return CliExitFinished;
        }
        if (!optionsEnded && arg == "--dry-run") {
            dryRun = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return UsageError(env.err, "unknown option " + arg);
        } else {
            jobs.push_back(arg);
        }
    }
    if (jobs.empty()) return UsageError(env.err, "no job file given");

    const bool several = jobs.size() > 1;
    bool wantsShutdown = false, registryPrepared = false;
    std::vector<JobResult> results;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (several)
            PrintLine(env.out, "job: ", std::to_string(i + 1) + "/" + std::to_string(jobs.size()) + " " + jobs[i]);
        results.push_back(RunJobFile(jobs[i], env, dryRun, several, wantsShutdown, registryPrepared));
        // The user stopped it: no later job runs.
        if (results.back() == JobResult::Stopped || results.back() == JobResult::Cancelled) break;
    }
    const auto any = [&results](JobResult r) { return std::find(results.begin(), results.end(), r) != results.end(); };
    if (several) {
        for (std::size_t i = 0; i < jobs.size(); ++i)
            PrintLine(env.out, "summary: ", jobs[i] + ": " + (i < results.size() ? ResultText(results[i]) : "not run"));
        if (wantsShutdown) {
            if (std::all_of(results.begin(), results.end(), [](JobResult r) { return r == JobResult::Done; })) {
                ConsolePorts console(env, dryRun);
                ShutdownWhenDone(console.ports);
            } else {
                PrintLine(env.err, "warning: ", "the system is not shut down: not every job went through");
            }
        }
    }
    if (any(JobResult::Unreadable)) return CliExitUsage;
    if (any(JobResult::Failed)) return CliExitFailed;
    if (any(JobResult::Refused) || any(JobResult::Stopped) || any(JobResult::Cancelled)) return CliExitRefused;
    return CliExitFinished;
}

}  // namespace mb
