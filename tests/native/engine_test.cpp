// The encoding engine's portable part: the golden jobs' scripts and command
// lines Marobex writes, turned into FFmpeg runs; FFmpeg's progress and error
// output read; FFmpeg found where the user put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "codecstate/codec_state_reader.h"
#include "engine_plan.h"
#include "env/codec_detection.h"
#include "env/engine_paths.h"
#include "fakes/fakes.h"
#include "jobs/source_facts.h"
#include "ffmpeg_progress.h"
#include "media_files.h"

using namespace mb;
using namespace mb::engine;
using mb::fakes::World;

namespace {

std::string Golden(const std::string& name) {
    return mb::fakes::ReadFile(std::string(MAROBEX_TEST_DATA) + "/jobs/expected/" + name);
}

// The args of all FFmpeg runs of a plan, each run as one line.
std::vector<std::string> Runs(const EnginePlan& plan) {
    std::vector<std::string> out;
    for (const PlanStep& s : plan.steps) {
        if (s.kind == StepKind::Ffmpeg) out.push_back(CommandLineOf("ffmpeg", s.run.args));
        if (s.kind == StepKind::Move) out.push_back("move " + s.path + " -> " + s.to);
        if (s.kind == StepKind::Copy) out.push_back("copy " + s.path + " -> " + s.to);
    }
    return out;
}

struct Fixture {
    std::map<std::string, std::string> files;
    PlanOutcome Plan(const std::string& arguments, EngineRole role = EngineRole::Any) {
        return PlanCommandLine(
            arguments, role, [&](const std::string& p) {
                return files.count(p) > 0 || (p.rfind("C:\\mbcli\\", 0) == 0 && !p.ends_with(".log")) ||
                       (firstPassesRan && p.ends_with("_passlog-0.log"));
            },
            [&](const std::string& p) -> std::optional<std::string> {
                auto it = files.find(p);
                if (it == files.end()) return std::nullopt;
                return it->second;
            },
            [&](const std::string& p) -> std::optional<std::string> {
                if (!clip || p.rfind("C:\\mbcli\\movie.av", 0) != 0) return std::nullopt;
                return AviBytes(*clip);
            });
    }
    // The sources' header, when the plan may know their length.
    std::optional<AviShape> clip;
    bool firstPassesRan = false;  // their statistics are there
};

}  // namespace

// Every program line of every golden job's run, as the engine plans it: the
// FFmpeg runs and file steps and the settings for the log (what is not
// applied among them), or why it refuses. The plans are kept beside the
// job's other expected files, in engine.txt; MAROBEX_UPDATE_GOLDEN=1 writes
// them anew from what the engine does now.
TEST(EnginePlan, EveryGoldenRunBecomesThePlanOfItsGoldenFile) {
    const std::string expected = std::string(MAROBEX_TEST_DATA) + "/jobs/expected/";
    int runs = 0;
    for (const auto& dir : std::filesystem::directory_iterator(expected)) {
        Fixture f;
        f.clip = AviShape{};
        f.clip->frames = 1500;  // a minute
        for (const auto& file : std::filesystem::directory_iterator(dir.path())) {
            std::string name = file.path().filename().string();
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            f.files["c:\\" + name] = mb::fakes::ReadFile(file.path().string());
        }
        f.files["C:\\Divx3stats.stats"] = f.files["C:\\fake.avi"] = "";
        f.firstPassesRan = true;
        std::string plans;
        for (const std::string& line : mb::fakes::SplitLines(mb::fakes::ReadFile(dir.path().string() + "/stdout.txt"))) {
            if (line.rfind("run: ", 0) != 0) continue;
            ++runs;
            const std::size_t args = std::min(line.find(" /r "), line.find(" -core("));
            const PlanOutcome out = f.Plan(line.substr(args), RoleOfProgram(line.substr(5, args - 5)));
            plans += line + "\n";
            if (!out.plan) plans += "  refused: " + out.problem + "\n";
            for (const std::string& run : out.plan ? Runs(*out.plan) : std::vector<std::string>{}) plans += "  " + run + "\n";
            for (const std::string& setting : out.plan ? out.plan->settings : std::vector<std::string>{})
                plans += "  setting: " + setting + "\n";
        }
        const std::string golden = dir.path().string() + "/engine.txt";
        if (std::getenv("MAROBEX_UPDATE_GOLDEN") && !plans.empty()) std::ofstream(golden, std::ios::binary) << plans;
        EXPECT_EQ(plans, mb::fakes::ReadFile(golden)) << golden;
    }
    EXPECT_GE(runs, 40);
}

