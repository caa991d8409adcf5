// Benchmark: how long programs take from their start until their first
// window is visible. bench_startup RUNS PROGRAM... starts each PROGRAM RUNS
// times, in turns, each time polling every millisecond for a visible
// top-level window of the new process, then closes it (WM_CLOSE, ended after
// 10 s). Prints each time and, per program, a line
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
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup RUNS PROGRAM...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const int programs = argc - 2;
    // The programs take turns, so that a slower moment of the machine falls
    // on all of them alike.
    std::vector<std::vector<double>> times(static_cast<std::size_t>(programs));
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < programs; ++p) {
            const double ms = TimeToWindow(argv[2 + p]);
            std::printf("run %d %s: %.1f ms\n", i + 1, argv[2 + p], ms);
            if (ms >= 0) times[static_cast<std::size_t>(p)].push_back(ms);
        }
    }
    int status = 0;
    for (int p = 0; p < programs; ++p) {
        std::vector<double>& t = times[static_cast<std::size_t>(p)];
        if (t.empty()) {
            std::printf("median %s never showed a window\n", argv[2 + p]);
            status = 1;
            continue;
        }
        std::sort(t.begin(), t.end());
        std::printf("median %s %.1f\n", argv[2 + p], t[t.size() / 2]);
    }
    return status;
}
