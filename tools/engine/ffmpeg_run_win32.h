// Running ffmpeg.exe with its three standard handles as pipes: the progress
// blocks of its standard output and the lines of its standard error are read
// by two threads that block on them (no polling), while the calling thread
// waits for the process and delivers its window messages. FFmpeg runs in a
// job object that ends it when the engine ends, however the engine ends:
// no FFmpeg goes on writing after the engine (and the run) are gone.
#pragma once

#include <windows.h>

#include <string>

#include "ffmpeg_progress.h"

namespace mb::engine {

// What the status window learns while FFmpeg runs; the reader threads write
// it under the lock and post kProgressMessage to the window.
struct RunShared {
    CRITICAL_SECTION lock;
    Progress latest;
    bool haveProgress = false;
    ErrorReader errors;
    HWND window = nullptr;
    RunShared() { InitializeCriticalSection(&lock); }
    ~RunShared() { DeleteCriticalSection(&lock); }
    RunShared(const RunShared&) = delete;
    RunShared& operator=(const RunShared&) = delete;
};
constexpr UINT kProgressMessage = WM_APP + 1;

class FfmpegProcess {
public:
    FfmpegProcess() = default;
    ~FfmpegProcess();
    FfmpegProcess(const FfmpegProcess&) = delete;
    FfmpegProcess& operator=(const FfmpegProcess&) = delete;

    // Starts the command line with the priority class given, inside the
    // job object; false with the system's reason when it cannot start.
    bool Start(const std::string& commandLine, DWORD priorityClass, RunShared& shared, std::string& reason);
    // Delivers window messages (through the filter, for dialog keys) until
    // the process has ended and both pipes are read to their end; then the
    // exit code.
    DWORD WaitDelivering(HWND dialog);
    // Asks FFmpeg to stop: "q" on its standard input, as a user at its
    // console would type. It finishes the file it writes and ends.
    void AskToStop();
    // Ends it at once (when it does not stop when asked).
    void Kill();
    void SetPriority(DWORD priorityClass);
    bool Running() const { return process_ != nullptr; }
    // False when the system refused to put FFmpeg in the job object (it
    // then runs, but could outlive the engine).
    bool Contained() const { return contained_; }

private:
    HANDLE job_ = nullptr;    // kill on close: closed by the system when the engine ends
    bool contained_ = false;
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;  // our end of its standard input
    HANDLE threads_[2] = {nullptr, nullptr};
};

}  // namespace mb::engine
