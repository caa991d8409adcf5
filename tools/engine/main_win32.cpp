// marobex-engine.exe: takes the place of VirtualDub, Nandub and BeSweet.
// Started as "<engine> /r /x /s<job file>" or with BeSweet's "-core( ... )"
// line, it does what the program would do with the job by running FFmpeg,
// shows a status window shaped like the encoders' own with FFmpeg's real
// progress, and writes a log beside the file it makes. It never waits on a
// dialog: a failure is one line in the log and the window, and a non-zero
// exit code. A copy named VirtualDub.exe, NanDub.exe or BeSweet.exe is that
// program only (RoleOfProgram). With a [SIMULATION] section in Marobex.ini
// beside it, it runs no FFmpeg and writes the files of the plan itself
// (simulation.h), appending each run's log to the trace file named there.
#include <windows.h>
#include <commctrl.h>

#include <ctime>
#include <iterator>
#include <string>
#include <vector>

#include "engine_ids.h"
#include "engine_plan.h"
#include "env/api_error_win32.h"
#include "env/engine_paths.h"
#include "env/files_win32.h"
#include "env/profile_win32.h"
#include "ffmpeg_run_win32.h"
#include "jobs/source_facts.h"
#include "program_lines.h"
#include "simulation.h"

namespace {

using namespace mb::engine;

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT_PTR kKillTimer = 2;
constexpr UINT kClockMs = 250;            // the window's times move four times a second
constexpr UINT kStopGraceMs = 15000;      // FFmpeg asked to stop and still running: ended
constexpr DWORD kFailureShownMs = 3000;   // a failure stays on screen this long

enum ExitCode { kDone = 0, kFailed = 1, kAborted = 2 };

// The priority class each entry of the priority list gives FFmpeg's process.
constexpr DWORD kPriorityClasses[mb::kPriorityEntryCount] = {
    IDLE_PRIORITY_CLASS,         IDLE_PRIORITY_CLASS,  BELOW_NORMAL_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS,
    NORMAL_PRIORITY_CLASS,       ABOVE_NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS,  HIGH_PRIORITY_CLASS,
};

// The simulation's settings: [SIMULATION] in Marobex.ini beside the engine.
struct SimulationSettings {
    bool on = false;
    std::string trace;     // TRACE: the file each run's log is appended to
    DWORD stepMs = 0;      // STEPMS: how long each simulated FFmpeg run is shown
};

// The engine's one run, shared with the status window's procedure.
struct Engine {
    HWND dialog = nullptr;
    FfmpegProcess* ffmpeg = nullptr;
    RunShared* shared = nullptr;
    DWORD priorityClass = NORMAL_PRIORITY_CLASS;
    DWORD stepStarted = 0;
    bool aborted = false;
    std::vector<std::string> log;
    SimulationSettings simulation;
};
Engine g;

std::string TimeStamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[64];
    wsprintfA(buf, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

void SetText(int id, const std::string& text) {
    if (g.dialog != nullptr) SetDlgItemTextA(g.dialog, id, text.c_str());
}

void ShowMessage(const std::string& text) { SetText(IDC_MESSAGE, text); }

// The progress texts from the latest block FFmpeg reported.
void RefreshProgress() {
    if (g.dialog == nullptr || g.shared == nullptr) return;
    EnterCriticalSection(&g.shared->lock);
    const bool have = g.shared->haveProgress;
    const Progress p = g.shared->latest;
    const double duration = g.shared->errors.durationSeconds();
    const double fps = g.shared->errors.framesPerSecond();
    LeaveCriticalSection(&g.shared->lock);
    const double elapsed = (GetTickCount() - g.stepStarted) / 1000.0;
    if (!have) {
        SetText(IDC_ELAPSED, mb::ClockTime(elapsed));
        return;
    }
    const StatusTexts t = DescribeProgress(p, duration, fps, elapsed);
    SetText(IDC_FRAMES, t.frames);
    SetText(IDC_PERCENT, t.percent);
    SetText(IDC_SPEED, t.speed);
    SetText(IDC_SIZE_SO_FAR, t.size);
    SetText(IDC_ELAPSED, t.elapsed);
    SetText(IDC_REMAINING, t.remaining);
    SendDlgItemMessageA(g.dialog, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(t.percentValue), 0);
}

void Abort() {
    if (g.aborted) return;
    g.aborted = true;
    g.log.push_back("aborted by the user");
    ShowMessage("Stopping FFmpeg ...");
    if (g.dialog != nullptr) EnableWindow(GetDlgItem(g.dialog, IDC_ABORT), FALSE);
    if (g.ffmpeg != nullptr && g.ffmpeg->Running()) {
        g.ffmpeg->AskToStop();
        if (g.dialog != nullptr) SetTimer(g.dialog, kKillTimer, kStopGraceMs, nullptr);
    }
}

INT_PTR CALLBACK StatusProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            CheckDlgButton(dlg, IDC_SHOW_INPUT, BST_CHECKED);
            CheckDlgButton(dlg, IDC_SHOW_OUTPUT, BST_CHECKED);
            for (int i = 0; i < mb::kPriorityEntryCount; ++i)
                SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::string(mb::PriorityEntry(i)).c_str()));
            SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_SETCURSEL, mb::kNormalPriorityEntry, 0);
            SendDlgItemMessageA(dlg, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
            SetTimer(dlg, kClockTimer, kClockMs, nullptr);
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            const int code = HIWORD(wp);
            if ((id == IDC_SHOW_INPUT || id == IDC_SHOW_OUTPUT) && code == BN_CLICKED) {
                const bool on = IsDlgButtonChecked(dlg, id) == BST_CHECKED;
                ShowWindow(GetDlgItem(dlg, id == IDC_SHOW_INPUT ? IDC_INPUT_PREVIEW : IDC_OUTPUT_PREVIEW),
                           on ? SW_SHOW : SW_HIDE);
            } else if (id == IDC_PRIORITY && code == CBN_SELCHANGE) {
                const LRESULT sel = SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_GETCURSEL, 0, 0);
                if (sel >= 0 && sel < mb::kPriorityEntryCount) {
                    g.priorityClass = kPriorityClasses[sel];
                    if (g.ffmpeg != nullptr) g.ffmpeg->SetPriority(g.priorityClass);
                    g.log.push_back("priority: " + std::string(mb::PriorityEntry(static_cast<int>(sel))));
                }
            } else if ((id == IDC_ABORT || id == IDCANCEL) && code == BN_CLICKED) {
                Abort();
            }
            return TRUE;
        }
        case WM_TIMER:
            if (wp == kClockTimer) RefreshProgress();
            if (wp == kKillTimer) {
                KillTimer(dlg, kKillTimer);
                if (g.ffmpeg != nullptr) g.ffmpeg->Kill();
            }
            return TRUE;
        case kProgressMessage:
            RefreshProgress();
            return TRUE;
        case WM_CLOSE:
            Abort();  // closing the window stops the job as "Abort" does
            return TRUE;
        default:
            return FALSE;
    }
}

