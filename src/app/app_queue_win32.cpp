// The program's Queue tab: saving and opening jobs, and the queue of jobs
// that runs one after another, kept in MarobexQueue.ini beside Marobex.ini.
#include "app/app_win32.h"

#include "app/resource.h"
#include "model/saved_job_write.h"

namespace mb {

namespace {

constexpr char kJobFilter[] = "Marobex Job (*.ini)|*.ini|All Files (*.*)|*.*";

// The text shown for a list of remarks: one per line, at most a screenful.
std::string Remarks(const std::vector<std::string>& lines) {
    std::string text;
    std::size_t shown = 0;
    for (const std::string& line : lines) {
        if (++shown > 15) {
            text += "\n(" + std::to_string(lines.size() - 15) + " more)";
            break;
        }
        text += "\n" + line;
    }
    return text;
}

}  // namespace

void MarobexApp::LoadQueue() {
    queue_ = JobQueue::Load(ports_.files, QueueFilePath(state_));
    bool interrupted = false;
    for (const QueuedJob& job : queue_.Jobs()) interrupted = interrupted || job.state == QueuedJobState::Interrupted;
    // The file keeps saying "running" until it is written again.
    if (interrupted) queue_.Save(ports_.files, QueueFilePath(state_));
    jobLogs_.assign(queue_.Size(), {});
    QueueChanged(-1);
}

void MarobexApp::QueueChanged(int selected) {
    std::vector<QueueRow> rows;
    for (const QueuedJob& job : queue_.Jobs()) rows.push_back(DescribeJob(job, state_));
    queuePage_.SetRows(rows, selected);
}

void MarobexApp::ResetForm() {
    model_.BrowseSource("");
    model_.BrowseStream1("");
    model_.BrowseTempFolder("");
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        const ControlInfo& info = Control(c);
        if (info.flags & MB_READONLY) continue;
        switch (info.kind) {
            case ControlKind::Text: model_.SetText(c, info.defaultText); break;
            case ControlKind::Check: model_.SetCheck(c, info.defaultValue); break;
            case ControlKind::Option: model_.SelectOption(c, info.defaultValue); break;
            case ControlKind::List: model_.SelectListEntry(c, info.defaultValue); break;
            case ControlKind::Slider: model_.SetSlider(c, info.defaultValue); break;
        }
    }
    // The start-up again, with the codecs the last check found.
    StartupSteps steps;
    steps.checkInstalledCodecs = [this] {
        if (lastCheck_.listRead) model_.ApplyCodecCheck(lastCheck_, state_.DivxAudioCodecFound);
    };
    model_.RunStartup(steps);
}

void MarobexApp::OpenJob() {
    if (busy_) return;
    const std::string path = ports_.dialogs.OpenFile(window_.Handle(), kJobFilter, "Open Job", state_.ProgramFolder);
    if (path.empty()) return;
    std::vector<std::string> lines;
    if (!ports_.files.ReadLines(path, lines)) {
        ports_.messages.ShowMessage("Cannot open the job file " + path, MessageIcon::Exclamation);
        return;
    }
    TextJobFile source(lines);
    std::vector<std::string> warnings;
    const SavedJob job = ReadSavedJob(source, warnings);
    // Through the browse buttons and the control rules, as a user would
    // set them; the window's tool paths stay those of Marobex.ini.
    ResetForm();
    ApplySavedJob(job, model_, warnings);
    if (!warnings.empty())
        ports_.messages.ShowMessage("The job was opened; these values were not used:" + Remarks(warnings),
                                    MessageIcon::Exclamation);
}

void MarobexApp::SaveJob() {
    if (busy_) return;
    std::string path = ports_.dialogs.SaveFile(window_.Handle(), kJobFilter, "Save Job", state_.ProgramFolder);
    if (path.empty()) return;
    const std::size_t name = path.find_last_of("\\/");
    if (path.find('.', name == std::string::npos ? 0 : name) == std::string::npos) path += ".ini";
    std::string reason;
    if (!ports_.files.WriteFile(path, SavedJobText(JobFromForm(model_, state_)), reason))
        ports_.messages.ShowMessage("Cannot save the job to " + path + ": " + reason, MessageIcon::Critical);
}

void MarobexApp::AddToQueue() {
    if (busy_) return;
    if (state_.SourceFilePath.empty() || model_.Text(Ctl::txtSource).empty()) {
        ports_.messages.ShowMessage("Choose a source file before adding the job to the queue.",
                                    MessageIcon::Exclamation);
        return;
    }
    queue_.Add(JobFromForm(model_, state_));
    jobLogs_.resize(queue_.Size());
    if (Status st = queue_.Save(ports_.files, QueueFilePath(state_)); !st)
        ports_.messages.ShowMessage(st.message, MessageIcon::Critical);
    QueueChanged(static_cast<int>(queue_.Size()) - 1);
}

void MarobexApp::RemoveQueuedJob(int index) {
    if (busy_ || !queue_.Remove(static_cast<std::size_t>(index))) return;
    if (index < static_cast<int>(jobLogs_.size())) jobLogs_.erase(jobLogs_.begin() + index);
    if (Status st = queue_.Save(ports_.files, QueueFilePath(state_)); !st)
        ports_.messages.ShowMessage(st.message, MessageIcon::Critical);
    QueueChanged(std::min(index, static_cast<int>(queue_.Size()) - 1));
}

void MarobexApp::MoveQueuedJob(int index, int by) {
    if (busy_ || !queue_.Move(static_cast<std::size_t>(index), by)) return;
    jobLogs_.resize(queue_.Size());
    std::swap(jobLogs_[static_cast<std::size_t>(index)], jobLogs_[static_cast<std::size_t>(index + by)]);
    if (Status st = queue_.Save(ports_.files, QueueFilePath(state_)); !st)
        ports_.messages.ShowMessage(st.message, MessageIcon::Critical);
    QueueChanged(index + by);
}

void MarobexApp::StartQueue() {
    if (busy_ || !tray_ || queue_.Size() == 0) return;
    struct Busy {
        bool& flag;
        ~Busy() { flag = false; }
    } busy{busy_ = true};
    const RunningScope running(*this);
    RunPorts ports = MakeRunPorts();
    const std::string file = QueueFilePath(state_);
    // Written at every change, so that a job cut off by a crash or a power
    // cut comes back as interrupted; a failed write must not stop the night.
    RunQueue(queue_, state_, ports, model_.Settings().chkShutdown == 1, [this, &file] {
        queue_.Save(ports_.files, file);
        QueueChanged(-1);
    });
}

void MarobexApp::ShowJobNumber(int index, int count) {
    std::string caption = LogProcessCaption;
    const std::int64_t now = ports_.clock.NowSeconds();
    if (count > 0) {
        caption += " - job " + std::to_string(index) + " of " + std::to_string(count);
        ShowProgressWindow();
        if (!queueProgress_.Active()) queueProgress_.Begin(count, now);
        queueProgress_.Job(index);
        queueProgress_.Update(0, now);
        // The job now marked running keeps the log of this run.
        jobLogs_.resize(queue_.Size());
        runningJob_ = -1;
        for (std::size_t i = 0; i < queue_.Size(); ++i)
            if (queue_.Jobs()[i].state == QueuedJobState::Running) runningJob_ = static_cast<int>(i);
        if (runningJob_ >= 0) jobLogs_[static_cast<std::size_t>(runningJob_)].clear();
    } else {
        runningJob_ = -1;
        NoticeQueueEnd();
        queueProgress_.End();
        queueNoticeGiven_ = true;
    }
    SetWindowTextA(ProgressOpened().Handle(), caption.c_str());
}

}  // namespace mb
