#include "run/job_queue.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "model/form_model.h"
#include "model/saved_job_write.h"

namespace mb {

namespace {

constexpr const char* kStateNames[] = {"waiting", "running",     "done",    "refused",
                                       "failed",  "interrupted", "stopped", "cancelled"};
constexpr const char* kStateTexts[] = {"Waiting", "Running",     "Done",    "Refused",
                                       "Failed",  "Interrupted", "Stopped", "Cancelled"};

std::string JobSection(std::size_t number) { return "Job " + std::to_string(number); }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "key=value" lines of one section, by key in lower case.
std::map<std::string, std::string> Values(const std::vector<std::string>& lines) {
    std::map<std::string, std::string> values;
    for (const std::string& line : lines) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        values.emplace(Lower(key), SavedJobValueText(std::string_view(line).substr(equals + 1)));
    }
    return values;
}

// Messages of a queued job go into its note: the queue may run unattended.
class NoteMessages : public MessagePort {
public:
    void ShowMessage(const std::string& text, MessageIcon) override {
        if (!note.empty()) note += "; ";
        for (char c : text) note.push_back(c == '\r' || c == '\n' ? ' ' : c);
    }
    std::string note;
};

// The views of one job of the queue: the queue hides the main window and
// shows the tray icon once for all its jobs.
class QueuedJobView : public RunView {
public:
    explicit QueuedJobView(RunView& view) : view_(view) {}
    void HideMainWindow() override {}
    void ShowMainWindow() override {}
    void ShowProgressWindow() override { view_.ShowProgressWindow(); }
    void ClearLog() override { view_.ClearLog(); }
    void AppendLog(const std::string& line) override { view_.AppendLog(line); }
    void ClearQueue() override { view_.ClearQueue(); }
    void AddQueueEntry(const std::string& entry) override { view_.AddQueueEntry(entry); }
    void RemoveFirstQueueEntry() override { view_.RemoveFirstQueueEntry(); }
    void ShowJobNumber(int index, int count) override { view_.ShowJobNumber(index, count); }
    void StepStarted(const RunStepStart& step) override { view_.StepStarted(step); }

private:
    RunView& view_;
};

class HeldTray : public TrayPort {
public:
    void StartSystray() override {}
    void DeleteSystray() override {}
};

}  // namespace

const char* QueuedJobStateText(QueuedJobState state) { return kStateTexts[static_cast<int>(state)]; }

std::string QueueFilePath(const ProgramState& state) { return state.ProgramFolder + "\\" + QueueFileName; }

void JobQueue::Add(const SavedJob& job) { jobs_.push_back({job, QueuedJobState::Waiting, {}}); }

bool JobQueue::Remove(std::size_t index) {
    if (index >= jobs_.size()) return false;
    jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool JobQueue::Move(std::size_t index, int by) {
    const auto to = static_cast<std::ptrdiff_t>(index) + by;
    if (index >= jobs_.size() || to < 0 || to >= static_cast<std::ptrdiff_t>(jobs_.size())) return false;
    std::swap(jobs_[index], jobs_[static_cast<std::size_t>(to)]);
    return true;
}

std::string JobQueue::FileText() const {
    std::string text = "; The queue of jobs of Marobex, in the order they run.\r\n";
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        const QueuedJob& q = jobs_[i];
        const std::string section = JobSection(i + 1);
        text += "[" + section + "]\r\nState=" + kStateNames[static_cast<int>(q.state)] + "\r\n";
        if (!q.note.empty()) text += "Note=" + JobFileValue(q.note) + "\r\n";
        text += SavedJobText(q.job, section + " ");
    }
    return text;
}

JobQueue JobQueue::FromLines(const std::vector<std::string>& lines) {
    TextJobFile file(lines);
    std::map<int, QueuedJob> numbered;
    for (const std::string& name : file.SectionNames()) {
        const std::string lower = Lower(name);
        if (lower.rfind("job ", 0) != 0 || lower.size() > 9) continue;
        const std::string digits = lower.substr(4);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int number = std::stoi(digits);
        if (numbered.count(number)) continue;
        const auto values = Values(file.SectionLines(name));
        QueuedJob q;
        const auto state = values.find("state");
        if (state == values.end()) continue;
        const auto known = std::find(std::begin(kStateNames), std::end(kStateNames), state->second);
        if (known == std::end(kStateNames)) continue;
        q.state = static_cast<QueuedJobState>(known - std::begin(kStateNames));
        // Running when the program or the machine stopped: cut off.
        if (q.state == QueuedJobState::Running) q.state = QueuedJobState::Interrupted;
        if (const auto note = values.find("note"); note != values.end()) q.note = note->second;
        PrefixedJobSource source(file, name + " ");
        std::vector<std::string> ignored;
        q.job = ReadSavedJob(source, ignored);
        numbered.emplace(number, std::move(q));
    }
    JobQueue queue;
    for (auto& [number, q] : numbered) queue.jobs_.push_back(std::move(q));
    return queue;
}

JobQueue JobQueue::Load(FilePort& files, const std::string& path) {
    std::vector<std::string> lines;
    if (!files.ReadLines(path, lines)) return {};
    return FromLines(lines);
}

