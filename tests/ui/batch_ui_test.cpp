// The overnight batch on the windows: the shutdown countdown, the queue of
// jobs on its tab (three jobs run in order and marked, the queue file read
// again by a new start), saving and opening a job, and a Codec.exe that
// does not answer. Screenshots of the queue and the countdown go to the
// build's screenshots folder.
#include <windows.h>
#include <commctrl.h>

#include "main_test_support.h"
#include "model/saved_job_write.h"

namespace mb::test {
namespace {

constexpr const char* kFolder = ProgramUnderTest::kFolder;

// The ports of the whole program: the run's world, with the profile, the
// locale, the text files and a Codec.exe that may hang.
struct AppWorld : mb::fakes::World {
    bool codecHangs = false;
    bool ShellAndWaitFor(const ProgramCommand& command, int windowStyle, int) override {
        std::string reason;
        std::uint32_t exitStatus = 0;
        ShellAndWait(command, windowStyle, EndBy::CloseWindows, reason, exitStatus);
        return !codecHangs;
    }
};

struct Program : ProgramUnderTest {
    explicit Program(AppWorld& w, int show = SW_HIDE) : ProgramUnderTest(w) {
        options.shutdownCountdownSeconds = 2;
        options.shutdownCountdownTickMs = 20;
        Start(show);
    }
    void ClickQueue(int id) { Click(app->QueuePage().Item(id)); }
    std::vector<std::string> States() { return QueueStates(*app); }
};

// The count on its own timer down to zero shuts the machine down; counted
// tick by tick, it shuts down at the tick that reaches zero, and Cancel
// before it keeps the machine running.
TEST(Countdown, ZeroShutsTheMachineDownAndCancelBeforeKeepsItRunning) {
    const struct {
        UINT tickMs;
        int ticks;  // sent before Cancel is clicked; -1: none, the timer counts
        bool shutDown;
    } cases[] = {{20, -1, true}, {60000, 1, false}, {60000, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticks);
        mb::fakes::World world;
        CountdownWindowW32 countdown(GetModuleHandleA(nullptr), 2, c.tickMs);
        std::string text;
        countdown.onShown = [&](HWND window) {
            text = WindowTextOf(GetDlgItem(window, CountdownWindowW32::IDC_CountdownText));
            if (c.ticks < 0) return;
            SaveWindowShot(window, "countdown");
            for (int i = 0; i < c.ticks; ++i) PostMessageA(window, WM_TIMER, 1, 0);
            PostMessageA(GetDlgItem(window, CountdownWindowW32::IDC_CancelShutdown), BM_CLICK, 0, 0);
        };
        RunPorts ports = world.Ports();
        ports.countdown = &countdown;
        ShutdownWhenDone(ports);
        EXPECT_EQ(text, ShutdownCountdownText(2));
        EXPECT_EQ(world.events, c.shutDown ? std::vector<std::string>{"shutdown 17"} : std::vector<std::string>{});
        EXPECT_EQ(countdown.Handle(), nullptr);
    }
}

TEST(QueueTab, ThreeJobsRunInOrderAreMarkedAndComeBackAfterARestart) {
    AppWorld world;
    world.files[std::string(kFolder) + "\\Codec.exe"] = "";
    for (const char* name : {"C:\\v\\good.avs", "C:\\v\\gone.avs", "C:\\v\\crash.avs"}) world.files[name] = "source";
    world.silent = {"crash"};  // its encoder writes nothing
    world.programs.push_back({"jobpass.vcf", [&world] {
                                  world.silent.clear();
                                  if (world.files["c:\\jobpass.vcf"].find("crash") != std::string::npos)
                                      world.silent = {"jobpass.vcf"};
                              }});
    {
        Program p(world, SW_SHOWNORMAL);
        EXPECT_EQ(SendMessageA(p.app->Window().Item(IDC_SSTabMain), TCM_GETITEMCOUNT, 0, 0), 5);
        for (const char* source : {"C:\\v\\good.avs", "C:\\v\\gone.avs", "C:\\v\\crash.avs"}) {
            p.dialogs.answers = {source};
            p.app->Window().BrowseSource();
            p.ClickQueue(QueuePageW32::IDC_QueueAdd);
        }
        // Up moves the chosen job and keeps it chosen, and is off at the top;
        // Down takes it back.
        HWND list = p.app->QueuePage().Item(QueuePageW32::IDC_QueueList);
        LVITEMA chosen{};
        chosen.stateMask = chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&chosen));
        Pump();
        for (int up = 0; up < 2; ++up) p.ClickQueue(QueuePageW32::IDC_QueueUp);
        EXPECT_EQ(p.app->Queue().Jobs()[0].job.SourceFilePath, "C:\\v\\crash.avs");
        EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
        EXPECT_FALSE(IsWindowEnabled(p.app->QueuePage().Item(QueuePageW32::IDC_QueueUp)));
        for (int down = 0; down < 2; ++down) p.ClickQueue(QueuePageW32::IDC_QueueDown);
        EXPECT_EQ(p.app->Queue().Jobs()[2].job.SourceFilePath, "C:\\v\\crash.avs");
        world.files.erase("C:\\v\\gone.avs");  // refused when its turn comes
        EXPECT_EQ(p.States(), (std::vector<std::string>{"Waiting", "Waiting", "Waiting"}));
        p.app->Model().SelectTab(TabStrip::SSTabMain, QueueTabIndex);
        Pump();
        EXPECT_TRUE(IsWindowVisible(p.app->QueuePage().Handle()));
        SaveWindowShot(p.app->Window().Handle(), "queue");

