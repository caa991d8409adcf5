#include "run/run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "codecstate/binary_text.h"
#include "run/encode_log.h"
#include "run_fakes.h"

using namespace mb;
using mb::testing::World;

namespace {

const std::string kVd = "C:\\vd\\VirtualDub.exe";
const std::string kNd = "C:\\nd\\NanDub.exe";
const std::string kBs = "C:\\bs\\BeSweet.exe";
const std::string kPrioVd =
    "start(0): C:\\Tools\\Priority.exe \"WI00:VirtualDub Status\" BT01: BT02: \"CB00:Higher\" QU00:";
const std::string kPrioNd =
    "start(0): C:\\Tools\\Priority.exe \"WI00:Nandub Status\" BT01: BT02: \"CB00:Higher\" QU00:";

std::string Vd(const char* job) { return "run(0): " + kVd + " /r /x /sc:\\" + job; }
std::string Nd(const char* job) { return "run(0): " + kNd + " /r /x /sc:\\" + job; }

class RunTest : public ::testing::Test {
public:
    void SetUp() override {
        st.ProgramFolder = "C:\\Tools";
        st.VirtualDubPath = kVd;
        st.NanDubPath = kNd;
        st.BesweetPath = kBs;
        s.txtSource = st.SourceFilePath = "D:\\v\\movie.avs";
        w.files[s.txtSource] = "source";
        s.txtTarget = st.TargetFilePath = "D:\\v\\film.avi";
        s.TxtTempRep = st.TempFolderPath = "D:\\tmp";
    }
    void Reset() {
        w = World{};
        s = EncodeSettings{};
        st = ProgramState{};
        SetUp();
    }
    RunOutcome Go() {
        RunPorts p = w.Ports();
        return StartEncode(s, st, p);
    }
    void Stream1(const std::string& path, int format) {
        s.TxtStream1 = st.Stream1FilePath = path;
        s.OptAudioFormat1 = format;
    }
    void Stream2(const std::string& path, int format) {
        s.ChkStream2 = 1;
        s.TxtStream2 = st.Stream2FilePath = path;
        s.OptAudioFormat2 = format;
    }
    // DivX 4 with three passes; the second pass leaves `kb` KB at the output.
    void ThreePass(std::int64_t kb) {
        s.OptCodec = 1;
        s.CmbNumPass = 1;
        s.ChkDivx4Pass3 = 1;
        w.programs.push_back({"jobpass2.vcf", [this, kb] { w.sizes[st.VideoOutputPath] = kb * 1024; }});
    }
    World w;
    EncodeSettings s;
    ProgramState st;
};

TEST_F(RunTest, PlansStartTheirProgramsInOrder) {
    struct Case {
        const char* name;
        std::function<void(RunTest&)> setup;
        std::vector<std::string> programs;
    };
    const std::string mp3 = "run(1): " + kBs +
        " -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.MP3\" -logfile "
        "\"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )";
    const Case cases[] = {
        {"DivX 5, one pass", [](RunTest&) {}, {kPrioVd, Vd("jobpass.vcf")}},
        {"XviD, two passes", [](RunTest& t) { t.s.OptCodec = 2; t.s.CmbNumPass = 1; },
         {kPrioVd, Vd("jobpass1.vcf"), kPrioVd, Vd("jobpass2.vcf")}},
        {"DivX 3 through Nandub", [](RunTest& t) { t.s.OptCodec = 3; t.s.CmbNumPass = 1; },
         {kPrioNd, Nd("jobpass1.vcf"), kPrioNd, Nd("jobpass2.vcf")}},
        {"DivX 4, three passes, third needed", [](RunTest& t) { t.ThreePass(600000); },
         {kPrioVd, Vd("jobpass1.vcf"), kPrioVd, Vd("jobpass2.vcf"), kPrioVd, Vd("jobpass3.vcf")}},
        {"DivX 4, three passes, third skipped", [](RunTest& t) { t.ThreePass(570000); },
         {kPrioVd, Vd("jobpass1.vcf"), kPrioVd, Vd("jobpass2.vcf")}},
        {"audio first, mux last, always Nandub",
         [](RunTest& t) { t.Stream1("D:\\a\\film.ac3", 1); t.s.ChkMux = 1; },
         {mp3, kPrioVd, Vd("jobpass.vcf"), kPrioNd, Nd("audiomux.vcf")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.setup(*this);
        EXPECT_EQ(Go(), RunOutcome::Finished);
        EXPECT_EQ(w.Programs(), c.programs);
    }
}

TEST_F(RunTest, PriorityLineCarriesPreviewChoicesAndTheEntryText) {
    s.ChkShowInput = 1;
    s.ChkShowOutput = 1;
    s.CmbPriority = 6;
    EXPECT_EQ(PriorityCommandLine(1, s, "C:\\Tools"),
              "C:\\Tools\\Priority.exe \"WI00:VirtualDub Status\" \"CB00:Even higher\" QU00:");
    s.ChkShowOutput = 0;
    s.CmbPriority = 4;
    EXPECT_EQ(PriorityCommandLine(7, s, "C:\\"),
              "C:\\Priority.exe \"WI00:Nandub Status\" BT02: \"CB00:Normal\" QU00:");
}

TEST_F(RunTest, RefusedRunsWriteAndStartNothing) {
    struct Case {
        const char* name;
        std::function<void(RunTest&)> setup;
        std::string message;
    };
    const Case cases[] = {
        {"empty source", [](RunTest& t) { t.s.txtSource.clear(); }, "Cannot find source file"},
        {"missing source", [](RunTest& t) { t.w.files.clear(); }, "Cannot find source file"},
        {"empty target", [](RunTest& t) { t.s.txtTarget.clear(); }, "No target file specified."},
        {"no codec chosen", [](RunTest& t) { t.s.OptCodec = -1; }, "No video codec selected."},
        {"two passes, target without a point",
         [](RunTest& t) { t.s.CmbNumPass = 1; t.s.txtTarget = t.st.TargetFilePath = "D:\\v\\film"; },
         "Invalid input. The target file has no extension: D:\\v\\film"},
        {"mux, target without a point",
         [](RunTest& t) { t.s.ChkMux = 1; t.s.txtTarget = t.st.TargetFilePath = "D:\\v\\film"; },
         "Invalid input. The target file has no extension: D:\\v\\film"},
        {"three passes, oversize not a number",
         [](RunTest& t) { t.ThreePass(1); t.s.TxtDivx4OverSize = "five"; },
         "Invalid input. Not a number: maximum oversize"},
        {"three passes, desired size not a number",
         [](RunTest& t) { t.ThreePass(1); t.s.TxtDivx4Size = "big"; },
         "Invalid input. Not a number: desired size"},
        {"mux, stream 1 delay not a number",
         [](RunTest& t) { t.s.ChkMux = 1; t.s.TxtDelay1 = "-x"; },
         "Invalid input. Not a number: audio stream 1 delay"},
        {"mux, stream 2 delay not a number",
         [](RunTest& t) { t.s.ChkMux = 1; t.Stream2("D:\\a\\b.mpa", 1); t.s.TxtDelay2 = ""; },
         "Invalid input. Not a number: audio stream 2 delay"},
        {"DivX 5 state refused", [](RunTest& t) { t.s.txtBr = ""; }, "No input for encoding bitrate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.setup(*this);
        EXPECT_EQ(Go(), RunOutcome::Refused);
        EXPECT_EQ(w.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(w.Programs().empty());
        EXPECT_EQ(w.files.count("c:\\jobpass.vcf") + w.files.count("c:\\jobpass1.vcf"), 0u);
        EXPECT_EQ(std::count(w.events.begin(), w.events.end(), "main hidden"), 0);
    }
}

TEST_F(RunTest, HiddenDivx4FieldsNeverRefuseAnotherCodec) {
    s.OptCodec = 2;
    s.TxtDivx4OverSize = "abc";
    s.TxtDivx4Size = "";
    s.TxtBr4 = "?";
    EXPECT_EQ(Go(), RunOutcome::Finished);
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(RunTest, RegistryValuesOfTheDivx412Codec) {
    const std::string key = "Software\\DivxNetworks\\DivX412Codec\\";
    Go();
    EXPECT_TRUE(w.registry.empty());

    Reset();
    s.ChkCPU = 1;
    s.SldPostProces = 4;
    Go();
    EXPECT_EQ(w.registry, (std::map<std::string, std::int32_t>{
                              {key + "CPU limit", 100}, {key + "Have CPU Limit", 1}, {key + "Postprocessing", 40}}));
}

TEST_F(RunTest, QueueEntries) {
    ThreePass(570000);
    Stream1("D:\\a\\a.ac3", 0);
    s.ChkMux = 1;
    Go();
    EXPECT_EQ(w.queue, (std::vector<std::string>{" - Audio Stream 1", " - First Pass", " - Second Pass",
                                                 " - Bitrate Recalculation", " - Third Pass",
                                                 " - Mux Video / Audio"}));

    Reset();
    Stream1("D:\\a\\a.ac3", 0);
    Stream2("D:\\a\\b.ac3", 0);
    Go();  // one pass: the first entry goes once the pass has ended
    EXPECT_EQ(w.queue, (std::vector<std::string>{" - Audio Stream 2", " - First Pass"}));
}

TEST_F(RunTest, OnePassDivx5LogLineForLine) {
    w.clockReadings = {5000, 5065, 5070};
    w.programs.push_back({"jobpass.vcf", [this] { w.sizes["D:\\v\\film.avi"] = 700 * 1024 + 1023; }});
    Go();
    const std::string rule(40, '_');
    EXPECT_EQ(w.log, (std::vector<std::string>{
                         "[ CODEC ]", "----------", "", "Name  :   DivX 5.x or DivX5 Pro",
                         "Mode   :   1 Pass (CBR)", "Bitrate :   780 Kbt/s", "",
                         "OS  : Windows XP 5.1 build 2600 (Service Pack 1)", "",
                         " Status Encoding : START", rule,
                         " Start First Pass Encoding ...",
                         " End First Pass Encoding ...", "----------", "Duration : 00:01:05", rule,
                         rule, "", " Total Time Encoding : 00:01:10", " Final Size File : 700 Kbt", "",
                         " Status Encoding : FINISH"}));
}

TEST_F(RunTest, ThirdPassRecalculatesTheBitrate) {
    ThreePass(600000);
    Go();
    const auto it = std::find(w.log.begin(), w.log.end(), " New BitRate Used : 741 Kbt/s");
    ASSERT_NE(it, w.log.end());
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), " Final Size File : 600000 Kbt"), w.log.end());
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), " Oversize More or less : 28500 Kybt"), w.log.end());
    // The third pass's state carries 741,000 bit/s in its first field.
    const std::string job = w.files.at("c:\\jobpass3.vcf");
    const auto open = job.find("SetCompData(316,\"") + 17;
    const std::string state = job.substr(open, job.find('"', open) - open);
    EXPECT_EQ(state.size(), 424u);
    EXPECT_EQ(state.back(), '=');
    EXPECT_EQ(Base64ToBinary(state).substr(0, 32), LongToBinary(741000));
    EXPECT_EQ(Base64ToBinary(state).substr(256, 32), LongToBinary(3));  // still the second-pass mode