Status JobQueue::Save(FilePort& files, const std::string& path) const {
    std::string reason;
    if (files.WriteFile(path, FileText(), reason)) return Status::Ok();
    return Status::Failure("The queue could not be saved to " + path + ": " + reason);
}

EncodeSettings LoadQueuedJob(const SavedJob& job, const ProgramState& program, ProgramState& state,
                             std::vector<std::string>& warnings) {
    state = ProgramState{};
    state.ProgramFolder = program.ProgramFolder;
    state.VirtualDubPath = program.VirtualDubPath;
    state.NanDubPath = program.NanDubPath;
    state.BesweetPath = program.BesweetPath;
    state.Divx4FourccIsDivx = program.Divx4FourccIsDivx;
    state.DivxAudioCodecFound = program.DivxAudioCodecFound;
    ApplySavedJobTools(job, state);
    FormModel form(state);
    form.RunStartup({});
    ApplySavedJob(job, form, warnings);
    return form.Settings();
}

QueueRow DescribeJob(const QueuedJob& job, const ProgramState& program) {
    ProgramState state;
    std::vector<std::string> warnings;
    const EncodeSettings s = LoadQueuedJob(job.job, program, state, warnings);
    QueueRow row;
    row.source = job.job.SourceFilePath;
    row.target = s.txtTarget;
    row.codec = ChoiceText(Ctl::OptCodec, s.OptCodec);
    const bool threePass = s.OptCodec == 1 && s.ChkDivx4Pass3 == 1;
    row.passes = threePass ? "3" : (ItemNumber(s, Ctl::CmbNumPass) == 2 ? "2" : "1");
    row.state = QueuedJobStateText(job.state);
    if (!job.note.empty()) row.state += ": " + job.note;
    return row;
}

QueueOutcome RunQueue(JobQueue& queue, const ProgramState& program, RunPorts& ports, bool shutdownWhenDone,
                      const std::function<void()>& changed) {
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < queue.Size(); ++i)
        if (queue.Jobs()[i].state != QueuedJobState::Done) todo.push_back(i);
    QueueOutcome outcome;
    if (todo.empty()) return outcome;

    ports.view.HideMainWindow();
    ports.tray.StartSystray();
    QueuedJobView view(ports.view);
    HeldTray tray;
    const int count = static_cast<int>(todo.size());
    for (int k = 0; k < count && outcome.stopped == 0; ++k) {
        QueuedJob& job = queue.Jobs()[todo[static_cast<std::size_t>(k)]];
        job.state = QueuedJobState::Running;
        job.note.clear();
        changed();
        ports.view.ShowJobNumber(k + 1, count);

        ProgramState state;
        std::vector<std::string> warnings;
        EncodeSettings settings = LoadQueuedJob(job.job, program, state, warnings);
        settings.chkShutdown = 0;  // the queue decides once it has ended
        NoteMessages messages;
        RunPorts jobPorts{messages,     ports.processes, ports.registry, ports.files, ports.clock, tray,
                          ports.shutdown, ports.system,  view,           ports.format, ports.fakeAvi};
        jobPorts.dryRun = ports.dryRun;
        const RunOutcome ended = StartEncode(settings, state, jobPorts);
        switch (ended) {
            case RunOutcome::Finished:
                job.state = QueuedJobState::Done;
                ++outcome.done;
                break;
            case RunOutcome::Failed:
                job.state = QueuedJobState::Failed;
                ++outcome.failed;
                break;
            case RunOutcome::StoppedByUser:
            case RunOutcome::Cancelled:
                // The user stopped it: the jobs after it wait for the
                // queue to be started again.
                job.state = ended == RunOutcome::Cancelled ? QueuedJobState::Cancelled : QueuedJobState::Stopped;
                ++outcome.stopped;
                break;
            default:
                job.state = QueuedJobState::Refused;
                ++outcome.refused;
                break;
        }
        job.note = messages.note;
        changed();
    }
    ports.view.ShowJobNumber(0, 0);
    ports.tray.DeleteSystray();
    ports.view.ShowMainWindow();

    if (outcome.stopped > 0) {
        ports.messages.ShowMessage("The queue was stopped: " + std::to_string(outcome.done) + " done, " +
                                       std::to_string(outcome.refused) + " refused, " +
                                       std::to_string(outcome.failed) +
                                       " failed. The jobs not done run when the queue is started again." +
                                       (shutdownWhenDone ? " The computer is not shut down." : ""),
                                   MessageIcon::Information);
    } else if (outcome.refused + outcome.failed > 0) {
        ports.messages.ShowMessage("The queue has ended: " + std::to_string(outcome.done) + " done, " +
                                       std::to_string(outcome.refused) + " refused, " +
                                       std::to_string(outcome.failed) + " failed. The queue shows why." +
                                       (shutdownWhenDone ? " The computer is not shut down." : ""),
                                   MessageIcon::Exclamation);
    } else if (shutdownWhenDone) {
        ShutdownWhenDone(ports);
    }
    return outcome;
}

}  // namespace mb
