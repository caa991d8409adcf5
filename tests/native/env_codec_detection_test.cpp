#include "env/codec_detection.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "env_fakes.h"

using namespace mb;
using namespace mb::testing;

namespace {

constexpr std::uint64_t k8May2002 = 126653256000000000ULL;  // 10:00 UTC
const std::string kList = "c:\\Marobex_Codecs.txt";
const std::string kCodecExe = "C:\\Marobex\\Codec.exe";
const std::string kSystem = "C:\\WINDOWS\\System32";

struct RecordingButton : CodecCheckButton {
    std::string caption = "Check Installed Codec";
    bool enabled = true;
    std::vector<std::string> log;
    std::string Caption() override { return caption; }
    void SetCaption(const std::string& c) override {
        caption = c;
        log.push_back("caption " + c);
    }
    void SetEnabled(bool e) override {
        enabled = e;
        log.push_back(e ? "enable" : "disable");
    }
};

// A machine with Codec.exe beside the program; running it writes listText
// as the codec list.
struct CodecCheck : ::testing::Test {
    ProgramState state;
    FakeFiles files;
    FakeProcesses processes;
    FixedLocale locale;
    std::string listText;
    bool codecExeWritesList = true;

    CodecCheck() {
        state.ProgramFolder = "C:\\Marobex";
        files.contents[kCodecExe] = "MZ";
        processes.onWait = [this](const std::string&) {
            if (codecExeWritesList) files.contents[kList] = listText;
        };
    }
    CodecCheckResult Run(CodecCheckButton* button = nullptr) {
        return RunCodecCheck(state, processes, files, locale, button);
    }
};

}  // namespace

TEST(FileDateText, DayMonthTwoDigitYearWithTheLocaleSeparator) {
    struct Case { std::uint64_t fileTime; const char* separator; const char* text; };
    const Case cases[] = {
        {k8May2002, "/", "08/05/02"},
        {k8May2002, ".", "08.05.02"},
        {k8May2002, " - ", "08 - 05 - 02"},
        {0, "/", "01/01/01"},                                  // 1 January 1601
        {125963423999999999ULL, "/", "29/02/00"},              // last instant of a leap day
        {125963424000000000ULL, "/", "01/03/00"},              // the day after it
        {125911152000000000ULL, "/", "31/12/99"},
        {0x7FFFFFFFFFFFFFFFULL, "/", "14/09/28"},              // the last time the system converts
        {0x8000000000000000ULL, "/", ""},                       // beyond it: no date
    };
    for (const auto& c : cases) EXPECT_EQ(FileDateText(c.fileTime, c.separator), c.text) << c.fileTime;
}

TEST_F(CodecCheck, RecognisesTheSixMarkersWithTheirSuffixes) {
    listText =
        "Microsoft Video 1\r\n"
        "DivX Codec 4.12 (DivX 4)\r\n"
        "DivX Pro 5.0.2 Codec\r\n"
        "DivX 5.0.2 Codec\r\n"
        "XviD MPEG-4 Codec\r\n"
        "DivX ;-) MPEG-4 Low-Motion\r\n"
        "DivX ;-) MPEG-4 Fast-Motion\r\n"
        "divx Codec 4.12\r\n"      // marker in the wrong case
        "DivX\r\n"                 // shorter than any marker
        " DivX 5.0.2 Codec\r\n";   // marker not at the start
    files.contents[kSystem + "\\XVID.DLL"] = "dll";
    files.created[kSystem + "\\XVID.DLL"] = k8May2002;
    files.contents[kSystem + "\\DIVXA32.ACM"] = "acm";

    const CodecCheckResult r = Run();

    const std::vector<std::string> expected = {
        "DivX Codec 4.12 (DivX 4)\t\t(Supported)",
        "DivX Pro 5.0.2 Codec\t(Supported)",
        "DivX 5.0.2 Codec\t\t(Supported)",
        "XviD MPEG-4 Codec\t(08/05/02)",
        "DivX ;-) MPEG-4 Low-Motion\t(Supported)",
        "DivX ;-) MPEG-4 Fast-Motion\t(Supported)",
        "DivX ;-) Audio Codec\t(Supported)",
    };
    EXPECT_EQ(r.lines, expected);
    EXPECT_TRUE(r.listRead);
    EXPECT_TRUE(r.divx4 && r.divx5Pro && r.divx5 && r.xvid && r.divx3Low && r.divx3Fast);
    EXPECT_TRUE(state.Divx4FourccIsDivx);  // no DIVX4.DLL
    EXPECT_TRUE(state.DivxAudioCodecFound);
    EXPECT_FALSE(files.FileExists(kList));
    EXPECT_EQ(processes.waited, (std::vector<std::pair<std::string, int>>{{kCodecExe, 0}}));
}

