// Test program: sleeps the given number of milliseconds (or, when the first
// argument is no number, MAROBEX_SLEEPER_MS), then appends its own
// file path and a line end to the file named by MAROBEX_SLEEPER_LOG (when
// set), so a test sees which program ran and that it has ended.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // An encoder's arguments are no number: MAROBEX_SLEEPER_MS then says how long.
    char* end = nullptr;
    DWORD ms = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], &end, 10)) : 0;
    char fallback[32];
    if (argc > 1 && end == argv[1] && GetEnvironmentVariableA("MAROBEX_SLEEPER_MS", fallback, sizeof fallback))
        ms = static_cast<DWORD>(std::strtoul(fallback, nullptr, 10));
    Sleep(ms);
    char log[MAX_PATH];
    if (!GetEnvironmentVariableA("MAROBEX_SLEEPER_LOG", log, sizeof log)) return 0;
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, self, length, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
    return 0;
}
