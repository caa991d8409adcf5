// The encoding run started by "&Start Encode": checks, codec state, job
// scripts, then the outside programs one after another, with the queue and
// the encoding log in the progress window.
#pragma once

#include <cstdint>
#include <string>

#include "model/encode_settings.h"
#include "model/program_state.h"
#include "model/ports.h"

namespace mb {

// The windows a run shows and hides. The main window's view and the console
// runner each implement it.
class RunView {
public:
    virtual ~RunView() = default;
    virtual void HideMainWindow() = 0;
    virtual void ShowMainWindow() = 0;
    // Shows the progress window (created on first use) without making it
    // modal, and lets it paint.
    virtual void ShowProgressWindow() = 0;
    virtual void ClearLog() = 0;
    virtual void AppendLog(const std::string& line) = 0;
    virtual void ClearQueue() = 0;
    virtual void AddQueueEntry(const std::string& entry) = 0;
    virtual void RemoveFirstQueueEntry() = 0;
};

// Everything a run reaches the outside world through.
struct RunPorts {
    MessagePort& messages;
    ProcessPort& processes;
    RegistryPort& registry;
    FilePort& files;
    ClockPort& clock;
    TrayPort& tray;
    ShutdownPort& shutdown;
    SystemInfoPort& system;
    RunView& view;
    NumberFormat format;
    // The bytes of c:\fake.avi for the WMA job (the Windows programs carry
    // them as a resource); empty means the built-in layout.
    std::string fakeAvi;
};

enum class RunOutcome {
    Refused,   // an input check failed; nothing was written or started
    Stopped,   // the run began but a job file could not be written
    Finished,  // every step ran
};

// Starts Priority.exe (without waiting) before an encoder: 1 VirtualDub,
// any other value Nandub.
std::string PriorityCommandLine(int ApplicationNumber, const EncodeSettings& s,
                                const std::string& programFolder);
void SetVdubPriority(int ApplicationNumber, const EncodeSettings& s, const ProgramState& state,
                     ProcessPort& processes);

// Converts the audio streams whose path box is filled (BeSweet, and for the
// DivX audio format VirtualDub), setting Stream1AudioPath/Stream2AudioPath.
Status EncodeAudio(const EncodeSettings& s, ProgramState& state, RunPorts& ports);

// One run, from the click to the end (shutdown included when asked).
RunOutcome StartEncode(const EncodeSettings& s, ProgramState& state, RunPorts& ports);

}  // namespace mb