TEST_F(CodecCheck, Divx4FourccFollowsTheDllOnEveryDivx4Line) {
    listText = "DivX Codec 4.12\r\n";
    files.contents[kSystem + "\\DIVX4.DLL"] = "dll";
    const auto withDll = Run();
    EXPECT_FALSE(state.Divx4FourccIsDivx);

    files.contents.erase(kSystem + "\\DIVX4.DLL");
    const auto withoutDll = Run();
    EXPECT_TRUE(state.Divx4FourccIsDivx);
    EXPECT_EQ(withDll.lines, withoutDll.lines);

    // A list without a DivX 4 line leaves the flag as it was.
    listText = "DivX 5.0.2\r\n";
    Run();
    EXPECT_TRUE(state.Divx4FourccIsDivx);
}

TEST_F(CodecCheck, XvidWithoutReadableDllShowsEmptyParentheses) {
    listText = "XviD MPEG-4 Codec\r\n";
    const auto r = Run();
    EXPECT_EQ(r.lines, (std::vector<std::string>{"XviD MPEG-4 Codec\t()"}));
    EXPECT_TRUE(r.xvid);
}

TEST_F(CodecCheck, ASecondRunStartsFromAnEmptyListAndKeepsTheAudioFlag) {
    listText = "DivX 5.0.2\r\n";
    files.contents[kSystem + "\\DIVXA32.ACM"] = "acm";
    const auto first = Run();
    files.contents.erase(kSystem + "\\DIVXA32.ACM");
    const auto second = Run();
    EXPECT_EQ(first.lines, (std::vector<std::string>{"DivX 5.0.2\t\t(Supported)", "DivX ;-) Audio Codec\t(Supported)"}));
    EXPECT_EQ(second.lines, (std::vector<std::string>{"DivX 5.0.2\t\t(Supported)"}));
    EXPECT_TRUE(state.DivxAudioCodecFound);  // never set back
}

TEST_F(CodecCheck, EndsCleanlyWithoutCodecExeOrList) {
    struct Case { const char* name; bool codecExe; bool writesList; std::size_t waits; };
    const Case cases[] = {
        {"no Codec.exe", false, false, 0},
        {"Codec.exe writes no list", true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files = FakeFiles();
        processes.waited.clear();
        if (c.codecExe) files.contents[kCodecExe] = "MZ";
        codecExeWritesList = c.writesList;
        files.contents[kSystem + "\\DIVXA32.ACM"] = "acm";
        files.contents[kList] = "DivX 5.0.2\r\n";  // left over from an earlier check
        RecordingButton button;

        const auto r = Run(&button);

        EXPECT_TRUE(r.lines.empty());
        EXPECT_FALSE(r.listRead);
        EXPECT_FALSE(r.divx5);
        EXPECT_FALSE(files.FileExists(kList));
        EXPECT_EQ(processes.waited.size(), c.waits);
        EXPECT_EQ(button.caption, "Check Installed Codec");
        EXPECT_TRUE(button.enabled);
    }
}

TEST_F(CodecCheck, ButtonWaitsDisabledWhileCodecExeRuns) {
    RecordingButton button;
    std::string captionDuringRun;
    bool enabledDuringRun = true;
    processes.onWait = [&](const std::string&) {
        captionDuringRun = button.caption;
        enabledDuringRun = button.enabled;
        files.contents[kList] = "DivX 5\r\n";
    };
    Run(&button);
    EXPECT_EQ(captionDuringRun, "Wait Starting Check ...");
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_EQ(button.log, (std::vector<std::string>{"caption Wait Starting Check ...", "disable",
                                                    "caption Check Installed Codec", "enable"}));
}

TEST_F(CodecCheck, ButtonIsRestoredWhenTheCheckThrows) {
    RecordingButton button;
    processes.onWait = [](const std::string&) { throw std::runtime_error("runner failed"); };
    EXPECT_THROW(Run(&button), std::runtime_error);
    EXPECT_EQ(button.caption, "Check Installed Codec");
    EXPECT_TRUE(button.enabled);
}
