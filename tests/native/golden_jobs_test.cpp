// Every saved job in tests/data/jobs run through the console runner: what it
// prints and the job files it leaves are those under expected/<job>/, and a
// real run reaches the ports with exactly what the dry run names.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "fakes/fakes.h"
#include "jobs/job_scripts.h"
#include "run/console_run.h"

using namespace mb;
using mb::fakes::Lines;
using mb::fakes::ReadFile;
using mb::fakes::SplitLines;
using mb::fakes::World;

namespace {

const std::string kJobs = std::string(MAROBEX_TEST_DATA) + "/jobs/";

// C:\mbcli holds the inputs the jobs name and Marobex.ini with the tools.
struct Cli {
    World world;
    std::ostringstream out, err;
    Cli() {
        for (const char* input : {"movie.avs", "movie.avi", "a.ac3", "a.mpa", "b.ac3"})
            world.files[std::string("C:\\mbcli\\") + input] = "input";
        world.files["C:\\mbcli\\Marobex.ini"] = "";
        for (const char* tool : {"VirtualDub", "NanDub", "Besweet"})
            world.ini[World::Slot("PATH", std::string(tool) + "Path", "C:\\mbcli\\Marobex.ini")] =
                std::string("C:\\Tools\\") + (tool[0] == 'B' ? "BeSweet" : tool) + ".exe";
        world.events.clear();
    }
    // Job files named relative to `folder` when it is given.
    int Run(const Lines& args, const std::string& folder = "") {
        CliEnvironment env{out, err, world, world, world, world, world, world, world, NumberFormat{}, "", "C:\\mbcli",
                           [&folder](const std::string& path, std::string& reason) -> std::unique_ptr<SavedJobSource> {
                               if (!std::filesystem::is_regular_file(folder + path)) {
                                   reason = "File not found.";
                                   return nullptr;
                               }
                               return std::make_unique<fakes::TextSavedJobSource>(ReadFile(folder + path));
                           }};
        return RunCli(args, env);
    }
    Lines Out(const char* prefix) const {
        Lines picked;
        for (const std::string& l : SplitLines(out.str()))
            if (l.rfind(prefix, 0) == 0) picked.push_back(l.substr(l.find(' ') + 1));
        return picked;
    }
};

}  // namespace

