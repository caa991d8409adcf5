// Whole runs with Marobex's engine as VirtualDub, Nandub and BeSweet and the
// real FFmpeg for Windows (build/ffmpeg/ffmpeg.exe, which
// scripts/install-deps.sh fetches): the console runner encodes a source that
// FFmpeg made, and every target is a playable AVI with the codec's fourcc,
// the source's length, the audio asked for and about the bitrate aimed at.
// The console follows each real run on standard error, and the size the
// codec panel's label gives for the job is the muxed target's; a two-pass
// XviD lands on its desired size. Slow: six runs of several FFmpeg passes each.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../win32/win32_test_support.h"
#include "codecstate/codec_state_reader.h"
#include "jobs/source_facts.h"
#include "run/step_watch_win32.h"
#include "engine/job_script.h"
#include "engine/media_files.h"

namespace {

using namespace mb;

// A console program with its output in files of the folder; ten minutes at most.
mb::testing::ProgramResult RunConsole(const std::string& commandLine, const std::string& folder) {
    return mb::testing::RunProgram(commandLine, folder, 600000);
}

std::string Fourcc(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// The bitrate a pass's job aimed at, from the codec state it hands over.
double AimOfJob(const std::string& jobFile) {
    const JobScriptReading job = ReadJobScript(mb::testing::ReadWholeFile(jobFile), ScriptDialect::VirtualDub);
    for (const ScriptStatement& st : job.statements)
        if (st.method == "SetCompData") {
            std::string problem;
            const auto s = ReadCodecSettings(st.args[0].number, st.args[1].text, problem);
            return s ? s->bitsPerSecond : 0;
        }
    return 0;
}

// The run's percents in the console's progress lines, which must each have
// the line's form.
std::vector<int> ProgressPercents(const std::string& err) {
    std::vector<int> percents;
    std::size_t at = 0;
    while ((at = err.find("progress: ", at)) != std::string::npos) {
        const std::size_t end = err.find('\n', at);
        const std::string line = err.substr(at, end - at);
        EXPECT_NE(line.find(" left"), std::string::npos) << line;
        percents.push_back(std::atoi(line.c_str() + 10));
        at = end;
    }
    return percents;
}

struct Expect {
    const char* name;
    std::string settings;            // the [Settings] section's lines
    bool stream2 = false;
    std::string fourcc;
    std::vector<std::uint16_t> audio;  // format tags of the audio streams, in order
    double aimBitsPerSecond = 0;     // 0: the third pass's, from its job; -1: the desired size's
    mb::AudioShare audio1, audio2;   // what the size label counts for the audio
};

class EngineEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { MAROBEX_SKIP_WITHOUT_FFMPEG(); }

    std::string Ffmpeg(const std::string& args) {
        return mb::testing::Ffmpeg() + " -hide_banner -nostdin -v error " + args;
    }
    // The engine finds FFmpeg on the PATH it inherits through the runner.
    mb::testing::FfmpegOnPath onPath_;
    mb::testing::EnvironmentSet timeout_{"MAROBEX_PRIORITY_TIMEOUT_MS", "1500"};
};

TEST_F(EngineEndToEnd, SixRunsGivePlayableAvisWithTheCodecsAudioAndSizeAsked) {
    mb::testing::ScratchFolder dir("C:\\marobex_engine_e2e");
    const std::string d = dir.path();
    // 10 s at 320 x 240 with an AC3 and an MPEG audio track, made by FFmpeg;
    // the audio tracks taken out as the stream files Marobex converts.
    const mb::testing::ProgramResult make = RunConsole(
        Ffmpeg("-f lavfi -i testsrc2=size=320x240:rate=25:duration=10,noise=alls=12:allf=t -f lavfi -i "
               "sine=frequency=440:duration=10:sample_rate=48000 -f lavfi -i sine=frequency=330:duration=10:sample_rate=48000 "
               "-map 0 -map 1 -map 2 -c:v mpeg4 -q:v 2 -c:a:0 ac3 -ac:a:0 2 -c:a:1 mp2 -ac:a:1 2 -y " + d + "\\film.avi"),
        d);
    ASSERT_EQ(make.exitCode, 0u) << make.err;
    ASSERT_EQ(RunConsole(Ffmpeg("-i " + d + "\\film.avi -map 0:a:0 -c copy -y " + d + "\\film.ac3"), d).exitCode, 0u);
    ASSERT_EQ(RunConsole(Ffmpeg("-i " + d + "\\film.avi -map 0:a:1 -c copy -f mp2 -y " + d + "\\film.mpa"), d).exitCode, 0u);

    const std::string engine = mb::testing::TestProgram("marobex-engine.exe");
    const Expect runs[] = {
        {"divx5_2pass_mp3", "OptCodec=0\r\nCmbNumPass=1\r\ntxtBr=780\r\nOptAudioFormat1=1\r\nChkMux=1\r\n", false,
         "DX50", {0x55}, 780000, {128000 / 8.0, 0}},
        {"xvid_1pass", "OptCodec=2\r\nCmbNumPass=0\r\nTxtBrX=900\r\n", false, "XVID", {}, 900000, {}},
        {"divx3_2pass_ac3", "OptCodec=3\r\nTxtBit3=910\r\nOptAudioFormat1=0\r\nChkMux=1\r\n", false, "DIV3", {0x2000},
         910000},
        {"divx4_3pass", "OptCodec=1\r\nCmbNumPass=1\r\nTxtBr4=780\r\nChkDivx4Pass3=1\r\nTxtDivx4Size=800\r\n", false,
         "DIVX", {}, 0},
        {"two_streams_mp3_wma",
         "OptCodec=0\r\nCmbNumPass=0\r\ntxtBr=780\r\nOptAudioFormat1=1\r\nChkStream2=1\r\nOptAudioFormat2=3\r\nChkMux=1\r\n",
         true, "DX50", {0x55, 0x161}, 780000, {128000 / 8.0, 0}, {64000 / 8.0, 0}},
        // XviD in two passes aims at the desired size, not at its bit rate box.
        {"xvid_2pass_size", "OptCodec=2\r\nCmbNumPass=1\r\nTxtBrX=900\r\nTxtSize=700\r\n", false, "XVID", {}, -1},
    };
    for (const Expect& run : runs) {
        SCOPED_TRACE(run.name);
        const std::string target = d + "\\" + run.name + ".avi";
        const std::string job = d + "\\" + run.name + ".ini";
        std::string paths = "[Paths]\r\nSourceFilePath=" + d + "\\film.avi\r\nTargetFilePath=" + target +
                            "\r\nTempFolderPath=" + d + "\r\n";
        if (!run.audio.empty()) paths += "Stream1FilePath=" + d + "\\film.ac3\r\n";
        if (run.stream2) paths += "Stream2FilePath=" + d + "\\film.mpa\r\n";
        ASSERT_TRUE(mb::testing::WriteWholeFile(job, paths + "[Settings]\r\n" + run.settings + "[Tools]\r\nVirtualDubPath=" +
                                                      engine + "\r\nNanDubPath=" + engine + "\r\nBesweetPath=" + engine + "\r\n"));
        const mb::testing::ProgramResult cli = RunConsole(mb::testing::Cli("\"" + job + "\""), d);
        ASSERT_EQ(cli.exitCode, 0u) << cli.err;

        // Marobex's log: the real size of the video it made (before the
        // mux, when there is one), and the end of the run.
        const std::string bytes = mb::testing::ReadWholeFile(target);
        ASSERT_FALSE(bytes.empty()) << cli.out;
        const std::string videoFile = run.audio.empty() ? bytes : mb::testing::ReadWholeFile(d + "\\" + run.name + "_temp.avi");
        EXPECT_NE(cli.out.find("log:  Final Size File : " + std::to_string(videoFile.size() / 1024) + " Kbt"), std::string::npos)
            << cli.out;
        EXPECT_NE(cli.out.find("log:  Status Encoding : FINISH"), std::string::npos) << cli.out;
        // Progress on standard error only, never going back, 100% last.
        EXPECT_EQ(cli.out.find("progress: "), std::string::npos);
        const std::vector<int> percents = ProgressPercents(cli.err);
        ASSERT_FALSE(percents.empty()) << cli.err;
        for (std::size_t i = 1; i < percents.size(); ++i) EXPECT_LE(percents[i - 1], percents[i]) << cli.err;
        EXPECT_EQ(percents.back(), 100) << cli.err;

        AviSummary avi;
        std::string problem;
        ASSERT_TRUE(ReadAvi(bytes, avi, problem)) << problem;
        ASSERT_EQ(avi.streamInfo.size(), 1 + run.audio.size());
        const AviStreamInfo& video = avi.streamInfo[0];
        EXPECT_EQ(video.type, "vids");
        EXPECT_EQ(Fourcc(video.handler), run.fourcc);
        EXPECT_EQ(Fourcc(video.compression), run.fourcc);
        const double seconds = video.rate > 0 ? static_cast<double>(video.length) * video.scale / video.rate : 0;
        EXPECT_NEAR(seconds, 10.0, 0.1);
        for (std::size_t i = 0; i < run.audio.size(); ++i) {
            EXPECT_EQ(avi.streamInfo[1 + i].type, "auds");
            EXPECT_EQ(avi.streamInfo[1 + i].audio.formatTag, run.audio[i]) << "audio stream " << i + 1;
        }
        if (run.aimBitsPerSecond < 0) {
            // 700 KB less FFmpeg's AVI headers and 24.5 bytes a frame of chunk headers and index.
            const double bytesAimed = 700.0 * 1024 - 5762 - 24.5 * 250;
            EXPECT_NEAR(static_cast<double>(video.indexedBytes), bytesAimed, bytesAimed * 0.02) << "desired size";
        }
        const double aim = run.aimBitsPerSecond > 0 ? run.aimBitsPerSecond : AimOfJob("c:\\jobpass3.vcf");
        const double bitrate = seconds > 0 ? video.indexedBytes * 8 / seconds : 0;
        if (run.aimBitsPerSecond >= 0) EXPECT_NEAR(bitrate, aim, aim * 0.15) << "video bitrate";
        // The codec panel's label for the bitrate: the muxed target's size,
        // within 3 % once the encoder's own miss of its aim is put aside
        // (the audio and the container are the label's to foresee).
        if (run.aimBitsPerSecond > 0) {
            const AudioShare ac3{0, static_cast<std::int64_t>(mb::testing::ReadWholeFile(d + "\\film.ac3").size())};
            const double label = TargetBytesForBitrate(aim / 1000, ReadSourceFacts(d + "\\film.avi"),
                                                       run.fourcc == "DIV3" ? ac3 : run.audio1, run.audio2);
            const double miss = static_cast<double>(video.indexedBytes) - aim / 8 * seconds;
            EXPECT_NEAR(label + miss, static_cast<double>(bytes.size()), bytes.size() * 0.03) << "size label";
        }

        // Playable: FFmpeg decodes every stream without a complaint.
        const mb::testing::ProgramResult decode = RunConsole(Ffmpeg("-i " + target + " -map 0 -f null -"), d);
        EXPECT_EQ(decode.exitCode, 0u);
        EXPECT_EQ(decode.err, "");
    }
}

}  // namespace
