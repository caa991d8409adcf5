// The stand-in encoders and BeSweet as programs: started as Marobex starts
// them, on the job files and command lines Marobex writes.
#include "standin_process.h"

#include "../native/standin_samples.h"
#include "standin/encoder_job.h"
#include "standin/media_files.h"

using namespace mb;
using namespace mb::samples;
using namespace mb::standin_test;

namespace {

class StandinPrograms : public StandinFixture {
protected:
    void SetUp() override {
        StandinFixture::SetUp();
        DeleteFileA(kStats);
    }
    void TearDown() override {
        DeleteFileA(kStats);
        StandinFixture::TearDown();
    }
    static constexpr const char* kStats = "C:\\Divx3stats.stats";
};

// The length of the AVI a stand-in writes at a bitrate for the 4 s of the fixture.
std::int64_t ExpectedAviSize(std::uint32_t handler, std::int64_t bitsPerSecond) {
    AviSpec avi;
    avi.handler = handler;
    avi.frames = 100;
    avi.videoBytes = bitsPerSecond * 4 / 8;
    return AviFileSize(avi);
}

}  // namespace

TEST_F(StandinPrograms, VirtualDubEncodesADivx5OnePassJob) {
    ASSERT_TRUE(WriteBytes(Path("a.avs"), "AVISource(\"a.avi\")\r\n"));
    const std::string state = StateText(323, 4, 780000);
    const std::string job =
        OnePassJob("0x78766964", 323, state, Escaped(Path("a.avs")), Escaped(Path("b.avi")));
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass.vcf", job), 0u);

    const std::string avi = ReadBytes(Path("b.avi"));
    EXPECT_EQ(static_cast<std::int64_t>(avi.size()), ExpectedAviSize(kFourccDivx, 780000));
    AviSummary s;
    std::string problem;
    ASSERT_TRUE(ReadAvi(avi, s, problem)) << problem;
    EXPECT_EQ(s.streamInfo.at(0).indexedBytes, 390000);

    const auto records = Trace();
    ASSERT_EQ(records.size(), 1u);
    const TraceRecord& r = records[0];
    EXPECT_EQ(r.program, "VirtualDub");
    EXPECT_EQ(r.Value("command line"), StandinExe("VirtualDub.exe") + " /r /x /s" + Path("jobpass.vcf"));
    EXPECT_EQ(r.Value("job file"), Path("jobpass.vcf"));
    EXPECT_EQ(r.Value("seconds"), "4");
    EXPECT_EQ(r.Values("statement").size(), 7u);
    EXPECT_EQ(r.Values("statement").at(4), "8: VirtualDub.video.SetCompData(323,\"" + state + "\")");
    EXPECT_EQ(r.Value("codec"), "DivX 5");
    EXPECT_EQ(r.Value("codec state"), HexBytes(DecodeBase64(state)->substr(0, 323)));
    EXPECT_EQ(r.Value("video bitrate"), "780000");
    EXPECT_EQ(r.Value("wrote"), WrittenEntry(Path("b.avi"), static_cast<std::int64_t>(avi.size())));
    EXPECT_TRUE(r.Has("status window"));
    EXPECT_FALSE(r.Has("error"));
    EXPECT_EQ(r.Value("result"), "done");
}

TEST_F(StandinPrograms, NandubPassesShareTheStatisticsFile) {
    ASSERT_TRUE(WriteBytes(Path("a.avs"), "x"));
    const std::string pass1 = NandubPass1Job(Escaped(Path("a.avs")), Escaped(Path("film_firstpass.avi")));
    const std::string pass2 = NandubPass2Job(Escaped(Path("a.avs")), Escaped(Path("film.avi")));

    // Without the first pass's statistics the second pass fails and saves nothing.
    EXPECT_EQ(RunEncoder("NanDub.exe", "jobpass2.vcf", pass2), 1u);
    EXPECT_FALSE(FileExists(Path("film.avi")));

    EXPECT_EQ(RunEncoder("NanDub.exe", "jobpass1.vcf", pass1), 0u);
    EXPECT_TRUE(FileExists(kStats));
    EXPECT_FALSE(FileExists(Path("film_firstpass.avi")));

    EXPECT_EQ(RunEncoder("NanDub.exe", "jobpass2.vcf", pass2), 0u);
    EXPECT_EQ(static_cast<std::int64_t>(ReadBytes(Path("film.avi")).size()), ExpectedAviSize(kFourccDiv3, 910000));

    const auto records = Trace();
    ASSERT_EQ(records.size(), 3u);
    for (const TraceRecord& r : records) EXPECT_EQ(r.program, "Nandub");
    EXPECT_EQ(records[0].Value("error"), "line 49: cannot open the curve file \"C:\\Divx3stats.stats\"");
    EXPECT_EQ(records[0].Value("result"), "failed");
    EXPECT_EQ(records[1].Value("no AVI"), Path("film_firstpass.avi"));
    EXPECT_EQ(ParseWrittenEntry(records[1].Value("wrote"))->path, kStats);
    EXPECT_EQ(records[2].Value("video bitrate"), "910000");
    EXPECT_EQ(records[2].Value("result"), "done");
}