    Reset();
    ThreePass(70000);
    Go();
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), " New BitRate Used : 6000 Kbt/s"), w.log.end());
}

TEST_F(RunTest, ThirdPassSkippedInsideTheTolerance) {
    ThreePass(598500);  // 570000 + 5 %: on the bound, not above it
    Go();
    const std::vector<std::string> tail(w.log.end() - 15, w.log.end());
    EXPECT_EQ(tail[0], " Start Bitrate Recalculation ...");
    EXPECT_EQ(tail[2], " Final Size File : 598500 Kbt");
    EXPECT_EQ(tail[4], " More or less : 28500 Kbt");
    EXPECT_EQ(tail[6], " >> Third Pass is not Requiered <<");
    EXPECT_EQ(w.log.back(), " Status Encoding : FINISH");
    EXPECT_EQ(w.files.count("c:\\jobpass3.vcf"), 0u);
}

TEST_F(RunTest, ThreePassWithoutSecondPassOutputEndsAfterJob2End) {
    ThreePass(0);
    w.programs.clear();
    s.ChkMux = 1;
    Go();
    const std::string rule(40, '_');
    EXPECT_EQ(w.log[w.log.size() - 4], " End Second Pass Encoding ...");
    EXPECT_EQ(w.log.back(), rule);
    EXPECT_EQ(w.Programs().back(), Nd("audiomux.vcf"));  // the mux still runs
}

