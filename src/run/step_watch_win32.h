// Watches the program of a running step, about once a second, from a timer
// of the thread (delivered while ShellAndWait lets messages through): the
// encoder's status window where it shows "Frame n of N" (as Priority.exe
// finds that window, by its title and its controls), else the step's result
// file growing against its expected size.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "jobs/source_facts.h"
#include "run/run_progress.h"

namespace mb {

// The status window of an encoder now running: a top-level window titled
// "VirtualDub Status", "Nandub Status" or "BeSweet Status" (and what
// follows) that holds the frame count; null when there is none.
HWND FindEncoderStatusWindow();

// The facts of a source file: an AVI's own headers; not known for anything
// else (an Avisynth script) or a file that cannot be read.
SourceFacts ReadSourceFacts(const std::string& path);

class StepWatchW32 : public StepWatchPort {
public:
    explicit StepWatchW32(UINT intervalMs = 1000) : intervalMs_(intervalMs) {}
    ~StepWatchW32() override;
    StepWatchW32(const StepWatchW32&) = delete;
    StepWatchW32& operator=(const StepWatchW32&) = delete;

    void Watch(const RunStepStart& step, double expectedBytes, std::function<void(double)> tick) override;
    void Stop() override;

    // Called once for each status window found, so that the progress window
    // can keep clear of it.
    std::function<void(HWND)> statusWindowFound;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Poll();

    UINT intervalMs_;
    UINT_PTR timer_ = 0;
    std::string result_;
    double expected_ = 0;
    std::function<void(double)> tick_;
    HWND lastStatus_ = nullptr;
};

}  // namespace mb
