// Priority.exe against a window shaped like the encoder's status window,
// owned by this test: the test pumps its messages while Priority.exe runs
// and records every notice the window receives from its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../win32/win32_test_support.h"
#include "fakes/fakes.h"
#include "model/status_window.h"

namespace {

constexpr int kInputId = mb::kShowInputVideoId;
constexpr int kOutputId = mb::kShowOutputVideoId;
constexpr int kPriorityId = mb::kProcessPriorityId;
constexpr char kStatusTitle[] = "VirtualDub Status - [movie.avs]";

std::string ComboText(HWND combo) {
    const auto index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return "(none)";
    char text[64] = "";
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// The status window. Each control notice is recorded as the owner sees it
// at that moment, e.g. "1027 clicked unchecked" or "1080 selchange Higher".
class StatusWindow {
public:
    explicit StatusWindow(bool withPriorityList = true) {
        static const ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "MarobexTestStatusWindow";
            return RegisterClassA(&wc);
        }();
        EXPECT_NE(atom, 0);
        // Left hidden: Priority.exe finds hidden windows as well, and
        // destroying a shown one costs seconds under a bare X server.
        window = CreateWindowExA(0, "MarobexTestStatusWindow", kStatusTitle, WS_OVERLAPPEDWINDOW, 50, 50, 400, 250,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        const auto child = [this](const char* type, const char* text, DWORD style, int id, int y) {
            return CreateWindowExA(0, type, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, id == kPriorityId ? 200 : 20,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
        };
        input = child("BUTTON", "Show input video", BS_AUTOCHECKBOX, kInputId, 10);
        output = child("BUTTON", "Show output video", BS_AUTOCHECKBOX, kOutputId, 40);
        SendMessageA(input, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageA(output, BM_SETCHECK, BST_CHECKED, 0);
        if (withPriorityList) {
            combo = child("COMBOBOX", "", WS_VSCROLL | CBS_DROPDOWNLIST, kPriorityId, 70);
            for (int i = 0; i < mb::kPriorityEntryCount; ++i)
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(mb::PriorityEntry(i)).c_str()));
            SendMessageA(combo, CB_SETCURSEL, mb::kNormalPriorityEntry, 0);
        }
        notices.clear();
    }
    ~StatusWindow() { DestroyWindow(window); }
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;
    bool Checked(HWND box) const { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    HWND window = nullptr, input = nullptr, output = nullptr, combo = nullptr;
    std::vector<std::string> notices;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message != WM_COMMAND || self == nullptr || lParam == 0) return DefWindowProcA(hwnd, message, wParam, lParam);
        const int id = LOWORD(wParam);
        const auto control = reinterpret_cast<HWND>(lParam);
        std::string notice = std::to_string(id) + (control != GetDlgItem(hwnd, id) ? " wrong-control" : "");
        if (HIWORD(wParam) == BN_CLICKED && (id == kInputId || id == kOutputId))
            notice += self->Checked(control) ? " clicked checked" : " clicked unchecked";
        else if (HIWORD(wParam) == CBN_SELCHANGE && id == kPriorityId)
            notice += " selchange " + ComboText(control);
        else
            return DefWindowProcA(hwnd, message, wParam, lParam);
        self->notices.push_back(notice);
        return 0;
    }
};

// Delivers this thread's messages until the handle is signalled or the time
// is up; true when it was signalled.
bool PumpUntil(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        if (MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT) ==
            WAIT_OBJECT_0 && handle)
            return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return false;
}

// Starts Priority.exe; its wait for the window is limited to timeoutMs.
HANDLE StartPriority(const std::string& arguments, unsigned timeoutMs) {
    const mb::testing::EnvironmentSet timeout("MAROBEX_PRIORITY_TIMEOUT_MS", std::to_string(timeoutMs));
    return mb::testing::StartCommand("\"" + mb::testing::TestProgram("Priority.exe") + "\" " + arguments);
}

// Each row: Priority.exe's command line, then " | input off" when the
// window's input box starts unchecked and " | no list" when the window has
// no priority list; what Priority.exe did to the window is recorded after it.
// The first row's program starts before the window is there, and waits for it.
TEST(PriorityExe, CarriesOutTheCommandsOnTheStatusWindowAndEndsQuietlyWithoutIt) {
    bool first = true;
    const auto rows = mb::fakes::RecordedRows("priority/commands.txt", [&](const std::string& row) {
        const std::vector<std::string> steps = mb::fakes::SplitSteps(row);
        const auto has = [&](const char* flag) { return std::find(steps.begin(), steps.end(), flag) != steps.end(); };
        HANDLE run = first ? StartPriority(steps[0], 20000) : nullptr;
        if (first) PumpUntil(nullptr, 600);
        first = false;
        StatusWindow status(!has("no list"));
        if (has("input off")) SendMessageA(status.input, BM_SETCHECK, BST_UNCHECKED, 0);
        if (!run) run = StartPriority(steps[0], 700);
        if (run) PumpUntil(run, 30000);
        const DWORD code = mb::testing::WaitForExit(run, 0);
        PumpUntil(nullptr, 50);
        std::string got = "exit: " + std::to_string(static_cast<int>(code)) + "\n";
        got += std::string("input: ") + (status.Checked(status.input) ? "on" : "off") + "\n";
        got += std::string("output: ") + (status.Checked(status.output) ? "on" : "off") + "\n";
        if (status.combo) got += "priority: " + ComboText(status.combo) + "\n";
        for (const std::string& notice : status.notices) got += "notice: " + notice + "\n";
        return got;
    });
    ASSERT_FALSE(rows.recorded.empty());
    EXPECT_EQ(rows.got, rows.recorded);
}

}  // namespace
