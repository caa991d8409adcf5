// marobex-cli against the real file system, profile routines and registry:
// a dry run of a saved job for each codec and pass count prints the expected
// lines and leaves the expected job files byte for byte in c:\; the program
// itself, started as a process, exits with the documented statuses and never
// crashes on a bad job file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "env/saved_job_win32.h"
#include "env/files_win32.h"
#include "env/profile_win32.h"
#include "jobs/fakeavi_win32.h"
#include "jobs/job_scripts.h"
#include "run/console_run.h"
#include "win32_test_support.h"

using namespace mb;
using mb::testing::PathExists;
using mb::testing::ReadWholeFile;
using mb::testing::ScratchFolder;
using mb::testing::TestProgram;
using mb::testing::TestProgramFolder;
using mb::testing::WriteWholeFile;

namespace {

using Lines = std::vector<std::string>;

const std::string kJobs = std::string(MAROBEX_TEST_DATA) + "/jobs/";
// Every file a run can leave in the root of drive C.
const char* const kRunFiles[] = {"jobpass.vcf",  "jobpass1.vcf", "jobpass2.vcf", "jobpass3.vcf",
                                 "wav2wma.vcf", "AudioMux.vcf", "fake.avi"};
const char kDivx412Key[] = "Software\\DivxNetworks\\DivX412Codec";

struct Recorder : ProcessPort, RegistryPort, ShutdownPort {
    Lines calls;
    void ShellAndWait(const std::string& line, int) override { calls.push_back("run " + line); }
    void StartProcess(const std::string& line, int) override { calls.push_back("start " + line); }
    void SetRegistryDword(const std::string& key, const std::string& name, std::int32_t) override {
        calls.push_back("registry " + key + "\\" + name);
    }
    void DeleteRegistryKey(const std::string& key) override { calls.push_back("delete " + key); }
    bool ShutdownSystem(std::int32_t) override {
        calls.push_back("shutdown");
        return true;
    }
};

struct FixedClock : ClockPort {
    std::int64_t NowSeconds() override { return 5000; }
};

struct FixedSystem : SystemInfoPort {
    void GetOsVersionInfo(OsVersionInfo& info) override { info = {2, "Windows XP", "5.1", "Service Pack 1", "2600"}; }
};

Lines SplitLines(std::string text) {
    Lines lines;
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

void DeleteRunFiles() {
    for (const char* name : kRunFiles) DeleteFileA((std::string("c:\\") + name).c_str());
}

// C:\mbcli with the inputs the saved jobs name, and Marobex.ini with the
// three tool paths.
class CliTest : public ::testing::Test {
protected:
    ScratchFolder folder{"C:\\mbcli"};

    void SetUp() override {
        for (const char* input : {"movie.avs", "movie.avi", "a.ac3", "a.mpa", "b.ac3"})
            ASSERT_TRUE(WriteWholeFile(folder / input, "input"));
        const std::string ini = folder / "Marobex.ini";
        WriteIniValue("PATH", "VirtualDubPath", "C:\\Tools\\VirtualDub.exe", ini);
        WriteIniValue("PATH", "NanDubPath", "C:\\Tools\\NanDub.exe", ini);
        WriteIniValue("PATH", "BesweetPath", "C:\\Tools\\BeSweet.exe", ini);
        DeleteRunFiles();
        RegDeleteKeyA(HKEY_CURRENT_USER, kDivx412Key);
    }
    void TearDown() override {
        DeleteRunFiles();
        RegDeleteKeyA(HKEY_CURRENT_USER, kDivx412Key);
    }

    // The runner in this process: real files and profile routines, the
    // program folder C:\mbcli, a clock that stands still.
    int RunInProcess(const Lines& args, std::string& out, std::string& err,
                     const std::string& programFolder = "C:\\mbcli") {
        std::ostringstream o, e;
        FilesW32 files;
        ProfileW32 profile;
        FixedClock clock;
        FixedSystem system;
        CliEnvironment env{o,     e,      recorder, recorder, files,
                           profile, clock, recorder, system,   NumberFormat{},
                           LoadFakeAviResource(), programFolder, OpenJobFile};
        const int status = RunCli(args, env);
        out = o.str();
        err = e.str();
        return status;
    }

    Recorder recorder;
};

// Starts marobex-cli.exe with its output in files; returns its exit status.
int RunProcess(const std::string& arguments, const std::string& folder, std::string& out, std::string& err) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const std::string outPath = folder + "\\stdout.txt", errPath = folder + "\\stderr.txt";
    HANDLE outFile = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE errFile = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outFile;
    startup.hStdError = errFile;
    std::string line = "\"" + TestProgram("marobex-cli.exe") + "\" " + arguments;
    PROCESS_INFORMATION process{};
    DWORD code = 99;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 98);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outFile);
    CloseHandle(errFile);
    out = ReadWholeFile(outPath);
    err = ReadWholeFile(errPath);
    // The programs a real run starts without waiting (Priority.exe) may
    // hold the output files a moment longer than the runner.
    for (int i = 0; i < 200; ++i) {
        DeleteFileA(outPath.c_str());
        DeleteFileA(errPath.c_str());
        if (!PathExists(outPath) && !PathExists(errPath)) break;
        Sleep(50);
    }
    return static_cast<int>(code);
}

