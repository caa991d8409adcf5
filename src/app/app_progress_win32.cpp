// The program's view of a run as it goes: how far it has come (the progress
// window's lines and the tray tip), the notice at its end, the log saved to a
// file, and the files dropped on the main window.
#include "app/app_win32.h"

#include <shellapi.h>

#include <cctype>

#include "app/resource.h"
#include "env/system_library_win32.h"
#include "model/saved_job_write.h"
#include "model/text.h"

namespace mb {

namespace {

constexpr char kLogFilter[] = "Text File (*.txt)|*.txt|All Files (*.*)|*.*";
constexpr char kDropHelp[] =
    "Drop a video source (*.avi, *.avs) on the window, an audio stream (*.ac3, *.mpa) on a stream's box of the "
    "Audio tab, or saved jobs (*.ini) on the Queue tab.";

std::string LowerExtension(const std::string& path) {
    const std::size_t name = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool IsVideo(const std::string& ext) { return ext == ".avi" || ext == ".avs"; }
bool IsAudio(const std::string& ext) { return ext == ".ac3" || ext == ".mpa" || ext == ".mp2" || ext == ".mp3"; }

}  // namespace

// ---- Progress ------------------------------------------------------------------------

void MarobexApp::StepStarted(const RunStepStart& step) {
    const std::int64_t now = ports_.clock.NowSeconds();
    if (!runProgress_.Begun()) {
        runFacts_ = ReadSourceFacts(step.source);
        runProgress_.Begin(runSteps_, runFacts_, now);
    }
    runProgress_.StepStarted(step.name, now);
    ShowRunProgress();
    watch_.Watch(step, ExpectedResultBytes(step, runFacts_), [this](double fraction) {
        runProgress_.StepFraction(fraction, ports_.clock.NowSeconds());
        ShowRunProgress();
    });
}

void MarobexApp::ShowRunProgress() {
    if (!window_.Handle()) return;
    const std::int64_t now = ports_.clock.NowSeconds();
    if (queueProgress_.Active()) queueProgress_.Update(runProgress_.Fraction(), now);
    progress_.SetProgress(StepProgressText(runProgress_), runProgress_.RunPercent(), RunProgressText(runProgress_),
                          QueueProgressText(queueProgress_));
    if (tray_ && tray_->IsShown()) tray_->SetTip(TrayProgressTip(runProgress_, queueProgress_));
}

void MarobexApp::NoticeRunEnd() {
    if (!tray_ || !window_.Handle()) return;
    const std::int64_t now = ports_.clock.NowSeconds();
    const RunEndNotice notice =
        NoticeFromLog(progress_.LogLines(), state_.TargetFilePath, ports_.files.FileSize(state_.TargetFilePath),
                      runProgress_.Begun() ? runProgress_.Elapsed(now) : 0);
    if (notice.end == EndKind::Done && runProgress_.Begun()) {
        runProgress_.Finish(now);
        ShowRunProgress();
    }
    tray_->ShowNotice(notice.title, notice.text);
}

void MarobexApp::NoticeQueueEnd() {
    if (!tray_) return;
    int done = 0, failed = 0, refused = 0;
    bool stopped = false;
    std::string firstProblem;
    for (const QueuedJob& job : queue_.Jobs()) {
        stopped = stopped || job.state == QueuedJobState::Stopped || job.state == QueuedJobState::Cancelled;
        if (job.state == QueuedJobState::Done) ++done;
        if (job.state == QueuedJobState::Failed) ++failed;
        if (job.state == QueuedJobState::Refused) ++refused;
        if ((job.state == QueuedJobState::Failed || job.state == QueuedJobState::Refused) && firstProblem.empty())
            firstProblem = job.job.SourceFilePath + ": " + job.note;
    }
    const std::string counts = std::to_string(done) + " done, " + std::to_string(refused) + " refused, " +
                               std::to_string(failed) + " failed";
    tray_->ShowNotice(stopped ? "Queue stopped" : failed + refused > 0 ? "Queue ended" : "Queue done",
                      firstProblem.empty() ? counts : counts + "\n" + firstProblem);
}

// ---- The log kept ---------------------------------------------------------------------

void MarobexApp::SaveLog() {
    std::string path = ports_.dialogs.SaveFile(progress_.Handle(), kLogFilter, "Save Log", state_.ProgramFolder);
    if (path.empty()) return;
    const std::size_t name = path.find_last_of("\\/");
    if (path.find('.', name == std::string::npos ? 0 : name) == std::string::npos) path += ".txt";
    std::string text;
    for (const std::string& line : progress_.LogLines()) text += line + "\r\n";
    std::string reason;
    if (!ports_.files.WriteFile(path, text, reason))
        ports_.messages.ShowMessage("Cannot save the log to " + path + ": " + reason, MessageIcon::Critical);
}

void MarobexApp::ShowQueuedJobLog(int index) {
    if (busy_ || index < 0 || index >= static_cast<int>(jobLogs_.size())) return;
    const std::vector<std::string>& log = jobLogs_[static_cast<std::size_t>(index)];
    LogProcessWindow& progress = ProgressOpened();
    progress.ClearLog();
    for (const std::string& line : log) progress.AppendLog(line);
    if (log.empty()) progress.AppendLog(" >> This job has not run since Marobex started <<");
    progress.ClearProgress();
    progress.Show(instance_);
}

// ---- Dropped files --------------------------------------------------------------------

bool MarobexApp::HandleDrop(HDROP drop) {
    const auto query = SystemFunction<decltype(&DragQueryFileA)>("shell32.dll", "DragQueryFileA");
    const auto point = SystemFunction<decltype(&DragQueryPoint)>("shell32.dll", "DragQueryPoint");
    const auto finish = SystemFunction<decltype(&DragFinish)>("shell32.dll", "DragFinish");
    if (!query || !point || !finish) return true;
    std::vector<std::string> paths;
    const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a long path is read whole.
        const UINT length = query(drop, i, nullptr, 0);
        std::string path(length + 1, '\0');
        const UINT copied = query(drop, i, path.data(), length + 1);
        path.resize(copied <= length ? copied : length);
        paths.push_back(std::move(path));
    }
    POINT at = {};
    point(drop, &at);
    finish(drop);
    DropFiles(paths, at);
    return true;
}

void MarobexApp::DropFiles(const std::vector<std::string>& paths, POINT point) {
    if (busy_ || paths.empty() || !window_.Handle()) return;
    // A name the system's code page cannot spell comes with '?' in its
    // place and names no file.
    for (const std::string& path : paths) {
        if (!ports_.files.FileExists(path)) {
            ports_.messages.ShowMessage("Cannot open the dropped file " + path, MessageIcon::Exclamation);
            return;
        }
    }
    const int tab = model_.SelectedTab(TabStrip::SSTabMain);

    if (tab == QueueTabIndex) {
        std::size_t added = 0;
        for (const std::string& path : paths) {
            std::vector<std::string> lines;
            if (LowerExtension(path) != ".ini" || !ports_.files.ReadLines(path, lines)) continue;
            TextJobFile source(lines);
            std::vector<std::string> warnings;
            const SavedJob job = ReadSavedJob(source, warnings);
            if (job.SourceFilePath.empty()) continue;  // not a saved job
            queue_.Add(job);
            ++added;
        }
        jobLogs_.resize(queue_.Size());
        if (added > 0) {
            if (Status st = queue_.Save(ports_.files, QueueFilePath(state_)); !st)
                ports_.messages.ShowMessage(st.message, MessageIcon::Critical);
            QueueChanged(static_cast<int>(queue_.Size()) - 1);
        }
        if (added < paths.size())
            ports_.messages.ShowMessage(std::string(added ? "Some files were not added: " : "") + kDropHelp,
                                        MessageIcon::Exclamation);
        return;
    }

    if (paths.size() > 1) {
        ports_.messages.ShowMessage("Drop one file at a time here. " + std::string(kDropHelp), MessageIcon::Exclamation);
        return;
    }
    const std::string ext = LowerExtension(paths[0]);
    if (tab == 2 && IsAudio(ext)) {
        // The stream whose box it was dropped on.
        const auto inside = [&](int frameId) {
            const LayoutItem* frame = FindLayoutItem(frameId);
            if (!frame) return false;
            const int dpi = window_.Dpi();
            const LayoutRect& r = frame->rect;
            return point.x >= MulDiv(r.x, dpi, 96) && point.x < MulDiv(r.x + r.w, dpi, 96) &&
                   point.y >= MulDiv(r.y, dpi, 96) && point.y < MulDiv(r.y + r.h, dpi, 96);
        };
        if (inside(IDC_Frame20)) {
            model_.BrowseStream1(paths[0]);
            return;
        }
        if (inside(IDC_Frame21)) {
            if (model_.CommandEnabled(Command::CmdBrowseStream2))
                model_.BrowseStream2(paths[0]);
            else
                ports_.messages.ShowMessage("Check \"Audio Stream 2 :\" before dropping its audio file.",
                                            MessageIcon::Exclamation);
            return;
        }
    }
    if (IsVideo(ext)) {
        model_.BrowseSource(paths[0]);
        return;
    }
    ports_.messages.ShowMessage(kDropHelp, MessageIcon::Exclamation);
}

}  // namespace mb
