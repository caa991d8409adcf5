#include "run/run_driver.h"

#include <utility>

#include "codecstate/codec_state.h"
#include "jobs/job_scripts.h"
#include "run/run_passes.h"

namespace mb {

namespace {

constexpr const char* kDivx412Key = "Software\\DivxNetworks\\DivX412Codec";

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

    const std::string& target = state.TargetFilePath;
    state.VideoOutputPath = s.ChkMux == 1 ? target.substr(0, target.rfind('.')) + "_temp.avi" : target;

    try {
        StopUnless(WriteJobScripts(s, state, *plan, ports.files));
        const WindowsBackAtTheEnd windowsBack(ports);
        ports.view.HideMainWindow();
        ports.tray.StartSystray();
        ports.view.ShowProgressWindow();
        ports.view.ClearLog();
        try {
            RunPasses(s, state, ports, *plan, RunTools{state.VirtualDubPath, state.NanDubPath, state.BesweetPath});
        } catch (const RunStop& stop) {
            if (!stop.logLine.empty()) ports.view.AppendLog(stop.logLine);
            if (stop.outcome == RunOutcome::Failed) ports.view.AppendLog(FailedStatusLine);
            throw;
        }
    } catch (const RunStop& stop) {
        // Told once the windows are back, never during the run; no later step
        // and no shutdown, the machine stays on to show it. A stop the user
        // asked for is no failure.
        if (!stop.message.empty())
            ports.messages.ShowMessage(stop.message, stop.ByUser() ? MessageIcon::Information : MessageIcon::Critical);
        return stop.outcome;
    }
    if (s.chkShutdown == 1) ShutdownWhenDone(ports);
    return RunOutcome::Finished;
}

}  // namespace mb