// Lines that depend on the machine and the moment stand as their kind only.
Lines Steady(const Lines& lines) {
    Lines steady;
    for (const std::string& l : lines) {
        if (l.rfind("log: OS  : ", 0) == 0)
            steady.push_back("log: OS  : <system>");
        else if (l.rfind("log: Duration : ", 0) == 0)
            steady.push_back("log: Duration : <time>");
        else if (l.rfind("log:  Total Time Encoding : ", 0) == 0)
            steady.push_back("log:  Total Time Encoding : <time>");
        else
            steady.push_back(l);
    }
    return steady;
}

}  // namespace

TEST_F(CliTest, DryRunOfEachCodecAndPassCount) {
    const struct {
        const char* job;
        Lines files;  // left in c:\, compared with expected/<job>/<file>
        Lines err;
    } cases[] = {
        {"divx5_1pass", {"jobpass.vcf"}, {}},
        {"divx5_2pass", {"jobpass1.vcf", "jobpass2.vcf", "AudioMux.vcf"}, {}},
        {"divx4_1pass", {"jobpass.vcf"}, {}},
        {"divx4_2pass", {"jobpass1.vcf", "jobpass2.vcf"}, {}},
        {"divx4_3pass", {"jobpass1.vcf", "jobpass2.vcf"}, {}},
        {"xvid_1pass", {"jobpass.vcf"}, {}},
        {"xvid_2pass", {"jobpass1.vcf", "jobpass2.vcf"}, {}},
        {"divx3_2pass", {"jobpass1.vcf", "jobpass2.vcf", "wav2wma.vcf", "AudioMux.vcf", "fake.avi"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job);
        DeleteRunFiles();
        recorder.calls.clear();
        std::string out, err;
        const std::string expected = kJobs + "expected/" + c.job + "/";
        ASSERT_EQ(RunInProcess({"--dry-run", kJobs + c.job + ".ini"}, out, err), CliExitFinished) << err;
        EXPECT_EQ(SplitLines(err), c.err);
        const std::string want = ReadWholeFile(expected + "stdout.txt");
        ASSERT_FALSE(want.empty());
        EXPECT_EQ(out, want);
        EXPECT_EQ(recorder.calls, Lines{});  // no program, no registry

        for (const char* name : kRunFiles) {
            const std::string path = std::string("c:\\") + name;
            const bool wanted = std::find(c.files.begin(), c.files.end(), name) != c.files.end();
            EXPECT_EQ(PathExists(path), wanted) << name;
            if (!wanted) continue;
            const std::string bytes = ReadWholeFile(path);
            if (std::string(name) == "fake.avi")
                EXPECT_EQ(bytes, FakeAviBytes());
            else
                EXPECT_EQ(bytes, ReadWholeFile(expected + name)) << name;
        }
    }
}

TEST_F(CliTest, BadJobFilesWarnOrRefuseButNeverCrash) {
    WriteWholeFile(folder / "empty.ini", "");
    std::string noise;
    for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>((i * 7919 + i / 13) % 256));
    WriteWholeFile(folder / "noise.ini", "[Settings]\r\n" + noise + "\r\n[Paths]\r\nSourceFilePath=" +
                                             std::string(5000, 'x') + "\r\n");
    const struct {
        std::string job;
        int status;
        Lines err;
    } cases[] = {
        {folder / "missing.ini", CliExitUsage, {"error: cannot read the job file C:\\mbcli\\missing.ini: File not found."}},
        {"C:\\mbcli", CliExitUsage, {"error: cannot read the job file C:\\mbcli: Access denied."}},
        {folder / "empty.ini", CliExitRefused, {"message: Cannot find source file"}},
        {kJobs + "refused.ini", CliExitRefused, {"message: Cannot find source file"}},
        {kJobs + "disabled.ini",
         CliExitFinished,
         {"warning: [Settings] ChkDivx4Pass3: not set to \"1\", the control is disabled",
          "warning: [Settings] TxtDivx4Size: not set to \"1\", the control is disabled",
          "warning: [Settings] TxtStream1: a path box, ignored; give its path under [Paths]",
          "warning: [Settings] ChkStream2: not set to \"1\", the control is disabled",
          "warning: [Paths] Stream2FilePath: not set to \"C:\\mbcli\\b.ac3\", ChkStream2 is not checked"}},
        {kJobs + "garbage.ini",
         CliExitRefused,
         {"warning: [Paths] \"TargetFilePath\": not a key=value line, ignored",
          "warning: [Paths] Sourcefilepath: given again, the first value counts",
          "warning: [Paths] Stream3FilePath: unknown key, ignored",
          "warning: [Settings] \"TxtBr4\": not a key=value line, ignored",
          "warning: [Settings] : unknown key, ignored",
          "warning: [Tools] Codec.exe: unknown key, ignored",
          "warning: [Mystery]: unknown section, ignored",
          "warning: [Settings] OptCodec: \"DivX 4\" is not a whole number",
          "warning: [Settings] CmbNumPass: \"99999999999999999999\" is not a whole number",
          "warning: [Settings] SldPE: \"4\" is outside 0..3",
          "warning: [Settings] SldPostProces: \"-3\" is not a whole number",
          "warning: [Settings] ChkCPU: \"yes\" is not a whole number",
          "message: No input for encoding bitrate"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job);
        std::string out, err;
        EXPECT_EQ(RunInProcess({"--dry-run", c.job}, out, err), c.status);
        EXPECT_EQ(SplitLines(err), c.err);
    }
    // Noise: whatever the warnings, the run is refused for its source.
    std::string out, err;
    EXPECT_EQ(RunInProcess({"--dry-run", folder / "noise.ini"}, out, err), CliExitRefused);
    const Lines errLines = SplitLines(err);
    ASSERT_FALSE(errLines.empty());
    EXPECT_EQ(errLines.back(), "message: Cannot find source file");
    EXPECT_EQ(out, "");
}

TEST_F(CliTest, RelativeJobPathsAreTakenFromTheCurrentFolder) {
    // The profile routines alone would look for a bare name in the Windows
    // folder.
    ASSERT_TRUE(WriteWholeFile(folder / "relative.ini", "[Paths]\r\nSourceFilePath=C:\\mbcli\\movie.avs\r\n"));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    std::string out, err;
    const int status = RunInProcess({"--dry-run", "relative.ini"}, out, err);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(status, CliExitFinished) << err;
    EXPECT_EQ(err, "");
    EXPECT_TRUE(PathExists("c:\\jobpass.vcf"));
}

TEST_F(CliTest, TheProgramPrintsWhatTheRunnerDoes) {
    // The job names every tool, so a Marobex.ini beside the programs plays
    // no part.
    const std::string job = folder / "tools.ini";
    ASSERT_TRUE(WriteWholeFile(job,
                               "[Paths]\r\nSourceFilePath=C:\\mbcli\\movie.avs\r\nStream1FilePath=C:\\mbcli\\a.ac3\r\n"
                               "[Settings]\r\nOptCodec=1\r\nCmbNumPass=1\r\nChkDivx4Pass3=1\r\nChkCPU=1\r\n"
                               "[Tools]\r\nVirtualDubPath=C:\\mbcli\\none\\VirtualDub.exe\r\n"
                               "NanDubPath=C:\\mbcli\\none\\NanDub.exe\r\nBesweetPath=C:\\mbcli\\none\\BeSweet.exe\r\n"));
    std::string inOut, inErr;
    ASSERT_EQ(RunInProcess({"--dry-run", job}, inOut, inErr, TestProgramFolder()), CliExitFinished);

    std::string out, err;
    EXPECT_EQ(RunProcess("--dry-run " + job, folder.path(), out, err), CliExitFinished);
    EXPECT_EQ(Steady(SplitLines(out)), Steady(SplitLines(inOut)));
    EXPECT_EQ(err, inErr);
    HKEY key;
    EXPECT_NE(RegOpenKeyA(HKEY_CURRENT_USER, kDivx412Key, &key), ERROR_SUCCESS) << "a dry run wrote the registry";

    // A real run writes the registry and starts the programs; none of them
    // exists here, so the first (BeSweet) leaves no result and the run fails
    // there, as far as the dry run went up to it.
    SetEnvironmentVariableA("MAROBEX_PRIORITY_TIMEOUT_MS", "200");
    EXPECT_EQ(RunProcess(job, folder.path(), out, err), CliExitFailed);
    SetEnvironmentVariableA("MAROBEX_PRIORITY_TIMEOUT_MS", nullptr);
    const Lines dry = Steady(SplitLines(inOut));
    const auto besweet = std::find_if(dry.begin(), dry.end(), [](const std::string& l) { return l.rfind("run: ", 0) == 0; });
    ASSERT_NE(besweet, dry.end());
    Lines expected(dry.begin(), besweet + 1);
    expected.push_back("log:  >> Audio Stream 1 FAILED : C:\\mbcli\\Stream1.MP3 was not written <<");
    expected.push_back("log:  Status Encoding : FAILED");
    EXPECT_EQ(Steady(SplitLines(out)), expected);
    EXPECT_EQ(SplitLines(err).back(),
              "message: The encoding failed at the step \"Audio Stream 1\": C:\\mbcli\\Stream1.MP3 was not written.");
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kDivx412Key, &key), ERROR_SUCCESS);
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "CPU limit", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 100u);
    RegCloseKey(key);
}