TEST_F(RunTest, DurationsOverMidnightAndBeyondSixteenBits) {
    // 23:59:30 to 00:00:40 on a continuous clock: 70 s.
    w.clockReadings = {86370, 86440, 86440};
    Go();
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), "Duration : 00:01:10"), w.log.end());

    Reset();
    w.clockReadings = {0, 40000, 40000};  // longer than 32,767 s
    Go();
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), "Duration : 11:06:40"), w.log.end());
}

TEST_F(RunTest, FileSizesBeyondTwoGigabytesStayExact) {
    s.CmbNumPass = 1;
    w.programs.push_back({"jobpass2.vcf", [this] { w.sizes["D:\\v\\film.avi"] = 3LL * 1024 * 1024 * 1024 + 5; }});
    Go();
    EXPECT_NE(std::find(w.log.begin(), w.log.end(), " Final Size File : 3145728 Kbt"), w.log.end());
}

TEST_F(RunTest, MuxOutputAndJob) {
    s.ChkMux = 1;
    Stream1("D:\\a\\film.ac3", 0);
    Stream2("D:\\a\\b.mpa", 1);
    s.TxtDelay1 = "-120";
    s.TxtDelay2 = "40.5";
    Go();
    EXPECT_EQ(st.VideoOutputPath, "D:\\v\\film_temp.avi");
    EXPECT_NE(w.files.at("c:\\jobpass.vcf").find("SaveAVI(\"D:\\\\v\\\\film_temp.avi\")"), std::string::npos);
    const std::string mux = w.files.at("c:\\AudioMux.vcf");
    EXPECT_NE(mux.find("VirtualDub.audio.SetInterleave(1,160,160,1,-120);"), std::string::npos);
    EXPECT_NE(mux.find("VirtualDub.audio2.SetInterleave(1,500,500,1,40);"), std::string::npos);
    EXPECT_NE(mux.find("VirtualDub.audio2.SetSource(\"D:\\\\tmp\\\\Stream2.MP3\");"), std::string::npos);
}

