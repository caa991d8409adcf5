// Overnight batches over in-memory ports: saved jobs read back as written and
// the console countdown. The queue's runs are rows of runs/scenarios.txt,
// marobex-cli's command lines in golden_jobs_test.cpp.
#include <gtest/gtest.h>

#include <sstream>

#include "fakes/fakes.h"
#include "model/saved_job_write.h"
#include "run/console_run.h"

using namespace mb;

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
