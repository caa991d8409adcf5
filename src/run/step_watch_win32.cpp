#include "run/step_watch_win32.h"

#include <vector>

#include "env/files_win32.h"
#include "model/status_window.h"

namespace mb {

namespace {

// Longest a status window may take to answer; a hung one is passed over.
constexpr UINT kAnswerMs = 200;

constexpr const char* kTitles[] = {"VirtualDub Status", "Nandub Status", "BeSweet Status"};

StepWatchW32* g_watch = nullptr;  // the one watch whose timer runs

// The text of a control of another program's window, read as UTF-16 (how it
// crosses between processes) and given back in the ANSI code page.
std::string ControlText(HWND control) {
    if (!control) return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length) || length == 0 ||
        length > 4096)
        return {};
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()),
                             SMTO_ABORTIFHUNG, kAnswerMs, &copied))
        return {};
    wide.resize(copied < wide.size() ? copied : 0);
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
}

// A status window of one of the titles; only the engine's has the frame
// count (the encoders' own step is followed by its file).
BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    for (const char* wanted : kTitles) {
        if (std::string(title).rfind(wanted, 0) == 0 && GetDlgItem(window, kEngineFramesId)) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
    }
    return TRUE;
}

}  // namespace

HWND FindEncoderStatusWindow() {
    HWND found = nullptr;
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

SourceFacts ReadSourceFacts(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::vector<char> bytes(AviHeaderBytes);
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok) return {};
    return ReadAviFacts(std::string_view(bytes.data(), read));
}

StepWatchW32::~StepWatchW32() { Stop(); }

void StepWatchW32::Watch(const RunStepStart& step, double expectedBytes, std::function<void(double)> tick) {
    Stop();
    result_ = step.result;
    expected_ = expectedBytes;
    tick_ = std::move(tick);
    g_watch = this;
    timer_ = SetTimer(nullptr, 0, intervalMs_, &StepWatchW32::OnTimer);
}

void StepWatchW32::Stop() {
    if (timer_) KillTimer(nullptr, timer_);
    timer_ = 0;
    if (g_watch == this) g_watch = nullptr;
    tick_ = nullptr;
}

void CALLBACK StepWatchW32::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_watch && g_watch->timer_ == id) g_watch->Poll();
}

void StepWatchW32::Poll() {
    double fraction = -1;
    if (HWND status = FindEncoderStatusWindow()) {
        if (status != lastStatus_) {
            lastStatus_ = status;
            if (statusWindowFound) statusWindowFound(status);
        }
        fraction = FractionFromStatus(ControlText(GetDlgItem(status, kEngineFramesId)),
                                      ControlText(GetDlgItem(status, kEnginePercentId)));
    }
    if (fraction < 0 && !result_.empty()) {
        FilesW32 files;
        fraction = FractionFromGrowth(files.FileSize(result_), expected_);
    }
    // The tick may stop this watch (the step's end): it is called last.
    if (const std::function<void(double)> tick = tick_) tick(fraction);
}

}  // namespace mb