TEST(GoldenJobs, DryRunPrintsAndWritesWhatIsExpectedAndARealRunDoesIt) {
    int jobs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kJobs)) {
        if (entry.path().extension() != ".ini") continue;
        const std::string name = entry.path().stem().string();
        const std::string expected = kJobs + "expected/" + name + "/";
        SCOPED_TRACE(name);
        ++jobs;
        const std::string wantOut = ReadFile(expected + "stdout.txt");
        const std::string wantErr = ReadFile(expected + "stderr.txt");
        // A refused run prints nothing on standard output.
        const int status = wantOut.empty() ? CliExitRefused : CliExitFinished;

        Cli dry;
        EXPECT_EQ(dry.Run({"--dry-run", entry.path().string()}), status);
        EXPECT_EQ(dry.out.str(), wantOut);
        EXPECT_EQ(dry.err.str(), wantErr);
        EXPECT_EQ(dry.world.Events({"run(", "start(", "registry:", "shutdown"}), Lines{});
        std::set<std::string> written, golden;
        for (const auto& [path, bytes] : dry.world.files) {
            if (path.rfind("c:\\", 0) != 0) continue;
            const std::string file = path.substr(3);
            if (file != "fake.avi") written.insert(file);
            EXPECT_EQ(bytes, ReadFile(file == "fake.avi" ? kJobs + "../../../src/jobs/fakeavi.bin" : expected + file)) << file;
        }
        for (const auto& f : std::filesystem::directory_iterator(expected))
            if (f.path().extension() == ".vcf") golden.insert(f.path().filename().string());
        EXPECT_EQ(written, golden);

        // The real run prints the same and does what it prints.
        Cli real;
        EXPECT_EQ(real.Run({entry.path().string()}), status);
        EXPECT_EQ(real.out.str(), wantOut);
        Lines asked;
        for (const std::string& e : real.world.Events({"run(", "start(", "registry: "})) {
            asked.push_back(e.substr(e.find(' ') + 1));
            // BeSweet runs in a window of its own; the encoders and Priority.exe hidden.
            EXPECT_EQ(e.rfind("(1): ") != std::string::npos, e.find("-core(") != std::string::npos) << e;
        }
        Lines printed;
        for (const std::string& l : SplitLines(wantOut))
            if (l.rfind("log: ", 0) && l.rfind("queue: ", 0)) printed.push_back(l.substr(l.find(' ') + 1));
        // Before anything else a real run sets the encoders' registry values as
        // the window's start-up does.
        const Lines prepared = {"delete Software\\DivXNetworks\\DivX4Windows",
                                "delete Software\\DivXNetworks\\DivX412Codec",
                                "delete Software\\GNU\\XviD",
                                "Software\\Freeware\\VirtualDub\\SeenDivXWarning = 1",
                                "Software\\Freeware\\VirtualDub\\SeenWelcome = 1",
                                "Software\\Freeware\\VirtualDub\\VirtualDub = 1"};
        printed.insert(printed.begin(), prepared.begin(), prepared.end());
        EXPECT_EQ(asked, printed);
        const std::string dryShutdown = "warning: dry run: the system is not shut down (chkShutdown)\n";
        const bool shutdown = wantErr.find(dryShutdown) != std::string::npos;
        EXPECT_EQ(real.world.Events({"shutdown"}), shutdown ? Lines{"shutdown 17"} : Lines{});
        std::string realErr = wantErr;
        if (shutdown) realErr.erase(realErr.find(dryShutdown), dryShutdown.size());
        EXPECT_EQ(real.err.str(), realErr);
    }
    EXPECT_GE(jobs, 11);
}

// The command lines of tests/data/cli/scenarios.txt and what each gives.
TEST(GoldenJobs, CommandLinesEndAsRecorded) {
    const std::string folder = std::string(MAROBEX_TEST_DATA) + "/cli/";
    const auto rows = fakes::RecordedRows("cli/scenarios.txt", [&folder](std::string row) {
        Cli cli;
        World& w = cli.world;
        w.programs.push_back({"jobpass.vcf", [&w] {
                                  w.silent.clear();
                                  if (w.files["c:\\jobpass.vcf"].find("crash") != std::string::npos) w.silent = {"jobpass.vcf"};
                              }});
        // Steps before the command line: "cancel", "no settings" (no
        // Marobex.ini), "failwrite P=reason" ("{CRLF}" a line end).
        for (std::size_t bar; (bar = row.find(" | ")) != std::string::npos; row = row.substr(bar + 3)) {
            const std::string step = row.substr(0, bar);
            if (step == "cancel") w.cancelDuring = "jobpass.vcf";
            if (step == "no settings") w.files.erase("C:\\mbcli\\Marobex.ini");
            if (step.rfind("failwrite ", 0) == 0) {
                std::string reason = step.substr(step.find('=') + 1);
                reason.replace(reason.find("{CRLF}"), 6, "\r\n");
                w.failWrites[step.substr(10, step.find('=') - 10)] = reason;
            }
        }
        Lines args;
        for (std::size_t at = 0; at < row.size(); at = row.find(' ', at) + 1) {
            args.push_back(row.substr(at, row.find(' ', at) - at));
            if (row.find(' ', at) == std::string::npos) break;
        }
        std::string got = "exit " + std::to_string(cli.Run(args, folder)) + "\n";
        for (const std::string& l : SplitLines(cli.out.str())) got += "out: " + l + "\n";
        for (const std::string& l : SplitLines(cli.err.str())) got += "err: " + l + "\n";
        for (const std::string& e : w.Events({"shutdown"})) got += e + "\n";
        return got;
    });
    EXPECT_EQ(rows.got, rows.recorded);
}
