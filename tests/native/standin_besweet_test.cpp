#include "standin/besweet_job.h"

#include <gtest/gtest.h>

#include "standin/media_files.h"
#include "standin_samples.h"

using namespace mb;
using namespace mb::samples;

namespace {

const std::string kMp3Line =
    "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.MP3\" -logfile "
    "\"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )";
const std::string kWavLine =
    "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream2.WAV\" -2ch -logfile "
    "\"C:\\Marobex_Stream2.log\" )-azid( -c normal -g max -L )";
const std::string kResampledMpaLine =
    "C:\\bs\\BeSweet.exe -core( -input \"D:\\a b\\film.mpa\" -output \"D:\\tmp\\Stream1.MP3\" -logfile "
    "\"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -4db ) -ssrc( --rate 44100 ) -lame( --mp2input "
    "--abr 96 -mj -h -b32 -Z --lowpass 19.5 )";

}  // namespace

TEST(StandinBesweet, ReadsTheLinesMarobexBuilds) {
    BesweetOptions o;
    std::string problem;
    ASSERT_TRUE(ParseBesweetArguments(ArgumentsOf(kMp3Line), o, problem)) << problem;
    EXPECT_EQ(o.input, "D:\\a\\film.ac3");
    EXPECT_EQ(o.output, "D:\\tmp\\Stream1.MP3");
    EXPECT_EQ(o.logFile, "C:\\Marobex_Stream1.log");
    EXPECT_FALSE(o.twoChannels);
    EXPECT_EQ(o.azid, (std::vector<std::string>{"-c", "normal", "-g", "6", "-L", "-2db"}));
    EXPECT_EQ(o.resampleRate, 0u);
    EXPECT_TRUE(o.haveLame);
    EXPECT_FALSE(o.mp2Input);
    EXPECT_EQ(o.lame, (std::vector<std::string>{"-h", "-b", "128", "-m", "j"}));
    EXPECT_EQ(o.groups, (std::vector<std::string>{
                            "-core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.MP3\" -logfile "
                            "\"C:\\Marobex_Stream1.log\" )",
                            "-azid( -c normal -g 6 -L -2db )", "-lame( -h -b 128 -m j )"}));

    ASSERT_TRUE(ParseBesweetArguments(ArgumentsOf(kWavLine), o, problem)) << problem;
    EXPECT_TRUE(o.twoChannels);
    EXPECT_FALSE(o.haveLame);
    EXPECT_EQ(o.azid, (std::vector<std::string>{"-c", "normal", "-g", "max", "-L"}));

    ASSERT_TRUE(ParseBesweetArguments(ArgumentsOf(kResampledMpaLine), o, problem)) << problem;
    EXPECT_EQ(o.input, "D:\\a b\\film.mpa");
    EXPECT_EQ(o.resampleRate, 44100u);
    EXPECT_TRUE(o.mp2Input);
    EXPECT_EQ(o.lame.front(), "--abr");
}

TEST(StandinBesweet, RefusesMalformedLines) {
    const std::string core = "-core( -input \"a.ac3\" -output \"b.mp3\" -logfile \"c.log\" )";
    struct Case {
        std::string arguments;
        const char* problem;
    };
    const Case cases[] = {
        {"-core( -input \"a.ac3\" -output \"b.mp3\"", "-core( is not closed with ')'"},
        {core + "-azid( -c normal", "-azid( is not closed with ')'"},
        {core + " )", "')' without an open option group"},
        {core + "-azid( -L ) )", "')' without an open option group"},
        {"-core( -input \"a.ac3\" -azid( ) )", "-azid( inside -core( (missing ')')"},
        {core + "-ota( -g max )", "unknown option group -ota("},
        {core + "-azid( ) -azid( )", "-azid( given twice"},
        {core + " stray", "unexpected stray outside an option group"},
        {"\"C:\\x.ac3\" " + core, "unexpected \"C:\\x.ac3\" outside an option group"},
        {"-azid( -L )", "no -core( group"},
        {"", "no -core( group"},
        {"-core( -output \"b.mp3\" )", "no input file: -core( needs -input"},
        {"-core( -input \"a.ac3\" )", "no output file: -core( needs -output"},
        {"-core( -input -output \"b.mp3\" )", "-input needs a file name in -core( ... )"},
        {"-core( -input \"a.ac3\" -output )", "-output needs a file name in -core( ... )"},
        {"-core( -input \"a.ac3\" -output \"b.mp3\" -6ch )", "unknown -core( option -6ch"},
        {"-core( -input \"a.ac3 -output \"b.mp3\" )", "a quoted name without its closing '\"'"},
        {core + "-ssrc( --rate )", "-ssrc( takes --rate <Hz>, not --rate"},
        {core + "-ssrc( --rate fast )", "-ssrc( takes --rate <Hz>, not --rate"},
        {core + "-ssrc( --quality 1 )", "-ssrc( takes --rate <Hz>, not --quality"},
    };
    for (const Case& c : cases) {
        BesweetOptions o;
        std::string problem;
        EXPECT_FALSE(ParseBesweetArguments(c.arguments, o, problem)) << c.arguments;
        EXPECT_EQ(problem, c.problem) << c.arguments;
    }
}

