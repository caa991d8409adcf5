// Saved jobs run for real by marobex-cli.exe against the engine's simulation
// of VirtualDub, Nandub and BeSweet: every golden job that goes through does
// what its dry run prints, each program finishes its part (a three-pass job
// with a third pass at the bitrate its second pass leaves room for), and
// the queue is the expected one; the demonstration's sample goes through as
// a new user's; one run at a time; Nandub's welcome.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/media_files.h"
#include "fakes/fakes.h"
#include "simulation.h"
#include "win32_test_support.h"

using namespace mb;
using mb::testing::TraceRecord;
using mb::fakes::Lines;
using mb::fakes::SplitLines;
using mb::testing::RunProgram;
using mb::testing::TestProgram;

namespace {

const std::string kJobs = std::string(MAROBEX_TEST_DATA) + "/jobs/";
const std::string kDir = "C:\\mbcli";

// The lines of standard output that begin with the prefix, without it.
Lines Tagged(const std::string& out, const std::string& prefix) {
    Lines picked;
    for (const std::string& l : SplitLines(out))
        if (l.rfind(prefix, 0) == 0) picked.push_back(l.substr(prefix.size()));
    return picked;
}

class RealRuns : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(kDir);
        for (const char* sub : {"", "\\out", "\\tmp", "\\sample"}) CreateDirectoryA((kDir + sub).c_str(), nullptr);
        AviShape avi;
        avi.width = 64, avi.height = 48, avi.frames = 10, avi.videoBytes = 10 * 64 * 48 * 3;
        for (const char* video : {"movie.avs", "movie.avi"}) mb::testing::WriteWholeFile(kDir + "\\" + video, AviBytes(avi));
        mb::testing::WriteWholeFile(kDir + "\\a.ac3", std::string(96000, '\x0B'));
        mb::testing::WriteWholeFile(kDir + "\\b.ac3", std::string(48000, '\x0B'));
        mb::testing::WriteWholeFile(kDir + "\\a.mpa", Mp3Bytes(48000, 192, 192, 2));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(kDir, ignored);
    }
    // Runs the job with the simulated programs as its tools; the records of the run.
    std::vector<TraceRecord> RunJob(const std::string& job, mb::testing::ProgramResult& result) {
        sim_.ClearTrace();
        const std::string path = kDir + "\\job.ini";
        mb::testing::WriteWholeFile(path, "[Tools]\r\nVirtualDubPath=" + sim_.Exe("VirtualDub.exe") +
                                           "\r\nNanDubPath=" + sim_.Exe("NanDub.exe") +
                                           "\r\nBesweetPath=" + sim_.Exe("BeSweet.exe") + "\r\n" + job);
        result = RunProgram(mb::testing::Cli(path), kDir);
        return sim_.Records();
    }
    // Each program did its whole job, on the command line the runner printed.
    static void ExpectDone(const std::vector<TraceRecord>& records, const std::string& out) {
        Lines commandLines;
        for (const TraceRecord& r : records) {
            commandLines.push_back(r.Value("command line"));
            EXPECT_EQ(r.Value("result"), "done") << r.Value("command line") << ": " << r.Value("error");
        }
        EXPECT_EQ(commandLines, Tagged(out, "run: "));
        EXPECT_NE(out.find("log:  Status Encoding : FINISH"), std::string::npos) << out;
    }
    mb::testing::Simulation sim_;
    mb::testing::EnvironmentSet timeout_{"MAROBEX_PRIORITY_TIMEOUT_MS", "200"};
};

}  // namespace

TEST_F(RealRuns, EveryGoldenJobThatGoesThrough) {
    int runs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kJobs)) {
        if (entry.path().extension() != ".ini") continue;
        const std::string expected = kJobs + "expected/" + entry.path().stem().string() + "/";
        const std::string out = fakes::ReadFile(expected + "stdout.txt");
        // Refused jobs start nothing; a job that shuts the machine down is left to the dry run.
        if (out.empty() || fakes::ReadFile(expected + "stderr.txt").find("chkShutdown") != std::string::npos) continue;
        SCOPED_TRACE(entry.path().stem().string());
        ++runs;
        mb::testing::ProgramResult result;
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\DivxNetworks\\DivX412Codec");
        const auto records = RunJob(fakes::ReadFile(entry.path().string()), result);
        // What the dry run prints as written to the registry is there.
        for (const std::string& value : Tagged(out, "registry: ")) {
            const std::size_t slash = value.rfind('\\'), equals = value.rfind(" = ");
            DWORD data = 0, size = sizeof data;
            EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, value.substr(0, slash).c_str(),
                                   value.substr(slash + 1, equals - slash - 1).c_str(), RRF_RT_REG_DWORD, nullptr, &data,
                                   &size), ERROR_SUCCESS) << value;
            EXPECT_EQ(std::to_string(data), value.substr(equals + 3)) << value;
        }
        EXPECT_EQ(result.exitCode, 0u) << result.err;
        // Standard error as in the dry run, but for the real run's progress,
        // which ends at 100%.
        Lines err = SplitLines(result.err), progress;
        for (auto it = err.begin(); it != err.end();)
            if (it->rfind("progress: ", 0) == 0) progress.push_back(*it), it = err.erase(it);
            else ++it;
        EXPECT_EQ(err, SplitLines(fakes::ReadFile(expected + "stderr.txt")));
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back().rfind("progress: 100% ", 0), 0u) << progress.back();
        EXPECT_EQ(Tagged(result.out, "queue: "), Tagged(out, "queue: "));
        ExpectDone(records, result.out);
        ASSERT_FALSE(records.empty());
        AviSummary avi;
        std::string problem;
        const std::string saved = records.back().Value("saved");
        ASSERT_FALSE(saved.empty());
        EXPECT_TRUE(ReadAvi(mb::testing::ReadWholeFile(saved.substr(0, saved.rfind(" ("))), avi, problem)) << problem;
    }
    EXPECT_GE(runs, 10);
}

