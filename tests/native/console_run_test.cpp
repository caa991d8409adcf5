// The console runner over in-memory ports: the command line, the exit
// statuses, what a dry run leaves alone, and where tool paths come from.
#include "run/console_run.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "env_fakes.h"
#include "job_source_fake.h"
#include "run_fakes.h"

using namespace mb;
using mb::testing::FakeProfile;
using mb::testing::TextJobSource;
using mb::testing::World;

namespace {

using Lines = std::vector<std::string>;

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct Cli {
    World world;
    FakeProfile profile;
    std::map<std::string, std::string> jobs;  // path -> text
    std::ostringstream out, err;
    std::vector<std::string> openedJobs;

    Cli() {
        world.files["D:\\Rip\\movie.avs"] = "source";
        world.files["C:\\Marobex\\Marobex.ini"] = "";
        profile.WriteIniValue("PATH", "VirtualDubPath", "C:\\vd\\VirtualDub.exe", "C:\\Marobex\\Marobex.ini");
        profile.WriteIniValue("PATH", "NanDubPath", "C:\\nd\\NanDub.exe", "C:\\Marobex\\Marobex.ini");
        profile.WriteIniValue("PATH", "BesweetPath", "C:\\bs\\BeSweet.exe", "C:\\Marobex\\Marobex.ini");
    }

    int Run(const Lines& args) {
        CliEnvironment env{out,     err,          world, world, world,
                           profile, world,        world, world, NumberFormat{},
                           "",      "C:\\Marobex",
                           [this](const std::string& path, std::string& reason) -> std::unique_ptr<JobFileSource> {
                               openedJobs.push_back(path);
                               auto it = jobs.find(path);
                               if (it == jobs.end()) {
                                   reason = "The system cannot find the file specified.";
                                   return nullptr;
                               }
                               return std::make_unique<TextJobSource>(it->second);
                           }};
        return RunCli(args, env);
    }
    Lines Out() const { return SplitLines(out.str()); }
    Lines Err() const { return SplitLines(err.str()); }
    // The output lines of one kind ("run: ", "start: ", ...).
    Lines Out(const std::string& prefix) const {
        Lines picked;
        for (const std::string& l : Out())
            if (l.rfind(prefix, 0) == 0) picked.push_back(l);
        return picked;
    }
};

const char kUsageFirstLine[] = "Usage: marobex-cli [--dry-run] JOBFILE...";

const std::string kOnePassJob =
    "[Paths]\nSourceFilePath=D:\\Rip\\movie.avs\n"
    "[Settings]\nOptCodec=1\nChkCPU=1\nSldPostProces=4\n";

}  // namespace

TEST(ConsoleRun, CommandLine) {
    const struct {
        Lines args;
        int status;
        const char* firstOut;  // "" for none
        const char* firstErr;
    } cases[] = {
        {{"--help"}, CliExitFinished, kUsageFirstLine, ""},
        {{"--dry-run", "-h"}, CliExitFinished, kUsageFirstLine, ""},
        {{"/?"}, CliExitFinished, kUsageFirstLine, ""},
        {{}, CliExitUsage, "", "error: no job file given"},
        {{"--dry-run"}, CliExitUsage, "", "error: no job file given"},
        {{"--dryrun", "job.ini"}, CliExitUsage, "", "error: unknown option --dryrun"},
        {{"missing.ini"}, CliExitUsage, "",
         "error: cannot read the job file missing.ini: The system cannot find the file specified."},
        // After "--" a name that starts with "-" is a file.
        {{"--", "-job.ini"}, CliExitUsage, "",
         "error: cannot read the job file -job.ini: The system cannot find the file specified."},
    };
    for (const auto& c : cases) {
        Cli cli;
        EXPECT_EQ(cli.Run(c.args), c.status) << ::testing::PrintToString(c.args);
        const Lines out = cli.Out(), err = cli.Err();
        EXPECT_EQ(out.empty() ? "" : out.front(), std::string(c.firstOut)) << ::testing::PrintToString(c.args);
        EXPECT_EQ(err.empty() ? "" : err.front(), std::string(c.firstErr)) << ::testing::PrintToString(c.args);
        if (c.status == CliExitUsage && cli.openedJobs.empty()) {
            ASSERT_GE(err.size(), 2u);
            EXPECT_EQ(err[1], kUsageFirstLine);  // a usage error shows the usage
        }
        EXPECT_TRUE(cli.world.events.empty()) << ::testing::PrintToString(c.args);
    }
}

