// What marobex-engine.exe does with the command line it is given, worked out
// before anything runs: the job of VirtualDub or Nandub (" /r /x /s<job>")
// or BeSweet's "-core( ... )" line turned into FFmpeg runs and file steps.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job_script.h"

namespace mb::engine {

// One run of ffmpeg.exe.
struct FfmpegRun {
    std::vector<std::string> args;  // after the program, without the progress options
    std::string what;               // "video, first pass", for the status window and the log
    std::string input;              // the file whose length the progress measures
    // A run that only measures the loudest sample (volumedetect); the later
    // runs' "{gain}" becomes the gain that brings it to full scale.
    bool measuresPeak = false;
    // A video pass that aims at a size: the video bytes it should write over
    // the clip's frames into output. When it misses, it is run again at a
    // corrected bit rate, at most twice (RedoAfter).
    std::int64_t aimBytes = 0;
    std::int64_t frames = 0;
    double tolerance = 0;  // 0.01: within 1 %
    std::string output;
    int redosLeft = 2;
    std::int64_t lastBits = 0, lastBytes = 0;  // the try before, for the second correction
};

enum class StepKind { Ffmpeg, Delete, Move, Copy };

struct PlanStep {
    StepKind kind = StepKind::Ffmpeg;
    FfmpegRun run;        // Ffmpeg
    std::string path;     // Delete; Move and Copy: from
    std::string to;       // Move and Copy: to (replaced when it exists)
};

struct EnginePlan {
    std::string program;                // "VirtualDub", "Nandub" or "BeSweet": the status window's title
    std::string sourceName;             // the title's "[...]"
    std::string target;                 // the file the job produces (empty: none); the log lies beside it
    std::vector<std::string> partFiles; // written under a temporary name, removed on failure or abort
    std::vector<std::string> settings;  // what the job asked for, for the log
    std::vector<PlanStep> steps;
    double gainDb = 0;                  // added to the measured gain of "{gain}"
};

struct PlanOutcome {
    std::optional<EnginePlan> plan;
    std::string problem;   // when there is no plan: one line saying why
    std::string logPath;   // where the log goes (beside the target, or the job file)
    std::string programLog;  // BeSweet's own log, named on its command line (-logfile)
};

// Which program the engine is asked to be: a copy named VirtualDub.exe,
// NanDub.exe or BeSweet.exe takes only that program's command line and
// reads a job only as that program does; under its own name it takes any
// of the three, as the command line and the job tell.
enum class EngineRole { Any, VirtualDub, Nandub, BeSweet };
EngineRole RoleOfProgram(std::string_view programPath);

// Tells whether a file exists (the real file system, or a test's).
using FileExists = std::function<bool(const std::string&)>;
// The whole text of a file; nullopt when it cannot be read.
using FileReader = std::function<std::optional<std::string>(const std::string&)>;

// The statistics FFmpeg's two-pass encoders keep for a target: beside it, as
// "<target without extension>_passlog-0.log", the prefix being what goes to
// -passlogfile. A first pass's "_firstpass" name and a mux's "_temp" name
// lead to the same prefix as the final target.
std::string PassLogPrefix(std::string_view savedPath);

// The plan of the command line after the program path. headReader gives the
// first bytes of a source, where its AVI header tells its length (a size the
// user asked for needs it); without it the bit rates are taken as they are.
PlanOutcome PlanCommandLine(std::string_view arguments, EngineRole role, const FileExists& exists,
                            const FileReader& reader, const FileReader& headReader = {});

// The run to do again after a video pass wrote outputBytes, when it missed
// its aim by more than its tolerance, with the log line that says so.
struct Redo {
    FfmpegRun run;
    std::string line;
};
std::optional<Redo> RedoAfter(const FfmpegRun& run, std::int64_t outputBytes);

// MSVCRT quoting of one argument, and a whole command line.
std::string QuoteArgument(const std::string& argument);
std::string CommandLineOf(const std::string& program, const std::vector<std::string>& args);

// The runs' args with "{gain}" replaced by the gain in dB ("3.5").
std::vector<std::string> WithGain(const std::vector<std::string>& args, double gainDb);

}  // namespace mb::engine
