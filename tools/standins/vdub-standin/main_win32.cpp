// VirtualDub.exe and NanDub.exe, the stand-ins for the two encoders: started
// as "<path> /r /x /s<job file>", they run the job script as the real program
// would, show a status window while they work, and append what they did to
// the trace file. Built once as VirtualDub.exe and once, with
// MAROBEX_STANDIN_NANDUB, as NanDub.exe.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "standin/encoder_job.h"
#include "standin/job_script.h"
#include "standin/standin_win32.h"
#include "standin/status_ids.h"

namespace {

#ifdef MAROBEX_STANDIN_NANDUB
constexpr bool kNandub = true;
#else
constexpr bool kNandub = false;
#endif

constexpr const char* kProgram = kNandub ? "Nandub" : "VirtualDub";
constexpr UINT_PTR kProgressTimer = 1;

// The entries of the priority combo, as the encoder lists them, and the
// thread priority each gives the work.
struct PriorityEntry {
    const char* text;
    int threadPriority;
};
constexpr PriorityEntry kPriorities[] = {
    {"Idle", THREAD_PRIORITY_IDLE},
    {"Lowest", THREAD_PRIORITY_LOWEST},
    {"Even lower", THREAD_PRIORITY_LOWEST},
    {"Lower", THREAD_PRIORITY_BELOW_NORMAL},
    {"Normal", THREAD_PRIORITY_NORMAL},
    {"Higher", THREAD_PRIORITY_ABOVE_NORMAL},
    {"Even higher", THREAD_PRIORITY_HIGHEST},
    {"Highest", THREAD_PRIORITY_HIGHEST},
};
constexpr int kNormalPriority = 4;

// What the status window shares with the program while it is open.
struct StatusState {
    mb::TraceRecord* trace = nullptr;
    DWORD shownAt = 0;
    int holdMs = 0;
    bool closed = false;
};

bool IsChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

std::string PriorityText(HWND dlg) {
    const LRESULT sel = SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_GETCURSEL, 0, 0);
    if (sel < 0 || sel >= static_cast<LRESULT>(std::size(kPriorities))) return "(none)";
    return kPriorities[sel].text;
}

// A click on a preview check box shows or hides that preview, as the
// encoder's own window does.
void OnPreviewClicked(HWND dlg, StatusState& st, int box, int preview, const char* name) {
    const bool on = IsChecked(dlg, box);
    ShowWindow(GetDlgItem(dlg, preview), on ? SW_SHOW : SW_HIDE);
    st.trace->Add("control changed", std::string(name) + (on ? " checked" : " unchecked"));
}

void OnPriorityChanged(HWND dlg, StatusState& st) {
    const LRESULT sel = SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_GETCURSEL, 0, 0);
    if (sel >= 0 && sel < static_cast<LRESULT>(std::size(kPriorities)))
        SetThreadPriority(GetCurrentThread(), kPriorities[sel].threadPriority);
    st.trace->Add("control changed", "Priority " + PriorityText(dlg));
}

INT_PTR CALLBACK StatusProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        auto* st = reinterpret_cast<StatusState*>(GetWindowLongPtrA(dlg, DWLP_USER));
        switch (msg) {
            case WM_INITDIALOG: {
                SetWindowLongPtrA(dlg, DWLP_USER, lp);
                CheckDlgButton(dlg, IDC_SHOW_INPUT, BST_CHECKED);
                CheckDlgButton(dlg, IDC_SHOW_OUTPUT, BST_CHECKED);
                for (const PriorityEntry& e : kPriorities)
                    SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.text));
                SendDlgItemMessageA(dlg, IDC_PRIORITY, CB_SETCURSEL, kNormalPriority, 0);
                SendDlgItemMessageA(dlg, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
                SetTimer(dlg, kProgressTimer, 50, nullptr);
                return TRUE;
            }
            case WM_COMMAND:
                if (st == nullptr) break;
                if (LOWORD(wp) == IDC_SHOW_INPUT && HIWORD(wp) == BN_CLICKED)
                    OnPreviewClicked(dlg, *st, IDC_SHOW_INPUT, IDC_INPUT_PREVIEW, "Show input video");
                else if (LOWORD(wp) == IDC_SHOW_OUTPUT && HIWORD(wp) == BN_CLICKED)
                    OnPreviewClicked(dlg, *st, IDC_SHOW_OUTPUT, IDC_OUTPUT_PREVIEW, "Show output video");
                else if (LOWORD(wp) == IDC_PRIORITY && HIWORD(wp) == CBN_SELCHANGE)
                    OnPriorityChanged(dlg, *st);
                return TRUE;
            case WM_TIMER:
                if (st != nullptr && wp == kProgressTimer) {
                    const DWORD elapsed = GetTickCount() - st->shownAt;
                    const int pos = st->holdMs > 0 ? static_cast<int>(elapsed * 100 / st->holdMs) : 100;
                    SendDlgItemMessageA(dlg, IDC_PROGRESS, PBM_SETPOS, pos > 100 ? 100 : pos, 0);
                }
                return TRUE;
            case WM_CLOSE:
                if (st != nullptr) st->closed = true;
                return TRUE;
            default:
                break;
        }
    } catch (...) {
        return TRUE;
    }
    return FALSE;
}

