// The run driver with programs that leave results: refused input, numbers in
// the user's format, the third pass's bitrate from the second pass's size,
// durations and sizes in the log, failed writes, the windows and shutdown;
// and how a run is refused or ends early: the run lock, paths no file can
// have, programs that cannot start, a quit, an exception.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "codecstate/codec_state.h"
#include "jobs/besweet.h"
#include "fakes/fakes.h"
#include "model/form_model.h"
#include "run/encode_log.h"
#include "run/run_driver.h"

using namespace mb;
using mb::fakes::Lines;
using mb::fakes::World;

namespace {

// The window after start-up with D:\v\movie.avs chosen, then the edits
// ("Name=value" as the control holds it).
struct Encode {
    World w;
    ProgramState st;
    EncodeSettings s;
    explicit Encode(const Lines& edits = {}) {
        st.ProgramFolder = "C:\\Tools";
        st.VirtualDubPath = "C:\\vd\\VirtualDub.exe";
        st.NanDubPath = "C:\\nd\\NanDub.exe";
        st.BesweetPath = "C:\\bs\\BeSweet.exe";
        FormModel form(st);
        form.RunStartup({});
        form.BrowseSource("D:\\v\\movie.avs");
        s = form.Settings();
        w.files["D:\\v\\movie.avs"] = "source";
        for (const std::string& e : edits) {
            const Ctl c = FindControl(e.substr(0, e.find('=')));
            const std::string value = e.substr(e.find('=') + 1);
            if (std::string* text = TextField(s, c))
                *text = value;
            else
                *IntField(s, c) = std::stoi(value);
            const std::pair<Ctl, std::string*> paths[] = {{Ctl::txtTarget, &st.TargetFilePath},
                                                          {Ctl::TxtStream1, &st.Stream1FilePath},
                                                          {Ctl::TxtStream2, &st.Stream2FilePath}};
            for (const auto& [box, path] : paths)
                if (c == box) *path = value;
        }
    }
    RunLockPort* lock = nullptr;
    RunOutcome Go() {
        RunPorts p = w.Ports();
        p.runLock = lock;
        return StartEncode(s, st, p);
    }
    bool Has(const std::string& event) const { return std::count(w.events.begin(), w.events.end(), event) > 0; }
    bool Logged(const std::string& line) const { return std::find(w.log.begin(), w.log.end(), line) != w.log.end(); }
    // DivX 4, three passes; the second pass leaves `kb` KB at the target.
    Encode& SecondPassLeaves(std::int64_t kb) {
        w.programs.push_back({"jobpass2.vcf", [this, kb] { w.sizes[st.TargetFilePath] = kb * 1024; }});
        return *this;
    }
};

const Lines kThreePasses = {"OptCodec=1", "CmbNumPass=1", "ChkDivx4Pass3=1"};

Lines With(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The text of the SetCompData line of a job script.
std::string StateLine(const std::string& job) {
    const std::size_t at = job.find("SetCompData(");
    return job.substr(at, job.find('\n', at) - at);
}

}  // namespace

TEST(Run, RefusedInputShowsOneMessageAndWritesAndStartsNothing) {
    const std::string negative = "Invalid input. Negative value is not acceptable";
    const struct {
        Lines edits;
        std::string message;
    } cases[] = {
        {{"txtSource="}, "Cannot find source file"},
        {{"txtSource=D:\\v\\gone.avs"}, "Cannot find source file"},
        {{"txtTarget="}, "No target file specified."},
        {{"OptCodec=-1"}, "No video codec selected."},
        {{"CmbNumPass=1", "txtTarget=D:\\v\\film"}, "Invalid input. The target file has no extension: D:\\v\\film"},
        {{"ChkMux=1", "txtTarget=D:\\v\\film"}, "Invalid input. The target file has no extension: D:\\v\\film"},
        {With(kThreePasses, {"TxtDivx4OverSize=five"}), "Invalid input. Not a number: maximum oversize"},
        {With(kThreePasses, {"TxtDivx4Size=big"}), "Invalid input. Not a number: desired size"},
        {With(kThreePasses, {"TxtDivx4Size=0"}), "No input for desired size"},
        {{"ChkMux=1", "TxtDelay1=-x"}, "Invalid input. Not a number: audio stream 1 delay"},
        {{"ChkMux=1", "TxtStream1=D:\\a.mpa", "ChkStream2=1", "TxtStream2=D:\\b.mpa", "TxtDelay2="}, "Invalid input. Not a number: audio stream 2 delay"},
        // The codec's boxes: "No input" in the order of the boxes, then the
        // other boxes, then signs, then what does not fit 32 bits.
        {{"txtBr=", "txtKf="}, "No input for encoding bitrate"},
        {{"txtRCdur=0"}, "No input for RC down/up reaction"},
        {{"txtSc=-"}, "Invalid input. Not a number: scene change threshold"},
        {{"txtRCdur=-0.4"}, negative},
        {{"txtBr=2147484"}, "Invalid input. Out of range: encoding bitrate"},
        {{"OptCodec=1", "TxtKF4=-300"}, negative},
        {{"OptCodec=1", "TxtKF4=-300", "TxtRCdur4="}, "No input for RC down/up reaction"},
        {{"OptCodec=1", "TxtMaxQ4=12,5"}, "Invalid input. Not a number: maximum quantizer"},
        {{"OptCodec=1", "TxtBr4=inf"}, "Invalid input. Not a number: encoding bitrate"},
        {{"OptCodec=1", "TxtBr4=2147483.648"}, "Invalid input. Out of range: encoding bitrate"},
        {{"OptCodec=1", "TxtKF4=1e10"}, "Invalid input. Out of range: keyframe interval"},
        {{"OptCodec=2", "txtKF2X=one", "TxtSize="}, "Invalid input. Not a number: minimum keyframe interval"},
        {{"OptCodec=2", "txtKF2X=-1"}, negative},
        {{"OptCodec=2", "TxtSize=-1"}, negative},
        {{"OptCodec=2", "TxtIQuantMin="}, "No input for Min I-frame Quant. size"},
        {{"OptCodec=2", "TxtPQuantMax=nan"}, "Invalid input. Not a number: maximum P-frame quantizer"},
        {{"OptCodec=2", "TxtBoost="}, "Invalid input. Not a number: I-frame boost"},
        {{"OptCodec=2", "TxtPayback=2 40"}, "Invalid input. Not a number: bitrate payback delay"},
        {{"OptCodec=2", "TxtBonusBias=", "TxtBrX=-900"}, "Invalid input. Not a number: bonus bias"},
        {{"OptCodec=2", "TxtStrenght="}, "Invalid input. Not a number: curve strength"},
        {{"OptCodec=2", "TxtIQuantMax=-3e9"}, "Invalid input. Out of range: maximum I-frame quantizer"},
        {{"OptCodec=2", "TxtPayback=2147483647.5"}, "Invalid input. Out of range: bitrate payback delay"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.edits));
        Encode r(c.edits);
        EXPECT_EQ(r.Go(), RunOutcome::Refused);
        EXPECT_EQ(r.w.messages, Lines{c.message});
        EXPECT_EQ(r.w.Events({"run(", "start(", "write:", "main hidden", "registry:"}), Lines{});
    }
    // The boxes of a codec not chosen play no part.
    Encode other({"OptCodec=2", "TxtDivx4OverSize=abc", "TxtDivx4Size=", "TxtBr4=?", "txtBr="});
    EXPECT_EQ(other.Go(), RunOutcome::Finished);
    EXPECT_EQ(other.w.messages, Lines{});
}

