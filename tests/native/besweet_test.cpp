// BeSweet command lines of the two audio streams and the LAME options.
#include <gtest/gtest.h>

#include "jobs/besweet.h"

using namespace mb;

namespace {

// Both streams: MP3, CBR, 128 kbit/s, normalise off, amplification 2,
// 44 100 Hz off (the window's defaults), with the example's paths.
struct AudioSetup {
    EncodeSettings s;
    ProgramState st;
    AudioSetup() {
        st.BesweetPath = "C:\\bs\\BeSweet.exe";
        st.TempFolderPath = "D:\\tmp";
        st.Stream1FilePath = "D:\\a\\film.ac3";
        st.Stream2FilePath = "D:\\a\\film.ac3";
        s.OptAudioFormat1 = s.OptAudioFormat2 = 1;
        s.CmbMP3ModeStream1 = s.CmbMP3ModeStream2 = 0;
        s.CmbBitrate1 = s.CmbBitrate2 = 5;
        s.ChkNormaliseStream1 = s.ChkNormaliseStream2 = 0;
        s.SldAmpliStream1 = s.SldAmpliStream2 = 2;
        s.Chk44Stream1 = s.Chk44Stream2 = 0;
    }
};

const std::string kCore1 =
    "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.MP3\" "
    "-logfile \"C:\\Marobex_Stream1.log\" )";
const std::string kCore2 =
    "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream2.MP3\" "
    "-logfile \"C:\\Marobex_Stream2.log\" )";

}  // namespace

TEST(BesweetCommandLine, Mp3LinesOfBothStreams) {
    struct Case { int stream; void (*change)(AudioSetup&); std::string line; };
    const Case cases[] = {
        {1, [](AudioSetup&) {}, kCore1 + "-azid( -c normal -g 6 -L -2db ) -lame( -h -b 128 -m j )"},
        {2, [](AudioSetup&) {}, kCore2 + "-azid( -c normal -g 6 -L -2 ) -lame( -h -b 128 -m j )"},
        {1, [](AudioSetup& x) { x.s.ChkNormaliseStream1 = 1; },
         kCore1 + "-azid( -c normal -g max -L -2db ) -lame( -h -b 128 -m j )"},
        {2, [](AudioSetup& x) { x.s.ChkNormaliseStream2 = 1; },
         kCore2 + "-azid( -c normal -g max -L -2 ) -lame( -h -b 128 -m j )"},
        {1, [](AudioSetup& x) { x.s.SldAmpliStream1 = 0; },
         kCore1 + "-azid( -c normal -g 6 -L ) -lame( -h -b 128 -m j )"},
        {2, [](AudioSetup& x) { x.s.SldAmpliStream2 = 0; },
         kCore2 + "-azid( -c normal -g 6 -L ) -lame( -h -b 128 -m j )"},
        {1, [](AudioSetup& x) { x.s.SldAmpliStream1 = 4; },
         kCore1 + "-azid( -c normal -g 6 -L -4db ) -lame( -h -b 128 -m j )"},
        {1, [](AudioSetup& x) { x.s.Chk44Stream1 = 1; },
         kCore1 + "-azid( -c normal -g 6 -L -2db ) -ssrc( --rate 44100 ) -lame( -h -b 128 -m j )"},
        {2, [](AudioSetup& x) { x.s.Chk44Stream2 = 1; },
         kCore2 + "-azid( -c normal -g 6 -L -2 ) -ssrc( --rate 44100 ) -lame( -h -b 128 -m j )"},
        {1, [](AudioSetup& x) { x.s.CmbMP3ModeStream1 = 2; x.s.CmbBitrate1 = 0; },
         kCore1 +
             "-azid( -c normal -g 6 -L -2db ) -lame( -m s -q 0 -v --vbr-mtrh -V 0 -b 40 -B 64 "
             "--athtype 2 )"},
        // A rate mode or bitrate without an entry adds no LAME options.
        {1, [](AudioSetup& x) { x.s.CmbMP3ModeStream1 = -1; },
         kCore1 + "-azid( -c normal -g 6 -L -2db ) -lame( "},
        {2, [](AudioSetup& x) { x.s.CmbBitrate2 = 6; },
         kCore2 + "-azid( -c normal -g 6 -L -2 ) -lame( "},
    };
    for (const auto& c : cases) {
        AudioSetup x;
        c.change(x);
        EXPECT_EQ(BesweetCommandLine(c.stream, x.s, x.st), c.line);
    }
}

TEST(BesweetCommandLine, Mp2InputOnlyForLowerCaseMpa) {
    struct Case { std::string source; bool mp2; };
    const Case cases[] = {
        {"D:\\a\\film.mpa", true},
        {"D:\\a\\film.MPA", false},
        {"D:\\a\\film.Mpa", false},
        {"D:\\a\\film.mpa.ac3", false},
        {"D:\\a.mpa\\film", false},
        {"D:\\a\\film.mpa2", false},
        {"D:\\a\\filmmpa", false},
    };
    for (const auto& c : cases) {
        for (int stream : {1, 2}) {
            AudioSetup x;
            (stream == 1 ? x.st.Stream1FilePath : x.st.Stream2FilePath) = c.source;
            const std::string line = BesweetCommandLine(stream, x.s, x.st);
            EXPECT_NE(line.find("\"" + c.source + "\""), std::string::npos);
            const std::string tail =
                c.mp2 ? " -lame( --mp2input -h -b 128 -m j )" : " -lame( -h -b 128 -m j )";
            EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << c.source;
        }
    }
}

