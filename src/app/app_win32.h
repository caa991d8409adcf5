// The program: the main window over the form model, started in its fixed
// order, the runs of "&Start Encode" with the tray icon and the progress
// window, and the end of the program when the main window closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/form_model.h"
#include "app/main_window_win32.h"
#include "model/program_state.h"
#include "env/codec_detection.h"
#include "app/external_app_win32.h"
#include "model/ports.h"
#include "app/log_process_win32.h"
#include "app/countdown_win32.h"
#include "app/queue_page_win32.h"
#include "run/job_queue.h"
#include "run/run_driver.h"
#include "run/run_lock_win32.h"
#include "run/run_progress.h"
#include "run/step_watch_win32.h"
#include "run/tray_win32.h"

namespace mb {

// Everything the program reaches the outside world through.
struct AppPorts {
    MessagePort& messages;
    ProcessPort& processes;
    RegistryPort& registry;
    ProfilePort& profile;
    FilePort& files;
    LocalePort& locale;
    ClockPort& clock;
    ShutdownPort& shutdown;
    SystemInfoPort& system;
    BrowseDialogs& dialogs;
};

struct AppOptions {
    // The folder of Codec.exe, Priority.exe and Marobex.ini; empty: the
    // running program's own folder.
    std::string programFolder;
    int dpi = 0;  // 0: the system's
    int showCommand = SW_SHOWNORMAL;
    // The countdown before "Shutdown when done": where it starts and how
    // long one count lasts.
    int shutdownCountdownSeconds = ShutdownCountdownSeconds;
    UINT shutdownCountdownTickMs = 1000;
    // How long Codec.exe may take.
    int codecCheckLimitMs = CodecCheckLimitMs;
};

// Posted to the main window once it is shown: the rest of the start-up.
inline constexpr UINT StartupRestMessage = WM_APP + 16;

class MarobexApp : private MainWindowHandler, private RunView, private CodecCheckButton, private QueuePageHandler {
public:
    explicit MarobexApp(AppPorts ports);
    ~MarobexApp() override;
    MarobexApp(const MarobexApp&) = delete;
    MarobexApp& operator=(const MarobexApp&) = delete;

    // The start-up, in order: the base64 table, the program folder, the
    // controls' start values with the registry preparation at its place,
    // then the main window is shown with the first tab's controls. As soon
    // as the window's messages are delivered (StartupRestMessage) come the
    // other tabs' controls, the tool paths (with the External Program
    // Location window loaded hidden when the settings file exists), the
    // Queue tab with the queue from its file, the tray icon and the codec
    // check, so the window appears at once. False when the main window
    // cannot be created.
    bool Start(HINSTANCE instance, const AppOptions& options = {});

    // Delivers the thread's messages until the main window has closed and
    // with it the program; returns the exit code.
    int Run();

    // Keyboard navigation of the program's windows for a message about to
    // be delivered; true when it was used.
    bool PreTranslateMessage(MSG& message);

    FormModel& Model() { return model_; }
    ProgramState& State() { return state_; }
    MainWindowW32& Window() { return window_; }
    // The progress window (frmLogProcess) and the External Program Location
    // window (frmExternalApp); each window is created when first needed.
    LogProcessWindow& Progress() { return progress_; }
    ExternalAppWindow& ExternalApp() { return externalApp_; }
    // The notification-area icon of the runs (null before Start).
    TrayIconW32* Tray() { return tray_.get(); }
    // The "Queue" tab and the queue of jobs.
    QueuePageW32& QueuePage() { return queuePage_; }
    JobQueue& Queue() { return queue_; }

    // "Check Installed Codec": Codec.exe lists the installed codecs, the
    // list shows the supported ones and the window offers only the codecs
    // found. A check that could not read a list (Codec.exe missing or
    // silent) leaves the codec choices as they were.
    void CheckInstalledCodecs() override;
    // "&Start Encode": one run with the real ports.
    void StartEncode() override;

    // The Queue tab (app_queue_win32.cpp).
    void OpenJob() override;
    void SaveJob() override;
    void AddToQueue() override;
    void RemoveQueuedJob(int index) override;
    void MoveQueuedJob(int index, int by) override;
    void StartQueue() override;
    void ShowQueuedJobLog(int index) override;

