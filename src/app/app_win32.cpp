#include "app/app_win32.h"

#include <algorithm>
#include <exception>

#include "app/resource.h"
#include "codecstate/binary_text.h"
#include "env/engine_paths.h"
#include "env/system_library_win32.h"
#include "env/system_win32.h"
#include "env/tool_paths.h"
#include "env/window_text_win32.h"
#include "jobs/fakeavi_win32.h"
#include "run/process_win32.h"

namespace mb {

namespace {

// The program whose windows the message filter serves while a run or a
// codec check waits for an outside program.
MarobexApp* g_app = nullptr;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string EnvironmentText(const char* name) {
    std::string value(32767, '\0');
    const DWORD n = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    return value;
}

// Sets a flag for the time of a scope.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

// Disables a window for the time of a scope.
class ToolWindowLocked {
public:
    explicit ToolWindowLocked(HWND window) : window_(window) {
        if (window_) EnableWindow(window_, FALSE);
    }
    ~ToolWindowLocked() {
        if (window_ && IsWindow(window_)) EnableWindow(window_, TRUE);
    }
    ToolWindowLocked(const ToolWindowLocked&) = delete;
    ToolWindowLocked& operator=(const ToolWindowLocked&) = delete;

private:
    HWND window_;
};

}  // namespace

MarobexApp::MarobexApp(AppPorts ports)
    : ports_(ports),
      window_(model_, state_, ports.dialogs, *this),
      externalApp_(state_, ports.profile,
                   [this](HWND owner, const std::string& filter, const std::string& title,
                          const std::string& folder) { return ports_.dialogs.OpenFile(owner, filter, title, folder); }) {
    progress_.onSaveLog = [this] { SaveLog(); };
    progress_.onCancel = [this] { CancelRun(); };
    watch_.statusWindowFound = [this](HWND status) { progress_.KeepClearOf(status); };
}

MarobexApp::~MarobexApp() {
    if (g_app == this) {
        g_app = nullptr;
        SetMessageFilter(nullptr);
    }
    if (tray_ && tray_->IsShown()) tray_->DeleteSystray();
    if (tray_ && tray_->NoticeShown()) tray_->EndNotice();
}

bool MarobexApp::Start(HINSTANCE instance, const AppOptions& options) {
    instance_ = instance;
    options_ = options;
    InitBase64Table();
    state_.ProgramFolder = options.programFolder.empty() ? FolderOf(ProgramFilePath()) : options.programFolder;

    // The window exists, hidden, from here on, so that it follows every
    // start value the model takes; its controls are made once those are set.
    if (!window_.CreateFrame(instance, options.dpi)) return false;
    g_app = this;
    SetMessageFilter(&MarobexApp::FilterMessage);

    StartupSteps steps;
    steps.prepareToolRegistry = [this] {
        if (const Status st = PrepareToolRegistry(ports_.registry); !st)
            ports_.messages.ShowMessage(st.message, MessageIcon::Exclamation);
    };
    // The codec check waits until the window is up (it may take seconds).
    steps.checkInstalledCodecs = [this] { startupCodecCheck_ = true; };
    model_.RunStartup(steps);

    HWND main = window_.Handle();
    if (!main) return false;
    // The first tab's controls are made before the window shows, the others
    // as soon as its messages are delivered (StartupRestMessage).
    window_.CreateControls(MainWindowW32::Controls::SelectedPage);
    if (startupCodecCheck_) {
        window_.SetCodecList({CodecCheckRunningLine});
        model_.SetEnabled(Ctl::OptCodec, false);
    }
    ShowWindow(main, options.showCommand);
    UpdateWindow(main);
    PostMessageA(main, StartupRestMessage, 0, 0);
    return true;
}

void MarobexApp::FinishStartup() {
    HWND main = window_.Handle();
    if (!main) return;
    window_.CreateControls(MainWindowW32::Controls::All);

    std::vector<std::string> tools = LoadToolPaths(state_, ports_.profile, ports_.files, ports_.messages);
    // A fresh install with the engine and FFmpeg works at once.
    if (!ports_.files.FileExists(SettingsFilePath(state_)))
        tools = DefaultToolPathsToEngine(state_, EnvironmentText("PATH"), ports_.profile, ports_.files, ports_.messages);
    window_.SetExternalAppList(tools);
    // With a settings file, the External Program Location window is loaded
    // hidden, holding the paths just read.
    if (ports_.files.FileExists(SettingsFilePath(state_))) {
        Opening(OtherWindow::ExternalApp);
        externalApp_.Load(main, instance_);
    }

    queuePage_.Create(main, window_.Item(IDC_SSTabMain), instance_,
                      reinterpret_cast<HFONT>(SendMessageA(window_.Item(IDC_SSTabMain), WM_GETFONT, 0, 0)),
                      window_.Dpi());
    LoadQueue();
    auto icon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICON));
    tray_ = std::make_unique<TrayIconW32>(main, icon, [this] { ShowProgressWindow(); });
    tray_->onCancel = [this] { CancelRun(); };
    // Files dropped on the window go where the source button and the other
    // buttons would put them.
    if (const auto accept = SystemFunction<decltype(&DragAcceptFiles)>("shell32.dll", "DragAcceptFiles"))
        accept(main, TRUE);

    if (startupCodecCheck_) {
        startupCodecCheck_ = false;
        CheckInstalledCodecs();
    }
}

