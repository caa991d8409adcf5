// The console runner against the stand-ins: a saved job run by
// marobex-cli.exe does what the same settings do through "&Start Encode",
// program for program, with the same queue and the same encoding log.
#include "../e2e/e2e_harness.h"

using namespace mb;
using namespace mb::e2e;

namespace {

struct ConsoleResult {
    DWORD exitCode = ~0u;
    std::vector<std::string> out;  // standard output, line by line
    std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Runs a console program with its output going to files, and waits for it.
ConsoleResult RunConsole(const std::string& commandLine, const std::string& outPath, const std::string& errPath) {
    ConsoleResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_NE(err, INVALID_HANDLE_VALUE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &result.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << commandLine;
    }
    CloseHandle(out);
    CloseHandle(err);
    result.out = Lines(standin_test::ReadBytes(outPath));
    result.err = standin_test::ReadBytes(errPath);
    return result;
}

// The lines of standard output that begin with the prefix, without it.
std::vector<std::string> Tagged(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l.substr(prefix.size()));
    return out;
}

// The log with its durations turned into "{time}", for ExpectLog.
std::vector<std::string> WithoutTimes(const std::vector<std::string>& log) {
    static const std::regex kTime("\\d\\d:\\d\\d:\\d\\d$");
    std::vector<std::string> out;
    for (const std::string& l : log) out.push_back(std::regex_replace(l, kTime, "{time}"));
    return out;
}

class ConsoleRunner : public EndToEnd {};

TEST_F(ConsoleRunner, RunsASavedJobAsTheWindowRunsIt) {
    // A two-pass DivX 5 encode with one stream as MP3, muxed.
    const std::string job = Dir("film.ini");
    ASSERT_TRUE(standin_test::WriteBytes(
        job, "[Paths]\r\nSourceFilePath=" + Dir("film.avi") + "\r\nStream1FilePath=" + Dir("film.ac3") +
                 "\r\n[Settings]\r\nOptCodec=0\r\nCmbNumPass=1\r\nSldAmpliStream1=3\r\n[Tools]\r\nVirtualDubPath=" +
                 state_.VirtualDubPath + "\r\nNanDubPath=" + state_.NanDubPath + "\r\nBesweetPath=" +
                 state_.BesweetPath + "\r\n"));
    const ConsoleResult cli = RunConsole(mb::testing::TestProgram("marobex-cli.exe") + " \"" + job + "\"",
                                         Dir("cli-out.txt"), Dir("cli-err.txt"));
    ASSERT_EQ(cli.exitCode, 0u) << cli.err;
    EXPECT_EQ(cli.err, "");
    const auto cliRecords = Trace();
    ExpectAllDone(cliRecords);

    // What the console printed of the programs is what they were given.
    std::vector<std::string> commandLines;
    for (const TraceRecord& r : cliRecords) commandLines.push_back(r.Value("command line"));
    EXPECT_EQ(Tagged(cli.out, "run: "), commandLines);
    const std::string priority = mb::testing::TestProgram("Priority.exe");
    EXPECT_EQ(Tagged(cli.out, "start: "),
              (std::vector<std::string>{priority + " \"WI00:VirtualDub Status\" BT01: BT02: \"CB00:Higher\" QU00:",
                                        priority + " \"WI00:VirtualDub Status\" BT01: BT02: \"CB00:Higher\" QU00:",
                                        priority + " \"WI00:Nandub Status\" BT01: BT02: \"CB00:Higher\" QU00:"}));
    EXPECT_EQ(commandLines.at(0),
              state_.BesweetPath + " -core( -input \"" + Dir("film.ac3") + "\" -output \"" + Dir("Stream1.MP3") +
                  "\" -logfile \"C:\\Marobex_Stream1.log\" )-azid( -c normal -g 6 -L -3db ) -lame( -h -b 128 -m j )");

    // The same job through the window's settings.
    DeleteFileA(trace_.c_str());
    for (const char* f : {"Stream1.MP3", "film_1.avi", "film_1_temp.avi", "film_1_firstpass.avi"})
        DeleteFileA(Dir(f).c_str());
    ChooseVideo(0, 2);
    BrowseStream1(Dir("film.ac3"));
    Set(Ctl::SldAmpliStream1, 3);
    ASSERT_EQ(StartEncode(), RunOutcome::Finished);
    const auto records = Trace();
    ExpectAllDone(records);

    EXPECT_EQ(Summaries(cliRecords), Summaries(records));
    EXPECT_EQ(Summaries(records),
              (std::vector<std::string>{"BeSweet -> " + Dir("Stream1.MP3"), "VirtualDub c:\\jobpass1.vcf",
                                        "VirtualDub c:\\jobpass2.vcf", "Nandub c:\\audiomux.vcf"}));
    EXPECT_EQ(Tagged(cli.out, "queue: "), view_.queue);
    ExpectLog(Tagged(cli.out, "log: "), WithoutTimes(view_.log));
    EXPECT_EQ(view_.log.back(), " Status Encoding : FINISH");
}

TEST_F(ConsoleRunner, OneRunAtATimeAndNoPathThatEndsItsQuotesEarly) {
    const std::string jobpass = "c:\\jobpass.vcf";
    const auto job = [&](const std::string& name, const std::string& target,
                         const std::string& encoder = standin_test::StandinExe("VirtualDub.exe")) {
        EXPECT_TRUE(standin_test::WriteBytes(
            Dir(name), "[Paths]\r\nSourceFilePath=" + Dir("film.avi") + "\r\nTargetFilePath=" + target +
                           "\r\n[Settings]\r\nOptCodec=0\r\n[Tools]\r\nVirtualDubPath=" + encoder +
                           "\r\n"));
        return mb::testing::TestProgram("marobex-cli.exe") + " --dry-run \"" + Dir(name) + "\"";
    };
    const std::string dryRun = job("film.ini", Dir("film_1.avi"));

    // A quote in the target would end its quoted text in the job script.
    DeleteFileA(jobpass.c_str());
    const ConsoleResult injected =
        RunConsole(job("quote.ini", Dir("f\"lm.avi")), Dir("quote-out.txt"), Dir("quote-err.txt"));
    EXPECT_EQ(injected.exitCode, 1u);
    EXPECT_NE(injected.err.find("message: Invalid input. "), std::string::npos) << injected.err;
    EXPECT_NE(injected.err.find("Destination File (*.avi) (" + Dir("f\"lm.avi") + ")"), std::string::npos);
    EXPECT_EQ(GetFileAttributesA(jobpass.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing written

    // A real run whose encoder takes a few seconds, and a second console run
    // meanwhile.
    job("slow.ini", Dir("film_1.avi"), mb::testing::TestProgram("sleeper.exe"));
    SetEnvironmentVariableA("MAROBEX_SLEEPER_MS", "4000");
    std::string first = mb::testing::TestProgram("marobex-cli.exe") + " \"" + Dir("slow.ini") + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, first.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableA("MAROBEX_SLEEPER_MS", nullptr);
    for (int i = 0; i < 300 && GetFileAttributesA(jobpass.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    const std::string written = standin_test::ReadBytes(jobpass);

    const ConsoleResult second = RunConsole(dryRun, Dir("second-out.txt"), Dir("second-err.txt"));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // still running
    EXPECT_EQ(second.exitCode, 1u);
    EXPECT_EQ(Lines(second.err), std::vector<std::string>{"message: Another encoding run is in progress."});
    EXPECT_TRUE(second.out.empty());
    EXPECT_EQ(standin_test::ReadBytes(jobpass), written);

    DWORD firstExit = ~0u;
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), static_cast<DWORD>(WAIT_OBJECT_0));
    GetExitCodeProcess(pi.hProcess, &firstExit);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    EXPECT_EQ(firstExit, 0u);
    EXPECT_EQ(RunConsole(dryRun, Dir("third-out.txt"), Dir("third-err.txt")).exitCode, 0u);  // free again
}

}  // namespace
