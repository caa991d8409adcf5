// The engine's status window during a real encode (FFmpeg for Windows from
// build/ffmpeg): it shows FFmpeg's progress, the priority list takes a
// choice, and "Abort" stops FFmpeg and leaves nothing under the target's name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "../win32/win32_test_support.h"
#include "fakes/fakes.h"
#include "engine_ids.h"

namespace {

using mb::testing::Ffmpeg;

std::string ItemText(HWND dlg, int id) {
    char text[256] = {};
    GetDlgItemTextA(dlg, id, text, sizeof text);
    return text;
}

TEST(EngineStatusWindow, ShowsProgressTakesThePriorityAndAbortsLeavingNothing) {
    MAROBEX_SKIP_WITHOUT_FFMPEG();
    mb::testing::ScratchFolder dir("C:\\marobex_engine_window");
    const std::string d = dir.path();
    ASSERT_EQ(mb::testing::RunCommand(Ffmpeg() + " -nostdin -v error -f lavfi -i testsrc2=size=640x480:rate=25:duration=60 "
                                                 "-c:v mpeg4 -q:v 3 " + d + "\\clip.avi"),
              0u);
    // A DivX 4 pass as Marobex writes it, on that clip; FFmpeg named in
    // Marobex.ini beside the engine's copy.
    const std::string engine = d + "\\marobex-engine.exe";
    ASSERT_TRUE(CopyFileA(mb::testing::TestProgram("marobex-engine.exe").c_str(), engine.c_str(), FALSE));
    ASSERT_TRUE(mb::testing::WriteWholeFile(d + "\\Marobex.ini", "[PATH]\r\nFFMPEGPATH=" + Ffmpeg() + "\r\n"));
    std::string job;
    for (const std::string& line : mb::fakes::SplitLines(mb::fakes::ReadFile(
             std::string(MAROBEX_TEST_DATA) + "/jobs/expected/divx4_1pass/jobpass.vcf"))) {
        if (line.rfind("VirtualDub.Open(", 0) == 0)
            job += "VirtualDub.Open(\"C:\\\\marobex_engine_window\\\\clip.avi\",0,0);\r\n";
        else if (line.rfind("VirtualDub.SaveAVI(", 0) == 0)
            job += "VirtualDub.SaveAVI(\"C:\\\\marobex_engine_window\\\\out.avi\");\r\n";
        else
            job += line + "\r\n";
    }
    ASSERT_NE(job.find("SetCompData(316,"), std::string::npos);
    ASSERT_TRUE(mb::testing::WriteWholeFile(d + "\\job.vcf", job));

    HANDLE process = mb::testing::StartCommand(engine + " /r /x /s" + d + "\\job.vcf");
    ASSERT_NE(process, nullptr);
    HWND window = nullptr;
    for (int i = 0; i < 600 && window == nullptr; ++i) {
        window = FindWindowA(nullptr, "VirtualDub Status - [clip.avi]");
        if (window == nullptr && WaitForSingleObject(process, 50) == WAIT_OBJECT_0) break;
    }
    ASSERT_NE(window, nullptr);
    // FFmpeg's progress arrives while it works.
    std::string frames;
    for (int i = 0; i < 600 && frames.rfind("Frame ", 0) != 0; ++i) {
        Sleep(50);
        frames = ItemText(window, mb::kEngineFramesId);
    }
    EXPECT_NE(frames.find(" of 1,500"), std::string::npos) << frames;

    HWND combo = GetDlgItem(window, IDC_PRIORITY);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PRIORITY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(GetDlgItem(window, mb::kEngineAbortId), BM_CLICK, 0, 0);

    EXPECT_EQ(mb::testing::WaitForExit(process), 2u);
    EXPECT_FALSE(mb::testing::PathExists(d + "\\out.avi"));
    EXPECT_FALSE(mb::testing::PathExists(d + "\\out.avi.part"));
    const std::string log = mb::testing::ReadWholeFile(d + "\\out.avi.log");
    EXPECT_NE(log.find("priority: Idle"), std::string::npos) << log;
    EXPECT_NE(log.find("result: aborted; nothing saved"), std::string::npos) << log;
    DeleteFileA(engine.c_str());
}

}  // namespace