TEST_F(StandinPrograms, AScriptErrorSavesNothing) {
    ASSERT_TRUE(WriteBytes(Path("a.avs"), "x"));
    // Nandub's statements are unknown to VirtualDub.
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass1.vcf",
                         NandubPass1Job(Escaped(Path("a.avs")), Escaped(Path("first.avi")))),
              1u);
    // An error after the SaveAVI line still stops the whole job.
    std::string job = OnePassJob("0x78766964", 323, StateText(323, 4, 780000), Escaped(Path("a.avs")),
                                 Escaped(Path("b.avi")));
    job.replace(job.find("VirtualDub.Close();"), 19, "VirtualDub.Close()");
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass.vcf", job), 1u);
    EXPECT_FALSE(FileExists(Path("b.avi")));
    EXPECT_FALSE(FileExists(kStats));

    const auto records = Trace();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Value("error"), "line 9: VirtualDub.audio2.SetSource is not a method the program knows");
    EXPECT_EQ(records[1].Value("error"),
              "line 10: expected ';' after VirtualDub.Close(), found the end of the line");
    EXPECT_EQ(records[1].Value("error line"), "VirtualDub.Close()");
    for (const TraceRecord& r : records) {
        EXPECT_FALSE(r.Has("statement"));
        EXPECT_FALSE(r.Has("wrote"));
        EXPECT_EQ(r.Value("result"), "failed");
    }
}

TEST_F(StandinPrograms, RefusesWithoutSeenWelcome) {
    ASSERT_TRUE(WriteBytes(Path("a.avs"), "x"));
    const std::string job = OnePassJob("0x78766964", 323, StateText(323, 4, 780000), Escaped(Path("a.avs")),
                                       Escaped(Path("b.avi")));
    SetSeenWelcome(0);
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass.vcf", job), 2u);
    SetSeenWelcome(0, false);
    EXPECT_EQ(RunEncoder("NanDub.exe", "jobpass.vcf", job), 2u);
    EXPECT_FALSE(FileExists(Path("b.avi")));
    const auto records = Trace();
    ASSERT_EQ(records.size(), 2u);
    for (const TraceRecord& r : records) {
        EXPECT_EQ(r.Value("result"), "refused");
        EXPECT_EQ(r.Value("error"),
                  "SeenWelcome under HKCU\\Software\\Freeware\\VirtualDub is not 1: the welcome dialog would wait "
                  "for the user");
        EXPECT_FALSE(r.Has("statement"));
    }
}

TEST_F(StandinPrograms, BesweetConvertsAndLogs) {
    ASSERT_TRUE(WriteBytes(Path("film.ac3"), std::string(4096, '\x0B')));
    const std::string line = StandinExe("BeSweet.exe") + " -core( -input \"" + Path("film.ac3") + "\" -output \"" +
                             Path("Stream1.MP3") + "\" -logfile \"" + Path("Stream1.log") +
                             "\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )";
    EXPECT_EQ(WaitForExit(StartCommand(line)), 0u);
    EXPECT_EQ(ReadBytes(Path("Stream1.MP3")), Mp3Bytes(48000, 128, 128, 4));
    const std::string log = ReadBytes(Path("Stream1.log"));
    EXPECT_NE(log.find("\r\nLAME: 48000 Hz, CBR 128 kbit/s\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nConversion completed\r\n"), std::string::npos) << log;

    const auto records = Trace();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].program, "BeSweet");
    EXPECT_EQ(records[0].Value("command line"), line);
    EXPECT_EQ(records[0].Value("input"), Path("film.ac3"));
    EXPECT_EQ(records[0].Values("group").at(1), "-azid( -c normal -g 6 -L -2db )");
    EXPECT_EQ(records[0].Values("wrote").size(), 2u);
    EXPECT_EQ(records[0].Value("result"), "done");
}

