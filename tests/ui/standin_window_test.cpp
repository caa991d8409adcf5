// The stand-in encoders' status window, driven the way the priority helper
// drives the real one: found by its title, check boxes clicked, a priority
// chosen; the stand-in records what its controls showed.
#include "../win32/standin_process.h"

#include "../native/standin_samples.h"
#include "standin/encoder_job.h"

using namespace mb;
using namespace mb::samples;
using namespace mb::standin_test;

namespace {

HWND WaitForWindow(const std::string& title, HANDLE process) {
    for (int i = 0; i < 400; ++i) {
        if (HWND w = FindWindowA(nullptr, title.c_str())) return w;
        if (WaitForSingleObject(process, 25) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

std::string ItemText(HWND dlg, int id) {
    char text[128] = {};
    GetDlgItemTextA(dlg, id, text, sizeof text);
    return text;
}

// The entry's text, read as Unicode: Wine hands a combo's entry text to
// another process intact only in that form.
std::string ComboEntry(HWND combo, int index) {
    wchar_t text[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    char narrow[128] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

class StandinStatusWindow : public StandinFixture {
protected:
    HANDLE Start(const char* exe, const std::string& source) {
        SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", "20000");
        EXPECT_TRUE(WriteBytes(Path(source), "x"));
        EXPECT_TRUE(WriteBytes(Path("job.vcf"), OnePassJob("0x78766964", 323, StateText(323, 4, 780000),
                                                           Escaped(Path(source)), Escaped(Path("b.avi")))));
        return StartCommand(StandinExe(exe) + " /r /x /s" + Path("job.vcf"));
    }
};

}  // namespace

TEST_F(StandinStatusWindow, ShowsTheEncodersControlsAndRecordsTheirChanges) {
    HANDLE process = Start("VirtualDub.exe", "movie.avs");
    ASSERT_NE(process, nullptr);
    HWND dlg = WaitForWindow("VirtualDub Status - [movie.avs]", process);
    ASSERT_NE(dlg, nullptr);

    EXPECT_EQ(ItemText(dlg, 1027), "Show input video");
    EXPECT_EQ(ItemText(dlg, 1028), "Show output video");
    EXPECT_EQ(SendDlgItemMessageA(dlg, 1027, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageA(dlg, 1028, BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND combo = GetDlgItem(dlg, 1080);
    ASSERT_NE(combo, nullptr);
    const char* entries[] = {"Idle", "Lowest", "Even lower", "Lower", "Normal", "Higher", "Even higher", "Highest"};
    ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ComboEntry(combo, i), entries[i]);
        EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entries[i])), i);
    }
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 4);

    // As the priority helper does: a click that the window notices, and a
    // selection with the notice its owner gets from a user's choice.
    SendMessageA(GetDlgItem(dlg, 1027), BM_CLICK, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(dlg, 1027, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, 1004)));  // the input preview is hidden
    SendMessageA(combo, CB_SETCURSEL, 6, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(1080, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process), 0u);

    const auto records = Trace();
    ASSERT_EQ(records.size(), 1u);
    const TraceRecord& r = records[0];
    EXPECT_EQ(r.Value("status window"), "VirtualDub Status - [movie.avs]");
    EXPECT_EQ(r.Values("control changed"),
              (std::vector<std::string>{"Show input video unchecked", "Priority Even higher"}));
    EXPECT_EQ(r.Value("Show input video"), "unchecked");
    EXPECT_EQ(r.Value("Show output video"), "checked");
    EXPECT_EQ(r.Value("Priority"), "Even higher");
    EXPECT_EQ(r.Value("result"), "done");
    EXPECT_TRUE(FileExists(Path("b.avi")));
}

TEST_F(StandinStatusWindow, NandubTitlesItsWindowAndKeepsItAtLeastItsTime) {
    SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", "1500");
    ASSERT_TRUE(WriteBytes(Path("clip.avi"), "x"));
    ASSERT_TRUE(WriteBytes(Path("job.vcf"), NandubPass2Job(Escaped(Path("clip.avi")), Escaped(Path("out.avi")))));
    WriteBytes("C:\\Divx3stats.stats", std::string(kNandubStatsHeader) + "\r\nframes: 1\r\n");
    const DWORD start = GetTickCount();
    HANDLE process = StartCommand(StandinExe("NanDub.exe") + " /r /x /s" + Path("job.vcf"));
    ASSERT_NE(process, nullptr);
    HWND dlg = WaitForWindow("Nandub Status - [clip.avi]", process);
    EXPECT_NE(dlg, nullptr);
    EXPECT_EQ(WaitForExit(process), 0u);
    EXPECT_GE(GetTickCount() - start, 1500u);
    DeleteFileA("C:\\Divx3stats.stats");

    const auto records = Trace();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_FALSE(records[0].Has("control changed"));
    EXPECT_EQ(records[0].Value("Show input video"), "checked");
    EXPECT_EQ(records[0].Value("Show output video"), "checked");
    EXPECT_EQ(records[0].Value("Priority"), "Normal");
}
