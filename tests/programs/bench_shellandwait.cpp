// Benchmark: how much processor time Marobex spends while it waits for an
// outside program. Runs sleeper.exe (beside this program) through
// ShellAndWait, with a window timer ticking every 50 ms meanwhile: once for
// 0 ms (the cost of starting a program) and once for the given milliseconds
// (default 10000). Prints this process's CPU time as a fraction of the wait,
// in all and without the start. The aim is well under 1 %.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "env/system_win32.h"
#include "run/process_win32.h"

namespace {

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 1e7;
}

int g_ticks = 0;
LRESULT CALLBACK TimerWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++g_ticks;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned long milliseconds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    std::string program = mb::ProgramFilePath();
    program.erase(program.find_last_of('\\') + 1);
    program += "sleeper.exe";

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TimerWindow;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MarobexBenchTimer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("MarobexBenchTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    SetTimer(window, 1, 50, nullptr);

    struct Measure { double wall, cpu; };
    const auto measure = [&](unsigned long ms) {
        const std::string arguments = " " + std::to_string(ms);
        const double cpuBefore = CpuSeconds();
        const ULONGLONG wallBefore = GetTickCount64();
        std::string reason;
        mb::ShellAndWait({program, arguments}, 0, reason);
        return Measure{static_cast<double>(GetTickCount64() - wallBefore) / 1000.0, CpuSeconds() - cpuBefore};
    };
    const Measure start = measure(0);
    g_ticks = 0;
    const Measure wait = measure(milliseconds);

    std::printf("start of a program that ends at once: %.2f s, CPU %.4f s\n", start.wall, start.cpu);
    std::printf("wait of %.2f s: CPU %.4f s = %.3f %% of the wait\n", wait.wall, wait.cpu,
                wait.wall > 0 ? 100.0 * wait.cpu / wait.wall : 0.0);
    const double waitOnly = wait.wall - start.wall;
    const double cpuOnly = wait.cpu > start.cpu ? wait.cpu - start.cpu : 0.0;
    std::printf("without the start: CPU %.4f s over %.2f s = %.3f %%\n", cpuOnly, waitOnly,
                waitOnly > 0 ? 100.0 * cpuOnly / waitOnly : 0.0);
    std::printf("timer messages delivered during the wait: %d\n", g_ticks);
    DestroyWindow(window);
    return 0;
}