TEST(ConsoleRun, DryRunNamesEverythingAndTouchesNeitherProgramsNorRegistry) {
    Lines realOut;
    for (bool dry : {false, true}) {
        Cli cli;
        cli.jobs["job.ini"] = kOnePassJob;
        Lines args{"job.ini"};
        if (dry) args.insert(args.begin(), "--dry-run");
        EXPECT_EQ(cli.Run(args), CliExitFinished);
        EXPECT_EQ(cli.Err(), Lines{});
        const Lines out = cli.Out();
        ASSERT_GE(out.size(), 7u);
        EXPECT_EQ(Lines(out.begin(), out.begin() + 4),
                  (Lines{"registry: Software\\DivxNetworks\\DivX412Codec\\CPU limit = 100",
                         "registry: Software\\DivxNetworks\\DivX412Codec\\Have CPU Limit = 1",
                         "registry: Software\\DivxNetworks\\DivX412Codec\\Postprocessing = 40",
                         "queue:  - First Pass"}));
        EXPECT_EQ(out[4], "log: [ CODEC ]");
        EXPECT_EQ(cli.Out("start: "),
                  Lines{"start: C:\\Marobex\\Priority.exe \"WI00:VirtualDub Status\" BT01: BT02: "
                        "\"CB00:Higher\" QU00:"});
        EXPECT_EQ(cli.Out("run: "), Lines{"run: C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass.vcf"});
        EXPECT_EQ(out.back(), "log:  Status Encoding : FINISH");
        // The job script is written either way.
        EXPECT_EQ(cli.world.files.count("c:\\jobpass.vcf"), 1u);

        Lines outside;  // what reached the real ports
        for (const std::string& e : cli.world.events)
            if (e.rfind("write: ", 0) != 0) outside.push_back(e);
        if (dry) {
            EXPECT_EQ(outside, Lines{});
            EXPECT_EQ(out, realOut);  // the same lines as the real run
        } else {
            EXPECT_EQ(outside,
                      (Lines{"delete key: Software\\DivXNetworks\\DivX4Windows",
                             "delete key: Software\\DivXNetworks\\DivX412Codec", "delete key: Software\\GNU\\XviD",
                             "registry: Software\\Freeware\\VirtualDub\\SeenDivXWarning = 1",
                             "registry: Software\\Freeware\\VirtualDub\\SeenWelcome = 1",
                             "registry: Software\\Freeware\\VirtualDub\\VirtualDub = 1",
                             "registry: Software\\DivxNetworks\\DivX412Codec\\CPU limit = 100",
                             "registry: Software\\DivxNetworks\\DivX412Codec\\Have CPU Limit = 1",
                             "registry: Software\\DivxNetworks\\DivX412Codec\\Postprocessing = 40",
                             "start(0): C:\\Marobex\\Priority.exe \"WI00:VirtualDub Status\" BT01: BT02: "
                             "\"CB00:Higher\" QU00:",
                             "run(0): C:\\vd\\VirtualDub.exe /r /x /sc:\\jobpass.vcf"}));
            realOut = out;
        }
    }
}

TEST(ConsoleRun, ToolPathsFromTheSettingsFileThenTheJob) {
    const std::string job =
        "[Paths]\nSourceFilePath=D:\\Rip\\movie.avs\nStream1FilePath=D:\\Rip\\a.mpa\n"
        "[Settings]\nOptCodec=3\nChkMux=0\n";
    const struct {
        const char* tools;
        bool settingsFile;
        Lines programs;  // the program of each run: line
    } cases[] = {
        {"", true, {"C:\\bs\\BeSweet.exe", "C:\\nd\\NanDub.exe", "C:\\nd\\NanDub.exe"}},
        {"[Tools]\nnandubpath=E:\\Nandub 1.0\\NanDub.exe\n", true,
         {"C:\\bs\\BeSweet.exe", "E:\\Nandub 1.0\\NanDub.exe", "E:\\Nandub 1.0\\NanDub.exe"}},
        {"[Tools]\nBesweetPath=E:\\b.exe\n", false, {"E:\\b.exe", "", ""}},
    };
    for (const auto& c : cases) {
        Cli cli;
        if (!c.settingsFile) cli.world.files.erase("C:\\Marobex\\Marobex.ini");
        cli.jobs["job.ini"] = job + c.tools;
        EXPECT_EQ(cli.Run({"--dry-run", "job.ini"}), CliExitFinished) << c.tools;
        const Lines runs = cli.Out("run: ");
        ASSERT_EQ(runs.size(), c.programs.size()) << c.tools;
        for (std::size_t i = 0; i < runs.size(); ++i)
            EXPECT_EQ(runs[i].rfind("run: " + c.programs[i] + " ", 0), 0u) << runs[i];
    }
}

TEST(ConsoleRun, WarningsComeBeforeTheRunAndShutdownWaitsForARealRun) {
    for (bool dry : {true, false}) {
        Cli cli;
        cli.jobs["job.ini"] =
            "[Paths]\nSourceFilePath=D:\\Rip\\movie.avs\n[Output]\nx=1\n"
            "[Settings]\nchkShutdown=1\nChkCPU=yes\n";
        EXPECT_EQ(cli.Run(dry ? Lines{"--dry-run", "job.ini"} : Lines{"job.ini"}), CliExitFinished);
        Lines expected{"warning: [Output]: unknown section, ignored",
                       "warning: [Settings] ChkCPU: \"yes\" is not a whole number"};
        if (dry) expected.push_back("warning: dry run: the system is not shut down (chkShutdown)");
        EXPECT_EQ(cli.Err(), expected);
        EXPECT_EQ(cli.world.events.back(), dry ? "write: c:\\jobpass.vcf" : "shutdown 17");
    }
}

TEST(ConsoleRun, EveryEventStaysOnOneLine) {
    Cli cli;
    cli.jobs["job.ini"] = kOnePassJob;
    cli.world.failWrites["c:\\jobpass.vcf"] = "first line\r\nsecond line";
    cli.Run({"job.ini"});
    ASSERT_EQ(cli.Err().size(), 1u);
    EXPECT_NE(cli.Err()[0].find("first line  second line"), std::string::npos) << cli.Err()[0];
}
