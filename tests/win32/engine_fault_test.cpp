// Faults put into real runs of Marobex with its engine and the real FFmpeg
// for Windows: FFmpeg killed in the middle of a pass (with exit status 0, as
// a kill gives it under Wine), the engine killed in the middle of a pass, and
// a target left by an earlier run while the engine cannot work. None of them
// may end as done, leave a partial file, or leave an FFmpeg running.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>

#include "../win32/win32_test_support.h"

namespace {

using mb::testing::FfmpegDir;

// The processes of this Wine session named so ("ffmpeg.exe").
std::vector<DWORD> ProcessesNamed(const char* name) {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry))
        if (lstrcmpiA(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

bool Kill(DWORD id, UINT exitCode) {
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (h == nullptr) return false;
    const bool done = TerminateProcess(h, exitCode) && WaitForSingleObject(h, 5000) == WAIT_OBJECT_0;
    CloseHandle(h);
    return done;
}

std::int64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class EngineFaults : public ::testing::Test {
protected:
    void SetUp() override {
        MAROBEX_SKIP_WITHOUT_FFMPEG();
        // The engine alone in the folder: it finds FFmpeg only where the
        // test names it in Marobex.ini.
        engine_ = dir_ / "marobex-engine.exe";
        ASSERT_TRUE(CopyFileA(mb::testing::TestProgram("marobex-engine.exe").c_str(), engine_.c_str(), FALSE));
    }
    void UseFfmpeg() {
        ASSERT_TRUE(mb::testing::WriteWholeFile(dir_ / "Marobex.ini", "[PATH]\r\nFFMPEGPATH=" + FfmpegDir() + "\\ffmpeg.exe\r\n"));
    }
    // A 60 s 320 x 240 source that FFmpeg made: 1500 frames.
    void MakeSource() {
        const auto made = mb::testing::RunProgram(FfmpegDir() + "\\ffmpeg.exe -hide_banner -nostdin -v error -f lavfi -i "
                                                  "testsrc=size=320x240:rate=25:duration=60 -c:v mpeg4 -q:v 3 -y " +
                                                      dir_ / "film.avi",
                                                  dir_.path(), 120000);
        ASSERT_EQ(made.exitCode, 0u) << made.err;
    }
    // The job: one XviD pass of the source to film_out.avi, the engine as VirtualDub.
    std::string Job() {
        const std::string job = dir_ / "job.ini";
        EXPECT_TRUE(mb::testing::WriteWholeFile(job, "[Paths]\r\nSourceFilePath=" + dir_ / "film.avi" +
                                                      "\r\nTargetFilePath=" + target_ + "\r\n[Settings]\r\nOptCodec=2\r\n"
                                                      "CmbNumPass=0\r\nTxtBrX=900\r\n[Tools]\r\nVirtualDubPath=" + engine_ + "\r\n"));
        return mb::testing::Cli("\"" + job + "\"");
    }
    // Starts the console runner on the job, waits until FFmpeg has written
    // part of the pass, ends the process named so as a kill would, and waits
    // for the runner. Its exit status, and its output in out.
    DWORD KillMidPass(const char* victim, UINT exitCode, std::string& out) {
        const std::string outPath = dir_ / "cli.txt";
        HANDLE file = mb::testing::InheritedFile(outPath);
        HANDLE cli = mb::testing::StartCommand(Job(), file);
        bool killed = false;
        for (int i = 0; i < 6000 && cli && !killed && WaitForSingleObject(cli, 10) == WAIT_TIMEOUT; ++i)
            if (SizeOf(target_ + ".part") > 64 * 1024)
                for (DWORD id : ProcessesNamed(victim)) killed = Kill(id, exitCode) || killed;
        EXPECT_TRUE(killed) << "the pass ended before " << victim << " could be killed";
        const DWORD code = mb::testing::WaitForExit(cli, 120000);
        CloseHandle(file);
        out = mb::testing::ReadWholeFile(outPath);
        return code;
    }

    mb::testing::EnvironmentSet timeout_{"MAROBEX_PRIORITY_TIMEOUT_MS", "1500"};
    mb::testing::ScratchFolder dir_{"C:\\marobex_engine_faults"};
    std::string engine_;
    std::string target_ = dir_ / "film_out.avi";
};

// FFmpeg killed (exit status 0, as a kill gives it under Wine) fails the
// step with where it stopped; the engine killed takes FFmpeg with it (the
// job object). Neither leaves a target, whole or partial.
TEST_F(EngineFaults, FfmpegOrTheEngineKilledInThePassIsNeverDone) {
    UseFfmpeg();
    MakeSource();
    const struct {
        const char* victim;
        UINT exitCode;
        std::string why, tail, engineLog;
    } kills[] = {
        {"ffmpeg.exe", 0, "FFmpeg ended before the end of the pass (killed or crashed) at frame ", " of 1500 <<",
         "result: failed: FFmpeg ended before the end of the pass"},
        {"marobex-engine.exe", 1, "the engine ended with exit code 1 <<", "", ""},
    };
    for (const auto& kill : kills) {
        SCOPED_TRACE(kill.victim);
        std::string out;
        EXPECT_EQ(KillMidPass(kill.victim, kill.exitCode, out), 3u) << out;  // a step failed
        EXPECT_EQ(out.find("FINISH"), std::string::npos) << out;
        EXPECT_NE(out.find("log:  >> First Pass FAILED : " + target_ + " was not written: " + kill.why), std::string::npos)
            << out;
        EXPECT_NE(out.find(kill.tail), std::string::npos) << out;
        const std::string log = mb::testing::ReadWholeFile(target_ + ".log");
        EXPECT_NE(log.find(kill.engineLog), std::string::npos) << log;
        bool ffmpegGone = false;
        for (int i = 0; i < 100 && !ffmpegGone; ++i, Sleep(50)) ffmpegGone = ProcessesNamed("ffmpeg.exe").empty();
        EXPECT_TRUE(ffmpegGone);
        EXPECT_EQ(SizeOf(target_), -1);
        EXPECT_EQ(SizeOf(target_ + ".part"), -1);
    }
}

TEST_F(EngineFaults, ATargetLeftByAnEarlierRunDoesNotCount) {
    // No Marobex.ini and no FFmpeg on the PATH: the engine cannot work.
    ASSERT_TRUE(mb::testing::WriteWholeFile(dir_ / "film.avi", "source"));
    const std::string earlier(30 * 1024, 'x');
    ASSERT_TRUE(mb::testing::WriteWholeFile(target_, earlier));
    const auto cli = mb::testing::RunProgram(Job(), dir_.path(), 120000);
    EXPECT_EQ(cli.exitCode, 3u) << cli.out << cli.err;
    EXPECT_EQ(cli.out.find("FINISH"), std::string::npos) << cli.out;
    EXPECT_NE(cli.out.find("log:  >> First Pass FAILED : " + target_ + " was not written: FFmpeg not found: put "
                           "ffmpeg.exe beside marobex-engine.exe"),
              std::string::npos)
        << cli.out;
    EXPECT_NE(cli.err.find("message: The encoding failed at the step \"First Pass\": " + target_ +
                           " was not written: FFmpeg not found"),
              std::string::npos)
        << cli.err;
    EXPECT_EQ(mb::testing::ReadWholeFile(target_), earlier);  // the user's file stays as it was
}

}  // namespace

namespace {

TEST(EngineAbort, TheEngineStoppedByItsAbortStopsTheRun) {
    // Known as the engine by its version resource; ends with the engine's
    // exit status of an Abort.
    mb::testing::ScratchFolder dir("C:\\marobex_engine_abort");
    const mb::testing::EnvironmentSet timeout("MAROBEX_PRIORITY_TIMEOUT_MS", "1500");
    const std::string engine = mb::testing::TestProgram("aborted_engine.exe");
    ASSERT_TRUE(mb::testing::WriteWholeFile(dir / "film.avs", "source"));
    ASSERT_TRUE(mb::testing::WriteWholeFile(
        dir / "job.ini", "[Paths]\r\nSourceFilePath=" + dir / "film.avs" + "\r\nTargetFilePath=" + dir / "film.avi" +
                             "\r\n[Settings]\r\nOptCodec=2\r\nCmbNumPass=1\r\n[Tools]\r\nVirtualDubPath=" +
                             engine + "\r\n"));
    const auto cli = mb::testing::RunProgram(mb::testing::Cli("\"" + dir / "job.ini" + "\""), dir.path());
    EXPECT_EQ(cli.exitCode, 1u) << cli.out << cli.err;
    EXPECT_NE(cli.out.find("log:  >> Encoding stopped: aborted in " + engine + " <<"), std::string::npos) << cli.out;
    EXPECT_EQ(cli.out.find("FAILED"), std::string::npos) << cli.out;
    EXPECT_EQ(cli.out.find("jobpass2.vcf"), std::string::npos) << cli.out;  // no later step
    EXPECT_NE(cli.err.find("message: The encoding was stopped: aborted in " + engine + "."), std::string::npos) << cli.err;
}

}  // namespace