int MarobexApp::Run() {
    MSG message;
    int result;
    while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}

bool MarobexApp::PreTranslateMessage(MSG& message) {
    if (window_.PreTranslateMessage(message)) return true;
    return progress_.TranslateDialogMessage(message) || externalApp_.TranslateDialogMessage(message);
}

bool MarobexApp::FilterMessage(MSG& message) { return g_app && g_app->PreTranslateMessage(message); }

// ---- Buttons -------------------------------------------------------------------------

void MarobexApp::CheckInstalledCodecs() {
    if (busy_) return;
    BusyScope busy(busy_);
    // The window stays live meanwhile: the codec choices and the start
    // button wait for the answer, and the list says what is going on.
    window_.SetCodecList({CodecCheckRunningLine});
    model_.SetEnabled(Ctl::OptCodec, false);
    EnableWindow(window_.Item(IDC_cmdStartEncode), FALSE);
    const CodecCheckResult result =
        RunCodecCheck(state_, ports_.processes, ports_.files, ports_.locale, this, options_.codecCheckLimitMs);
    if (!window_.Handle()) return;  // the program ended meanwhile
    model_.SetEnabled(Ctl::OptCodec, true);
    EnableWindow(window_.Item(IDC_cmdStartEncode), TRUE);
    window_.SetCodecList(result.lines);
    // Without a list the check could not look: it says nothing about which
    // codecs are missing.
    if (result.listRead) {
        model_.ApplyCodecCheck(result, state_.DivxAudioCodecFound);
        lastCheck_ = result;
    }
}

RunPorts MarobexApp::MakeRunPorts() {
    if (!countdown_)
        countdown_ = std::make_unique<CountdownWindowW32>(instance_, options_.shutdownCountdownSeconds,
                                                          options_.shutdownCountdownTickMs);
    RunPorts ports{ports_.messages, ports_.processes, ports_.registry, ports_.files,
                   ports_.clock,    *tray_,           ports_.shutdown, ports_.system,
                   *this,           ports_.locale.UserNumberFormat(), LoadFakeAviResource(),
                   &runLock_};
    ports.countdown = countdown_.get();
    return ports;
}

void MarobexApp::CancelRun() {
    if (!running_) return;
    ports_.processes.CancelRun();
    progress_.SetCancelEnabled(false);  // asked once
}

void MarobexApp::StartEncode() {
    if (busy_ || !tray_) return;
    BusyScope busy(busy_);
    const RunningScope running(*this);
    RunPorts ports = MakeRunPorts();
    // The External Program Location window stays shown during a run, but
    // its paths are the run's until the end.
    const ToolWindowLocked toolWindow(externalApp_.Handle());
    try {
        mb::StartEncode(model_.Settings(), state_, ports);
    } catch (const std::exception& e) {
        // Nothing may cross the window procedure into the system.
        ports_.messages.ShowMessage(std::string("The encoding run stopped: ") + e.what(),
                                    MessageIcon::Critical);
    }
}

void MarobexApp::ChangeApplicationPath() {
    Opening(OtherWindow::ExternalApp);
    externalApp_.Show(window_.Handle(), instance_);
}