    // Files dropped on the main window at `point` (its client area): a video
    // source anywhere, an audio file on a stream's box of the Audio tab,
    // saved jobs on the Queue tab; anything else is told what goes where.
    void DropFiles(const std::vector<std::string>& paths, POINT point);
    // "Save Log..." of the progress window: the log as ANSI text with CR LF.
    void SaveLog();
    // "Cancel" of the progress window and of the tray icon's menu: the run
    // (or the queue) going on stops; its program is asked to end.
    void CancelRun();
    // The log each job of the queue left in its last run, in queue order.
    const std::vector<std::vector<std::string>>& JobLogs() const { return jobLogs_; }

private:
    // MainWindowHandler
    void ChangeApplicationPath() override;
    void MainWindowClosing() override;
    void MainWindowDestroyed() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinishStartup();

    // RunView
    void HideMainWindow() override;
    void ShowMainWindow() override;
    void ShowProgressWindow() override;
    void ClearLog() override;
    void AppendLog(const std::string& line) override;
    void ClearQueue() override;
    void AddQueueEntry(const std::string& entry) override;
    void RemoveFirstQueueEntry() override;
    void ShowJobNumber(int index, int count) override;
    void StepStarted(const RunStepStart& step) override;
    // The progress window's lines and the tray tip, from the progress.
    void ShowRunProgress();
    // The balloon at the end of a run or of a queue.
    void NoticeRunEnd();
    void NoticeQueueEnd();
    bool HandleDrop(HDROP drop);

    // CodecCheckButton: CmdCheckCodec
    std::string Caption() override;
    void SetCaption(const std::string& caption) override;
    void SetEnabled(bool enabled) override;

    // The other windows, in the order they were opened: the program ends
    // them the other way round.
    enum class OtherWindow { Progress, ExternalApp };
    void Opening(OtherWindow other);
    void CloseOtherWindows();
    LogProcessWindow& ProgressOpened();
    static bool FilterMessage(MSG& message);
    // The ports of a run of the window, the countdown included.
    RunPorts MakeRunPorts();
    // Marks a run (or a queue) going on, for the time of a scope: it can be
    // cancelled, and an earlier cancel no longer counts.
    class RunningScope {
    public:
        explicit RunningScope(MarobexApp& app) : app_(app) {
            app_.ports_.processes.ResetCancel();
            app_.running_ = true;
        }
        ~RunningScope() {
            app_.running_ = false;
            app_.progress_.SetCancelEnabled(false);
        }
        RunningScope(const RunningScope&) = delete;
        RunningScope& operator=(const RunningScope&) = delete;

    private:
        MarobexApp& app_;
    };
    // The queue: read at start-up, written at every change, shown on its tab.
    void LoadQueue();
    void QueueChanged(int selected);
    // The window's controls back to their start-up values, as a new job.
    void ResetForm();

    AppPorts ports_;
    HINSTANCE instance_ = nullptr;
    ProgramState state_;
    FormModel model_{state_};
    MainWindowW32 window_;
    std::unique_ptr<TrayIconW32> tray_;
    LogProcessWindow progress_;
    ExternalAppWindow externalApp_;
    std::vector<OtherWindow> opened_;
    bool busy_ = false;  // a codec check or a run is going on
    bool running_ = false;  // a run or a queue is going on: it can be cancelled
    bool startupCodecCheck_ = false;  // the start-up's codec check is still to come
    RunMutexW32 runLock_;
    AppOptions options_;
    std::unique_ptr<CountdownWindowW32> countdown_;
    QueuePageW32 queuePage_{model_, *this};
    JobQueue queue_;
    CodecCheckResult lastCheck_;  // what the window's codec choices follow

    // The progress of the run (and the queue) going on.
    StepWatchW32 watch_;
    RunProgress runProgress_;
    QueueProgress queueProgress_;
    std::vector<std::string> runSteps_;
    SourceFacts runFacts_;
    bool queueNoticeGiven_ = false;
    std::vector<std::vector<std::string>> jobLogs_;
    int runningJob_ = -1;  // the queue's job whose log is being written
};

}  // namespace mb
