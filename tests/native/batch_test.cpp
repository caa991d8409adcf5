// Overnight batches over in-memory ports: saved jobs read back as written,
// the queue runs its jobs in order and survives a restart, a stopped job ends
// the queue, and the console countdown. marobex-cli's command lines are in
// golden_jobs_test.cpp.
#include <gtest/gtest.h>

#include <sstream>

#include "fakes/fakes.h"
#include "model/saved_job_write.h"
#include "run/console_run.h"
#include "run/job_queue.h"

using namespace mb;
using mb::fakes::World;

namespace {

using mb::fakes::Lines;
using mb::fakes::SplitLines;


ProgramState Tools() {
    ProgramState st;
    st.ProgramFolder = "C:\\Tools";
    st.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
    st.NanDubPath = "C:\\nd\\NanDub.exe";
    st.BesweetPath = "C:\\bs\\BeSweet.exe";
    return st;
}

SavedJob ReadJob(const std::string& text) {
    mb::fakes::TextSavedJobSource source(text);
    std::vector<std::string> warnings;
    return ReadSavedJob(source, warnings);
}

}  // namespace

TEST(Batch, ASavedJobReadsBackAsTheSameSettings) {
    // Quotes, comment signs and blanks survive the file.
    for (const std::string v : {"780", " 780", "a ;b", ";x", "\"q\"", "'q'", "it's \"both\"", "a;b", ""})
        EXPECT_EQ(SavedJobValueText(JobFileValue(v)), v) << v;

    ProgramState st1 = Tools();
    FormModel form(st1);
    StartSavedJobForm(form, st1);
    form.BrowseSource("D:\\My Rips ;2\\movie.avi");
    form.BrowseTarget("D:\\out\\film.avi");
    form.BrowseStream1("D:\\a\\x.ac3");
    form.SelectOption(Ctl::OptCodec, 2);
    form.SelectListEntry(Ctl::CmbNumPass, 1);
    form.SetText(Ctl::TxtSize, " 650000");
    form.SetCheck(Ctl::ChkAltCurve, 1);
    form.SetCheck(Ctl::ChkAutoBonus, 0);
    form.SetText(Ctl::TxtBonusBias, "a ;comment");
    form.SetCheck(Ctl::ChkStream2, 1);
    form.BrowseStream2("D:\\a\\y.ac3");
    form.SelectOption(Ctl::OptAudioFormat2, 0);
    form.SetText(Ctl::TxtDelay2, "-40");
    form.SetCheck(Ctl::chkShutdown, 1);

    mb::fakes::TextSavedJobSource source(SavedJobText(JobFromForm(form, st1)));
    std::vector<std::string> warnings;
    const SavedJob job = ReadSavedJob(source, warnings);
    ProgramState st2 = Tools();
    FormModel loaded(st2);
    StartSavedJobForm(loaded, st2);
    ApplySavedJob(job, loaded, warnings);
    EXPECT_EQ(warnings, Lines{});
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        EXPECT_EQ(loaded.Text(c), form.Text(c)) << Control(c).name;
        EXPECT_EQ(loaded.Value(c), form.Value(c)) << Control(c).name;
    }
    EXPECT_EQ(st2.TempFolderPath, st1.TempFolderPath);
}

