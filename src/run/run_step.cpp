#include "run/run_step.h"

#include <utility>
#include <vector>

#include "env/engine_paths.h"

namespace mb {

namespace {

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

// A step whose program left no result file, an empty one or one that it did
// not write (left from an earlier run), or whose engine said it failed.
struct StepFailure {
    std::string step;  // "First Pass", "Audio Stream 1", ...
    std::string path;  // the file the step must leave
    bool empty = false;  // the file is there, but holds nothing
    bool stale = false;  // the file is there, unchanged since before the step
    std::string cause;   // why, as the engine said it; empty when not known
};

// "was not written: <cause>", "is empty", ...: what the step left.
std::string WhatWasLeft(const StepFailure& failure, bool forLog) {
    const std::string cause = failure.cause.empty() ? "" : ": " + failure.cause;
    if (failure.empty) return " is empty" + cause;
    if (failure.stale && forLog && cause.empty()) return " is left from an earlier run";
    return " was not written" + cause;
}

// The log line of a failed step, and the message the user is shown once the
// run has ended.
RunStop StepFailed(const StepFailure& failure) {
    return {RunOutcome::Failed,
            " >> " + failure.step + " FAILED : " + failure.path + WhatWasLeft(failure, true) + " <<",
            "The encoding failed at the step \"" + failure.step + "\": " + failure.path +
                WhatWasLeft(failure, false) + "."};
}

}  // namespace

RunStop UserStop(const std::string& reason) {
    return {RunOutcome::StoppedByUser, " >> Encoding stopped: " + reason + " <<",
            "The encoding was stopped: " + reason + "."};
}

RunStop CancelStop() {
    RunStop stop = UserStop("cancelled");
    stop.outcome = RunOutcome::Cancelled;
    return stop;
}

void StopUnless(const Status& written) {
    if (!written) throw RunStop{RunOutcome::Stopped, "", written.message};
}

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
            throw RunStop{RunOutcome::Stopped, " >> Encoding stopped: no program for the step " + step + " <<",
                          "Cannot start the program of the step \"" + step +
                              "\": no path is set for it (\"Change Application Path\" on the Input tab)." +
                              (reason.empty() ? "" : " " + reason)};
        throw RunStop{RunOutcome::Stopped, " >> Encoding stopped: cannot start " + command.program + " <<",
                      "Cannot start " + command.program + (reason.empty() ? "" : ": " + reason)};
    case ProgramEnd::Quit: throw RunStop{RunOutcome::Stopped, " >> Encoding stopped: Marobex is closing <<", ""};
    case ProgramEnd::Cancelled: throw CancelStop();
    }
    return status;
}

void RunStep(RunPorts& ports, const std::string& step, const ProgramCommand& command, int windowStyle,
             const std::string& result) {
    if (ports.dryRun) {
        RunProgram(ports.processes, command, windowStyle, step);
        return;
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
        if (stop.outcome == RunOutcome::Cancelled) {
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
        return;
    }
    // The engine's partial file of a pass that did not end (the engine
    // itself ended) goes too; the user's own files stay.
    if (engine && ports.files.FileExists(result + ".part")) ports.files.DeleteFile(result + ".part");
    throw StepFailed(failure);
}

}  // namespace mb