        std::vector<std::string> captions;
        world.programs.push_back({"jobpass.vcf", [&] {
                                      char text[128] = "";
                                      GetWindowTextA(p.app->Progress().Handle(), text, sizeof text);
                                      captions.emplace_back(text);
                                  }});
        p.ClickQueue(QueuePageW32::IDC_QueueStart);
        EXPECT_EQ(captions, (std::vector<std::string>{"Loggin Encoding process - job 1 of 3",
                                                      "Loggin Encoding process - job 3 of 3"}));
        EXPECT_EQ(p.States(),
                  (std::vector<std::string>{
                      "Done", "Refused: Cannot find source file",
                      "Failed: The encoding failed at the step \"First Pass\": C:\\v\\crash.avi was not written."}));
        EXPECT_EQ(std::count_if(world.events.begin(), world.events.end(),
                                [](const std::string& e) { return e.rfind("message: The queue has ended", 0) == 0; }),
                  1);
        const std::vector<std::string> log = p.app->Progress().LogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), FailedStatusLine);
        // Each job keeps its log; the chosen one's state is shown whole, and
        // a double-click shows its log.
        ASSERT_EQ(p.app->JobLogs().size(), 3u);
        EXPECT_EQ(p.app->JobLogs()[0].back(), " Status Encoding : FINISH");
        EXPECT_EQ(p.app->JobLogs()[2].back(), FailedStatusLine);
        SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&chosen));
        Pump();
        EXPECT_EQ(WindowTextOf(p.app->QueuePage().Item(QueuePageW32::IDC_QueueState)),
                  "Job 3 : Failed: The encoding failed at the step \"First Pass\": C:\\v\\crash.avi was not "
                  "written.  (double-click: its log)");
        SaveWindowShot(p.app->Window().Handle(), "queue-failed-reason");
        p.app->ShowQueuedJobLog(0);
        EXPECT_EQ(p.app->Progress().LogLines(), p.app->JobLogs()[0]);
    }
    Program again(world);
    EXPECT_EQ(again.States().size(), 3u);
    EXPECT_EQ(again.States()[0], "Done");
}

TEST(QueueTab, SaveJobThenOpenJobGivesTheSameSettings) {
    AppWorld world;
    world.files["C:\\v\\movie.avi"] = "source";
    Program p(world);
    p.dialogs.answers = {"C:\\v\\movie.avi"};
    p.app->Window().BrowseSource();
    p.app->Model().SelectOption(Ctl::OptCodec, 3);
    p.app->Model().SetText(Ctl::TxtBit3, "1200");
    const std::string before = SavedJobText(JobFromForm(p.app->Model(), p.app->State()));
    p.dialogs.answers = {"C:\\jobs\\film"};
    p.ClickQueue(QueuePageW32::IDC_QueueSaveJob);
    ASSERT_EQ(world.files.count("C:\\jobs\\film.ini"), 1u);

    p.app->Model().SelectOption(Ctl::OptCodec, 0);
    p.app->Model().SetCheck(Ctl::ChkCPU, 1);
    p.dialogs.answers = {"C:\\jobs\\film.ini"};
    p.ClickQueue(QueuePageW32::IDC_QueueOpenJob);
    EXPECT_EQ(world.messages, std::vector<std::string>{});
    EXPECT_EQ(SavedJobText(JobFromForm(p.app->Model(), p.app->State())), before);
}

TEST(QueueTab, ACodecExeThatHangsIsStoppedAndTheListSaysSo) {
    AppWorld world;
    world.files[std::string(kFolder) + "\\Codec.exe"] = "";
    world.codecHangs = true;
    Program p(world);
    HWND list = p.app->Window().Item(IDC_LstCodecFound);
    char line[256] = "";
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::string(line), CodecCheckTimeoutLine(CodecCheckLimitMs));
    EXPECT_TRUE(IsWindowEnabled(p.app->Window().ControlWindow(Ctl::OptCodec, 0)));
    // The list scrolls sideways to the end of its longest line.
    EXPECT_GT(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
}

}  // namespace
}  // namespace mb::test