TEST_F(RunTest, DivxAudioGoesThroughTheWmaJob) {
    Stream1("D:\\a\\film.ac3", 3);
    Go();
    const auto programs = w.Programs();
    ASSERT_GE(programs.size(), 3u);
    EXPECT_EQ(programs[0].rfind("run(1): " + kBs + " -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.WAV\" -2ch", 0), 0u);
    EXPECT_EQ(programs[1], kPrioVd);
    EXPECT_EQ(programs[2], Vd("wav2wma.vcf"));
    EXPECT_EQ(w.files.at("c:\\fake.avi").size(), 3072u);
    EXPECT_EQ(st.Stream1AudioPath, "D:\\tmp\\Stream1WMA.WAV");
    EXPECT_EQ(st.Stream1WmaPath, "D:\\tmp\\Stream1WMA.WAV");
}

TEST_F(RunTest, WindowsAroundTheRunAndShutdownLast) {
    s.chkShutdown = 1;
    Go();
    std::vector<std::string> frame;
    for (const auto& e : w.events)
        if (e == "main hidden" || e == "tray added" || e == "progress shown" || e == "tray deleted" ||
            e == "main shown" || e.rfind("shutdown", 0) == 0)
            frame.push_back(e);
    EXPECT_EQ(frame, (std::vector<std::string>{"main hidden", "tray added", "progress shown", "tray deleted",
                                               "main shown", "shutdown 17"}));

    Reset();
    s.chkShutdown = 1;
    w.throwOnShutdown = true;
    EXPECT_EQ(Go(), RunOutcome::Finished);
    EXPECT_EQ(w.messages, std::vector<std::string>{"ShutdownSystem failed: denied"});
}

TEST_F(RunTest, UnwritableJobFilesStopTheRun) {
    w.failWrites["c:\\jobpass.vcf"] = "Access denied.";
    s.chkShutdown = 1;
    EXPECT_EQ(Go(), RunOutcome::Stopped);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].find("c:\\jobpass.vcf"), std::string::npos);
    EXPECT_NE(w.messages[0].find("Access denied."), std::string::npos);
    EXPECT_TRUE(w.Programs().empty());
    EXPECT_EQ(std::count(w.events.begin(), w.events.end(), "main hidden"), 0);

    // The third pass's job: the run still ends cleanly, without shutting down.
    Reset();
    s.chkShutdown = 1;
    ThreePass(600000);
    w.failWrites["c:\\jobpass3.vcf"] = "Disk full.";
    EXPECT_EQ(Go(), RunOutcome::Stopped);
    EXPECT_EQ(w.log.back(), " Status Encoding : FINISH");
    const auto tray = std::find(w.events.begin(), w.events.end(), "tray deleted");
    ASSERT_NE(tray, w.events.end());
    EXPECT_EQ(*(tray + 1), "main shown");
    EXPECT_NE((tray + 2)->find("c:\\jobpass3.vcf"), std::string::npos);
    EXPECT_EQ(std::count_if(w.events.begin(), w.events.end(),
                            [](const std::string& e) { return e.rfind("shutdown", 0) == 0; }), 0);
}

}  // namespace