TEST(StandinBesweet, LameOptionsGiveTheMp3Bitrates) {
    // The LAME option texts Marobex writes for each rate mode and bitrate.
    struct Case {
        const char* options;
        const char* mode;
        int low, high;
    };
    const Case cases[] = {
        {"-h -b 56 -m j", "CBR", 56, 56},
        {"-h -b 128 -m j", "CBR", 128, 128},
        {"--alt-preset 56", "ABR", 56, 56},
        {"--alt-preset 64", "ABR", 64, 64},
        {"--abr 80 -mj -h -b32 -Z --lowpass 19.5", "ABR", 80, 80},
        {"--abr 128 -mj -h -b32 -Z --lowpass 19.5", "ABR", 128, 128},
        {"-m s -q 0 -v --vbr-mtrh -V 0 -b 40 -B 64 --athtype 2", "VBR", 40, 64},
        {"-m s -q 0 -v --vbr-mtrh -V 0 -b 96 -B 128 --athtype 2", "VBR", 96, 128},
        {"-m s -q 0 -v --vbr-mtrh -V 0 -b 112 -B 144 --athtype 2", "VBR", 112, 128},
        {"", "CBR", 128, 128},
    };
    for (const Case& c : cases) {
        BesweetOptions o;
        std::string problem;
        ASSERT_TRUE(ParseBesweetArguments(
            std::string("-core( -input \"a\" -output \"b.mp3\" ) -lame( ") + c.options + " )", o, problem))
            << c.options << ": " << problem;
        Mp3Plan plan;
        ASSERT_TRUE(PlanMp3(o, plan, problem)) << c.options << ": " << problem;
        EXPECT_EQ(plan.mode, c.mode) << c.options;
        EXPECT_EQ(plan.kbpsLow, c.low) << c.options;
        EXPECT_EQ(plan.kbpsHigh, c.high) << c.options;
        EXPECT_EQ(plan.samplesPerSec, 48000u);
    }
    BesweetOptions o;
    std::string problem;
    Mp3Plan plan;
    ASSERT_TRUE(ParseBesweetArguments("-core( -input a -output b ) -lame( -b )", o, problem));
    EXPECT_FALSE(PlanMp3(o, plan, problem));
    EXPECT_EQ(problem, "LAME option -b needs a bitrate in kbit/s");
    ASSERT_TRUE(ParseBesweetArguments("-core( -input a -output b ) -ssrc( --rate 22050 )", o, problem));
    EXPECT_FALSE(PlanMp3(o, plan, problem));
    EXPECT_EQ(problem, "MPEG-1 audio has no rate of 22050 Hz");
}