TEST_F(RealRuns, TheDemonstrationsSample) {
    const std::string sample = kDir + "\\sample";
    ASSERT_EQ(mb::testing::RunCommand(TestProgram("testkit\\MakeDemoSample.exe") + " \"" + sample + "\""), 0u);
    mb::testing::ProgramResult result;
    const auto records = RunJob("[Paths]\r\nSourceFilePath=" + sample + "\\sample.avi\r\nStream1FilePath=" + sample +
                             "\\sample.ac3\r\n[Settings]\r\nCmbNumPass=1\r\n", result);
    ASSERT_EQ(records.size(), 4u) << result.out;
    ExpectDone(records, result.out);
    AviSummary muxed;
    std::string problem;
    ASSERT_TRUE(ReadAvi(mb::testing::ReadWholeFile(sample + "\\sample_1.avi"), muxed, problem)) << problem;
    EXPECT_EQ(muxed.streamInfo.size(), 2u);
}

// Two runs at once would overwrite each other's job scripts: the second is
// refused before it writes anything.
TEST_F(RealRuns, OneRunAtATime) {
    const std::string jobpass = "c:\\jobpass.vcf";
    const auto job = [&](const std::string& name, const std::string& target, const std::string& encoder,
                         bool dry = true) {
        const std::string path = kDir + "\\" + name;
        mb::testing::WriteWholeFile(path, "[Paths]\r\nSourceFilePath=" + kDir + "\\movie.avi\r\nTargetFilePath=" + target +
                                           "\r\n[Settings]\r\nOptCodec=0\r\n[Tools]\r\nVirtualDubPath=" + encoder + "\r\n");
        return mb::testing::Cli((dry ? "--dry-run \"" : "\"") + path + "\"");
    };
    const std::string dryRun = job("dry.ini", kDir + "\\out\\a.avi", sim_.Exe("VirtualDub.exe"));

    // A real run whose encoder takes a few seconds, and a second run meanwhile.
    DeleteFileA(jobpass.c_str());  // an earlier test's
    const std::string first = job("slow.ini", kDir + "\\out\\a.avi", TestProgram("sleeper.exe"), false);
    const mb::testing::EnvironmentSet sleep("MAROBEX_SLEEPER_MS", "4000");
    HANDLE nul = mb::testing::InheritedFile("NUL");
    HANDLE running = mb::testing::StartCommand(first, nul);
    ASSERT_NE(running, nullptr);
    for (int i = 0; i < 300 && !mb::testing::PathExists(jobpass); ++i) Sleep(100);
    const std::string written = mb::testing::ReadWholeFile(jobpass);

    const auto second = RunProgram(dryRun, kDir);
    EXPECT_EQ(WaitForSingleObject(running, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still running
    EXPECT_EQ(second.exitCode, 1u);
    EXPECT_EQ(SplitLines(second.err), Lines{"message: Another encoding run is in progress."});
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(mb::testing::ReadWholeFile(jobpass), written);

    EXPECT_NE(mb::testing::WaitForExit(running, 120000), ~0u);
    CloseHandle(nul);
    EXPECT_EQ(RunProgram(dryRun, kDir).exitCode, 0u);  // free again
}

// Nandub runs a job only once VirtualDub's welcome has been seen (Marobex
// sets it before every run): without it the simulation refuses, as Nandub
// would, and saves nothing.
TEST_F(RealRuns, NandubWithoutVirtualDubsWelcomeRefuses) {
    const std::string job = kDir + "\\job.vcf";
    mb::testing::WriteWholeFile(job, fakes::ReadFile(kJobs + "expected/divx3_2pass/jobpass1.vcf"));
    mb::testing::SetSeenWelcome(0);
    EXPECT_EQ(mb::testing::RunCommand(sim_.Exe("NanDub.exe") + " /r /x /s" + job), 1u);
    mb::testing::SetSeenWelcome(1);
    const auto records = sim_.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].Value("error").find("SeenWelcome"), std::string::npos) << records[0].Value("error");
}
