// The engine's codec settings in FFmpeg's terms: each field of the codec
// records and each DivX 3 line to its options or its "not applied" line,
// the effort steps, and the size and bit rate arithmetic of a pass.
#include <gtest/gtest.h>

#include "codecstate/codec_state_reader.h"
#include "codecstate/codec_templates.h"
#include "engine_plan.h"
#include "fakes/fakes.h"
#include "video_settings.h"

using namespace mb;
using namespace mb::engine;

namespace {

std::string Joined(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v) out += (out.empty() ? "" : " ") + s;
    return out;
}

// The codec's settings as its template holds them, read back.
CodecSettings Template(const RecordLayout& layout) {
    std::string problem;
    return *ReadCodecSettings(layout.recordBytes, TemplateBase64(layout), problem);
}

}  // namespace

TEST(EngineSettings, EveryFieldOfTheRecordsIsRead) {
    const CodecSettings x = Template(XvidLayout());
    EXPECT_EQ(x.values.at("bonus bias"), 50);
    EXPECT_EQ(x.values.at("desired size, kbyte"), 570000);
    EXPECT_EQ(x.values.at("bitrate payback delay, frames"), 240);
    EXPECT_EQ(x.values.count("fixed"), 0u);
    ASSERT_EQ(x.intraMatrix.size(), 64u);
    EXPECT_EQ(static_cast<int>(x.intraMatrix[0]), 8);
    EXPECT_EQ(static_cast<int>(x.interMatrix[63]), 33);
    EXPECT_EQ(Template(Divx5Layout()).values.at("pre-processing level"), -1);
    EXPECT_EQ(Template(Divx4Layout()).values.at("RC down/up reaction"), 20);
}

TEST(EngineSettings, EachSettingBecomesItsOptionsOrSaysItIsNotApplied) {
    const auto rows = mb::fakes::RecordedRows("engine/settings.txt", [](const std::string& row) {
        const std::vector<std::string> steps = mb::fakes::SplitSteps(row);
        const RecordLayout* layout = steps[0] == "XviD" ? &XvidLayout() : steps[0] == "DivX 4" ? &Divx4Layout() : &Divx5Layout();
        CodecSettings s = Template(*layout);
        for (std::size_t i = 1; i < steps.size(); ++i) {
            const std::string key = steps[i].substr(0, steps[i].find('='));
            const int value = std::stoi(steps[i].substr(steps[i].find('=') + 1));
            if (key == "bFrames") s.bFrames = value;
            else if (key == "quarterPixel") s.quarterPixel = value;
            else if (key == "gmc") s.gmc = value;
            else s.values.at(key) = value;
            // The fields the reader also gives by name.
            if (key.rfind("maximum keyframe interval", 0) == 0) s.maxKeyInterval = value;
            if (key.rfind("minimum keyframe interval", 0) == 0) s.minKeyInterval = value;
            if (key == "maximum quantizer") s.maxQuantizer = value;
            if (key == "minimum quantizer") s.minQuantizer = value;
        }
        const SettingOptions o = Mpeg4SettingOptions(s);
        std::string got = "args: " + Joined(o.args) + "\n";
        for (const std::string& said : o.notApplied) got += "not applied: " + said + "\n";
        return got;
    });
    EXPECT_EQ(rows.got, rows.recorded);
}

TEST(EngineSettings, EffortStepsFromQuickestToBest) {
    const char* expected[] = {
        "-motion_est zero",
        "",
        "-mbd bits",
        "-mbd rd",
        "-mbd rd -trellis 1 -cmp 2 -subcmp 2",
        "-mbd rd -trellis 1 -cmp 2 -subcmp 2 -flags +mv4+aic -mpv_flags +qp_rd",
        "-mbd rd -trellis 1 -cmp 2 -subcmp 2 -flags +mv4+aic -mpv_flags +qp_rd -last_pred 2 -dia_size 2",
    };
    for (int e = 0; e <= kBestEffort; ++e) EXPECT_EQ(Joined(EffortOptions(e, false)), expected[e]) << e;
    EXPECT_EQ(Joined(EffortOptions(5, true)), "-mbd rd -trellis 1 -cmp 2 -subcmp 2");  // msmpeg4 has no 4MV nor AIC
}

