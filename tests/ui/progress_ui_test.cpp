// A run the user can follow, over the shared in-memory ports: the progress
// window's lines while the encoder's status window counts its frames,
// "Save Log...", files dropped on the main window, and the source's facts
// with the sizes the codec panels give; then a real encode with the engine,
// its status window put beside the progress window. Screenshots of the
// progress window mid-run, the Input tab and a codec panel go to the build's
// screenshots folder. "Cancel" of a run, on the window (a queue's job, with
// a real engine stand-in) and on the tray icon's menu.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <thread>

#include "../win32/win32_test_support.h"
#include "jobs/job_scripts.h"
#include "env/files_win32.h"
#include "env/system_win32.h"
#include "main_test_support.h"
#include "model/saved_job_write.h"
#include "model/status_window.h"
#include "run/process_win32.h"
#include "engine/media_files.h"

namespace mb::test {
namespace {

using fakes::Lines;

struct World {
    fakes::World env;
};
struct Program : World, ProgramUnderTest {
    explicit Program(int show = SW_HIDE) : ProgramUnderTest(env) {
        NameVirtualDub();
        Start(show);
    }
    // The files as Explorer drops them: the system's drop record, at a
    // point of the main window's client area.
    void Drop(const std::vector<std::string>& paths, POINT at = {8, 8}) {
        std::string names;
        for (const std::string& p : paths) names += p + '\0';
        names += '\0';
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->pt = at;
        memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
        GlobalUnlock(memory);
        SendMessageA(Main(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        Pump();
    }
    // The middle of a frame of the layout, in the window's pixels.
    POINT Inside(int frameId) {
        const LayoutRect& r = FindLayoutItem(frameId)->rect;
        const int dpi = app->Window().Dpi();
        return {MulDiv(r.x + r.w / 2, dpi, 96), MulDiv(r.y + r.h / 2, dpi, 96)};
    }
    std::string Label(int id) { return WindowTextOf(Item(id)); }
};

// A real AVI of 10 s at 25 fps, 320 x 240, whose headers the window reads.
struct RealSource {
    mb::testing::ScratchFolder folder{"C:\\marobex_ui_progress"};
    std::string path = folder / "film.avi";
    RealSource() {
        AviShape avi;
        avi.frames = 250;
        avi.videoBytes = 250 * 64;
        mb::testing::WriteWholeFile(path, AviBytes(avi));
    }
};

// An encoder's status window as the engine shows it: its title and the
// frame count where Priority.exe and Marobex look for them.
HWND StatusWindow(const char* frames, const char* percent) {
    HWND w = CreateWindowExA(0, "STATIC", "VirtualDub Status - [film.avi]", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                             360, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    CreateWindowExA(0, "STATIC", frames, WS_CHILD | WS_VISIBLE, 8, 8, 200, 16, w, reinterpret_cast<HMENU>(kEngineFramesId),
                    nullptr, nullptr);
    CreateWindowExA(0, "STATIC", percent, WS_CHILD | WS_VISIBLE, 8, 30, 200, 16, w, reinterpret_cast<HMENU>(kEnginePercentId),
                    nullptr, nullptr);
    return w;
}

// Delivers messages for a while, as ShellAndWait does while an encoder runs.
void PumpFor(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
}

// The program with the real processes, files and clock, started hidden.
struct RealPorts {
    fakes::World world;
    ScriptedDialogs dialogs;
    ProcessesW32 processes;
    FilesW32 files;
    ClockW32 clock;
    MarobexApp app{AppPorts{world, processes, world, world, files, world, clock, world, world, dialogs}};
    explicit RealPorts(const std::string& folder) {
        AppOptions options;
        options.programFolder = folder;
        options.showCommand = SW_HIDE;
        EXPECT_TRUE(app.Start(GetModuleHandleA(nullptr), options));
        Pump();
    }
    ~RealPorts() {
        DestroyWindow(app.Window().Handle());
        TakeQuitMessage();
    }
};

TEST(RunProgressWindow, FollowsTheStatusWindowsFramesOnItsLinesAndTheTrayTipAndSavesItsLog) {
    RealSource source;
    Program p;
    p.env.files[source.path] = "";
    p.dialogs.answers = {source.path};
    p.Click(IDC_cmdBrowseSrc);
    p.app->Model().SelectListEntry(Ctl::CmbNumPass, 1);  // two passes: 250 frames each
    LogProcessWindow& progress = p.app->Progress();
    std::string step, run, tip;
    int bar = -1;
    p.env.programs.push_back({"jobpass1.vcf", [&] {
                                  HWND status = StatusWindow("Frame 120 of 250", "48 %");
                                  PumpFor(1400);  // the progress looks once a second
                                  step = progress.ProgressText(LogProcessWindow::IDC_LbStep);
                                  run = progress.ProgressText(LogProcessWindow::IDC_LbRun);
                                  bar = progress.RunBarPosition();
                                  tip = p.app->Tray()->Tip();
                                  SaveWindowShot(progress.Handle(), "progress-mid-run");
                                  DestroyWindow(status);
                              }});
    p.Click(IDC_cmdStartEncode);
    EXPECT_EQ(step, "First Pass : 48 %");
    EXPECT_EQ(run.rfind("Run : 24 %, ", 0), 0u) << run;
    EXPECT_EQ(bar, 24);
    EXPECT_EQ(tip.rfind("Marobex 24% First Pass 48% ", 0), 0u) << tip;
    // The run went through: the whole bar, the step of the end.
    EXPECT_EQ(progress.RunBarPosition(), 100);
    EXPECT_EQ(progress.ProgressText(LogProcessWindow::IDC_LbStep), "Second Pass : 100 %");
    // The notice of the end comes from an icon of its own (Wine shows
    // balloons), which the next run's icon replaces.
    EXPECT_FALSE(p.app->Tray()->IsShown());
    EXPECT_TRUE(p.app->Tray()->NoticeShown());
    p.app->Tray()->StartSystray();
    EXPECT_FALSE(p.app->Tray()->NoticeShown());
    p.app->Tray()->DeleteSystray();
    // The texts of the lists stay as they are.
    EXPECT_EQ(progress.QueueLines(), (Lines{" - First Pass", " - Second Pass"}));

    // "Save Log..." writes the log as text with CR LF.
    std::string text;
    for (const std::string& line : progress.LogLines()) text += line + "\r\n";
    p.dialogs.answers = {"C:\\logs\\run"};  // no extension: it gets ".txt"
    p.Click(GetDlgItem(progress.Handle(), LogProcessWindow::IDC_CmdSaveLog));
    EXPECT_EQ(p.dialogs.asked.back(), "save|Save Log|Text File (*.txt)|*.txt|All Files (*.*)|*.*|C:\\Marobex");
    EXPECT_EQ(p.env.files["C:\\logs\\run.txt"], text);
    p.dialogs.answers = {""};  // cancelled: nothing written
    const std::size_t files = p.env.files.size();
    p.Click(GetDlgItem(progress.Handle(), LogProcessWindow::IDC_CmdSaveLog));
    EXPECT_EQ(p.env.files.size(), files);
}

// Looks at the windows while a real encoder runs, from a timer of the
// thread (ShellAndWait delivers it); `look` answers true once it has seen
// what it waited for.
class Looking {
public:
    explicit Looking(std::function<bool()> look) : look_(std::move(look)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 250, Tick);
    }
    ~Looking() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool seen = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ && !current_->seen) current_->seen = current_->look_();
    }
    static inline Looking* current_ = nullptr;
    std::function<bool()> look_;
    UINT_PTR timer_;
};

TEST(RunProgressWindow, ARealEncodeWithTheEngineIsFollowedFrameByFrame) {
    MAROBEX_SKIP_WITHOUT_FFMPEG();
    mb::testing::ScratchFolder dir("C:\\marobex_ui_engine_run");
    const std::string film = dir / "film.avi";
    ASSERT_EQ(mb::testing::RunProgram(mb::testing::Ffmpeg() + " -hide_banner -nostdin -v error -f lavfi -i "
                                                "testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4 -q:v 2 -y " + film,
                                      dir.path(), 120000).exitCode, 0u);
    const mb::testing::FfmpegOnPath onPath;

    RealPorts real(mb::testing::TestProgramFolder());
    MarobexApp& app = real.app;
    ScriptedDialogs& dialogs = real.dialogs;
    const std::string engine = mb::testing::TestProgram("marobex-engine.exe");
    app.State().VirtualDubPath = app.State().NanDubPath = app.State().BesweetPath = engine;
    dialogs.answers = {film};
    app.Window().BrowseSource();
    app.Model().SelectListEntry(Ctl::CmbNumPass, 1);

    LogProcessWindow& progress = app.Progress();
    std::string step;
    bool clear = false;
    Looking looking([&] {
        step = progress.ProgressText(LogProcessWindow::IDC_LbStep);
        HWND status = FindEncoderStatusWindow();
        if (!status || step.rfind("Second Pass : ", 0) != 0 || step == "Second Pass : 0 %") return false;
        RECT a, b, overlap;
        GetWindowRect(status, &a);
        GetWindowRect(progress.Handle(), &b);
        clear = !IntersectRect(&overlap, &a, &b);
        SaveWindowShot(progress.Handle(), "progress-engine-run");
        return true;
    });
    app.StartEncode();
    EXPECT_TRUE(looking.seen) << step;
    EXPECT_TRUE(clear);
    EXPECT_EQ(progress.LogLines().back(), " Status Encoding : FINISH");
    EXPECT_EQ(progress.RunBarPosition(), 100);
}

TEST(RunCancel, TheWaitAsksTheProgramToEndAndEndsItWhenItStays) {
    mb::testing::ScratchFolder folder("C:\\marobex_ui_cancel_wait");
    std::string reason;
    const std::string job = folder / "job.vcf", out = folder / "out.avi";
    mb::testing::WriteWholeFile(job, "VirtualDub.SaveAVI(\"" + DoubleBackslash(out) + "\");\r\n");
    const struct {
        const char* name;
        const char* program;
        EndBy endBy;
        bool ignoresClose;
        DWORD graceMs;
        std::uint32_t status;
    } cases[] = {
        {"the engine, by its Abort", "slow_engine.exe", EndBy::EngineAbort, false, CancelGraceMs, 2},
        {"another program, by its window", "slow_encoder.exe", EndBy::CloseWindows, false, CancelGraceMs, 0},
        {"one that stays, ended after the grace", "slow_encoder.exe", EndBy::CloseWindows, true, 1500, 1},
    };
    for (const auto& c : cases) {
        const mb::testing::EnvironmentSet ignoring("MAROBEX_SLOW_IGNORE_CLOSE", c.ignoresClose ? "1" : nullptr);
        ProcessesW32 processes(c.graceMs);
        // From a thread of its own, as Ctrl+C comes.
        std::thread cancel([&processes] {
            Sleep(700);
            processes.CancelRun();
        });
        const ULONGLONG before = GetTickCount64();
        std::uint32_t status = 99;
        EXPECT_EQ(processes.ShellAndWait({mb::testing::TestProgram(c.program), " /r /x /s" + job}, 0, c.endBy, reason, status),
                  ProgramEnd::Cancelled)
            << c.name;
        const ULONGLONG took = GetTickCount64() - before;
        cancel.join();
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_GE(took, c.ignoresClose ? 700u + c.graceMs : 700u) << c.name;
        EXPECT_LT(took, 700u + c.graceMs + 2000u) << c.name;
        // Cancelled stays cancelled: the next program does not start.
        DeleteFileA(out.c_str());
        EXPECT_TRUE(processes.RunCancelled()) << c.name;
        EXPECT_EQ(processes.ShellAndWait({mb::testing::TestProgram(c.program), " /r /x /s" + job}, 0, c.endBy, reason, status),
                  ProgramEnd::Cancelled);
        EXPECT_FALSE(mb::testing::PathExists(out)) << c.name;
        processes.ResetCancel();
        EXPECT_FALSE(processes.RunCancelled()) << c.name;
    }
}

TEST(RunCancel, CancelMidRunEndsTheEngineStopsTheQueueAndMarksTheJobCancelled) {
    mb::testing::ScratchFolder dir("C:\\marobex_ui_cancel");
    const std::string source = dir / "film.avs", target = dir / "film.avi";
    ASSERT_TRUE(mb::testing::WriteWholeFile(source, "Version()\r\n"));
    // An engine that runs until it is aborted.
    RealPorts real(dir.path());
    MarobexApp& app = real.app;
    ScriptedDialogs& dialogs = real.dialogs;
    app.State().VirtualDubPath = mb::testing::TestProgram("slow_engine.exe");
    dialogs.answers = {source};
    app.Window().BrowseSource();
    const SavedJob job = JobFromForm(app.Model(), app.State());
    app.Queue().Add(job);
    app.Queue().Add(job);

    const auto cancel = [&app] { return GetDlgItem(app.Progress().Handle(), LogProcessWindow::IDC_CmdCancel); };
    bool enabled = false, partial = false;
    Looking looking([&] {
        if (!FindEncoderStatusWindow()) return false;
        enabled = IsWindowEnabled(cancel()) != FALSE;
        partial = mb::testing::PathExists(target + ".part");
        SendMessageA(cancel(), BM_CLICK, 0, 0);
        return true;
    });
    const ULONGLONG before = GetTickCount64();
    app.StartQueue();
    EXPECT_LT(GetTickCount64() - before, 8000u);  // through the engine's Abort, not its end after the grace
    EXPECT_TRUE(looking.seen);
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(partial);
    EXPECT_FALSE(IsWindowEnabled(cancel()));
    EXPECT_EQ(app.Progress().LogLines().back(), " >> Encoding stopped: cancelled <<");
    EXPECT_FALSE(mb::testing::PathExists(target + ".part"));
    EXPECT_FALSE(mb::testing::PathExists(target));
    EXPECT_EQ(QueueStates(app), (Lines{"Cancelled: The encoding was stopped: cancelled.", "Waiting"}));
    EXPECT_EQ(real.world.messages.back().rfind("The queue was stopped: 0 done", 0), 0u) << real.world.messages.back();
}

TEST(RunCancel, TheTrayIconsMenuCancelsTheRunAndNoShutdownFollows) {
    Program p;
    p.env.files["C:\\v\\movie.avs"] = "";
    p.dialogs.answers = {"C:\\v\\movie.avs"};
    p.Click(IDC_cmdBrowseSrc);
    p.app->Model().SelectListEntry(Ctl::CmbNumPass, 1);
    p.app->Model().SetCheck(Ctl::chkShutdown, 1);
    TrayIconW32& tray = *p.app->Tray();
    std::string item;
    tray.chooseFromMenu = [&](HMENU menu) {
        char text[32] = "";
        GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
        item = text;
        return p.env.Events({"run("}).size() > 1 ? TrayCancelItem : 0;  // the first pass's menu dismissed
    };
    for (const char* pass : {"jobpass1.vcf", "jobpass2.vcf"})
        p.env.programs.push_back({pass, [&] { SendMessageA(p.Main(), tray.CallbackMessage(), 1, WM_RBUTTONUP); }});
    p.Click(IDC_cmdStartEncode);
    EXPECT_EQ(item, "Cancel");
    EXPECT_EQ(p.env.Events({"run("}).size(), 2u);
    EXPECT_EQ(p.app->Progress().LogLines().back(), " >> Encoding stopped: cancelled <<");
    EXPECT_EQ(p.env.messages, Lines{"The encoding was stopped: cancelled."});
    EXPECT_EQ(p.env.Events({"shutdown"}), Lines{});
    // Without a run the icon's right click opens nothing.
    item.clear();
    SendMessageA(p.Main(), tray.CallbackMessage(), 1, WM_RBUTTONUP);
    EXPECT_EQ(item, "");
}

TEST(DroppedFiles, GoWhereTheButtonsWouldPutThem) {
    // A long name with letters beyond ASCII, in the system's code page.
    const std::string source = "C:\\v\\Film d'\xE9t\xE9 " + std::string(220, 'x') + ".avi";
    Program p;
    p.env.files[source] = "";
    p.Drop({source});
    EXPECT_EQ(p.env.messages, Lines{});
    EXPECT_EQ(p.app->Model().Text(Ctl::txtSource), source);
    EXPECT_EQ(p.app->State().TargetFilePath, source.substr(0, source.size() - 4) + "_1.avi");

    // An audio file on stream 1's box of the Audio tab.
    p.app->Model().SelectTab(TabStrip::SSTabMain, 2);
    p.env.files["C:\\a\\track.ac3"] = "";
    p.Drop({"C:\\a\\track.ac3"}, p.Inside(IDC_Frame20));
    EXPECT_EQ(p.app->Model().Text(Ctl::TxtStream1), "C:\\a\\track.ac3");
    EXPECT_EQ(p.app->Model().Settings().ChkMux, 1);

    // Saved jobs on the Queue tab; anything else is told what goes where.
    p.env.files["C:\\jobs\\a.ini"] = SavedJobText(JobFromForm(p.app->Model(), p.app->State()));
    p.env.files["C:\\jobs\\notes.txt"] = "";
    p.app->Model().SelectTab(TabStrip::SSTabMain, QueueTabIndex);
    p.Drop({"C:\\jobs\\a.ini", "C:\\jobs\\notes.txt"});
    ASSERT_EQ(p.app->Queue().Size(), 1u);
    EXPECT_EQ(p.app->Queue().Jobs()[0].job.SourceFilePath, source);
    const std::string help =
        "Drop a video source (*.avi, *.avs) on the window, an audio stream (*.ac3, *.mpa) on a stream's box of "
        "the Audio tab, or saved jobs (*.ini) on the Queue tab.";
    EXPECT_EQ(p.env.messages, Lines{"Some files were not added: " + help});
    p.app->Model().SelectTab(TabStrip::SSTabMain, 0);
    p.Drop({"C:\\jobs\\notes.txt"});
    EXPECT_EQ(p.env.messages.back(), help);
    EXPECT_EQ(p.app->Model().Text(Ctl::txtSource), source);  // unchanged
}

TEST(SourceFacts, TheInputTabAndTheCodecPanelsSayWhatTheSourceGives) {
    RealSource source;
    Program p(SW_SHOWNORMAL);
    p.dialogs.answers = {source.path};
    p.Click(IDC_cmdBrowseSrc);
    EXPECT_EQ(p.Label(IDC_LbSourceFacts), "Length 0:00:10, 250 frames\r\n25.000 fps, 320 x 240");
    SaveWindowShot(p.Main(), "input-source-facts");

    // 780 kbps for 10 s with the container's share; then a bitrate typed.
    EXPECT_EQ(p.Label(IDC_LbSizeDivx5), "Encoding Bitrate = 0.9 MB for this source");
    p.app->Model().SetText(Ctl::txtBr, "1560");
    EXPECT_EQ(p.Label(IDC_LbSizeDivx5), "Encoding Bitrate = 1.9 MB for this source");
    p.app->Model().SelectTab(TabStrip::SSTabMain, 1);
    Pump();
    SaveWindowShot(p.Main(), "video-size-label");
    // The default desired size of the third pass, far off for 10 s.
    EXPECT_EQ(p.Label(IDC_LbBitrateDivx4), "Desired Size = 466,929 kbps for this source");
    // A source whose facts cannot be read says so, and the sizes go.
    p.dialogs.answers = {"C:\\v\\movie.avs"};
    p.Click(IDC_cmdBrowseSrc);
    EXPECT_EQ(p.Label(IDC_LbSourceFacts), "Length unknown\r\nFrames, rate, size unknown");
    EXPECT_EQ(p.Label(IDC_LbSizeDivx5), "");
}

}  // namespace
}  // namespace mb::test