TEST_F(CliTest, TheProgramsExitStatuses) {
    WriteWholeFile(folder / "empty.ini", "");
    const struct {
        std::string arguments;
        int status;
        const char* firstOut;
        const char* firstErr;
    } cases[] = {
        {"--help", CliExitFinished, "Usage: marobex-cli [--dry-run] JOBFILE...", ""},
        {"--dry-run " + folder / "empty.ini" + " " + folder / "missing.ini", CliExitUsage,
         "job: 1/2 C:\\mbcli\\empty.ini", "message: Cannot find source file"},
        {"", CliExitUsage, "", "error: no job file given"},
        {"--dry-run " + folder / "missing.ini", CliExitUsage, "",
         "error: cannot read the job file C:\\mbcli\\missing.ini: File not found."},
        {"--dry-run " + folder / "empty.ini", CliExitRefused, "", "message: Cannot find source file"},
        {"--dry-run \"" + kJobs + "garbage.ini\"", CliExitRefused, "",
         "warning: [Paths] \"TargetFilePath\": not a key=value line, ignored"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string out, err;
        EXPECT_EQ(RunProcess(c.arguments, folder.path(), out, err), c.status);
        const Lines outLines = SplitLines(out), errLines = SplitLines(err);
        EXPECT_EQ(outLines.empty() ? "" : outLines.front(), std::string(c.firstOut));
        EXPECT_EQ(errLines.empty() ? "" : errLines.front(), std::string(c.firstErr));
    }
}
