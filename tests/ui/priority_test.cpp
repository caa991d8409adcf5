// Priority.exe against a window shaped like the encoder's status window,
// owned by this test: the test pumps its messages while Priority.exe runs
// and records every notice the window receives from its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../win32/win32_test_support.h"
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

// A running Priority.exe; its wait for the window is limited to timeoutMs.
class PriorityRun {
public:
    PriorityRun(const std::string& arguments, unsigned timeoutMs) {
        SetEnvironmentVariableA("MAROBEX_PRIORITY_TIMEOUT_MS", std::to_string(timeoutMs).c_str());
        std::string line = "\"" + mb::testing::TestProgram("Priority.exe") + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        }
        SetEnvironmentVariableA("MAROBEX_PRIORITY_TIMEOUT_MS", nullptr);
    }
    ~PriorityRun() {
        if (process_) TerminateProcess(process_, 99), CloseHandle(process_);
    }
    // Delivers messages until the program ends; its exit code, -1 when it is
    // still running after 30 s.
    int Wait() {
        if (!process_ || !PumpUntil(process_, 30000)) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }

private:
    HANDLE process_ = nullptr;
};

TEST(PriorityExe, CarriesOutTheCommandsOnTheStatusWindowAndEndsQuietlyWithoutIt) {
    const struct {
        const char* arguments;
        bool inputOn;
        int exitCode;
        bool inputChecked, outputChecked;
        const char* priority;  // null: the window has no priority list
        std::vector<std::string> notices;
    } cases[] = {
        {"\"WI00:VirtualDub Status\" BT01: \"CB00:Normal\" QU00:", true, 0, false, true, "Normal",
         {"1027 clicked unchecked", "1080 selchange Normal"}},
        {"\"WI00:VirtualDub Status\" BT01: BT02: \"CB00:Higher\" QU00:", true, 0, false, false, "Higher",
         {"1027 clicked unchecked", "1028 clicked unchecked", "1080 selchange Higher"}},
        // The entry must match exactly, case included; nothing after QU00: is done.
        {"\"WI00:VirtualDub Status\" \"CB00:even higher\" BT02: QU00: BT01:", true, 0, true, false, "Normal",
         {"1028 clicked unchecked"}},
        // Without a window title there is nothing to act on.
        {"BT01: BT02: \"CB00:Lowest\" QU00:", true, 3, true, true, "Normal", {}},
        // A window of another title stays untouched.
        {"\"WI00:Nandub Status\" BT01: BT02: \"CB00:Highest\" QU00:", true, 1, true, true, "Normal", {}},
        // Without the priority list, the boxes are still done.
        {"\"WI00:VirtualDub Status\" \"CB00:Higher\" BT01: QU00:", true, 2, false, true, nullptr,
         {"1027 clicked unchecked"}},
        // A box that is already off is not clicked back on.
        {"\"WI00:VirtualDub Status\" BT01: BT02: QU00:", false, 0, false, false, "Normal", {"1028 clicked unchecked"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::optional<PriorityRun> run;
        if (&c == cases) run.emplace(c.arguments, 20000), PumpUntil(nullptr, 600);  // it waits for its window
        StatusWindow status(c.priority != nullptr);
        if (!c.inputOn) SendMessageA(status.input, BM_SETCHECK, BST_UNCHECKED, 0);
        if (!run) run.emplace(c.arguments, 700);
        EXPECT_EQ(run->Wait(), c.exitCode);
        PumpUntil(nullptr, 50);
        EXPECT_EQ(status.Checked(status.input), c.inputChecked);
        EXPECT_EQ(status.Checked(status.output), c.outputChecked);
        if (c.priority) EXPECT_EQ(ComboText(status.combo), c.priority);
        EXPECT_EQ(status.notices, c.notices);
    }
}

}  // namespace