TEST(Run, NumbersInTheUsersFormatRoundHalvesToEven) {
    const struct {
        const char *kf, *br;
        NumberFormat format;
        const char *sameKf, *sameBr;  // plain texts that give the same state
    } cases[] = {
        {"299.5", "2147483", {'.', ','}, "300", "2147483"},
        {"300,5", "2,5", {',', '.'}, "300", "2.5"},
        {" 1.000 ", "1.000,0004", {',', '.'}, "1000", "1000"},
        {"301.49", "0.0004", {'.', ','}, "301", "0.0001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kf);
        Encode a({"OptCodec=1", std::string("TxtKF4=") + c.kf, std::string("TxtBr4=") + c.br});
        Encode b({"OptCodec=1", std::string("TxtKF4=") + c.sameKf, std::string("TxtBr4=") + c.sameBr});
        ASSERT_TRUE(CreateCompDataDivx4(a.s, a.st, a.w, c.format));
        ASSERT_TRUE(CreateCompDataDivx4(b.s, b.st, b.w, NumberFormat{}));
        EXPECT_EQ(a.st.CompDataPass1, b.st.CompDataPass1);
    }
}

TEST(Run, ThirdPassRunsAtTheBitrateTheSecondPassLeavesRoomFor) {
    const struct {
        std::int64_t kb;
        const char* bitrate;  // of the third pass; null: not required
        Lines logged;
        const char* size = "570000";
    } cases[] = {
        {600000, "741", {" New BitRate Used : 741 Kbt/s", " Final Size File : 600000 Kbt", " Oversize More or less : 28500 Kybt"}},
        {70000, "6000", {" New BitRate Used : 6000 Kbt/s"}},
        // 570000 + 5 %: on the bound, not above it.
        {598500, nullptr, {" Final Size File : 598500 Kbt", " More or less : 28500 Kbt", " >> Third Pass is not Requiered <<"}},
        {541499, "821", {}},
        {541500, nullptr, {" >> Third Pass is not Requiered <<"}},
        // 728.85 and a tolerance of 28500.95 KB: both cut off, not rounded.
        {610000, "728", {" New BitRate Used : 728 Kbt/s"}},
        {598519, nullptr, {" More or less : 28500 Kbt"}, "570019"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kb);
        Encode r(With(kThreePasses, {std::string("TxtDivx4Size=") + c.size}));
        r.SecondPassLeaves(c.kb);
        EXPECT_EQ(r.Go(), RunOutcome::Finished);
        for (const std::string& line : c.logged) EXPECT_TRUE(r.Logged(line)) << line;
        EXPECT_EQ(r.w.log.back(), " Status Encoding : FINISH");
        EXPECT_EQ(r.w.files.count("c:\\jobpass3.vcf"), c.bitrate ? 1u : 0u);
        if (!c.bitrate) continue;
        // The third pass's state is the second pass's at the new bitrate.
        Encode same({"OptCodec=1", "CmbNumPass=1", std::string("TxtBr4=") + c.bitrate});
        same.Go();
        EXPECT_EQ(StateLine(r.w.files["c:\\jobpass3.vcf"]), StateLine(same.w.files["c:\\jobpass2.vcf"]));
        EXPECT_EQ(r.w.Events({"run("}).back(), "run(0): C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass3.vcf");
    }
    // Without the second pass's result the log ends after it; a mux still runs.
    Encode none(With(kThreePasses, {"ChkMux=1"}));
    none.Go();
    EXPECT_EQ(none.w.log[none.w.log.size() - 4], " End Second Pass Encoding ...");
    EXPECT_EQ(none.w.log.back(), std::string(40, '_'));
    EXPECT_EQ(none.w.Events({"run("}).back(), "run(0): C:\\nd\\NanDub.exe /r /x /sc:\\audiomux.vcf");
}

TEST(Run, DurationsAndSizesInTheLog) {
    const struct {
        std::vector<std::int64_t> clock;
        std::int64_t bytes;
        const char *duration, *size;
    } cases[] = {
        {{86370, 86440, 86440}, 1023, "Duration : 00:01:10", " Final Size File : 0 Kbt"},  // over midnight
        {{0, 40000, 40000}, 2047, "Duration : 11:06:40", " Final Size File : 1 Kbt"},  // beyond 16 bits
        {{5, 5, 5}, 3LL * 1024 * 1024 * 1024 + 5, "Duration : 00:00:00", " Final Size File : 3145728 Kbt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        Encode r;
        r.w.clockReadings = c.clock;
        r.w.programs.push_back({"jobpass.vcf", [&r, &c] { r.w.sizes[r.st.TargetFilePath] = c.bytes; }});
        r.Go();
        EXPECT_TRUE(r.Logged(c.duration));
        EXPECT_TRUE(r.Logged(c.size));
    }
    const std::pair<std::int64_t, const char*> durations[] = {
        {0, "00:00:00"},      {59, "00:00:59"},      {3599, "00:59:59"},   {3600, "01:00:00"},
        {3725, "01:02:05"},   {86399, "23:59:59"},   {86400, "24:00:00"},  {90061, "25:01:01"},
        {360000, "100:00:00"},
    };
    for (const auto& [seconds, text] : durations) EXPECT_EQ(SecondInHour(seconds), text) << seconds;
}

TEST(Run, WindowsAroundTheRunShutdownLastAndFailedWritesStop) {
    Encode r({"chkShutdown=1"});
    EXPECT_EQ(r.Go(), RunOutcome::Finished);
    EXPECT_EQ(r.w.Events({"main", "tray", "progress", "shutdown"}),
              (Lines{"main hidden", "tray added", "progress shown", "tray deleted", "main shown", "shutdown 17"}));
    Encode refused({"chkShutdown=1"});
    refused.w.throwOnShutdown = true;
    EXPECT_EQ(refused.Go(), RunOutcome::Finished);
    EXPECT_EQ(refused.w.messages, Lines{"ShutdownSystem failed: denied"});
    EXPECT_EQ(refused.w.icons, std::vector<MessageIcon>{MessageIcon::Critical});

    Encode unwritable({"chkShutdown=1"});
    unwritable.w.failWrites["c:\\jobpass.vcf"] = "Access denied.";
    EXPECT_EQ(unwritable.Go(), RunOutcome::Stopped);
    EXPECT_EQ(unwritable.w.messages, Lines{"Cannot write the job file c:\\jobpass.vcf: Access denied."});
    EXPECT_EQ(unwritable.w.Events({"run(", "start(", "main", "shutdown"}), Lines{});

    // The third pass's job: the run ends cleanly, without shutting down.
    Encode third(With(kThreePasses, {"chkShutdown=1"}));
    third.SecondPassLeaves(600000).w.failWrites["c:\\jobpass3.vcf"] = "Disk full.";
    EXPECT_EQ(third.Go(), RunOutcome::Stopped);
    EXPECT_EQ(third.w.log.back(), " Status Encoding : FINISH");
    EXPECT_EQ(third.w.Events({"main", "tray", "message", "shutdown"}),
              (Lines{"main hidden", "tray added", "tray deleted", "main shown",
                     "message: Cannot write the job file c:\\jobpass3.vcf: Disk full."}));
}

TEST(Run, BesweetReadsMp2InputFromALowerCaseMpaOnly) {
    const std::pair<const char*, bool> sources[] = {
        {"D:\\a\\film.mpa", true},      {"D:\\a\\film.MPA", false}, {"D:\\a\\film.Mpa", false},
        {"D:\\a\\film.mpa.ac3", false}, {"D:\\a.mpa\\film", false}, {"D:\\a\\film.mpa2", false},
    };
    for (const auto& [source, mp2] : sources)
        for (int stream : {1, 2}) {
            Encode r;
            (stream == 1 ? r.st.Stream1FilePath : r.st.Stream2FilePath) = source;
            const std::string line = BesweetCommandLine(stream, r.s, r.st);
            EXPECT_NE(line.find(std::string("-input \"") + source + "\""), std::string::npos) << line;
            EXPECT_EQ(line.find("--mp2input") != std::string::npos, mp2) << line;
        }
}

namespace {

struct FakeLock : RunLockPort {
    bool heldElsewhere = false;
    int held = 0;
    bool TryLock() override { return !heldElsewhere && ++held; }
    void Unlock() override { --held; }
};

const Lines kTwoPasses = {"txtTarget=D:\\v\\film.avi", "OptCodec=1", "CmbNumPass=1", "chkShutdown=1"};

}  // namespace

TEST(RunStop, AnotherRunHoldingTheLockRefusesBeforeAnythingIsWritten) {
    FakeLock lock;
    lock.heldElsewhere = true;
    Encode r(With(kTwoPasses, {"ChkCPU=1"}));
    r.lock = &lock;
    EXPECT_EQ(r.Go(), RunOutcome::Refused);
    EXPECT_EQ(r.w.events, Lines{"message: Another encoding run is in progress."});
    lock.heldElsewhere = false;
    EXPECT_EQ(r.Go(), RunOutcome::Finished);
    EXPECT_EQ(lock.held, 0);  // given back at the end
}

TEST(RunStop, PathsNoFileNameCanHoldAreRefusedNamingTheField) {
    struct Case { std::string ProgramState::*path; const char* bad; const char* field; };
    const Case cases[] = {
        {&ProgramState::TargetFilePath, "D:\\v\\film.avi\"\r\nVirtualDub.Close();//", "Destination File (*.avi)"},
        {&ProgramState::TargetFilePath, "D:\\v\\f*.avi", "Destination File (*.avi)"},
        {&ProgramState::TargetFilePath, "D:\\v:x\\f.avi", "Destination File (*.avi)"},
        {&ProgramState::SourceFilePath, "D:\\v\\m<o>.avs", "Video Source File (*.avs / *.avi)"},
        {&ProgramState::Stream1FilePath, "D:\\a\\a|b.ac3", "Audio Stream 1 Audio Path (*.ac3 / *.mpa)"},
        {&ProgramState::TempFolderPath, "D:\\t\" -output \"C:\\x", "Tempory Folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad);
        Encode r(With(kTwoPasses, {"TxtStream1=D:\\a\\a.ac3", "OptAudioFormat1=1"}));
        r.st.*c.path = c.bad;
        r.w.files[r.st.SourceFilePath] = "source";
        EXPECT_EQ(r.Go(), RunOutcome::Refused);
        ASSERT_EQ(r.w.events.size(), 1u);
        EXPECT_NE(r.w.events[0].find(std::string(c.field) + " ("), std::string::npos) << r.w.events[0];
    }
    Encode sound(kTwoPasses);  // an unused temporary folder is not looked at
    sound.st.TempFolderPath = "D:\\t\"";
    EXPECT_EQ(sound.Go(), RunOutcome::Finished);
}

TEST(RunStop, ProgramThatCannotStartOrAQuitStopsTheRunBetweenSteps) {
    for (const bool quit : {false, true}) {
        Encode r(kTwoPasses);
        if (quit) r.w.quitDuring = "jobpass1.vcf";
        else r.w.missingPrograms = {r.st.VirtualDubPath};
        EXPECT_EQ(r.Go(), RunOutcome::Stopped);
        EXPECT_EQ(r.w.Events({"run("}).size(), 1u);  // no second pass
        EXPECT_EQ(r.w.log.back(), quit ? " >> Encoding stopped: Marobex is closing <<"
                                       : " >> Encoding stopped: cannot start C:\\vd\\VirtualDub.exe <<");
        EXPECT_EQ(r.w.messages, quit ? Lines{} : Lines{"Cannot start C:\\vd\\VirtualDub.exe: The system cannot find the file specified."});
        EXPECT_TRUE(r.Has("tray deleted") && r.Has("main shown"));
        EXPECT_EQ(r.w.Events({"shutdown"}), Lines{});
    }
}

TEST(RunStop, ExceptionsRestoreTheWindowsAndToolPathsAreFixedForTheRun) {
    FakeLock lock;
    Encode thrown(kTwoPasses);
    thrown.lock = &lock;
    thrown.w.programs.push_back({"jobpass1.vcf", [] { throw std::runtime_error("out of memory"); }});
    EXPECT_THROW(thrown.Go(), std::runtime_error);
    EXPECT_TRUE(thrown.Has("tray deleted") && thrown.Has("main shown"));
    EXPECT_EQ(lock.held, 0);

    Encode changed(kTwoPasses);
    changed.w.programs.push_back({"jobpass1.vcf", [&changed] { changed.st.VirtualDubPath.clear(); }});
    EXPECT_EQ(changed.Go(), RunOutcome::Finished);
    EXPECT_TRUE(changed.Has("run(0): C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass2.vcf"));
    EXPECT_EQ(changed.st.VirtualDubPath, "");  // the user's choice stays for the next run

    Encode registry(With(kTwoPasses, {"ChkCPU=1", "SldPostProces=4"}));
    registry.w.registryFailure = "Cannot write the registry value x: Access denied.";
    EXPECT_EQ(registry.Go(), RunOutcome::Finished);
    EXPECT_EQ(registry.w.messages, Lines{registry.w.registryFailure});  // once, and the run goes on
}

// ---------------------------------------------------------------------------
// How a step is judged: by what this step wrote, and with Marobex's engine by
// its exit status and its log.

TEST(RunVerdict, AStepCountsOnlyWhatItWroteAndTheEngineSaysWhyNot) {
    const std::string engine = "C:\\Marobex\\marobex-engine.exe";
    const std::string firstPass = "D:\\v\\film_firstpass.avi";
    const std::string engineLog = firstPass + ".log";
    const std::string failedLog = "== Marobex Engine, 2026-12-07 06:00:00\r\nerror: the disk E: is full\r\n"
                                  "result: failed: the disk E: is full\r\n\r\n";
    struct Case {
        const char* name;
        bool isEngine;
        std::string before;                 // at the first pass's result before the run ("": none)
        bool rewrites;                      // the first pass writes its result
        std::uint32_t exitStatus;
        std::string log;                    // what the engine's log gets during the pass
        RunOutcome outcome;
        std::string lastLines;              // the log's last line, and the message
    };
    const Case cases[] = {
        {"fresh result", true, "", true, 0, "", RunOutcome::Finished, ""},
        {"old file, rewritten", true, "30 KB of an earlier run", true, 0, "", RunOutcome::Finished, ""},
        {"old file, not written", false, "30 KB of an earlier run", false, 0, "", RunOutcome::Failed,
         " >> First Pass FAILED : D:\\v\\film_firstpass.avi is left from an earlier run <<|"
         "The encoding failed at the step \"First Pass\": D:\\v\\film_firstpass.avi was not written."},
        {"engine failed, old file stays", true, "30 KB of an earlier run", false, 1, failedLog, RunOutcome::Failed,
         " >> First Pass FAILED : D:\\v\\film_firstpass.avi was not written: the disk E: is full <<|"
         "The encoding failed at the step \"First Pass\": D:\\v\\film_firstpass.avi was not written: the disk E: is full."},
        {"engine failed without a log", true, "", true, 1, "", RunOutcome::Failed,
         " >> First Pass FAILED : D:\\v\\film_firstpass.avi was not written: the engine ended with exit code 1 <<|"
         "The encoding failed at the step \"First Pass\": D:\\v\\film_firstpass.avi was not written: the engine "
         "ended with exit code 1."},
        {"other programs' exit status is not theirs to tell", false, "", true, 1, "", RunOutcome::Finished, ""},
        {"engine aborted", true, "", false, 2, "", RunOutcome::StoppedByUser,
         " >> Encoding stopped: aborted in C:\\Marobex\\marobex-engine.exe <<|"
         "The encoding was stopped: aborted in C:\\Marobex\\marobex-engine.exe."},
    };
    for (const Case& c : cases) {
        Encode r(kTwoPasses);
        r.st.VirtualDubPath = engine;
        if (c.isEngine) {
            r.w.files[engine] = "MZ";
            r.w.products[engine] = "Marobex Engine";
        }
        if (!c.before.empty()) r.w.files[firstPass] = c.before;
        if (!c.rewrites) r.w.silent.push_back("jobpass1.vcf");
        r.w.exitStatuses.push_back({"jobpass1.vcf", c.exitStatus});
        r.w.files[engineLog] = "== Marobex Engine, earlier\r\nresult: failed: an earlier run's cause\r\n";
        if (!c.log.empty()) r.w.programs.push_back({"jobpass1.vcf", [&r, &c, &engineLog] { r.w.files[engineLog] += c.log; }});
        r.w.files[firstPass + ".part"] = "partial";

        EXPECT_EQ(r.Go(), c.outcome) << c.name;
        if (c.outcome == RunOutcome::Finished) {
            EXPECT_TRUE(r.Logged(" Status Encoding : FINISH")) << c.name;
        } else {
            const std::string last = c.outcome == RunOutcome::Failed ? r.w.log[r.w.log.size() - 2] : r.w.log.back();
            EXPECT_EQ(last + "|" + r.w.messages.back(), c.lastLines) << c.name;
            EXPECT_EQ(r.w.Events({"run("}).size(), 1u) << c.name;  // no second pass
            EXPECT_EQ(r.w.Events({"shutdown"}), Lines{}) << c.name;
        }
        // The user's file is never deleted for this; the engine's partial one
        // goes when its pass failed (an aborted engine removes its own).
        if (!c.before.empty() && !c.rewrites) EXPECT_EQ(r.w.files[firstPass], c.before) << c.name;
        EXPECT_EQ(r.w.files.count(firstPass + ".part") == 0, c.isEngine && c.outcome == RunOutcome::Failed) << c.name;
    }
    Encode warned(kTwoPasses);
    warned.st.VirtualDubPath = engine;
    warned.w.files[engine] = "MZ";
    warned.w.products[engine] = "Marobex Engine";
    warned.w.programs.push_back({"jobpass1.vcf", [&] {
        warned.w.files[engineLog] = "== Marobex Engine\r\nwarning: FFmpeg's decoder reported 3 errors in the source: the "
                                    "picture may be damaged there\r\nresult: done\r\n"; }});
    EXPECT_EQ(warned.Go(), RunOutcome::Finished);
    EXPECT_TRUE(warned.Logged(" >> First Pass warning : FFmpeg's decoder reported 3 errors in the source: the picture "
                              "may be damaged there <<"));
}

TEST(RunVerdict, AProgramWithoutAPathIsNamedByItsStep) {
    Encode r(kTwoPasses);
    r.st.VirtualDubPath.clear();
    r.w.missingPrograms = {""};
    EXPECT_EQ(r.Go(), RunOutcome::Stopped);
    EXPECT_EQ(r.w.messages, Lines{"Cannot start the program of the step \"First Pass\": no path is set for it "
                                  "(\"Change Application Path\" on the Input tab). The system cannot find the file specified."});
}

// ---------------------------------------------------------------------------
// "Cancel" (the progress window, the tray icon's menu, Ctrl+C): the program
// running is asked to end, nothing later starts, only what the cancelled
// step wrote goes, and the machine stays on.

TEST(RunCancel, StopsTheRunRemovesOnlyWhatTheStepWroteAndHoldsTheShutdown) {
    const std::string engine = "C:\\Marobex\\marobex-engine.exe";
    const std::string firstPass = "D:\\v\\film_firstpass.avi", temp = "D:\\v\\film_temp.avi";
    struct Case {
        const char* name;
        bool isEngine;
        const char* cancelDuring;  // the command that runs (or starts) when Cancel comes
        bool writes;               // the second pass writes its result before it ends
        std::size_t runs;          // programs waited for
        bool tempStays;            // the second pass's result, an earlier run's before this one
    };
    const Case cases[] = {
        {"engine, during the second pass", true, "jobpass2.vcf", true, 2, false},
        {"engine, before it wrote", true, "jobpass2.vcf", false, 2, true},
        {"another program", false, "jobpass2.vcf", true, 2, false},
        {"between two steps", true, "WI00:Nandub Status", true, 2, true},
    };
    for (const Case& c : cases) {
        Encode r(With(kTwoPasses, {"ChkMux=1", "TxtStream1=D:\\a\\a.ac3", "OptAudioFormat1=0"}));
        r.st.VirtualDubPath = engine;
        if (c.isEngine) {
            r.w.files[engine] = "MZ";
            r.w.products[engine] = "Marobex Engine";
        }
        r.w.files["D:\\a\\a.ac3"] = "ac3";
        r.w.files[firstPass] = r.w.files[temp] = "an earlier run's";
        r.w.files[temp + ".part"] = "partial";
        if (!c.writes) r.w.silent.push_back("jobpass2.vcf");
        if (std::string(c.cancelDuring).rfind("WI00", 0) == 0)
            r.w.programs.push_back({c.cancelDuring, [&r] { r.w.cancelled = true; }});
        else
            r.w.cancelDuring = c.cancelDuring;

        EXPECT_EQ(r.Go(), RunOutcome::Cancelled) << c.name;
        EXPECT_EQ(r.w.log.back(), " >> Encoding stopped: cancelled <<") << c.name;
        EXPECT_EQ(r.w.messages, Lines{"The encoding was stopped: cancelled."}) << c.name;
        EXPECT_EQ(r.w.icons, std::vector<MessageIcon>{MessageIcon::Information}) << c.name;
        EXPECT_EQ(r.w.Events({"run("}).size(), c.runs) << c.name;  // never the mux
        EXPECT_EQ(r.w.Events({"shutdown"}), Lines{}) << c.name;
        EXPECT_EQ(r.w.lastEndBy, c.isEngine ? EndBy::EngineAbort : EndBy::CloseWindows) << c.name;
        EXPECT_EQ(r.w.files.count(firstPass), 1u) << c.name;  // an earlier step's result stays
        EXPECT_EQ(r.w.files.count(temp), c.tempStays ? 1u : 0u) << c.name;
        const bool partGoes = c.isEngine && std::string(c.cancelDuring) == "jobpass2.vcf";
        EXPECT_EQ(r.w.files.count(temp + ".part"), partGoes ? 0u : 1u) << c.name;
    }
}