TEST(BesweetCommandLine, DivxAudioWavLines) {
    struct Case { int stream; int amp; int normalise; std::string line; };
    const Case cases[] = {
        {1, 2, 0,
         "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.WAV\" "
         "-2ch -logfile \"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -2 )"},
        {2, 3, 1,
         "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream2.WAV\" "
         "-2ch -logfile \"C:\\Marobex_Stream2.log\" )-azid( -c normal -g max -L -3 )"},
        {1, 0, 0,
         "C:\\bs\\BeSweet.exe -core( -input \"D:\\a\\film.ac3\" -output \"D:\\tmp\\Stream1.WAV\" "
         "-2ch -logfile \"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L )"},
    };
    for (const auto& c : cases) {
        AudioSetup x;
        // 44 100 Hz is forced on for this format and adds nothing.
        x.s.OptAudioFormat1 = x.s.OptAudioFormat2 = 3;
        x.s.Chk44Stream1 = x.s.Chk44Stream2 = 1;
        x.s.SldAmpliStream1 = x.s.SldAmpliStream2 = c.amp;
        x.s.ChkNormaliseStream1 = x.s.ChkNormaliseStream2 = c.normalise;
        x.st.Stream1FilePath = x.st.Stream2FilePath = "D:\\a\\film.ac3";
        EXPECT_EQ(BesweetCommandLine(c.stream, x.s, x.st), c.line);
    }
}

TEST(BesweetCommandLine, AC3AndOggRunNothing) {
    for (int format : {0, 2, -1}) {
        AudioSetup x;
        x.s.OptAudioFormat1 = x.s.OptAudioFormat2 = format;
        EXPECT_EQ(BesweetCommandLine(1, x.s, x.st), "") << format;
        EXPECT_EQ(BesweetCommandLine(2, x.s, x.st), "") << format;
    }
    AudioSetup x;
    EXPECT_EQ(BesweetCommandLine(0, x.s, x.st), "");
    EXPECT_EQ(BesweetCommandLine(3, x.s, x.st), "");
}

TEST(BesweetCommandLine, EachStreamReadsOnlyItsOwnSettings) {
    AudioSetup x;
    x.st.Stream1FilePath = "D:\\one.mpa";
    x.st.Stream2FilePath = "D:\\two.ac3";
    x.s.CmbMP3ModeStream1 = 1;
    x.s.CmbBitrate1 = 0;
    x.s.SldAmpliStream1 = 0;
    x.s.ChkNormaliseStream1 = 1;
    x.s.Chk44Stream1 = 1;
    x.s.CmbMP3ModeStream2 = 2;
    x.s.CmbBitrate2 = 3;
    x.s.SldAmpliStream2 = 1;
    EXPECT_EQ(BesweetCommandLine(1, x.s, x.st),
              "C:\\bs\\BeSweet.exe -core( -input \"D:\\one.mpa\" -output \"D:\\tmp\\Stream1.MP3\" "
              "-logfile \"C:\\Marobex_Stream1.log\" )-azid( -c normal -g max -L ) -ssrc( --rate "
              "44100 ) -lame( --mp2input --alt-preset 56 )");
    EXPECT_EQ(BesweetCommandLine(2, x.s, x.st),
              "C:\\bs\\BeSweet.exe -core( -input \"D:\\two.ac3\" -output \"D:\\tmp\\Stream2.MP3\" "
              "-logfile \"C:\\Marobex_Stream2.log\" )-azid( -c normal -g 6 -L -1 ) -lame( -m s -q 0 "
              "-v --vbr-mtrh -V 0 -b 80 -B 112 --athtype 2 )");
}

TEST(LameOptions, EveryCellOfTheTable) {
    // rows: bitrate entries 56, 64, 80, 96, 112, 128; columns: CBR, ABR, VBR
    const char* const table[6][3] = {
        {"-h -b 56 -m j )", "--alt-preset 56 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 40 -B 64 --athtype 2 )"},
        {"-h -b 64 -m j )", "--alt-preset 64 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 56 -B 80 --athtype 2 )"},
        {"-h -b 80 -m j )", "--abr 80 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 64 -B 96 --athtype 2 )"},
        {"-h -b 96 -m j )", "--abr 96 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 80 -B 112 --athtype 2 )"},
        {"-h -b 112 -m j )", "--abr 112 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 96 -B 128 --athtype 2 )"},
        {"-h -b 128 -m j )", "--abr 128 -mj -h -b32 -Z --lowpass 19.5 )",
         "-m s -q 0 -v --vbr-mtrh -V 0 -b 112 -B 144 --athtype 2 )"},
    };
    for (int bitrate = 0; bitrate < 6; ++bitrate)
        for (int mode = 0; mode < 3; ++mode)
            EXPECT_EQ(LameOptions(mode, bitrate), table[bitrate][mode]) << mode << "," << bitrate;

    for (auto [mode, bitrate] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 6}, {2, 6}})
        EXPECT_EQ(LameOptions(mode, bitrate), "") << mode << "," << bitrate;
}
