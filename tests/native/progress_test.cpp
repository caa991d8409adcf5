// The run's progress (weights, percent, time left, the texts shown of it),
// the source's facts from an AVI's headers and the sizes the codec panels'
// labels give.
#include "jobs/riff_writer.h"
#include "jobs/source_facts.h"
#include "run/run_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace mb;

namespace {

// The header lists of an AVI: main header, one video stream, optionally an
// OpenDML total, then the start of the frames.
std::string AviHeaders(std::uint32_t usPerFrame, std::uint32_t mainFrames, std::uint32_t scale, std::uint32_t rate,
                       std::uint32_t streamFrames, int w, int h, std::uint32_t odmlFrames = 0) {
    std::string out;
    RiffWriter r(out);
    const auto riff = r.Open("RIFF");
    r.Id("AVI ");
    const auto hdrl = r.Open("LIST");
    r.Id("hdrl");
    const auto avih = r.Open("avih");
    for (std::uint32_t v : {usPerFrame, 0u, 0u, 0u, mainFrames, 0u, 1u, 0u, static_cast<std::uint32_t>(w),
                            static_cast<std::uint32_t>(h), 0u, 0u, 0u, 0u})
        r.U32(v);
    r.Close(avih);
    const auto strl = r.Open("LIST");
    r.Id("strl");
    const auto strh = r.Open("strh");
    r.Id("vids");
    r.Id("DIVX");
    for (std::uint32_t v : {0u, 0u, 0u, scale, rate, 0u, streamFrames, 0u, 0u, 0u, 0u, 0u}) r.U32(v);
    r.Close(strh);
    r.Close(strl);
    if (odmlFrames) {
        const auto odml = r.Open("LIST");
        r.Id("odml");
        const auto dmlh = r.Open("dmlh");
        r.U32(odmlFrames);
        r.Close(dmlh);
        r.Close(odml);
    }
    r.Close(hdrl);
    const auto movi = r.Open("LIST");
    r.Id("movi");
    r.Close(movi);
    r.Close(riff);
    return out;
}

SourceFacts Facts(std::int64_t frames, double fps) { return {true, frames, fps, 320, 240}; }

}  // namespace

