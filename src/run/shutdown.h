// Shutting the system down at the end of a run: the checks, the privilege
// step on the NT platform and the errors, over the few system calls a
// shutdown needs (ShutdownPlatform), so tests never shut the machine down.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "model/ports.h"

namespace mb {

// Error numbers: the base for program-defined errors (0x80040000) + 1579..1583.
inline constexpr std::uint32_t ShutdownFailedError = 0x8004062B;
inline constexpr std::uint32_t PrivilegeValueError = 0x8004062C;
inline constexpr std::uint32_t CurrentProcessError = 0x8004062D;
inline constexpr std::uint32_t NoPrivilegeError = 0x8004062E;
inline constexpr std::uint32_t InvalidShutdownFlagsError = 0x8004062F;

// The step of enabling the shutdown privilege that failed.
enum class PrivilegeStep {
    None,            // the privilege is enabled
    LookupValue,     // the value of "SeShutdownPrivilege" could not be looked up
    CurrentProcess,  // the current process could not be obtained
    Token,           // the token could not be opened, or the privilege set in it
};

struct PrivilegeResult {
    PrivilegeStep failedStep = PrivilegeStep::None;
    std::uint32_t errorCode = 0;  // the system's last error code of the failed call
};

// The system calls of a shutdown.
class ShutdownPlatform {
public:
    virtual ~ShutdownPlatform() = default;
    // True on the NT platform.
    virtual bool IsWinNT() = 0;
    // Enables "SeShutdownPrivilege" in the token of the current process.
    virtual PrivilegeResult EnableShutdownPrivilegeSteps() = 0;
    // ExitWindowsEx(flags, 0xFFFFFFFF); on failure false with the system's
    // last error code in errorCode.
    virtual bool RequestShutdown(std::uint32_t flags, std::uint32_t& errorCode) = 0;
    // The system's message text for an error code.
    virtual std::string ApiErrorText(std::uint32_t code) = 0;
};

// The source of the errors: the program file's name without folder and
// extension, + ".mShutDown" ("C:\Tools\Marobex.exe" gives "Marobex.mShutDown").
std::string ShutdownErrorSource(const std::string& programPath);

// Enables the shutdown privilege; true when done, throws ShutdownError
// 0x8004062C..0x8004062E otherwise.
bool EnableShutdownPrivilege(ShutdownPlatform& platform, const std::string& source);

// Flags outside 0..31 throw 0x8004062F. On the NT platform the privilege is
// enabled first. A refused shutdown throws 0x8004062B; true when the system
// accepted the request.
bool ShutdownSystem(std::int32_t flags, ShutdownPlatform& platform, const std::string& source);

// "Shutdown when done": EWX_SHUTDOWN | EWX_FORCEIFHUNG. Programs that hold
// unsaved work are asked to close rather than killed; only a program that
// does not answer is ended.
inline constexpr std::int32_t ShutdownWhenDoneFlags = 0x00000001 | 0x00000010;
// How long the user has to change his mind before the machine goes down.
inline constexpr int ShutdownCountdownSeconds = 60;

// The text of the countdown: "Marobex will shut down this computer in 60 s".
std::string ShutdownCountdownText(int secondsLeft);

// The last chance to keep the machine running: a window, or the console,
// counts down. True when the countdown reached 0 or the user asked to shut
// down at once; false when he cancelled.
class ShutdownCountdown {
public:
    virtual ~ShutdownCountdown() = default;
    virtual bool CountDown() = 0;
};

// Counts down on a console: a line on `err` at the start and at 30, 10, 5,
// 4, 3, 2 and 1 s left. waitCancelled(ms) waits about that long and answers
// true once the user has cancelled (Ctrl+C); it may return early with true.
// Ends with "shutdown: now" or "shutdown: cancelled".
bool CountDownOnConsole(std::ostream& err, int seconds, const std::function<bool(int ms)>& waitCancelled);

// The shutdown port over a platform.
class SystemShutdown : public ShutdownPort {
public:
    // programPath: the running program's file, for the errors' source.
    SystemShutdown(ShutdownPlatform& platform, const std::string& programPath)
        : platform_(platform), source_(ShutdownErrorSource(programPath)) {}
    bool ShutdownSystem(std::int32_t flags) override;

private:
    ShutdownPlatform& platform_;
    std::string source_;
};

}  // namespace mb