std::string ModulePath() {
    char buffer[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string PathVariable() {
    std::string value(32767, '\0');
    const DWORD n = GetEnvironmentVariableA("PATH", value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    return value;
}

// At most maxBytes from the start of a file; nullopt when it cannot be read.
std::optional<std::string> ReadStart(const std::string& path, std::size_t maxBytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (bytes.size() < maxBytes &&
           ReadFile(h, buffer, static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, maxBytes - bytes.size())), &got,
                    nullptr) &&
           got > 0)
        bytes.append(buffer, got);
    CloseHandle(h);
    return bytes;
}

std::optional<std::string> ReadWholeFile(const std::string& path) { return ReadStart(path, 16u << 20); }
// The first bytes of a file, where its headers are.
std::optional<std::string> HeadOf(const std::string& path) { return ReadStart(path, mb::AviHeaderBytes); }

// Appends the run's block to the log beside the target.
void WriteLog(const std::string& path) {
    if (path.empty()) return;
    std::string text;
    for (const std::string& l : g.log) text += l + "\r\n";
    text += "\r\n";
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;  // nowhere else to say it: the exit code does
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

// Delivers messages for a while (until an abort, when asked); never waits
// for the user.
void Deliver(DWORD ms, bool untilAbort) {
    if (g.dialog == nullptr) return;
    const DWORD until = GetTickCount() + ms;
    for (DWORD now = GetTickCount(); static_cast<LONG>(until - now) > 0 && !(untilAbort && g.aborted); now = GetTickCount()) {
        if (untilAbort)
            SendDlgItemMessageA(g.dialog, IDC_PROGRESS, PBM_SETPOS, 100 - (until - now) * 100 / ms, 0);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageA(g.dialog, &m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

// The log beside the target, BeSweet's own log where its line names one,
// and the simulation's trace.
void WriteLogs(const PlanOutcome& outcome) {
    WriteLog(outcome.logPath);
    if (!outcome.programLog.empty()) WriteLog(outcome.programLog);
    if (g.simulation.on) WriteLog(g.simulation.trace);
}

// Ends the log with the one line naming the cause, which Marobex shows.
int Fail(const std::string& line, const PlanOutcome& outcome) {
    g.log.push_back("error: " + line);
    g.log.push_back("result: failed: " + line);
    ShowMessage(line);
    WriteLogs(outcome);
    Deliver(kFailureShownMs, false);  // the failure stays on screen a moment
    return kFailed;
}

// The file a run writes: its last argument ("-" when it writes none).
std::string OutputOf(const std::vector<std::string>& args) { return args.empty() ? std::string() : args.back(); }

bool WritesAvi(const std::vector<std::string>& args) {
    for (std::size_t i = args.size(); i-- > 1;)
        if (args[i - 1] == "-f") return args[i] == "avi";
    return false;
}

// Less room left on the path's disk than a write needs: the reason a write
// failed, whatever the writer said.
bool DiskFull(const std::string& path) {
    if (path.empty() || path == "-") return false;
    const std::string folder = mb::FolderOfPath(path);
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExA(folder.empty() ? nullptr : (folder + "\\").c_str(), &free, nullptr, nullptr)) return false;
    return free.QuadPart < 1024 * 1024;
}

// One FFmpeg run; false with the reason in problem. Only a run that FFmpeg
// finished by itself counts: its progress said "progress=end", it exited
// with 0, and the output holds the frames it encoded. Under Wine a killed
// FFmpeg exits with 0, so the exit status alone proves nothing.
bool RunFfmpeg(const std::string& ffmpeg, const FfmpegRun& run, double gainDb, double& measuredGain,
               std::string& problem) {
    std::vector<std::string> args = WithGain(run.args, gainDb);
    args.insert(args.begin() + 1, {"-nostats", "-progress", "pipe:1"});
    const std::string line = CommandLineOf(ffmpeg, args);
    g.log.push_back("run: " + line);
    SetText(IDC_STEP, run.what);
    for (int id : {IDC_FRAMES, IDC_PERCENT, IDC_SPEED, IDC_SIZE_SO_FAR, IDC_REMAINING}) SetText(id, "");
    if (g.dialog != nullptr) SendDlgItemMessageA(g.dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);

    RunShared shared;
    shared.window = g.dialog;
    FfmpegProcess process;
    std::string reason;
    g.stepStarted = GetTickCount();
    if (!process.Start(line, g.priorityClass, shared, reason)) {
        problem = "cannot start FFmpeg (" + ffmpeg + "): " + reason;
        return false;
    }
    if (!process.Contained()) g.log.push_back("warning: FFmpeg could not be tied to the engine: it would outlive it");
    g.ffmpeg = &process;
    g.shared = &shared;
    const DWORD code = process.WaitDelivering(g.dialog);
    RefreshProgress();
    g.ffmpeg = nullptr;
    g.shared = nullptr;
    if (g.dialog != nullptr) KillTimer(g.dialog, kKillTimer);
    char took[64];
    wsprintfA(took, "exit code %lu after %lu ms", code, GetTickCount() - g.stepStarted);
    g.log.push_back(took);
    if (g.aborted) return false;
    if (code != 0 && QuantizerTooTight(shared.errors.lastLines(), args)) {
        // The codec would exceed its bitrate at its largest quantizer;
        // FFmpeg's rate control refuses instead. Encoded with FFmpeg's own bound.
        FfmpegRun looser = run;
        looser.args = WithoutMaxQuantizer(run.args);
        g.log.push_back("the maximum quantizer cannot reach the bitrate: encoding again without it");
        return RunFfmpeg(ffmpeg, looser, gainDb, measuredGain, problem);
    }
    const std::string output = OutputOf(args);
    RunEnd end;
    end.exitCode = code;
    end.sawEnd = shared.haveProgress && shared.latest.end;
    end.frames = shared.latest.frame;
    end.outTimeUs = shared.latest.outTimeUs;
    end.expectedFrames = ExpectedFrames(shared.errors);
    end.expectedSeconds = shared.errors.durationSeconds();
    end.decodeErrors = shared.errors.decodeErrors();
    if (end.sawEnd && code == 0 && WritesAvi(args)) end.outputFrames = mb::ReadAviFacts(HeadOf(output).value_or("")).frames;
    problem = IncompleteRun(end, shared.errors.lastLines(), run.input, output);
    if (!problem.empty()) {
        if (code != 0)
            for (const std::string& l : shared.errors.lastLines()) g.log.push_back("  ffmpeg: " + l);
        if (DiskFull(output)) problem = DiskFullLine(output);
        return false;
    }
    for (const std::string& w : SourceWarnings(end)) g.log.push_back("warning: " + w);
    if (run.measuresPeak) {
        if (!shared.errors.haveMaxVolume()) {
            problem = "FFmpeg measured no loudness in \"" + run.input + "\"";
            return false;
        }
        measuredGain = -shared.errors.maxVolumeDb();
        g.log.push_back("loudest sample at " + std::to_string(shared.errors.maxVolumeDb()) + " dB");
    }
    return true;
}

// The reason a file could not be written: a full disk said as such.
// `named` is the file the message names, `written` the one being written.
std::string WriteProblem(const std::string& what, const std::string& named, const std::string& written, DWORD error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || DiskFull(written)) return DiskFullLine(written);
    return what + " \"" + named + "\": " + mb::ApiErrorReason(error);
}

// A run of the plan simulated: shown for its time, then its files written.
bool SimulateFfmpeg(const FfmpegRun& run, std::string& problem) {
    g.log.push_back("simulated: " + CommandLineOf("ffmpeg", run.args));
    SetText(IDC_STEP, run.what);
    Deliver(g.simulation.stepMs, true);
    if (g.aborted) return false;
    mb::FilesW32 files;
    const Simulated s = SimulateRun(run, HeadOf, [&](const std::string& p) { return files.FileSize(p); });
    problem = s.problem;
    for (const SimulatedFile* f : {s.passLog ? &*s.passLog : nullptr, &s.output}) {
        if (!problem.empty() || f == nullptr || f->path.empty()) continue;
        std::string reason;
        if (!files.WriteFile(f->path, f->bytes, reason)) problem = WriteProblem("cannot write", f->path, f->path, GetLastError());
        g.log.push_back("wrote: " + f->path + " (" + std::to_string(f->bytes.size()) + " bytes)");
    }
    return problem.empty();
}

// VirtualDub stops on its welcome dialog until "SeenWelcome" under
// HKCU\Software\Freeware\VirtualDub is the DWORD 1; so does its simulation.
bool SeenWelcomeIsSet() {
    DWORD value = 0, size = sizeof value;
    return RegGetValueA(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", "SeenWelcome", RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS &&
           value == 1;
}

void RemoveParts(const EnginePlan& plan) {
    for (const std::string& part : plan.partFiles) DeleteFileA(part.c_str());
}

int Run(HINSTANCE instance, int show) {
    const std::string commandLine = GetCommandLineA();
    g.log.push_back("== Marobex Engine, " + TimeStamp());
    g.log.push_back("command line: " + commandLine);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    g.dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_STATUS), nullptr, StatusProc, 0);
    if (g.dialog != nullptr) {
        SetWindowTextA(g.dialog, "Marobex Engine Status");
        // Shown even when started hidden, as the encoders show theirs: it
        // holds the progress and the "Abort" button.
        ShowWindow(g.dialog, show == SW_HIDE ? SW_SHOWNOACTIVATE : show);
    }

    mb::FilesW32 files;
    mb::ProfileW32 profile;
    const std::string ini = mb::FolderOfPath(ModulePath()) + "\\Marobex.ini";
    g.simulation.trace = profile.ReadIniValue("SIMULATION", "TRACE", ini);
    g.simulation.on = !g.simulation.trace.empty();
    g.simulation.stepMs = static_cast<DWORD>(std::atoi(profile.ReadIniValue("SIMULATION", "STEPMS", ini).c_str()));
    const EngineRole role = RoleOfProgram(ModulePath());
    const PlanOutcome outcome = PlanCommandLine(
        mb::ArgumentsOf(commandLine), role, [&](const std::string& p) { return files.FileExists(p); }, ReadWholeFile,
        HeadOf);
    if (g.simulation.on) g.log.push_back("simulation: no FFmpeg runs; the files written are filler of the planned sizes");
    if (!outcome.plan) return Fail(outcome.problem, outcome);
    if (g.simulation.on && role != EngineRole::Any && role != EngineRole::BeSweet && !SeenWelcomeIsSet())
        return Fail("SeenWelcome under HKCU\\Software\\Freeware\\VirtualDub is not 1: the welcome dialog would wait "
                    "for the user",
                    outcome);
    const EnginePlan& plan = *outcome.plan;
    if (g.dialog != nullptr) {
        const std::string title = plan.program + " Status - [" + plan.sourceName + "]";
        SetWindowTextA(g.dialog, title.c_str());
        const std::size_t s = commandLine.find("/s");
        SetText(IDC_JOB, plan.program == "BeSweet" || s == std::string::npos ? plan.sourceName : commandLine.substr(s + 2));
        SetText(IDC_OUTPUT, plan.target);
    }
    for (const std::string& s : plan.settings) g.log.push_back(s);

    const std::string ffmpeg =
        g.simulation.on ? std::string() : mb::FindFfmpeg(mb::FolderOfPath(ModulePath()), PathVariable(), profile, files);
    if (ffmpeg.empty() && !g.simulation.on)
        return Fail("FFmpeg not found: put ffmpeg.exe beside marobex-engine.exe, name it as FFMPEGPATH in "
                    "section [PATH] of Marobex.ini there, or add its folder to the PATH",
                    outcome);
    if (!g.simulation.on) g.log.push_back("ffmpeg: " + ffmpeg);

    double gain = plan.gainDb;
    for (const PlanStep& step : plan.steps) {
        std::string problem;
        bool ok = true;
        switch (step.kind) {
            case StepKind::Delete:
                ok = DeleteFileA(step.path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                     GetLastError() == ERROR_PATH_NOT_FOUND;
                if (!ok) problem = "cannot replace \"" + step.path + "\": " + mb::ApiErrorReason(GetLastError());
                break;
            case StepKind::Move:
                ok = MoveFileExA(step.path.c_str(), step.to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
                if (!ok) problem = WriteProblem("cannot write", step.to, step.to, GetLastError());
                break;
            case StepKind::Copy:
                ok = CopyFileA(step.path.c_str(), step.to.c_str(), FALSE);
                if (!ok) problem = WriteProblem("cannot copy", step.path, step.to, GetLastError());
                break;
            case StepKind::Ffmpeg: {
                double measured = 0;  // a simulated loudness is full scale
                ok = g.simulation.on ? SimulateFfmpeg(step.run, problem) : RunFfmpeg(ffmpeg, step.run, gain, measured, problem);
                // A video pass that missed its size is done again at a corrected bit rate.
                for (FfmpegRun current = step.run; ok && !g.aborted && !g.simulation.on;) {
                    const auto redo = RedoAfter(current, files.FileSize(current.output));
                    if (!redo) break;
                    g.log.push_back(redo->line);
                    current = redo->run;
                    ok = RunFfmpeg(ffmpeg, current, gain, measured, problem);
                }
                if (ok && step.run.measuresPeak) gain = plan.gainDb + measured;
                break;
            }
        }
        if (g.aborted) {
            RemoveParts(plan);
            g.log.push_back("result: aborted; nothing saved");
            WriteLogs(outcome);
            return kAborted;
        }
        if (!ok) {
            RemoveParts(plan);
            return Fail(problem, outcome);
        }
    }
    if (!plan.target.empty() && files.FileExists(plan.target))
        g.log.push_back("saved: " + plan.target + " (" + std::to_string(files.FileSize(plan.target)) + " bytes)");
    g.log.push_back("result: done");
    WriteLogs(outcome);
    return kDone;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    int code = kFailed;
    try {
        code = Run(instance, show);
    } catch (...) {
        code = kFailed;
    }
    if (g.dialog != nullptr) DestroyWindow(g.dialog);
    return code;
}