TEST(SourceFacts, ReadFromTheAviHeaders) {
    struct Case {
        const char* what;
        std::string bytes;
        bool known;
        std::int64_t frames;
        double fps;
        const char* text;
    };
    const Case cases[] = {
        {"the stream's own length", AviHeaders(40000, 240, 1, 25, 250, 320, 240), true, 250, 25,
         "Length 0:00:10, 250 frames\r\n25.000 fps, 320 x 240"},
        {"NTSC rate, grouped frames", AviHeaders(33367, 53946, 1001, 30000, 53946, 720, 480), true, 53946, 29.97003,
         "Length 0:30:00, 53,946 frames\r\n29.970 fps, 720 x 480"},
        {"OpenDML total beyond the first part", AviHeaders(40000, 1000, 1, 25, 1000, 640, 480, 90000), true, 90000, 25,
         "Length 1:00:00, 90,000 frames\r\n25.000 fps, 640 x 480"},
        {"main header only", AviHeaders(40000, 500, 0, 0, 0, 320, 240), true, 500, 25,
         "Length 0:00:20, 500 frames\r\n25.000 fps, 320 x 240"},
        {"an Avisynth script", "AVISource(\"movie.avi\")\r\n", false, 0, 0,
         "Length unknown\r\nFrames, rate, size unknown"},
        {"cut short", AviHeaders(40000, 250, 1, 25, 250, 320, 240).substr(0, 40), false, 0, 0,
         "Length unknown\r\nFrames, rate, size unknown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SourceFacts f = ReadAviFacts(c.bytes);
        EXPECT_EQ(f.known, c.known);
        if (c.known) {
            EXPECT_EQ(f.frames, c.frames);
            EXPECT_NEAR(f.fps, c.fps, 1e-4);
        }
        EXPECT_EQ(SourceFactsText(f), c.text);
    }
}

TEST(SizeLabels, GiveTheMuxedSizeOfABitrateAndTheBitrateOfASize) {
    const SourceFacts tenSeconds = Facts(250, 25);
    const AudioShare mp3_128{128000 / 8.0, 0}, none{};
    // 780 kbps for 10 s: 975,000 bytes of video, 160,000 of audio, the
    // container's 8 KB and 250 frames' chunks.
    const double bytes = 780 * 125.0 * 10 + 160000 + 8192 + 12.8 * 1024 / 300 * 250;
    EXPECT_DOUBLE_EQ(TargetBytesForBitrate(780, tenSeconds, mp3_128, none), bytes);
    // The bitrate of that size is the bitrate again, an AC3 file counted by its size.
    EXPECT_NEAR(BitrateForSize(bytes / 1024, tenSeconds, mp3_128, none), 780, 1e-9);
    EXPECT_NEAR(BitrateForSize(bytes / 1024, tenSeconds, {0, 160000}, none), 780, 1e-9);

    struct Case {
        const char* what;
        std::string label, expected;
    };
    const Case cases[] = {
        {"bitrate", SizeLabelForBitrate(780, tenSeconds, mp3_128, none), "= 1.1 MB for this source"},
        {"bitrate, two streams", SizeLabelForBitrate(780, tenSeconds, mp3_128, mp3_128), "= 1.3 MB for this source"},
        {"the default desired size", BitrateLabelForSize(570000, tenSeconds, mp3_128, none),
         "= 466,801 kbps for this source"},
        {"a size the audio alone fills", BitrateLabelForSize(100, tenSeconds, mp3_128, none),
         "= too small for this source's audio"},
        {"no facts", SizeLabelForBitrate(780, SourceFacts{}, none, none), ""},
        {"no number", BitrateLabelForSize(0, tenSeconds, none, none), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.label, c.expected) << c.what;
    EXPECT_EQ(Mp3Kbps(0), 56);
    EXPECT_EQ(Mp3Kbps(5), 128);
}

TEST(RunProgress, WeighsTheStepsByTheirWorkAndNeverGoesBack) {
    const std::vector<std::string> steps = {"Audio Stream 1", "First Pass", "Second Pass", "Mux Video / Audio"};
    // 10 s at 25 fps: audio 30, each pass 250, the mux 12.5 of 542.5.
    RunProgress run;
    run.Begin(steps, Facts(250, 25), 100);
    EXPECT_EQ(run.RunPercent(), 0);
    EXPECT_EQ(run.SecondsLeft(), -1);

    struct Step {
        const char* step;   // started here, or null: a share of the running one
        double fraction;
        std::int64_t now;
        int runPercent, stepPercent;
        std::int64_t left;
        const char* line;
    };
    const Step plan[] = {
        {"Audio Stream 1", -1, 100, 0, -1, -1, "progress: 0% Audio Stream 1 -:--:-- left"},
        {"First Pass", -1, 102, 5, -1, 34, "progress: 5% First Pass 0:00:34 left"},
        {nullptr, 0.5, 110, 28, 50, 25, "progress: 28% First Pass 50% 0:00:25 left"},
        {"Second Pass", -1, 118, 51, -1, 17, "progress: 51% Second Pass 0:00:17 left"},
        {nullptr, 0.63, 124, 80, 63, 6, "progress: 80% Second Pass 63% 0:00:06 left"},
        // The program counts again from its start: the run stays where it was.
        {nullptr, 0.1, 125, 80, 10, 6, "progress: 80% Second Pass 10% 0:00:06 left"},
        {"Mux Video / Audio", -1, 130, 97, -1, 1, "progress: 97% Mux Video / Audio 0:00:01 left"},
    };
    for (const Step& s : plan) {
        SCOPED_TRACE(s.line);
        if (s.step)
            run.StepStarted(s.step, s.now);
        else
            run.StepFraction(s.fraction, s.now);
        EXPECT_EQ(run.RunPercent(), s.runPercent);
        EXPECT_EQ(run.StepPercent(), s.stepPercent);
        EXPECT_EQ(run.SecondsLeft(), s.left);
        EXPECT_EQ(ConsoleProgressLine(run), s.line);
    }
    run.Finish(131);
    EXPECT_EQ(ConsoleProgressLine(run), "progress: 100% Mux Video / Audio 100% 0:00:00 left");
    EXPECT_EQ(StepProgressText(run), "Mux Video / Audio : 100 %");
    EXPECT_EQ(RunProgressText(run), "Run : 100 %, 0:00:00 left");

    // In a queue: the job first in the tip, the queue's time left.
    QueueProgress queue;
    queue.Begin(4, 0);
    queue.Job(2);
    queue.Update(1.0, 31);  // job 2 of 4 done after 31 s: half of the queue
    EXPECT_EQ(QueueProgressText(queue), "Job 2 of 4, queue : 0:00:31 left");
    EXPECT_EQ(TrayProgressTip(run, queue), "Marobex job 2/4 100% Mux Video / Audio 100% 0:00:31 left");
    EXPECT_LE(TrayProgressTip(run, queue).size(), 63u);

    // Without the source's facts a pass counts as a step of its own.
    RunProgress unknown;
    unknown.Begin({"First Pass", "Second Pass"}, SourceFacts{}, 0);
    unknown.StepStarted("Second Pass", 10);
    EXPECT_EQ(unknown.RunPercent(), 50);
}

TEST(RunProgress, ReadsTheStatusWindowAndTheGrowingFile) {
    struct Case {
        double got, expected;
    };
    const Case cases[] = {
        {FractionFromStatus("Frame 120 of 250", "48 %"), 0.48},
        {FractionFromStatus("Frame 1,200 of 2,500", ""), 0.48},
        {FractionFromStatus("Frame 120", "48 %"), 0.48},
        {FractionFromStatus("", ""), -1},
        {FractionFromStatus("Frame 12 of 0", "-"), -1},
        {FractionFromGrowth(500, 1000), 0.5},
        {FractionFromGrowth(5000, 1000), 0.99},  // until the step has ended
        {FractionFromGrowth(-1, 1000), 0},
        {FractionFromGrowth(500, 0), -1},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.got, c.expected);
    EXPECT_EQ(StepNameOfEntry(" - Second Pass"), "Second Pass");
    EXPECT_DOUBLE_EQ(ExpectedResultBytes({"Audio Stream 1", "", "", 128}, Facts(250, 25)), 160000);
}

TEST(RunProgress, TheNoticeAtTheEndTellsHowTheRunEnded) {
    const std::vector<std::string> done = {" Status Encoding : FINISH"};
    const std::vector<std::string> failed = {" Status Encoding : FINISH",
                                             " >> Mux Video / Audio FAILED : D:\\v\\a.avi was not written <<",
                                             " Status Encoding : FAILED"};
    const std::vector<std::string> stopped = {" >> Encoding stopped: cannot start C:\\vd.exe <<"};
    struct Case {
        RunEndNotice notice;
        EndKind end;
        const char* title;
        const char* text;
    };
    const Case cases[] = {
        {NoticeFromLog(done, "D:\\v\\a.avi", 2048 * 1024, 75), EndKind::Done, "Encoding done",
         "D:\\v\\a.avi\n2048 KB in 0:01:15"},
        {NoticeFromLog(failed, "D:\\v\\a.avi", -1, 5), EndKind::Failed, "Encoding failed",
         "Mux Video / Audio FAILED : D:\\v\\a.avi was not written"},
        {NoticeFromLog(stopped, "", -1, 0), EndKind::Stopped, "Encoding stopped",
         "Encoding stopped: cannot start C:\\vd.exe"},
        {NoticeFromLog({}, "D:\\v\\a.avi", -1, 0), EndKind::Unknown, "Encoding ended", "D:\\v\\a.avi"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.notice.end, c.end);
        EXPECT_EQ(c.notice.title, c.title);
        EXPECT_EQ(c.notice.text, c.text);
    }
}
