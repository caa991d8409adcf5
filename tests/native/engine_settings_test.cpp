// The engine's codec settings in FFmpeg's terms: each field of the codec
// records to its options or its "not applied" line, and a pass encoded
// again when it misses its size (the small functions: functions_test.cpp).
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

TEST(EngineSize, TheClipsLengthIsReadFromTheAvisMainHeader) {
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

// A pass that misses is encoded again (the corrected bit rate itself is a
// row of functions.txt), once more at the most.
TEST(EngineSize, APassThatMissesIsEncodedAgainAtACorrectedBitRate) {
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
