// Test program in an encoder's place that runs until it is asked to end: a
// status window titled "VirtualDub Status" (with the frame count where
// Marobex looks, and the engine's "Abort" button when built as
// slow_engine.exe), a partial result of the job it was given (the job
// file's SaveAVI target, or "<target>.part" as the engine), and then:
//   "Abort" clicked (the engine): ends with the engine's abort status 2,
//   leaving its ".part" for Marobex to remove;
//   WM_CLOSE: ends with 0, unless MAROBEX_SLOW_IGNORE_CLOSE is set;
//   MAROBEX_SLOW_MS (default 60000) gone by: writes the whole result, ends 0.
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "model/status_window.h"

#ifndef SLOW_ENGINE
#define SLOW_ENGINE 0
#endif

namespace {

std::string Environment(const char* name) {
    char value[64] = {};
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? value : "";
}

// The file the job saves to: VirtualDub.SaveAVI("D:\\v\\film.avi").
std::string TargetOf(const char* commandLine) {
    const char* job = strstr(commandLine, "/s");
    if (!job) return {};
    std::ifstream in(job + 2, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = text.find("SaveAVI(\"");
    if (at == std::string::npos) return {};
    std::string target;
    for (std::size_t i = at + 9; i < text.size() && text[i] != '"'; ++i) {
        target.push_back(text[i]);
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
    }
    return target;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool g_ignoreClose = false;

LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == mb::kEngineAbortId && HIWORD(wParam) == BN_CLICKED) {
        PostQuitMessage(2);
        return 0;
    }
    if (message == WM_CLOSE) {
        if (!g_ignoreClose) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const char* commandLine = GetCommandLineA();
    g_ignoreClose = !Environment("MAROBEX_SLOW_IGNORE_CLOSE").empty();
    const std::string ms = Environment("MAROBEX_SLOW_MS");
    const UINT lasts = ms.empty() ? 60000 : static_cast<UINT>(std::stoul(ms));
    const std::string target = TargetOf(commandLine);
    const std::string writing = SLOW_ENGINE ? target + ".part" : target;
    if (!target.empty()) Write(writing, "the first frames");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = StatusProc;
    wc.hInstance = instance;
    wc.lpszClassName = "SlowEncoderStatus";
    RegisterClassA(&wc);
    HWND status = CreateWindowExA(0, wc.lpszClassName, "VirtualDub Status", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 100,
                                  320, 160, nullptr, nullptr, instance, nullptr);
    CreateWindowExA(0, "STATIC", "Frame 10 of 250", WS_CHILD | WS_VISIBLE, 8, 8, 200, 16, status,
                    reinterpret_cast<HMENU>(mb::kEngineFramesId), instance, nullptr);
    if (SLOW_ENGINE)
        CreateWindowExA(0, "BUTTON", "Abort", WS_CHILD | WS_VISIBLE, 8, 40, 80, 24, status,
                        reinterpret_cast<HMENU>(mb::kEngineAbortId), instance, nullptr);
    SetTimer(nullptr, 0, lasts, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            if (!target.empty()) Write(target, "the whole encode");
            if (SLOW_ENGINE) DeleteFileA(writing.c_str());
            return 0;
        }
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
