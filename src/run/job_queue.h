// The queue of jobs: saved jobs lined up on the window and run one after
// another, each as "&Start Encode" would run it, for a night of encoding.
// The queue is kept in MarobexQueue.ini beside Marobex.ini and written at
// every change, so that it survives a restart; a job that was running when
// the program or the machine stopped comes back as interrupted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/ports.h"
#include "model/program_state.h"
#include "model/saved_job.h"
#include "run/run_driver.h"

namespace mb {

enum class QueuedJobState { Waiting, Running, Done, Refused, Failed, Interrupted, Stopped, Cancelled };

// "Waiting", "Running", "Done", "Refused", "Failed", "Interrupted", "Stopped",
// "Cancelled".
const char* QueuedJobStateText(QueuedJobState state);

struct QueuedJob {
    SavedJob job;
    QueuedJobState state = QueuedJobState::Waiting;
    std::string note;  // why it was refused, failed or stopped
};

// What the queue shows of a job.
struct QueueRow {
    std::string source, target, codec, passes, state;
};

// The queue file, beside Marobex.ini.
inline constexpr char QueueFileName[] = "MarobexQueue.ini";
std::string QueueFilePath(const ProgramState& state);

class JobQueue {
public:
    const std::vector<QueuedJob>& Jobs() const { return jobs_; }
    std::vector<QueuedJob>& Jobs() { return jobs_; }
    std::size_t Size() const { return jobs_.size(); }

    void Add(const SavedJob& job);
    // False when there is no such job (or nowhere to move it).
    bool Remove(std::size_t index);
    bool Move(std::size_t index, int by);  // -1 up, +1 down

    // The file's text: [Job <n>] with State= and Note=, then the job's
    // sections [Job <n> Paths], [Job <n> Settings], [Job <n> Tools].
    std::string FileText() const;
    // The queue a file's lines hold; a job still marked running was cut off
    // and becomes interrupted. Jobs the file does not hold whole are skipped.
    static JobQueue FromLines(const std::vector<std::string>& lines);

    // Reads the queue file (an absent one is an empty queue) and writes it.
    static JobQueue Load(FilePort& files, const std::string& path);
    Status Save(FilePort& files, const std::string& path) const;

private:
    std::vector<QueuedJob> jobs_;
};

// The job's row, from the job loaded as a run would load it (the target
// derived from the source where the job names none).
QueueRow DescribeJob(const QueuedJob& job, const ProgramState& program);

// The program's job settings loaded as a run of the queue loads them: a new
// form from the start-up values (the codec facts of `program` kept), then
// the job through the browse buttons and the control rules. `state` gets the
// program's tool paths and folder, then the job's own tools.
EncodeSettings LoadQueuedJob(const SavedJob& job, const ProgramState& program, ProgramState& state,
                             std::vector<std::string>& warnings);

struct QueueOutcome {
    int done = 0, refused = 0, failed = 0, stopped = 0;  // stopped: by Abort or Cancel
};

// Runs every job not yet done, in order: each is marked running, run as
// "&Start Encode" would run it (its own "Shutdown when done" held back), and
// marked done, refused or failed with the reason, and the next one runs. A
// job the user stopped is marked stopped (cancelled, when by "Cancel") and
// ends the queue there.
// The main window is hidden and the tray icon shown once for the whole
// queue; the progress window shows which job of how many runs. Messages of
// a job are kept in its note instead of stopping the queue. `changed` is
// called after every change of a job's state (to save and show the queue).
// At the end: a message when a job did not go through, else the shutdown
// when `shutdownWhenDone`.
QueueOutcome RunQueue(JobQueue& queue, const ProgramState& program, RunPorts& ports, bool shutdownWhenDone,
                      const std::function<void()>& changed);

}  // namespace mb
