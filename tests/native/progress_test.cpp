// The source's facts from an AVI's headers and the sizes the codec panels'
// labels give.
#include "jobs/riff_writer.h"
#include "jobs/source_facts.h"

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