TEST(StandinBesweet, WritesTheOutputAndItsLog) {
    MemoryFiles files;
    files.files["D:\\a\\film.ac3"] = std::string(1000, 'a');
    TraceRecord trace;
    ASSERT_TRUE(RunBesweet(kMp3Line, 10, files, trace)) << trace.Value("error");
    const std::string mp3 = Mp3Bytes(48000, 128, 128, 10);
    EXPECT_EQ(files.files.at("D:\\tmp\\Stream1.MP3"), mp3);
    EXPECT_EQ(trace.Value("mp3"), "48000 Hz, CBR 128 kbit/s");
    EXPECT_EQ(trace.Value("input"), "D:\\a\\film.ac3");
    EXPECT_EQ(trace.Values("group").size(), 3u);
    const std::string log = files.files.at("C:\\Marobex_Stream1.log");
    EXPECT_EQ(trace.Values("wrote"), (std::vector<std::string>{WrittenEntry("D:\\tmp\\Stream1.MP3", 160128),
                                                               WrittenEntry("C:\\Marobex_Stream1.log", static_cast<std::int64_t>(log.size()))}));
    EXPECT_EQ(log,
              "BeSweet stand-in\r\n"
              "Command line: " + std::string(ArgumentsOf(kMp3Line)) + "\r\n"
              "Input: D:\\a\\film.ac3\r\n"
              "Output: D:\\tmp\\Stream1.MP3\r\n"
              "Options: -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.MP3\" -logfile \"C:\\Marobex_Stream1.log\" )\r\n"
              "Options: -azid( -c normal -g 6 -L -2db )\r\n"
              "Options: -lame( -h -b 128 -m j )\r\n"
              "LAME: 48000 Hz, CBR 128 kbit/s\r\n"
              "Duration: 10 s\r\n"
              "Wrote 160128 bytes\r\n"
              "Conversion completed\r\n");

    trace = TraceRecord{};
    ASSERT_TRUE(RunBesweet(kWavLine, 2, files, trace)) << trace.Value("error");
    WavSummary wav;
    std::string problem;
    ASSERT_TRUE(ReadWavHeader(files.files.at("D:\\tmp\\Stream2.WAV"), wav, problem)) << problem;
    EXPECT_EQ(wav.format.formatTag, 1);
    EXPECT_EQ(wav.format.channels, 2);
    EXPECT_EQ(wav.format.samplesPerSec, 48000u);
    EXPECT_EQ(wav.dataBytes, 2 * 192000);

    files.files["D:\\a b\\film.mpa"] = "mpa";
    trace = TraceRecord{};
    ASSERT_TRUE(RunBesweet(kResampledMpaLine, 10, files, trace)) << trace.Value("error");
    EXPECT_EQ(trace.Value("mp3"), "44100 Hz, ABR 96 kbit/s");
}

TEST(StandinBesweet, ProblemsAreLoggedAndNothingIsConverted) {
    struct Case {
        const char* name;
        std::string commandLine;
        bool haveInput;
        const char* error;
        bool logged;
    };
    const Case cases[] = {
        {"missing input", kMp3Line, false, "cannot open the input file \"D:\\a\\film.ac3\"", true},
        {"unknown group after -core(",
         "BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\o.mp3\" -logfile \"C:\\s.log\" )-boost( 3 )",
         true, "unknown option group -boost(", true},
        {"unbalanced -core(", "BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\o.mp3\" -logfile \"C:\\s.log\"",
         true, "-core( is not closed with ')'", false},
        {"a day of 320 kbit/s MP3",
         "BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\o.mp3\" -logfile \"C:\\s.log\" ) -lame( -b 320 )",
         true, "\"D:\\o.mp3\" would be 3456001440 bytes, more than the 1073741824 a stand-in writes", true},
        {"output of no known kind",
         "BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\o.ogg\" -logfile \"C:\\s.log\" )", true,
         "no encoder for the output \"D:\\o.ogg\" (MP3 or WAV only)", true},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        if (c.haveInput) files.files["D:\\a\\film.ac3"] = "a";
        TraceRecord trace;
        EXPECT_FALSE(RunBesweet(c.commandLine, 86400, files, trace)) << c.name;
        EXPECT_EQ(trace.Value("error"), c.error) << c.name;
        const std::size_t expectedFiles = (c.haveInput ? 1u : 0u) + (c.logged ? 1u : 0u);
        EXPECT_EQ(files.files.size(), expectedFiles) << c.name;
        if (!c.logged) continue;
        const std::string& log = files.files.begin()->first.starts_with("C:") ? files.files.begin()->second
                                                                              : files.files.rbegin()->second;
        EXPECT_NE(log.find("\r\nError: " + std::string(c.error) + "\r\nNothing was converted\r\n"), std::string::npos)
            << c.name << ": " << log;
    }
}
