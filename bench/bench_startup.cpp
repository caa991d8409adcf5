// Benchmark: how long a program takes from its start until its first window
// is visible. bench_startup PROGRAM [RUNS] starts PROGRAM RUNS times (default
// 10), each time polling every millisecond for a visible top-level window of
// the new process, then closes it (WM_CLOSE, ended after 10 s). Prints each
// time and the median in milliseconds; the last line reads
// "median <program> <ms>". scripts/bench-startup.sh compares marobex.exe
// with bare_window.exe this way.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds until the program's window shows; negative when it never does.
double TimeToWindow(const std::string& program) {
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const std::string folder = program.substr(0, program.find_last_of("\\/"));
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return -1;
    CloseHandle(process.hThread);
    Search search{process.dwProcessId, nullptr};
    double ms = -1;
    for (int i = 0; i < 30000 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++i) {
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            QueryPerformanceCounter(&now);
            ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            break;
        }
        Sleep(1);
    }
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup PROGRAM [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = TimeToWindow(argv[1]);
        std::printf("run %d: %.1f ms\n", i + 1, ms);
        if (ms >= 0) times.push_back(ms);
    }
    if (times.empty()) {
        std::printf("median %s never showed a window\n", argv[1]);
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("median %s %.1f\n", argv[1], times[times.size() / 2]);
    return 0;
}
