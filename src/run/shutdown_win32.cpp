#include "run/shutdown_win32.h"

#include "env/api_error_win32.h"
#include "env/system_win32.h"

namespace mb {

bool IsWinNT() {
    static bool known = false;
    static bool isNT = false;
    if (!known) {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        if (!GetVersionExA(&version)) return false;
        isNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
        known = true;
    }
    return isNT;
}

PrivilegeResult ShutdownPlatformW32::EnableShutdownPrivilegeSteps() {
    LUID privilege;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privilege))
        return {PrivilegeStep::LookupValue, GetLastError()};
    HANDLE process = GetCurrentProcess();
    if (!process) return {PrivilegeStep::CurrentProcess, GetLastError()};
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return {PrivilegeStep::Token, GetLastError()};

    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = privilege;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous = {};
    DWORD previousLength = sizeof previous;
    const BOOL adjusted =
        AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &previousLength);
    // Success with ERROR_NOT_ALL_ASSIGNED means the account does not hold the
    // privilege at all: the shutdown would be refused.
    const DWORD error = GetLastError();
    CloseHandle(token);
    if (!adjusted || error == ERROR_NOT_ALL_ASSIGNED) return {PrivilegeStep::Token, error};
    return {};
}

bool ShutdownPlatformW32::RequestShutdown(std::uint32_t flags, std::uint32_t& errorCode) {
    if (ExitWindowsEx(flags, 0xFFFFFFFF)) return true;
    errorCode = GetLastError();
    return false;
}

std::string ShutdownPlatformW32::ApiErrorText(std::uint32_t code) {
    return mb::ApiErrorText(code);
}

bool EnableShutdownPrivilege() {
    ShutdownPlatformW32 platform;
    return EnableShutdownPrivilege(platform, ShutdownErrorSource(ProgramFilePath()));
}

bool ShutdownSystem(std::int32_t flags) {
    ShutdownPlatformW32 platform;
    return ShutdownSystem(flags, platform, ShutdownErrorSource(ProgramFilePath()));
}

}  // namespace mb