TEST_F(StandinPrograms, BesweetRejectsAMalformedLine) {
    ASSERT_TRUE(WriteBytes(Path("film.ac3"), "a"));
    const std::string line = StandinExe("BeSweet.exe") + " -core( -input \"" + Path("film.ac3") + "\" -output \"" +
                             Path("Stream1.MP3") + "\" -logfile \"" + Path("Stream1.log") +
                             "\" )-azid( -c normal -g 6 -L -lame( -h -b 128 -m j )";
    EXPECT_EQ(WaitForExit(StartCommand(line)), 1u);
    EXPECT_FALSE(FileExists(Path("Stream1.MP3")));
    EXPECT_NE(ReadBytes(Path("Stream1.log")).find("\r\nError: -lame( inside -azid( (missing ')')\r\n"),
              std::string::npos);
    const auto records = Trace();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Value("error"), "-lame( inside -azid( (missing ')')");
    EXPECT_EQ(records[0].Value("result"), "failed");
}

TEST_F(StandinPrograms, AudioToWmaAndMuxWithTwoStreams) {
    // BeSweet makes a WAV of stream 1 and an MP3 of stream 2, VirtualDub turns
    // the WAV into WMA with the fake AVI as its video, Nandub muxes all three.
    AviSpec fake;
    fake.width = fake.height = 16;
    fake.framesPerSecond = 10;
    fake.frames = 1;
    fake.videoBytes = 768;
    ASSERT_TRUE(WriteBytes(Path("fake.avi"), AviBytes(fake)));
    ASSERT_TRUE(WriteBytes(Path("film.ac3"), "a"));
    ASSERT_TRUE(WriteBytes(Path("a.avs"), "x"));
    const std::string besweet = StandinExe("BeSweet.exe") + " -core( -input \"" + Path("film.ac3") + "\" -output \"";
    EXPECT_EQ(WaitForExit(StartCommand(besweet + Path("Stream1.WAV") + "\" -2ch -logfile \"" + Path("s1.log") +
                                       "\" )-azid( -c normal -g 6 -L )")),
              0u);
    EXPECT_EQ(WaitForExit(StartCommand(besweet + Path("Stream2.MP3") + "\" -logfile \"" + Path("s2.log") +
                                       "\" )-azid( -c normal -g 6 -L -2 ) -ssrc( --rate 44100 ) -lame( -h -b 96 -m j )")),
              0u);
    std::string wma = Wav2WmaJob(Escaped(Path("Stream1.WAV")), Escaped(Path("Stream1WMA.WAV")));
    wma.replace(wma.find("C:\\\\fake.avi"), 12, Escaped(Path("fake.avi")));
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "wav2wma.vcf", wma), 0u);
    EXPECT_EQ(RunEncoder("VirtualDub.exe", "jobpass.vcf",
                         OnePassJob("0x64697678", 1124, StateText(1124, 4, 900000), Escaped(Path("a.avs")),
                                    Escaped(Path("film_temp.avi")))),
              0u);
    EXPECT_EQ(RunEncoder("NanDub.exe", "AudioMux.vcf",
                         AudioMuxJob(Escaped(Path("film_temp.avi")), Escaped(Path("Stream1WMA.WAV")),
                                     Escaped(Path("Stream2.MP3")), Escaped(Path("film.avi")))),
              0u);

    WavSummary w;
    std::string problem;
    ASSERT_TRUE(ReadWavHeader(ReadBytes(Path("Stream1WMA.WAV")), w, problem)) << problem;
    EXPECT_EQ(w.format.formatTag, 353);
    EXPECT_EQ(w.dataBytes, 32040 - 32040 % 372);  // 4 s at 8010 B/s

    AviSummary s;
    ASSERT_TRUE(ReadAvi(ReadBytes(Path("film.avi")), s, problem)) << problem;
    ASSERT_EQ(s.streamInfo.size(), 3u);
    EXPECT_EQ(s.streamInfo[0].compression, kFourccXvid);
    EXPECT_EQ(s.streamInfo[1].audio.formatTag, 353);
    EXPECT_EQ(s.streamInfo[2].audio.formatTag, 0x55);
    EXPECT_EQ(s.streamInfo[2].audio.samplesPerSec, 44100u);

    const auto records = Trace();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[2].Value("audio codec state"), "00080000010074010000");
    for (const TraceRecord& r : records) EXPECT_EQ(r.Value("result"), "done") << r.program << ": " << r.Value("error");
}