// Delivers messages until the window has been up for its time or is closed.
void HoldStatusWindow(HWND dlg, StatusState& st) {
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dlg, &m)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
        }
        const DWORD elapsed = GetTickCount() - st.shownAt;
        if (st.closed || elapsed >= static_cast<DWORD>(st.holdMs)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(st.holdMs) - elapsed, QS_ALLINPUT);
    }
}

std::string LastOutputOf(const mb::TraceRecord& trace) {
    const auto written = trace.Values("wrote");
    if (written.empty()) return {};
    const auto entry = mb::ParseWrittenEntry(written.back());
    return entry ? entry->path : std::string();
}

int Finish(mb::TraceRecord& trace, const char* result, int exitCode) {
    trace.Add("result", result);
    std::string reason;
    mb::AppendTraceRecord(trace, reason);  // nowhere to report a trace that cannot be written
    return exitCode;
}

int Run(HINSTANCE instance, int show) {
    mb::TraceRecord trace;
    trace.program = kProgram;
    const std::string commandLine = GetCommandLineA();
    trace.Add("command line", commandLine);

    if (!mb::SeenWelcomeIsSet()) {
        trace.Add("error",
                  "SeenWelcome under HKCU\\Software\\Freeware\\VirtualDub is not 1: the welcome dialog would "
                  "wait for the user");
        return Finish(trace, "refused", 2);
    }

    mb::EncoderArguments args;
    std::string problem;
    if (!mb::ParseEncoderArguments(mb::ArgumentsOf(commandLine), args, problem)) {
        trace.Add("error", problem);
        return Finish(trace, "failed", 1);
    }
    trace.Add("job file", args.jobFile);

    mb::Win32StandinFiles files;
    std::string script;
    const std::int64_t size = files.Size(args.jobFile);
    if (size < 0 || !files.ReadStart(args.jobFile, static_cast<std::size_t>(size), script)) {
        trace.Add("error", "cannot open the job file \"" + args.jobFile + "\"");
        return Finish(trace, "failed", 1);
    }
    const mb::ScriptDialect dialect = kNandub ? mb::ScriptDialect::Nandub : mb::ScriptDialect::VirtualDub;
    const mb::JobScriptReading reading = mb::ReadJobScript(script, dialect);
    if (reading.error) {
        trace.Add("error", mb::FormatScriptError(*reading.error));
        trace.Add("error line", reading.error->lineText);
        return Finish(trace, "failed", 1);
    }

    const double seconds = mb::StandinSeconds();
    char secondsText[32];
    snprintf(secondsText, sizeof secondsText, "%g", seconds);
    trace.Add("seconds", secondsText);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    StatusState st;
    st.trace = &trace;
    st.holdMs = mb::StandinWindowMs();
    const std::string title = std::string(kProgram) + " Status - [" + mb::SourceNameOfJob(reading.statements) + "]";
    HWND dlg = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_STATUS), nullptr, StatusProc,
                                  reinterpret_cast<LPARAM>(&st));
    if (dlg != nullptr) {
        SetWindowTextA(dlg, title.c_str());
        SetDlgItemTextA(dlg, IDC_JOB, args.jobFile.c_str());
        ShowWindow(dlg, show);
        st.shownAt = GetTickCount();
        trace.Add("status window", title);
    } else {
        trace.Add("status window", "none: " + mb::SystemErrorText(GetLastError()));
    }

    const bool ok = mb::RunEncoderJob(reading.statements, dialect, seconds, files, trace);

    if (dlg != nullptr) {
        SetDlgItemTextA(dlg, IDC_OUTPUT, LastOutputOf(trace).c_str());
        HoldStatusWindow(dlg, st);
        trace.Add("Show input video", IsChecked(dlg, IDC_SHOW_INPUT) ? "checked" : "unchecked");
        trace.Add("Show output video", IsChecked(dlg, IDC_SHOW_OUTPUT) ? "checked" : "unchecked");
        trace.Add("Priority", PriorityText(dlg));
        KillTimer(dlg, kProgressTimer);
        DestroyWindow(dlg);
    }
    return Finish(trace, ok ? "done" : "failed", ok ? 0 : 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    try {
        return Run(instance, show);
    } catch (...) {
        return 3;
    }
}
