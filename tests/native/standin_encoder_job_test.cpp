#include "standin/encoder_job.h"

#include <gtest/gtest.h>

#include "standin/media_files.h"
#include "standin_samples.h"

using namespace mb;
using namespace mb::samples;

namespace {

struct Outcome {
    bool ok = false;
    TraceRecord trace;
};

Outcome RunScript(const std::string& script, ScriptDialect dialect, MemoryFiles& files, double seconds = 10) {
    Outcome out;
    const JobScriptReading r = ReadJobScript(script, dialect);
    if (r.error) {
        ADD_FAILURE() << FormatScriptError(*r.error);
        return out;
    }
    out.ok = RunEncoderJob(r.statements, dialect, seconds, files, out.trace);
    return out;
}

AviSummary ReadAviFile(const MemoryFiles& files, const std::string& path) {
    AviSummary s;
    std::string problem;
    EXPECT_TRUE(ReadAvi(files.files.at(path), s, problem)) << path << ": " << problem;
    return s;
}

}  // namespace

TEST(StandinEncoderJob, OnePassWritesAnAviOfTheCodecsBitrate) {
    struct Case {
        const char* codec;
        const char* fourcc;
        int length;
        int offset;
        std::uint32_t handler;
    };
    const Case cases[] = {
        {"DivX 5", "0x78766964", 323, 4, kFourccDivx},
        {"DivX 4", "0x78766964", 316, 0, kFourccDivx},
        {"DivX 4", "0x34787664", 316, 0, kFourccDvx4},
        {"XviD", "0x64697678", 1124, 4, kFourccXvid},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        files.files["C:\\in\\a.avs"] = "AVISource(\"a.avi\")";
        const std::string state = StateText(c.length, c.offset, 780000);
        const Outcome o = RunScript(OnePassJob(c.fourcc, c.length, state, "C:\\\\in\\\\a.avs", "D:\\\\out\\\\b.avi"),
                                    ScriptDialect::VirtualDub, files);
        ASSERT_TRUE(o.ok) << c.codec << ": " << o.trace.Value("error");
        EXPECT_EQ(o.trace.Value("codec"), c.codec);
        EXPECT_EQ(o.trace.Value("codec fourcc"), c.fourcc);
        EXPECT_EQ(o.trace.Value("codec state length"), std::to_string(c.length));
        EXPECT_EQ(o.trace.Value("codec state"), HexBytes(DecodeBase64(state)->substr(0, static_cast<std::size_t>(c.length))));
        EXPECT_EQ(o.trace.Value("video bitrate"), "780000");

        AviSpec expected;
        expected.handler = c.handler;
        expected.frames = 250;
        expected.videoBytes = 975000;  // 780000 bit/s for 10 s
        ASSERT_EQ(files.writes, std::vector<std::string>{"D:\\out\\b.avi"});
        EXPECT_EQ(static_cast<std::int64_t>(files.files["D:\\out\\b.avi"].size()), AviFileSize(expected));
        EXPECT_EQ(o.trace.Value("wrote"), WrittenEntry("D:\\out\\b.avi", AviFileSize(expected)));
        const AviSummary s = ReadAviFile(files, "D:\\out\\b.avi");
        EXPECT_EQ(s.streamInfo.at(0).compression, c.handler);
        EXPECT_EQ(s.streamInfo.at(0).indexedBytes, 975000);
        EXPECT_EQ(s.totalFrames, 250u);
    }
}

TEST(StandinEncoderJob, DurationAndBitrateSetTheSize) {
    struct Case {
        std::int32_t bitrate;
        double seconds;
        std::int64_t videoBytes;
        std::uint32_t frames;
    };
    const Case cases[] = {
        {780000, 10, 975000, 250},
        {1200000, 60, 9000000, 1500},
        {64000, 2.5, 20000, 63},
        {500000, 0, 0, 1},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        files.files["a.avs"] = "x";
        const Outcome o = RunScript(OnePassJob("0x78766964", 323, StateText(323, 4, c.bitrate), "a.avs", "b.avi"),
                                    ScriptDialect::VirtualDub, files, c.seconds);
        ASSERT_TRUE(o.ok) << o.trace.Value("error");
        const AviSummary s = ReadAviFile(files, "b.avi");
        EXPECT_EQ(s.streamInfo.at(0).indexedBytes, c.videoBytes) << c.bitrate << " " << c.seconds;
        EXPECT_EQ(s.totalFrames, c.frames) << c.seconds;
    }
}

