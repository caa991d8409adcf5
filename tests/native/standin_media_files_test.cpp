#include "standin/media_files.h"

#include <gtest/gtest.h>

using namespace mb;

namespace {

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}

AviAudioTrack Track(std::uint16_t tag, std::int64_t bytes, std::string extra = {}) {
    AviAudioTrack t;
    t.format = PcmFormat(48000, 2, 16);
    t.format.formatTag = tag;
    t.format.extra = std::move(extra);
    t.bytes = bytes;
    return t;
}

}  // namespace

TEST(StandinAvi, HeaderFieldsAtTheirOffsets) {
    AviSpec avi;
    avi.handler = 0x78766964;  // "divx"
    avi.frames = 250;
    avi.videoBytes = 975000;
    const std::string b = AviBytes(avi);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(U32(b, 4), b.size() - 8);
    EXPECT_EQ(b.substr(8, 4), "AVI ");
    EXPECT_EQ(b.substr(12, 4), "LIST");
    EXPECT_EQ(b.substr(20, 4), "hdrl");
    EXPECT_EQ(b.substr(24, 4), "avih");
    EXPECT_EQ(U32(b, 28), 56u);
    EXPECT_EQ(U32(b, 32), 40000u);          // microseconds per frame at 25 fps
    EXPECT_EQ(U32(b, 44), 0x810u);          // has index, trust chunk types
    EXPECT_EQ(U32(b, 48), 250u);            // frames
    EXPECT_EQ(U32(b, 56), 1u);              // streams
    EXPECT_EQ(U32(b, 64), 320u);
    EXPECT_EQ(U32(b, 68), 240u);
    EXPECT_EQ(b.substr(88, 4), "LIST");
    EXPECT_EQ(b.substr(96, 4), "strl");
    EXPECT_EQ(b.substr(100, 4), "strh");
    EXPECT_EQ(b.substr(108, 4), "vids");
    EXPECT_EQ(b.substr(112, 4), "divx");
    EXPECT_EQ(U32(b, 128), 1u);             // scale
    EXPECT_EQ(U32(b, 132), 25u);            // rate
    EXPECT_EQ(U32(b, 140), 250u);           // length
    EXPECT_EQ(b.substr(164, 4), "strf");
    EXPECT_EQ(U32(b, 172), 40u);            // BITMAPINFOHEADER size
    EXPECT_EQ(b.substr(188, 4), "divx");    // compression
    EXPECT_EQ(b.substr(212, 4), "LIST");
    EXPECT_EQ(b.substr(220, 4), "movi");
    EXPECT_EQ(b.substr(224, 4), "00dc");
    EXPECT_EQ(U32(b, 228), 3900u);          // 975000 / 250
}

TEST(StandinAvi, SizeFollowsFromTheDataAndReadsBack) {
    struct Case {
        const char* name;
        std::uint32_t frames;
        std::int64_t videoBytes;
        std::vector<AviAudioTrack> audio;
    };
    const Case cases[] = {
        {"even frames", 250, 975000, {}},
        {"odd frame sizes", 3, 3 * 101, {}},
        {"mixed sizes", 7, 1000, {}},
        {"empty frames", 5, 0, {}},
        {"one frame", 1, 17, {}},
        {"two audio tracks", 100, 50000, {Track(0x2000, 48001), Track(0x55, 16000)}},
        {"audio with format bytes", 10, 999, {Track(0x161, 8010, std::string(10, '\x01'))}},
        {"odd format bytes", 10, 998, {Track(0x161, 3, std::string(11, '\x02'))}},
    };
    for (const Case& c : cases) {
        AviSpec avi;
        avi.handler = 0x64697678;
        avi.frames = c.frames;
        avi.videoBytes = c.videoBytes;
        avi.audio = c.audio;
        const std::string b = AviBytes(avi);
        EXPECT_EQ(static_cast<std::int64_t>(b.size()), AviFileSize(avi)) << c.name;
        EXPECT_EQ(b.size() % 2, 0u) << c.name;
        AviSummary s;
        std::string problem;
        ASSERT_TRUE(ReadAvi(b, s, problem)) << c.name << ": " << problem;
        EXPECT_EQ(s.totalFrames, c.frames) << c.name;
        ASSERT_EQ(s.streamInfo.size(), 1 + c.audio.size()) << c.name;
        EXPECT_EQ(s.streamInfo[0].type, "vids");
        EXPECT_EQ(s.streamInfo[0].compression, 0x64697678u);
        EXPECT_EQ(s.streamInfo[0].indexedBytes, c.videoBytes) << c.name;
        EXPECT_EQ(s.streamInfo[0].indexedChunks, c.frames) << c.name;
        EXPECT_EQ(s.keyFrames, (c.frames + 24) / 25) << c.name;
        for (std::size_t k = 0; k < c.audio.size(); ++k) {
            const AviStreamInfo& a = s.streamInfo[k + 1];
            EXPECT_EQ(a.type, "auds") << c.name;
            EXPECT_EQ(a.audio.formatTag, c.audio[k].format.formatTag) << c.name;
            EXPECT_EQ(a.audio.extra, c.audio[k].format.extra) << c.name;
            EXPECT_EQ(a.indexedBytes, c.audio[k].bytes) << c.name;
        }
    }
}