// "E&xit" or the close box: the other windows go first, the last opened
// first, then the main window and with it the program. Nothing is written.
void MarobexApp::MainWindowClosing() { CloseOtherWindows(); }

void MarobexApp::MainWindowDestroyed() {
    CloseOtherWindows();
    watch_.Stop();
    if (tray_ && tray_->IsShown()) tray_->DeleteSystray();
    if (tray_ && tray_->NoticeShown()) tray_->EndNotice();
    PostQuitMessage(0);
}

void MarobexApp::CloseOtherWindows() {
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) {
        if (*it == OtherWindow::Progress)
            progress_.Destroy();
        else
            externalApp_.Close();
    }
    opened_.clear();
}

bool MarobexApp::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The session is ending while a program runs: the run stops after it,
    // as on a quit.
    if (message == WM_ENDSESSION && wParam && busy_) PostQuitMessage(0);
    if (message == StartupRestMessage) {
        FinishStartup();
        return true;
    }
    if (message == WM_DROPFILES) return HandleDrop(reinterpret_cast<HDROP>(wParam));
    return tray_ && tray_->HandleMessage(message, wParam, lParam);
}

// ---- The other windows -------------------------------------------------------------

void MarobexApp::Opening(OtherWindow other) {
    const bool exists = other == OtherWindow::Progress ? progress_.Handle() != nullptr : externalApp_.Loaded();
    if (exists) return;
    // A window closed by the user and opened again counts as opened now.
    opened_.erase(std::remove(opened_.begin(), opened_.end(), other), opened_.end());
    opened_.push_back(other);
}

LogProcessWindow& MarobexApp::ProgressOpened() {
    Opening(OtherWindow::Progress);
    return progress_;
}

// ---- RunView ------------------------------------------------------------------------------

void MarobexApp::HideMainWindow() { ShowWindow(window_.Handle(), SW_HIDE); }

void MarobexApp::ShowMainWindow() {
    watch_.Stop();
    ShowWindow(window_.Handle(), SW_SHOW);
    SetForegroundWindow(window_.Handle());
    // A queue gives its own notice once it has ended.
    if (!queueNoticeGiven_) NoticeRunEnd();
    queueNoticeGiven_ = false;
}

// Once the main window is gone the program is ending: a run stopping then
// brings no progress window back.
void MarobexApp::ShowProgressWindow() {
    if (!window_.Handle()) return;
    ProgressOpened().Show(instance_);
    progress_.SetCancelEnabled(running_ && !ports_.processes.RunCancelled());
}
void MarobexApp::ClearLog() {
    if (window_.Handle()) ProgressOpened().ClearLog();
}
void MarobexApp::AppendLog(const std::string& line) {
    if (runningJob_ >= 0 && runningJob_ < static_cast<int>(jobLogs_.size()))
        jobLogs_[static_cast<std::size_t>(runningJob_)].push_back(line);
    if (window_.Handle()) ProgressOpened().AppendLog(line);
}
// The queue of steps is filled as a run begins: its progress starts again.
void MarobexApp::ClearQueue() {
    runSteps_.clear();
    runProgress_ = RunProgress{};
    if (window_.Handle()) {
        ProgressOpened().ClearQueue();
        progress_.SetProgress("", 0, "", QueueProgressText(queueProgress_));
    }
}
void MarobexApp::AddQueueEntry(const std::string& entry) {
    runSteps_.push_back(StepNameOfEntry(entry));
    if (window_.Handle()) ProgressOpened().AddQueueEntry(entry);
}
void MarobexApp::RemoveFirstQueueEntry() {
    if (window_.Handle()) ProgressOpened().RemoveFirstQueueEntry();
}

// ---- CmdCheckCodec ---------------------------------------------------------------------------

std::string MarobexApp::Caption() { return WindowText(window_.Item(IDC_CmdCheckCodec)); }

void MarobexApp::SetCaption(const std::string& caption) {
    SetWindowTextA(window_.Item(IDC_CmdCheckCodec), caption.c_str());
}

void MarobexApp::SetEnabled(bool enabled) { EnableWindow(window_.Item(IDC_CmdCheckCodec), enabled); }

}  // namespace mb