// The engine's refusals, and the plan of a script without a codec, against
// tests/data/engine/refusals.txt: "== ROLE | SCRIPT" plans the job file of
// the script (escaped text, or "golden NAME [with OLD => NEW]" a golden job's
// file), "== ROLE | line ARGUMENTS" that command line.
TEST(EnginePlan, WhatItCannotDoSavesNothingAndSaysWhy) {
    const auto rows = mb::fakes::RecordedRows("engine/refusals.txt", [](const std::string& row) {
        const std::vector<std::string> steps = mb::fakes::SplitSteps(row);
        const std::map<std::string, EngineRole> roles = {{"any", EngineRole::Any},
                                                         {"VirtualDub", EngineRole::VirtualDub},
                                                         {"Nandub", EngineRole::Nandub},
                                                         {"BeSweet", EngineRole::BeSweet}};
        Fixture f;
        const std::string& script = steps[1];
        const std::size_t with = script.find(" with "), arrow = script.find(" => ");
        if (script.rfind("golden ", 0) == 0) {
            f.files["c:\\job.vcf"] = Golden(script.substr(7, with - 7));
            if (with != std::string::npos)
                f.files["c:\\job.vcf"].replace(f.files["c:\\job.vcf"].find(script.substr(with + 6, arrow - with - 6)),
                                                arrow - with - 6, script.substr(arrow + 4));
        } else if (script.rfind("line ", 0) != 0) {
            f.files["c:\\job.vcf"] = mb::fakes::Unescape(script);
        }
        const PlanOutcome out = f.Plan(script.rfind("line ", 0) == 0 ? script.substr(5) : " /r /x /sc:\\job.vcf", roles.at(steps[0]));
        std::string got = out.plan ? "" : "refused: " + out.problem + "\n";
        for (const std::string& run : out.plan ? Runs(*out.plan) : std::vector<std::string>{}) got += run + "\n";
        return got;
    });
    EXPECT_EQ(rows.got, rows.recorded);
    EXPECT_EQ(RoleOfProgram("Z:\\x\\NANDUB.EXE"), EngineRole::Nandub);
    EXPECT_EQ(RoleOfProgram("C:\\marobex-engine.exe"), EngineRole::Any);
}

// Normalised, the amplification goes into the gain that brings the peak to
// full scale: it would clip on top.
TEST(EnginePlan, TheGainOfANormalisedLineIsTheMeasuredOne) {
    Fixture f;
    const PlanOutcome out = f.Plan("-core( -input \"C:\\mbcli\\a.mpa\" -output \"C:\\mbcli\\Stream1.MP3\" -logfile \"C:\\l.log\" )"
                                   "-azid( -c normal -g max -L -2db ) -lame( -h -b 128 -m j )");
    ASSERT_TRUE(out.plan) << out.problem;
    EXPECT_EQ(out.plan->gainDb, 0);
    EXPECT_EQ(WithGain({"volume={gain}dB"}, 5.04), std::vector<std::string>{"volume=5dB"});
}

TEST(EngineProgress, ProgressAndErrorsAreReadFromTheirPipes) {
    ProgressReader reader;
    EXPECT_TRUE(reader.Feed("frame=120\nfps=31.5\ntotal_size=1048576\nout_time_ms=4800000\npro").empty());
    const auto blocks = reader.Feed("gress=continue\r\nframe=250\nout_time_ms=10000000\nprogress=end\n");
    ASSERT_EQ(blocks.size(), 2u);
    const StatusTexts t = DescribeProgress(blocks[0], 10.0, 25.0, 4.0);
    EXPECT_EQ(t.frames, "Frame 120 of 250");
    EXPECT_EQ(t.percent, "48 %");
    EXPECT_EQ(t.speed, "31.5 frames/s");
    EXPECT_EQ(t.size, "1,024 KB");
    EXPECT_EQ(t.remaining, "0:00:04");
    EXPECT_TRUE(blocks[1].end);
    EXPECT_EQ(DescribeProgress(blocks[1], 10.0, 25.0, 9.0).percentValue, 100);

    ErrorReader errors;
    errors.Feed("Input #0, avi, from 'C:\\a.avi':\n  Duration: 00:01:02.50, start: 0.000000, bitrate: 5 kb/s\n"
                "    Stream #0:0: Video: mpeg4 (FMP4 / 0x34504D46), yuv420p, 320x240, 25 fps, 25 tbr\n"
                "Input #1, ac3, from 'b.ac3':\n  Duration: 00:00:09.00\n[Parsed_volumedetect_0 @ 0] max_volume: -6.5 dB\n"
                "C:\\out.avi.part: No space left on device");
    errors.Finish();
    EXPECT_DOUBLE_EQ(errors.durationSeconds(), 62.5);
    EXPECT_DOUBLE_EQ(errors.framesPerSecond(), 25.0);
    EXPECT_DOUBLE_EQ(errors.maxVolumeDb(), -6.5);
    EXPECT_EQ(FailureLine(errors.lastLines(), 1, "C:\\a.avi", "E:\\out.avi.part"), "the disk E: is full");
    EXPECT_EQ(FailureLine({"C:\\in\\a.avs: Invalid data found when processing input"}, 1, "C:\\in\\a.avs"),
              "FFmpeg cannot read the AviSynth script \"C:\\in\\a.avs\": it needs AviSynth installed (and an FFmpeg "
              "built with it)");
    const std::deque<std::string> tight{"[mpeg4 @ 0] [lavc rc] Error: bitrate too low for this video with these parameters."};
    EXPECT_TRUE(QuantizerTooTight(tight, {"-qmin", "2", "-qmax", "12"}));
    EXPECT_EQ(WithoutMaxQuantizer({"-qmin", "2", "-qmax", "12", "-f"}), (std::vector<std::string>{"-qmin", "2", "-f"}));
    // A damaged source: the frames its header promises, the decoder's errors.
    ErrorReader damaged;
    damaged.Feed("Input #0, avi, from 'C:\\in.avi':\n  Duration: 00:00:20.00, start: 0.000000, bitrate: 5 kb/s\n"
                  "    Stream #0:0: Video: mpeg4, yuv420p, 320x240, 25 fps, 25 tbr\n"
                 "[mpeg4 @ 0x5581] concealing 300 DC, 300 AC, 300 MV errors in P frame\n"
                 "Error while decoding stream #0:0: Invalid data found when processing input\n");
    EXPECT_EQ(ExpectedFrames(damaged), 500);
    EXPECT_EQ(damaged.decodeErrors(), 2);
}