TEST(EngineSettings, Divx3LinesBecomeOptionsOrSayTheyAreNotApplied) {
    const ScriptNumbers lines = {
        {"SetCompLevelsMain", {3, 15}}, {"InternalSCD", {90}},           {"SetMinKBPS", {300}},
        {"SetCurveCompression", {20, 41, 6}}, {"SetLumaCorrectionAmp", {1, 13, 30}}, {"SetQualityControl", {2, 5, 0, 0}},
        {"SetMotionDetection", {8, 10, 300, 300}}, {"SetCrispness", {30, 1}}, {"SetCurveMcFactor", {5}},
        {"SetCurveFilter", {270, 6000}},
    };
    const SettingOptions o = Divx3LineOptions(lines, false);
    // Asymmetric compression: the low scenes' 20 below the average, the high ones' 41 above.
    EXPECT_EQ(Joined(o.args), "-qmin 3 -qmax 15 -sc_threshold 10000 "
                              "-rc_eq ((tex+1)/(avgTex+1))^(gt(tex,avgTex)*0.18+lte(tex,avgTex)*0.6) -qblur 1 "
                              "-lumi_mask 0.1");
    const std::vector<std::string> said = {
        "DivX 3 minimum bit rate 300 kbit/s: not applied", "DivX 3 error prevention: not applied",
        "DivX 3 motion detection and codec switching: not applied", "DivX 3 crispness 30: not applied",
        "DivX 3 bits reservoir: not applied", "DivX 3 motion-based curve factor: not applied",
        "DivX 3 curve filter 270 to 6000 kbit/s: not applied",
    };
    ASSERT_EQ(o.notApplied.size(), said.size());
    for (std::size_t i = 0; i < said.size(); ++i) EXPECT_EQ(o.notApplied[i].rfind(said[i], 0), 0u) << o.notApplied[i];
    // The analysis pass takes only the quantizer range.
    EXPECT_EQ(Joined(Divx3LineOptions(lines, true).args), "-qmin 3 -qmax 15");
}

TEST(EngineSize, TheSizeBecomesABitRateOverTheClip) {
    // 879 KB over 300 frames at 25 frame/s: 900,096 bytes less the AVI's
    // 5,762 + 300 x 24.5, in 12 s.
    const ClipLength clip{300, 25};
    EXPECT_EQ(engine::AviOverheadBytes(300), 13112);
    EXPECT_EQ(BitrateForSize(879, clip), 591323);
    EXPECT_EQ(BytesForBitrate(600000, clip), 900000);
    EXPECT_EQ(BitrateForSize(10, clip), 0);  // not even the AVI's own bytes
    EXPECT_EQ(BitrateForSize(879, ClipLength{}), 0);

    // The main AVI header: microseconds per frame, then the frame count at 16.
    std::string head = std::string("RIFF") + std::string(4, '\0') + "AVI LIST" + std::string(8, '\0') + "avih" +
                       std::string(4, '\0');
    std::string avih(56, '\0');
    avih[0] = static_cast<char>(0x40), avih[1] = static_cast<char>(0x9C);  // 40,000 us
    avih[16] = static_cast<char>(0x2C), avih[17] = 1;                       // 300 frames
    const auto length = ReadAviLength(head + avih);
    ASSERT_TRUE(length);
    EXPECT_EQ(length->frames, 300);
    EXPECT_DOUBLE_EQ(length->framesPerSecond, 25);
    EXPECT_FALSE(ReadAviLength(head));             // cut short
    EXPECT_FALSE(ReadAviLength("RIFF....WAVE"));   // no AVI
}

TEST(EngineSize, APassThatMissesIsEncodedAgainAtACorrectedBitRate) {
    struct Case {
        std::int64_t got;
        double tolerance;
        std::optional<std::int64_t> bitrate;
    };
    const Case cases[] = {
        {990000, 0.008, 545455},    // 10 % over: scaled down
        {903000, 0.008, std::nullopt},  // 0.3 % over: landed
        {850000, 0.008, 635294},    // 5.6 % under: scaled up
        {870000, 0.04, std::nullopt},   // one pass: 3.3 % is close enough
        {0, 0.008, std::nullopt},       // nothing written: nothing to scale by
    };
    for (const Case& c : cases) EXPECT_EQ(CorrectedBitrate(600000, 900000, c.got, c.tolerance), c.bitrate) << c.got;

    FfmpegRun run;
    run.args = {"-c:v", "mpeg4", "-b:v", "600000", "-pass", "2"};
    run.what = "video, second pass";
    run.aimBytes = 900000;
    run.frames = 300;
    run.tolerance = 0.008;
    const auto redo = RedoAfter(run, 990000 + engine::AviOverheadBytes(300));
    ASSERT_TRUE(redo);
    EXPECT_EQ(Joined(redo->run.args), "-c:v mpeg4 -b:v 545455 -pass 2");
    EXPECT_EQ(redo->line, "video: 990000 bytes against 900000 aimed at (+10.0 %): encoding again at 545455 bit/s");
    EXPECT_FALSE(RedoAfter(run, 900000 + engine::AviOverheadBytes(300)));
    // The second try fell 3 % short: the line through both tries, then no more.
    const auto second = RedoAfter(redo->run, 873000 + engine::AviOverheadBytes(300));
    ASSERT_TRUE(second);
    EXPECT_EQ(Joined(second->run.args), "-c:v mpeg4 -b:v 558042 -pass 2");
    EXPECT_EQ(second->run.what, "video, second pass, again");
    EXPECT_FALSE(RedoAfter(second->run, 800000 + engine::AviOverheadBytes(300)));
    run.aimBytes = 0;
    EXPECT_FALSE(RedoAfter(run, 990000));  // a pass without an aim
}