TEST(StandinEncoderJob, CodecStateProblemsEndTheJobBeforeAnythingIsSaved) {
    const std::string divx5 = StateText(323, 4, 780000);  // 432 characters: 324 bytes
    struct Case {
        const char* name;
        std::string compression;  // the SetCompression line, or empty for none
        std::string compData;
        const char* error;
    };
    const Case cases[] = {
        {"no codec selected", "", "VirtualDub.video.SetCompData(323,\"" + divx5 + "\");",
         "line 2: SetCompData without a codec: VirtualDub.video.SetCompression with a FOURCC must come first"},
        {"length beyond the text", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(325,\"" + divx5 + "\");",
         "line 3: codec state length 325 is more than the 324 bytes its base64 text holds"},
        {"empty state of a failed build", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(323,\"\");",
         "line 3: codec state length 323 is more than the 0 bytes its base64 text holds"},
        {"negative length", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(-1,\"" + divx5 + "\");",
         "line 3: codec state length -1 is more than the 324 bytes its base64 text holds"},
        {"not base64", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(3,\"AB*D\");", "line 3: the codec state is not base64 text"},
        {"XviD length for DivX", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(1124,\"" + StateText(1124, 4, 900000) + "\");",
         "line 3: no codec takes a state of 1124 bytes for FOURCC 0x78766964"},
        {"DivX 4 length for XviD", "VirtualDub.video.SetCompression(0x64697678,0,10000,0);",
         "VirtualDub.video.SetCompData(316,\"" + StateText(316, 0, 780000) + "\");",
         "line 3: no codec takes a state of 316 bytes for FOURCC 0x64697678"},
        {"bitrate 0", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);",
         "VirtualDub.video.SetCompData(323,\"" + StateText(323, 4, 0) + "\");",
         "line 3: the DivX 5 state holds no usable bitrate (0 bit/s)"},
        {"codec without state", "VirtualDub.video.SetCompression(0x78766964,0,10000,0);", "",
         "line 3: the codec 0x78766964 was given no state (SetCompData)"},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        files.files["a.avs"] = "x";
        std::string script = "VirtualDub.Open(\"a.avs\",0,0);\r\n";
        if (!c.compression.empty()) script += c.compression + "\r\n";
        if (!c.compData.empty()) script += c.compData + "\r\n";
        script += "VirtualDub.SaveAVI(\"b.avi\");\r\nVirtualDub.Close();\r\n";
        const Outcome o = RunScript(script, ScriptDialect::VirtualDub, files);
        EXPECT_FALSE(o.ok) << c.name;
        EXPECT_EQ(o.trace.Value("error"), c.error) << c.name;
        EXPECT_TRUE(files.writes.empty()) << c.name;
        EXPECT_FALSE(o.trace.Has("wrote")) << c.name;
    }
}

TEST(StandinEncoderJob, MissingFilesAndFailedWrites) {
    MemoryFiles files;
    const std::string job = OnePassJob("0x78766964", 323, StateText(323, 4, 780000), "a.avs", "b.avi");
    Outcome o = RunScript(job, ScriptDialect::VirtualDub, files);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.trace.Value("error"), "line 4: cannot open the video file \"a.avs\"");
    EXPECT_TRUE(files.writes.empty());

    files.files["a.avs"] = "x";
    files.failWrites = true;
    o = RunScript(job, ScriptDialect::VirtualDub, files);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.trace.Value("error"), "line 9: cannot write \"b.avi\": Access is denied.");

    files.failWrites = false;
    o = RunScript("VirtualDub.SaveAVI(\"b.avi\");", ScriptDialect::VirtualDub, files);
    EXPECT_EQ(o.trace.Value("error"), "line 1: SaveAVI without an open video file");
    o = RunScript("VirtualDub.Open(\"a.avs\",0,0); VirtualDub.audio.SetSource(\"none.wav\");",
                  ScriptDialect::VirtualDub, files);
    EXPECT_EQ(o.trace.Value("error"), "line 1: cannot open the audio file \"none.wav\"");
    EXPECT_EQ(o.trace.Values("statement"),
              (std::vector<std::string>{"1: VirtualDub.Open(\"a.avs\",0,0)",
                                        "1: VirtualDub.audio.SetSource(\"none.wav\")"}));
}

TEST(StandinEncoderJob, NandubFirstPassWritesStatisticsAndSecondPassNeedsThem) {
    MemoryFiles files;
    files.files["C:\\in\\a.avs"] = "x";
    const std::string pass1 = NandubPass1Job("C:\\\\in\\\\a.avs", "D:\\\\v\\\\film_firstpass.avi");
    const std::string pass2 = NandubPass2Job("C:\\\\in\\\\a.avs", "D:\\\\v\\\\film.avi");

    // Without the first pass, the second has no curve file.
    Outcome o = RunScript(pass2, ScriptDialect::Nandub, files);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.trace.Value("error"), "line 49: cannot open the curve file \"C:\\Divx3stats.stats\"");
    EXPECT_TRUE(files.writes.empty());

    // A file of that name that is no statistics file will not do either.
    files.files["C:\\Divx3stats.stats"] = "something else";
    o = RunScript(pass2, ScriptDialect::Nandub, files);
    EXPECT_EQ(o.trace.Value("error"),
              "line 49: the curve file \"C:\\Divx3stats.stats\" is not a first pass's statistics");
    files.files.erase("C:\\Divx3stats.stats");

    o = RunScript(pass1, ScriptDialect::Nandub, files);
    ASSERT_TRUE(o.ok) << o.trace.Value("error");
    EXPECT_EQ(files.writes, std::vector<std::string>{"C:\\Divx3stats.stats"});
    EXPECT_EQ(o.trace.Value("no AVI"), "D:\\v\\film_firstpass.avi");
    EXPECT_EQ(o.trace.Values("statement").size(), 50u);
    const std::string& stats = files.files["C:\\Divx3stats.stats"];
    EXPECT_EQ(stats.substr(0, kNandubStatsHeader.size()), kNandubStatsHeader);
    EXPECT_NE(stats.find("\r\nframes: 250\r\n"), std::string::npos);

    o = RunScript(pass2, ScriptDialect::Nandub, files);
    ASSERT_TRUE(o.ok) << o.trace.Value("error");
    EXPECT_EQ(o.trace.Value("codec"), "DivX 3");
    EXPECT_EQ(o.trace.Value("video bitrate"), "910000");
    const AviSummary s = ReadAviFile(files, "D:\\v\\film.avi");
    EXPECT_EQ(s.streamInfo.at(0).compression, kFourccDiv3);
    EXPECT_EQ(s.streamInfo.at(0).indexedBytes, 1137500);  // 910 kbit/s for 10 s
    EXPECT_EQ(s.streamInfo.size(), 1u);                    // both audio tracks are off
}

TEST(StandinEncoderJob, WavToWmaCompressesTheWaveAudio) {
    MemoryFiles files;
    files.files["C:\\fake.avi"] = std::string(3072, '\0');
    files.files["D:\\t\\Stream1.WAV"] = WavBytes(PcmFormat(48000, 2, 16), 48000 * 4 * 8);  // 8 s
    const Outcome o = RunScript(Wav2WmaJob("D:\\\\t\\\\Stream1.WAV", "D:\\\\t\\\\Stream1WMA.WAV"),
                                ScriptDialect::VirtualDub, files);
    ASSERT_TRUE(o.ok) << o.trace.Value("error");
    EXPECT_EQ(o.trace.Value("audio codec state"), "00080000010074010000");  // 10 of the 11 bytes
    WavSummary s;
    std::string problem;
    ASSERT_TRUE(ReadWavHeader(files.files.at("D:\\t\\Stream1WMA.WAV"), s, problem)) << problem;
    EXPECT_EQ(s.format.formatTag, 353);
    EXPECT_EQ(s.format.avgBytesPerSec, 8010u);
    EXPECT_EQ(s.format.blockAlign, 372);
    EXPECT_EQ(s.format.extra, std::string("\x00\x08\x00\x00\x01\x00\x74\x01\x00\x00", 10));
    EXPECT_EQ(s.dataBytes, 64080 - 64080 % 372);  // 8 s at 8010 B/s, whole blocks

    // Eleven format bytes are more than the text holds; so is a WAV job without audio.
    const std::string tooLong = "VirtualDub.audio.SetCompression(353,44100,2,16,8010,372,12,\"AAgAAAEAdAEAAAE=\");";
    Outcome bad = RunScript(tooLong, ScriptDialect::VirtualDub, files);
    EXPECT_EQ(bad.trace.Value("error"), "line 1: audio format length 12 is more than the 11 bytes its base64 text holds");
    bad = RunScript("VirtualDub.Open(\"C:\\\\fake.avi\",1,0); VirtualDub.SaveWAV(\"x.wav\");", ScriptDialect::VirtualDub, files);
    EXPECT_EQ(bad.trace.Value("error"), "line 1: SaveWAV without an audio source file");
}

TEST(StandinEncoderJob, MuxCopiesTheVideoAndAddsEachAudioTrack) {
    MemoryFiles files;
    AviSpec video;
    video.handler = kFourccDivx;
    video.frames = 250;
    video.videoBytes = 975000;
    files.files["D:\\v\\f_temp.avi"] = AviBytes(video);
    files.files["D:\\a.ac3"] = std::string(480000, 'a');
    files.files["D:\\t\\Stream2.MP3"] = Mp3Bytes(48000, 128, 128, 10);
    const std::string job =
        AudioMuxJob("D:\\\\v\\\\f_temp.avi", "D:\\\\a.ac3", "D:\\\\t\\\\Stream2.MP3", "D:\\\\v\\\\f.avi");
    const Outcome o = RunScript(job, ScriptDialect::Nandub, files);
    ASSERT_TRUE(o.ok) << o.trace.Value("error");
    const AviSummary s = ReadAviFile(files, "D:\\v\\f.avi");
    ASSERT_EQ(s.streamInfo.size(), 3u);
    EXPECT_EQ(s.streamInfo[0].compression, kFourccDivx);
    EXPECT_EQ(s.streamInfo[0].indexedBytes, static_cast<std::int64_t>(files.files["D:\\v\\f_temp.avi"].size()));
    EXPECT_EQ(s.streamInfo[1].audio.formatTag, 0x2000);
    EXPECT_EQ(s.streamInfo[1].indexedBytes, 480000);
    EXPECT_EQ(s.streamInfo[2].audio.formatTag, 0x55);
    EXPECT_EQ(s.streamInfo[2].audio.samplesPerSec, 48000u);
    EXPECT_EQ(s.streamInfo[2].indexedBytes, static_cast<std::int64_t>(files.files["D:\\t\\Stream2.MP3"].size()));

    // A stream BeSweet never wrote stops the mux, and nothing is saved.
    files.files.erase("D:\\t\\Stream2.MP3");
    files.files.erase("D:\\v\\f.avi");
    const Outcome missing = RunScript(job, ScriptDialect::Nandub, files);
    EXPECT_EQ(missing.trace.Value("error"), "line 6: cannot open the audio file \"D:\\t\\Stream2.MP3\"");
    EXPECT_EQ(files.files.count("D:\\v\\f.avi"), 0u);
}

TEST(StandinEncoderJob, ArgumentsOfTheCommandLine) {
    struct Case {
        const char* commandLine;
        const char* jobFile;  // nullptr: refused
        const char* problem;
    };
    const Case cases[] = {
        {"C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass1.vcf", "c:\\jobpass1.vcf", nullptr},
        {"\"C:\\Program Files\\vd\\VirtualDub.exe\" /r /x /sc:\\audiomux.vcf", "c:\\audiomux.vcf", nullptr},
        {"VirtualDub.exe /x /s\"C:\\my jobs\\a.vcf\"", "C:\\my jobs\\a.vcf", nullptr},
        {"VirtualDub.exe /R /X /Sc:\\j.vcf", "c:\\j.vcf", nullptr},
        {"VirtualDub.exe /r /x", nullptr, "no job file: expected /s<job file>"},
        {"VirtualDub.exe /r /x /s", nullptr, "expected the job file right after /s"},
        {"VirtualDub.exe /r /sc:\\j.vcf", nullptr, "no /x: without it the program would stay open after the job"},
        {"VirtualDub.exe /r /x /s c:\\j.vcf", nullptr, "expected the job file right after /s"},
        {"VirtualDub.exe /r /x /q /sc:\\j.vcf", nullptr, "unknown argument \"/q\" (expected /r /x /s<job file>)"},
        {"VirtualDub.exe /x /s\"c:\\j.vcf", nullptr, "the job file after /s has no closing '\"'"},
    };
    for (const Case& c : cases) {
        EncoderArguments a;
        std::string problem;
        const bool ok = ParseEncoderArguments(ArgumentsOf(c.commandLine), a, problem);
        EXPECT_EQ(ok, c.jobFile != nullptr) << c.commandLine;
        if (c.jobFile) EXPECT_EQ(a.jobFile, c.jobFile) << c.commandLine;
        else EXPECT_EQ(problem, c.problem) << c.commandLine;
    }
}

TEST(StandinEncoderJob, SettingsFromTheEnvironment) {
    EXPECT_EQ(StandinSecondsFrom(nullptr), 10.0);
    EXPECT_EQ(StandinSecondsFrom(""), 10.0);
    EXPECT_EQ(StandinSecondsFrom("2.5"), 2.5);
    EXPECT_EQ(StandinSecondsFrom("0"), 0.0);
    EXPECT_EQ(StandinSecondsFrom("-3"), 10.0);
    EXPECT_EQ(StandinSecondsFrom("3s"), 10.0);
    EXPECT_EQ(StandinSecondsFrom("1.2.3"), 10.0);
    EXPECT_EQ(StandinSecondsFrom("999999"), 10.0);
    EXPECT_EQ(StandinWindowMsFrom(nullptr), 1500);
    EXPECT_EQ(StandinWindowMsFrom("0"), 0);
    EXPECT_EQ(StandinWindowMsFrom("250"), 250);
    EXPECT_EQ(StandinWindowMsFrom("2.5"), 1500);
    EXPECT_EQ(StandinTracePathFrom(nullptr), "c:\\Marobex_standin_trace.txt");
    EXPECT_EQ(StandinTracePathFrom("Z:\\tmp\\t.txt"), "Z:\\tmp\\t.txt");
}

TEST(StandinEncoderJob, StandardBase64Decoding) {
    struct Case {
        const char* text;
        const char* hex;  // nullptr: refused
    };
    const Case cases[] = {
        {"", ""},
        {"AAgAAAEAdAEAAAE=", "0008000001007401000001"},
        {"AAgAAAEAdAEAAAE", "0008000001007401000001"},
        {"TWFu", "4d616e"},
        {"TWE=", "4d61"},
        {"TQ==", "4d"},
        {"TQ", "4d"},
        {"+/+/", "fbffbf"},
        {"T", nullptr},
        {"TWFuT", nullptr},
        {"TW=u", nullptr},
        {"TW u", nullptr},
        {"TQ===", nullptr},
    };
    for (const Case& c : cases) {
        const auto bytes = DecodeBase64(c.text);
        if (c.hex == nullptr) {
            EXPECT_FALSE(bytes) << c.text;
        } else {
            ASSERT_TRUE(bytes) << c.text;
            EXPECT_EQ(HexBytes(*bytes), c.hex) << c.text;
        }
    }
}

TEST(StandinTrace, RecordsReadBackAsWritten) {
    TraceRecord a;
    a.program = "VirtualDub";
    a.Add("command line", "\"C:\\vd\\VirtualDub.exe\" /r /x /sc:\\jobpass.vcf");
    a.Add("statement", "4: VirtualDub.Open(\"C:\\\\in\\\\a.avs\",0,0)");
    a.Add("statement", "10: VirtualDub.Close()");
    a.Add("error", "two\r\nlines: here");
    a.Add("wrote", WrittenEntry("D:\\out (1)\\b.avi", 975000));
    TraceRecord b;
    b.program = "BeSweet";
    b.Add("result", "done");
    const std::string text = FormatTraceRecord(a) + FormatTraceRecord(b);
    EXPECT_EQ(FormatTraceRecord(b), "==== BeSweet\r\nresult: done\r\n==== end\r\n");

    const auto records = ReadTraceRecords("left over\r\n" + text + "==== Nandub\r\nresult: cut short\r\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].program, "VirtualDub");
    EXPECT_EQ(records[0].Values("statement"), a.Values("statement"));
    EXPECT_EQ(records[0].Value("command line"), a.Value("command line"));
    EXPECT_EQ(records[0].Value("error"), "two\\r\\nlines: here");
    EXPECT_EQ(records[0].Value("missing"), "");
    EXPECT_FALSE(records[0].Has("missing"));
    const auto written = ParseWrittenEntry(records[0].Value("wrote"));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->path, "D:\\out (1)\\b.avi");
    EXPECT_EQ(written->size, 975000);
    EXPECT_EQ(records[1].Value("result"), "done");
    EXPECT_FALSE(ParseWrittenEntry("D:\\b.avi"));
    EXPECT_FALSE(ParseWrittenEntry("D:\\b.avi (12x bytes)"));
}

TEST(StandinEncoderJob, RefusesFilesBeyondItsLimit) {
    MemoryFiles files;
    files.files["a.avs"] = "x";
    const Outcome o = RunScript(OnePassJob("0x78766964", 323, StateText(323, 4, 2000000000), "a.avs", "b.avi"),
                                ScriptDialect::VirtualDub, files);
    AviSpec avi;
    avi.handler = kFourccDivx;
    avi.frames = 250;
    avi.videoBytes = 2500000000;
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.trace.Value("error"), "line 9: " + TooLargeText("b.avi", AviFileSize(avi)));
    EXPECT_TRUE(files.writes.empty());
}
