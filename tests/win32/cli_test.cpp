// marobex-cli.exe as a program (its command lines over in-memory ports are
// the native suite's): its exit statuses, the saved jobs read
// through the system's profile routines (the golden jobs give the same
// warnings as natively), a job named relative to the current folder, and a
// real run that writes the registry where a dry run leaves it alone.
#include <windows.h>

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "win32_test_support.h"

using mb::fakes::Lines;
using mb::fakes::SplitLines;
using mb::testing::PathExists;
using mb::testing::RunProgram;
using mb::testing::ScratchFolder;
using mb::testing::WriteWholeFile;

namespace {

const std::string kJobs = std::string(MAROBEX_TEST_DATA) + "/jobs/";
const char kDivx412Key[] = "Software\\DivxNetworks\\DivX412Codec";

std::string First(const std::string& text) {
    const Lines lines = SplitLines(text);
    return lines.empty() ? "" : lines.front();
}

}  // namespace

TEST(Cli, ExitStatusesAndJobsReadByTheProfileRoutines) {
    ScratchFolder folder("C:\\mbcli");
    WriteWholeFile(folder / "movie.avs", "input");
    WriteWholeFile(folder / "empty.ini", "");
    const struct {
        std::string arguments;
        DWORD status;
        std::string out, err;  // first lines; for the golden jobs, their whole expected standard error
    } cases[] = {
        {"--dry-run " + folder / "missing.ini", 2, "", "error: cannot read the job file C:\\mbcli\\missing.ini: File not found."},
        {"--dry-run C:\\mbcli", 2, "", "error: cannot read the job file C:\\mbcli: Access denied."},
        {"--dry-run " + folder / "empty.ini", 1, "", "message: Cannot find source file"},
        {"--dry-run \"" + kJobs + "garbage.ini\"", 1, "", mb::fakes::ReadFile(kJobs + "expected/garbage/stderr.txt")},
        {"--dry-run \"" + kJobs + "disabled.ini\"", 0, "queue:  - First Pass",
         mb::fakes::ReadFile(kJobs + "expected/disabled/stderr.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = RunProgram(mb::testing::Cli(c.arguments), folder.path());
        EXPECT_EQ(result.exitCode, c.status);
        EXPECT_EQ(First(result.out), c.out);
        if (c.err.find('\n') != std::string::npos)
            EXPECT_EQ(SplitLines(result.err), SplitLines(c.err));
        else
            EXPECT_EQ(First(result.err), c.err);
    }
}

TEST(Cli, ARelativeJobIsTakenFromTheCurrentFolderAndADryRunLeavesTheRegistry) {
    ScratchFolder folder("C:\\mbcli");
    WriteWholeFile(folder / "movie.avs", "input");
    // The profile routines alone would look for a bare name in the Windows folder.
    WriteWholeFile(folder / "job.ini", "[Paths]\r\nSourceFilePath=C:\\mbcli\\movie.avs\r\n[Settings]\r\nOptCodec=1\r\nChkCPU=1\r\n");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    RegDeleteKeyA(HKEY_CURRENT_USER, kDivx412Key);
    const auto dry = RunProgram(mb::testing::Cli("--dry-run job.ini"), folder.path());
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(dry.exitCode, 0u) << dry.err;
    EXPECT_EQ(First(dry.out), "registry: Software\\DivxNetworks\\DivX412Codec\\CPU limit = 100");
    HKEY key;
    EXPECT_NE(RegOpenKeyA(HKEY_CURRENT_USER, kDivx412Key, &key), ERROR_SUCCESS);
    EXPECT_TRUE(PathExists("c:\\jobpass.vcf"));
    DeleteFileA("c:\\jobpass.vcf");
}
