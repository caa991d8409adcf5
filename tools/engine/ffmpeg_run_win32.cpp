#include "ffmpeg_run_win32.h"

#include "env/api_error_win32.h"

namespace mb::engine {

namespace {

struct PipeReader {
    HANDLE pipe;
    RunShared* shared;
    bool progress;  // standard output: the -progress blocks
};

DWORD WINAPI ReadPipe(void* parameter) {
    PipeReader* r = static_cast<PipeReader*>(parameter);
    ProgressReader blocks;
    char buffer[4096];
    DWORD got = 0;
    // ReadFile blocks until FFmpeg writes or closes its end.
    while (ReadFile(r->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        const std::string_view bytes(buffer, got);
        EnterCriticalSection(&r->shared->lock);
        bool posted = false;
        if (r->progress) {
            for (const Progress& p : blocks.Feed(bytes)) {
                r->shared->latest = p;
                r->shared->haveProgress = posted = true;
            }
        } else {
            r->shared->errors.Feed(bytes);
        }
        const HWND window = r->shared->window;
        LeaveCriticalSection(&r->shared->lock);
        if (posted && window != nullptr) PostMessageA(window, kProgressMessage, 0, 0);
    }
    if (!r->progress) {
        EnterCriticalSection(&r->shared->lock);
        r->shared->errors.Finish();
        LeaveCriticalSection(&r->shared->lock);
    }
    CloseHandle(r->pipe);
    delete r;
    return 0;
}

// A pipe whose child end is inherited and whose own end is not.
bool MakePipe(HANDLE& ours, HANDLE& theirs, bool childReads) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 0)) return false;
    ours = childReads ? write : read;
    theirs = childReads ? read : write;
    SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
    return true;
}

}  // namespace

FfmpegProcess::~FfmpegProcess() {
    if (process_ != nullptr) {
        Kill();
        WaitForSingleObject(process_, 5000);
        CloseHandle(process_);
    }
    for (HANDLE t : threads_)
        if (t != nullptr) {
            WaitForSingleObject(t, 5000);
            CloseHandle(t);
        }
    if (input_ != nullptr) CloseHandle(input_);
    if (job_ != nullptr) CloseHandle(job_);
}

bool FfmpegProcess::Start(const std::string& commandLine, DWORD priorityClass, RunShared& shared,
                          std::string& reason) {
    HANDLE outOurs = nullptr, outTheirs = nullptr, errOurs = nullptr, errTheirs = nullptr, inTheirs = nullptr;
    if (!MakePipe(input_, inTheirs, true) || !MakePipe(outOurs, outTheirs, false) ||
        !MakePipe(errOurs, errTheirs, false)) {
        reason = ApiErrorReason(GetLastError());
        return false;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inTheirs;
    si.hStdOutput = outTheirs;
    si.hStdError = errTheirs;
    // The job's only handle is the engine's: when the engine ends, killed
    // included, the system closes it and ends every process in it.
    job_ = CreateJobObjectA(nullptr, nullptr);
    if (job_ != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    // Suspended until it is in the job, so that nothing it starts escapes.
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | CREATE_SUSPENDED | priorityClass, nullptr, nullptr, &si, &pi);
    const DWORD error = GetLastError();
    // Only the child holds these ends now: its exit closes the pipes.
    CloseHandle(inTheirs);
    CloseHandle(outTheirs);
    CloseHandle(errTheirs);
    if (!started) {
        CloseHandle(outOurs);
        CloseHandle(errOurs);
        reason = ApiErrorReason(error);
        return false;
    }
    contained_ = job_ != nullptr && AssignProcessToJobObject(job_, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    threads_[0] = CreateThread(nullptr, 0, ReadPipe, new PipeReader{outOurs, &shared, true}, 0, nullptr);
    threads_[1] = CreateThread(nullptr, 0, ReadPipe, new PipeReader{errOurs, &shared, false}, 0, nullptr);
    return true;
}

DWORD FfmpegProcess::WaitDelivering(HWND dialog) {
    HANDLE waits[3] = {process_, threads_[0], threads_[1]};
    DWORD count = 3;
    while (count > 0) {
        const DWORD r = MsgWaitForMultipleObjects(count, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
            waits[r - WAIT_OBJECT_0] = waits[count - 1];
            --count;
            continue;
        }
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog != nullptr && IsDialogMessageA(dialog, &m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    DWORD code = 1;
    GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    for (HANDLE& t : threads_) {
        CloseHandle(t);
        t = nullptr;
    }
    CloseHandle(input_);
    input_ = nullptr;
    return code;
}

void FfmpegProcess::AskToStop() {
    if (input_ == nullptr) return;
    DWORD written = 0;
    WriteFile(input_, "q", 1, &written, nullptr);
}

void FfmpegProcess::Kill() {
    if (process_ != nullptr) TerminateProcess(process_, 255);
}

void FfmpegProcess::SetPriority(DWORD priorityClass) {
    if (process_ != nullptr) SetPriorityClass(process_, priorityClass);
}

}  // namespace mb::engine
