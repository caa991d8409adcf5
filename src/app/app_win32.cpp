#include "app/app_win32.h"

#include "app/resource.h"
#include "codecstate/binary_text.h"
#include "env/system_win32.h"
#include "env/tool_paths.h"
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

}  // namespace

MarobexApp::MarobexApp(AppPorts ports, AppWindows windows)
    : ports_(ports), windows_(std::move(windows)), window_(model_, state_, ports.dialogs, *this) {}

MarobexApp::~MarobexApp() {
    if (g_app == this) {
        g_app = nullptr;
        SetMessageFilter(nullptr);
    }
    if (tray_ && tray_->IsShown()) tray_->DeleteSystray();
}

bool MarobexApp::Start(HINSTANCE instance, const AppOptions& options) {
    InitBase64Table();
    state_.ProgramFolder = options.programFolder.empty() ? FolderOf(ProgramFilePath()) : options.programFolder;

    // The window exists, hidden, from here on, so that it follows every
    // start value the model takes.
    if (!window_.Create(instance, options.dpi)) return false;
    g_app = this;
    SetMessageFilter(&MarobexApp::FilterMessage);

    window_.SetExternalAppList(LoadToolPaths(state_, ports_.profile, ports_.files, ports_.messages));
    if (ports_.files.FileExists(SettingsFilePath(state_))) EnsureExternalApp();

    StartupSteps steps;
    steps.prepareToolRegistry = [this] { PrepareToolRegistry(ports_.registry); };
    steps.checkInstalledCodecs = [this] { CheckInstalledCodecs(); };
    model_.RunStartup(steps);

    HWND main = window_.Handle();
    if (!main) return false;  // closed while the codec check ran
    auto icon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICON));
    tray_ = std::make_unique<TrayIconW32>(main, icon, [this] { ShowProgressWindow(); });

    ShowWindow(main, options.showCommand);
    UpdateWindow(main);
    return true;
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
    for (HWND other : {progress_ ? progress_->Handle() : nullptr, externalApp_ ? externalApp_->Handle() : nullptr}) {
        if (!other || !IsWindow(other)) continue;
        if ((message.hwnd == other || IsChild(other, message.hwnd)) && IsDialogMessageA(other, &message)) return true;
    }
    return false;
}

bool MarobexApp::FilterMessage(MSG& message) { return g_app && g_app->PreTranslateMessage(message); }

// ---- Buttons -------------------------------------------------------------------------

void MarobexApp::CheckInstalledCodecs() {
    if (busy_) return;
    BusyScope busy(busy_);
    const CodecCheckResult result = RunCodecCheck(state_, ports_.processes, ports_.files, ports_.locale, this);
    window_.SetCodecList(result.lines);
    // Without a list the check could not look: it says nothing about which
    // codecs are missing.
    if (result.listRead) model_.ApplyCodecCheck(result, state_.DivxAudioCodecFound);
}

void MarobexApp::StartEncode() {
    if (busy_) return;
    BusyScope busy(busy_);
    RunPorts ports{ports_.messages, ports_.processes, ports_.registry, ports_.files,
                   ports_.clock,    *tray_,           ports_.shutdown, ports_.system,
                   *this,           ports_.locale.UserNumberFormat(), LoadFakeAviResource()};
    mb::StartEncode(model_.Settings(), state_, ports);
}

void MarobexApp::ChangeApplicationPath() {
    if (ExternalAppWindow* external = EnsureExternalApp()) external->Show();
}

// "E&xit" or the close box: the other windows go, the last opened first,
// and with them the program. Nothing is written.
void MarobexApp::MainWindowDestroyed() {
    if (tray_ && tray_->IsShown()) tray_->DeleteSystray();
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) {
        HWND other = *it == OtherWindow::Progress ? (progress_ ? progress_->Handle() : nullptr)
                                                  : (externalApp_ ? externalApp_->Handle() : nullptr);
        if (other && IsWindow(other)) DestroyWindow(other);
        if (*it == OtherWindow::Progress)
            progress_.reset();
        else
            externalApp_.reset();
    }
    opened_.clear();
    PostQuitMessage(0);
}

bool MarobexApp::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return tray_ && tray_->HandleMessage(message, wParam, lParam);
}

// ---- The other windows -------------------------------------------------------------

ProgressWindow* MarobexApp::EnsureProgress() {
    if (!progressTried_ && windows_.progress) {
        progressTried_ = true;
        progress_ = windows_.progress(window_.Handle());
        if (progress_) opened_.push_back(OtherWindow::Progress);
    }
    return progress_.get();
}

ExternalAppWindow* MarobexApp::EnsureExternalApp() {
    if (!externalAppTried_ && windows_.externalApp) {
        externalAppTried_ = true;
        externalApp_ = windows_.externalApp(window_.Handle());
        if (externalApp_) opened_.push_back(OtherWindow::ExternalApp);
    }
    return externalApp_.get();
}

// ---- RunView ------------------------------------------------------------------------------

void MarobexApp::HideMainWindow() { ShowWindow(window_.Handle(), SW_HIDE); }

void MarobexApp::ShowMainWindow() {
    ShowWindow(window_.Handle(), SW_SHOW);
    SetForegroundWindow(window_.Handle());
}

void MarobexApp::ShowProgressWindow() {
    if (ProgressWindow* progress = EnsureProgress()) progress->Show();
}

void MarobexApp::ClearLog() {
    if (ProgressWindow* progress = EnsureProgress()) progress->ClearLog();
}

void MarobexApp::AppendLog(const std::string& line) {
    if (ProgressWindow* progress = EnsureProgress()) progress->AppendLog(line);
}

void MarobexApp::ClearQueue() {
    if (ProgressWindow* progress = EnsureProgress()) progress->ClearQueue();
}

void MarobexApp::AddQueueEntry(const std::string& entry) {
    if (ProgressWindow* progress = EnsureProgress()) progress->AddQueueEntry(entry);
}

void MarobexApp::RemoveFirstQueueEntry() {
    if (ProgressWindow* progress = EnsureProgress()) progress->RemoveFirstQueueEntry();
}

// ---- CmdCheckCodec ---------------------------------------------------------------------------

std::string MarobexApp::Caption() {
    char text[128] = "";
    GetWindowTextA(window_.Item(IDC_CmdCheckCodec), text, sizeof text);
    return text;
}

void MarobexApp::SetCaption(const std::string& caption) {
    SetWindowTextA(window_.Item(IDC_CmdCheckCodec), caption.c_str());
}

void MarobexApp::SetEnabled(bool enabled) { EnableWindow(window_.Item(IDC_CmdCheckCodec), enabled); }

}  // namespace mb