TEST(StandinAvi, ReaderRefusesDamagedFiles) {
    AviSpec avi;
    avi.frames = 10;
    avi.videoBytes = 1000;
    const std::string good = AviBytes(avi);
    AviSummary s;
    std::string problem;
    ASSERT_TRUE(ReadAvi(good, s, problem)) << problem;

    std::string truncated = good.substr(0, good.size() - 2);
    EXPECT_FALSE(ReadAvi(truncated, s, problem));
    EXPECT_EQ(problem, "RIFF size " + std::to_string(good.size() - 8) + " does not match a file of " +
                           std::to_string(good.size() - 2) + " bytes");

    std::string badIndex = good;
    badIndex[good.size() - 16 * 3 + 8] ^= 0x04;  // offset of the third-last index entry
    EXPECT_FALSE(ReadAvi(badIndex, s, problem));
    EXPECT_EQ(problem, "index entry 7 (00dc) does not point at its chunk");

    std::string wrongStreams = good;
    wrongStreams[56] = 2;
    EXPECT_FALSE(ReadAvi(wrongStreams, s, problem));
    EXPECT_EQ(problem, "avih announces 2 streams, hdrl holds 1");

    EXPECT_FALSE(ReadAvi("RIFF\x04\0\0\0WAVE", s, problem));
    EXPECT_EQ(problem, "not a RIFF AVI file");

    // The headers alone read from the start of the file.
    ASSERT_TRUE(ReadAviHeaders(good.substr(0, 300), s, problem)) << problem;
    EXPECT_EQ(s.totalFrames, 10u);
    EXPECT_EQ(s.streamInfo.at(0).type, "vids");
}

TEST(StandinWav, PcmAndCompressedFormats) {
    const std::string pcm = WavBytes(PcmFormat(44100, 2, 16), 176400);
    ASSERT_EQ(pcm.size(), 44u + 176400u);
    EXPECT_EQ(pcm.substr(0, 4), "RIFF");
    EXPECT_EQ(U32(pcm, 4), pcm.size() - 8);
    EXPECT_EQ(pcm.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32(pcm, 16), 16u);
    EXPECT_EQ(U16(pcm, 20), 1u);
    EXPECT_EQ(U16(pcm, 22), 2u);
    EXPECT_EQ(U32(pcm, 24), 44100u);
    EXPECT_EQ(U32(pcm, 28), 176400u);
    EXPECT_EQ(U16(pcm, 32), 4u);
    EXPECT_EQ(U16(pcm, 34), 16u);
    EXPECT_EQ(pcm.substr(36, 4), "data");
    EXPECT_EQ(U32(pcm, 40), 176400u);

    AudioFormat wma;
    wma.formatTag = 353;
    wma.samplesPerSec = 44100;
    wma.channels = 2;
    wma.bitsPerSample = 16;
    wma.avgBytesPerSec = 8010;
    wma.blockAlign = 372;
    wma.extra = std::string("\x00\x08\x00\x00\x01\x00\x74\x01\x00\x00", 10);
    const std::string w = WavBytes(wma, 372 * 10);
    EXPECT_EQ(U32(w, 16), 28u);                   // 18 + 10 format bytes
    EXPECT_EQ(U16(w, 36), 10u);                   // cbSize
    EXPECT_EQ(w.substr(38, 10), wma.extra);
    EXPECT_EQ(w.substr(48, 4), "fact");
    EXPECT_EQ(U32(w, 56), 20480u);                // 3720 bytes at 8010 B/s, in 44100 Hz samples
    EXPECT_EQ(w.substr(60, 4), "data");
    EXPECT_EQ(U32(w, 64), 3720u);
    EXPECT_EQ(U32(w, 4), w.size() - 8);

    for (const std::string* file : {&pcm, &w}) {
        WavSummary s;
        std::string problem;
        ASSERT_TRUE(ReadWavHeader(file->substr(0, 100), s, problem)) << problem;
        EXPECT_EQ(s.dataBytes, file == &pcm ? 176400 : 3720);
        EXPECT_EQ(s.format.extra, file == &pcm ? std::string() : wma.extra);
    }
    WavSummary s;
    std::string problem;
    EXPECT_FALSE(ReadWavHeader(pcm.substr(0, 30), s, problem));
    EXPECT_EQ(problem, "no data chunk");
}

TEST(StandinMp3, FramesAtTheBitrateAndRate) {
    struct Case {
        std::uint32_t rate;
        int a, b;
        double seconds;
        std::size_t frames;
        std::size_t bytes;
    };
    const Case cases[] = {
        {48000, 128, 128, 10.0, 417, 417 * 384},                  // 144000 * 128 / 48000 = 384 exactly
        {44100, 128, 128, 10.0, 383, 160078},                     // 417.96 per frame, padded to stay exact
        {32000, 64, 64, 1.0, 28, 28 * 288},
        {48000, 40, 64, 1.0, 42, 21 * 120 + 21 * 192},            // VBR alternates low and high
        {48000, 50, 50, 1.0, 42, 42 * 144},                       // 50 is no MP3 bitrate: 48
    };
    for (const Case& c : cases) {
        const std::string b = Mp3Bytes(c.rate, c.a, c.b, c.seconds);
        EXPECT_EQ(b.size(), c.bytes) << c.rate << " " << c.a;
        std::size_t at = 0, frames = 0;
        while (at < b.size()) {
            ASSERT_EQ(static_cast<unsigned char>(b[at]), 0xFF);
            ASSERT_EQ(static_cast<unsigned char>(b[at + 1]), 0xFB);
            static const int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
            const int kbps = kRates[(static_cast<unsigned char>(b[at + 2]) >> 4) & 15];
            const int padding = (b[at + 2] >> 1) & 1;
            at += static_cast<std::size_t>(144000 * kbps / static_cast<int>(c.rate) + padding);
            ++frames;
        }
        EXPECT_EQ(at, b.size());
        EXPECT_EQ(frames, c.frames);
    }
    EXPECT_TRUE(IsMp3Bitrate(320));
    EXPECT_FALSE(IsMp3Bitrate(144));
    EXPECT_EQ(Mp3BitrateAtMost(144), 128);
    EXPECT_EQ(Mp3BitrateAtMost(8), 32);
}