TEST(Batch, TheQueueRunsItsJobsInOrderMarksEachAndSurvivesARestart) {
    World w;
    w.files["D:\\v\\good.avs"] = w.files["D:\\v\\bad.avs"] = "source";
    w.silent = {"jobpass.vcf"};  // the first run's encoder crashes
    int runs = 0;
    w.programs.push_back({"jobpass.vcf", [&] {
                              if (++runs > 1) w.silent.clear();
                          }});
    JobQueue queue;
    for (const char* source : {"D:\\v\\bad.avs", "D:\\v\\missing.avs", "D:\\v\\good.avs"})
        queue.Add(ReadJob(std::string("[Paths]\nSourceFilePath=") + source + "\n[Settings]\nOptCodec=2\n"));
    ASSERT_TRUE(queue.Move(1, 1));  // good before missing
    ASSERT_FALSE(queue.Move(2, 1));
    ASSERT_FALSE(queue.Move(0, -1));

    Lines saved;  // each state as the queue file gives it back
    const std::string path = QueueFilePath(Tools());
    const auto changed = [&] {
        ASSERT_TRUE(queue.Save(w, path));
        Lines states;
        const JobQueue reread = JobQueue::FromLines(SplitLines(w.files[path]));
        for (const QueuedJob& q : reread.Jobs()) states.push_back(QueuedJobStateText(q.state));
        saved.push_back(::testing::PrintToString(states));
    };
    RunPorts ports = w.Ports();
    const QueueOutcome outcome = RunQueue(queue, Tools(), ports, true, changed);
    EXPECT_EQ(outcome.done, 1);
    EXPECT_EQ(outcome.refused, 1);
    EXPECT_EQ(outcome.failed, 1);
    // A job running when the program stops comes back interrupted.
    EXPECT_EQ(saved, (Lines{R"({ "Interrupted", "Waiting", "Waiting" })", R"({ "Failed", "Waiting", "Waiting" })",
                            R"({ "Failed", "Interrupted", "Waiting" })", R"({ "Failed", "Done", "Waiting" })",
                            R"({ "Failed", "Done", "Interrupted" })", R"({ "Failed", "Done", "Refused" })"}));
    EXPECT_EQ(std::count(w.events.begin(), w.events.end(), "main hidden"), 1);
    EXPECT_EQ(std::count(w.events.begin(), w.events.end(), "tray added"), 1);
    EXPECT_EQ(w.messages.size(), 1u);  // once, at the end
    EXPECT_EQ(w.events.back().rfind("message: The queue has ended: 1 done, 1 refused, 1 failed.", 0), 0u);

    const JobQueue restarted = JobQueue::FromLines(SplitLines(w.files[path]));
    ASSERT_EQ(restarted.Size(), 3u);
    EXPECT_EQ(restarted.Jobs()[2].note, "Cannot find source file");
    const QueueRow row = DescribeJob(restarted.Jobs()[1], Tools());
    EXPECT_EQ(row.source, "D:\\v\\good.avs");
    EXPECT_EQ(row.target, "D:\\v\\good.avi");
    EXPECT_EQ(row.codec, "XviD 2.x");
    EXPECT_EQ(row.passes, "1");
    EXPECT_EQ(row.state, "Done");

    // Once every job is done, "Shutdown when done" counts for the queue.
    World again;
    again.files["D:\\v\\good.avs"] = "source";
    JobQueue one;
    one.Add(ReadJob("[Paths]\nSourceFilePath=D:\\v\\good.avs\n[Settings]\nchkShutdown=1\n"));
    RunPorts p = again.Ports();
    RunQueue(one, Tools(), p, true, [] {});
    EXPECT_EQ(std::count(again.events.begin(), again.events.end(), "shutdown 17"), 1);
    EXPECT_EQ(again.events.back(), "shutdown 17");
}

TEST(Batch, TheConsoleCountdownCanBeCancelled) {
    for (int cancelAt : {0, 58}) {  // 0: never
        std::ostringstream err;
        int waits = 0;
        const bool shut = CountDownOnConsole(err, 60, [&](int ms) {
            EXPECT_EQ(ms, 1000);
            return ++waits == cancelAt;
        });
        EXPECT_EQ(shut, cancelAt == 0);
        const Lines lines = SplitLines(err.str());
        EXPECT_EQ(lines.front(), "shutdown: Marobex will shut down this computer in 60 s (Ctrl+C cancels)");
        EXPECT_EQ(lines.back(), cancelAt ? "shutdown: cancelled" : "shutdown: now");
        EXPECT_EQ(waits, cancelAt ? cancelAt : 60);
    }
}

TEST(Batch, AJobTheUserStoppedOrCancelledEndsTheQueueThere) {
    for (const bool cancel : {false, true}) {
        World w;
        w.files["D:\\v\\good.avs"] = "source";
        w.files["C:\\vd\\VirtualDub.exe"] = "MZ";
        w.products["C:\\vd\\VirtualDub.exe"] = "Marobex Engine";  // the engine in VirtualDub's place
        if (cancel)
            w.cancelDuring = "jobpass.vcf";
        else
            w.exitStatuses.push_back({"jobpass.vcf", EngineAbortedStatus});
        JobQueue queue;
        for (int i = 0; i < 2; ++i) queue.Add(ReadJob("[Paths]\nSourceFilePath=D:\\v\\good.avs\n[Settings]\nchkShutdown=1\n"));
        RunPorts ports = w.Ports();
        const QueueOutcome outcome = RunQueue(queue, Tools(), ports, true, [] {});
        EXPECT_EQ(outcome.stopped, 1);
        const QueuedJobState stopped = cancel ? QueuedJobState::Cancelled : QueuedJobState::Stopped;
        EXPECT_EQ(queue.Jobs()[0].state, stopped);
        EXPECT_EQ(DescribeJob(queue.Jobs()[0], Tools()).state,
                  cancel ? "Cancelled: The encoding was stopped: cancelled."
                         : "Stopped: The encoding was stopped: aborted in C:\\vd\\VirtualDub.exe.");
        EXPECT_EQ(queue.Jobs()[1].state, QueuedJobState::Waiting);  // until the queue is started again
        EXPECT_EQ(w.Events({"run("}).size(), 1u);
        EXPECT_EQ(w.Events({"shutdown"}), Lines{});
        EXPECT_EQ(w.messages, Lines{"The queue was stopped: 0 done, 0 refused, 0 failed. The jobs not done run when the "
                                    "queue is started again. The computer is not shut down."});
        EXPECT_EQ(JobQueue::FromLines(SplitLines(queue.FileText())).Jobs()[0].state, stopped);
    }
}