TEST(EnginePaths, FfmpegBesideTheEngineThenTheSettingsFileThenThePath) {
    World w;
    EXPECT_EQ(FindFfmpeg("C:\\M", "C:\\bin;\"C:\\ff mpeg\\\";", w, w), "");
    w.files["C:\\ff mpeg\\ffmpeg.exe"] = "";
    EXPECT_EQ(FindFfmpeg("C:\\M", "C:\\bin;\"C:\\ff mpeg\\\";", w, w), "C:\\ff mpeg\\ffmpeg.exe");
    w.files["C:\\M\\Marobex.ini"] = "";
    w.files["D:\\FFmpeg\\bin\\ffmpeg.exe"] = "";
    w.ini[World::Slot("PATH", "FFMPEGPATH", "C:\\M\\Marobex.ini")] = "D:\\FFmpeg\\bin";
    EXPECT_EQ(FindFfmpeg("C:\\M", "C:\\ff mpeg", w, w), "D:\\FFmpeg\\bin\\ffmpeg.exe");
    w.files["C:\\M\\ffmpeg.exe"] = "";
    EXPECT_EQ(FindFfmpeg("C:\\M", "C:\\ff mpeg", w, w), "C:\\M\\ffmpeg.exe");
}

TEST(EnginePaths, FirstStartAndCodecCheckKnowTheEngine) {
    World w;
    ProgramState state;
    state.ProgramFolder = "C:\\M";
    const std::string engine = "C:\\M\\marobex-engine.exe";
    w.files[engine] = "MZ";
    w.versions[engine] = "1.0.0.0";
    w.products[engine] = EngineProductName;
    // Without FFmpeg the paths stay empty.
    EXPECT_TRUE(DefaultToolPathsToEngine(state, "", w, w, w).empty());
    w.files["C:\\M\\ffmpeg.exe"] = "MZ";
    EXPECT_EQ(DefaultToolPathsToEngine(state, "", w, w, w),
              (std::vector<std::string>{"VirtualDub v1.0.0.\t\tFound", "NanDub\t\t\tFound", "BeSweet\t\t\tFound"}));
    EXPECT_EQ(state.BesweetPath, engine);

    // The engine's codecs, without Codec.exe, and nothing written anywhere.
    w.files["C:\\M\\Codec.exe"] = "MZ";
    w.events.clear();
    const CodecCheckResult found = RunCodecCheck(state, w, w, w);
    EXPECT_EQ(w.Events({"run", "start", "write", "registry"}), mb::fakes::Lines{});
    EXPECT_EQ(found.lines, EngineCodecLines());
    EXPECT_TRUE(found.divx4 && found.divx5Pro && found.xvid && found.divx3Low && found.listRead);
    EXPECT_FALSE(found.divx5);  // the Pro features stay on offer
    EXPECT_TRUE(state.DivxAudioCodecFound);

    // A settings file wins over the default.
    ProgramState later;
    later.ProgramFolder = "C:\\M";
    w.files["C:\\M\\Marobex.ini"] = "";
    EXPECT_TRUE(DefaultToolPathsToEngine(later, "", w, w, w).empty());
    EXPECT_EQ(later.VirtualDubPath, "");
}

// ---------------------------------------------------------------------------
// The one line that says why an FFmpeg run did not count (whether it counts:
// functions_test.cpp).

TEST(EngineResult, TheCauseIsFfmpegsLineThatStatesItNotItsHints) {
    const auto rows = mb::fakes::RecordedRows("engine/failures.txt", [](const std::string& row) {
        const std::vector<std::string> steps = mb::fakes::SplitSteps(row);
        return "cause: " + FailureLine({steps.begin() + 1, steps.end()}, 1, "C:\\in\\movie.avi", steps[0]) + "\n";
    });
    EXPECT_EQ(rows.got, rows.recorded);
}
