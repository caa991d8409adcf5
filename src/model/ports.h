// The small interfaces through which the portable core reaches the outside
// world. The Win32 layer implements them with the real API; tests give the
// core in-memory fakes that record what was asked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mb {

// Outcome of an operation that can fail with a message for the user.
struct Status {
    bool ok = true;
    std::string message;  // what went wrong, ready to show; empty when ok
    static Status Ok() { return {}; }
    static Status Failure(std::string text) { return {false, std::move(text)}; }
    explicit operator bool() const { return ok; }
};

// Message boxes with an OK button only and the title "Marobex".
enum class MessageIcon { None, Exclamation, Information, Critical };
class MessagePort {
public:
    virtual ~MessagePort() = default;
    virtual void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
};

// An outside program and its arguments, kept apart until the program is
// started, so that the system is never left to guess where a path with
// blanks ends. The text of a command is the path followed directly by the
// arguments, which begin with their own blank (" /r /x /sc:\\jobpass.vcf").
struct ProgramCommand {
    std::string program;
    std::string arguments;
    std::string Text() const { return program + arguments; }
};

// How a program that was waited for came to an end.
enum class ProgramEnd {
    Ended,       // it ran and has ended
    NotStarted,  // it could not be started (reason in the caller's text)
    Quit,        // the program (Marobex) is quitting: the wait was given up
    Cancelled,   // the user cancelled the run: the program was asked to end,
                 // and has ended (or was ended), or was never started
};

// How a program is asked to end when the user cancels the run: Marobex's
// engine by its own "Abort" button (it then stops FFmpeg and cleans up), any
// other program by closing its windows. One still running CancelGraceMs
// later is ended.
enum class EndBy { CloseWindows, EngineAbort };
inline constexpr int CancelGraceMs = 10000;

// Starting outside programs. Window style 0 starts hidden, 1 normal.
class ProcessPort {
public:
    virtual ~ProcessPort() = default;
    // Starts the program and returns when it has ended, with its exit
    // status. A program that cannot start returns NotStarted at once, with
    // the system's reason. Once the run is cancelled the program is asked to
    // end as `endBy` says (or not started at all): Cancelled.
    virtual ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, EndBy endBy,
                                    std::string& reason, std::uint32_t& exitStatus) = 0;
    // Starts the program and returns at once; failures are ignored.
    virtual void StartProcess(const ProgramCommand& command, int windowStyle) = 0;
    // The same with a time limit: a program still running after limitMs is
    // ended, and the answer is false. True when it ended by itself (or could
    // not start).
    virtual bool ShellAndWaitFor(const ProgramCommand& command, int windowStyle, int limitMs) {
        (void)limitMs;
        std::string reason;
        std::uint32_t exitStatus = 0;
        ShellAndWait(command, windowStyle, EndBy::CloseWindows, reason, exitStatus);
        return true;
    }
    // The user's "Cancel" of the run going on; safe from any thread (Ctrl+C
    // comes on one of its own) and at any time. It lasts until ResetCancel:
    // the wait going on ends its program, and no program starts after it.
    virtual void CancelRun() {}
    virtual bool RunCancelled() { return false; }
    virtual void ResetCancel() {}
};

// Held by one encoding run at a time, across every program of Marobex that
// runs encodings (the window and the console runner): two runs at once
// would overwrite each other's job scripts.
class RunLockPort {
public:
    virtual ~RunLockPort() = default;
    // False when another run holds it.
    virtual bool TryLock() = 0;
    virtual void Unlock() = 0;
};

// The registry under HKEY_CURRENT_USER. A value that cannot be written
// comes back as a failure with the system's reason; a key that cannot be
// deleted is ignored (it is usually not there).
class RegistryPort {
public:
    virtual ~RegistryPort() = default;
    virtual Status SetRegistryDword(const std::string& subKey, const std::string& valueName,
                                  std::int32_t value) = 0;
    virtual void DeleteRegistryKey(const std::string& subKey) = 0;
};

// Private profile (INI) files.
class ProfilePort {
public:
    virtual ~ProfilePort() = default;
    // Empty text when the key or section is absent; read whole, however long.
    virtual std::string ReadIniValue(const std::string& section, const std::string& key,
                                     const std::string& file) = 0;
    // Writes the keys (in upper case) with their values into the section,
    // creating the file or section when missing. The file is replaced whole,
    // so it is never left half written; a failure comes back with the
    // system's reason and leaves the file as it was.
    virtual Status WriteIniValues(const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& values,
                                  const std::string& file) = 0;
};

// Files.
class FilePort {
public:
    virtual ~FilePort() = default;
    // True when the file can be opened for reading.
    virtual bool FileExists(const std::string& path) = 0;
    // Length in bytes, -1 when the file does not exist.
    virtual std::int64_t FileSize(const std::string& path) = 0;
    // Creates or replaces the file with exactly these bytes. On failure
    // returns false and puts the system's reason into reason.
    virtual bool WriteFile(const std::string& path, std::string_view bytes, std::string& reason) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // The lines of a text file without their line ends (CR LF or LF); false
    // when it cannot be opened.
    virtual bool ReadLines(const std::string& path, std::vector<std::string>& lines) = 0;
    // The Windows system directory, without a trailing backslash.
    virtual std::string SystemDirectory() = 0;
    // The file version of an executable ("1.4.10.0"); false when it has no
    // version resource (or does not exist).
    virtual bool FileVersion(const std::string& path, std::string& version) = 0;
    // The product name in an executable's version resource ("Marobex
    // Engine"); false when it has none. Files without one are no product the
    // program knows.
    virtual bool FileProductName(const std::string& /*path*/, std::string& /*name*/) { return false; }
    // The creation time of a file as a 64-bit FILETIME; false when the file
    // cannot be opened or its times read.
    virtual bool FileCreationTime(const std::string& path, std::uint64_t& fileTime) = 0;
    // The last-write time of a file as a 64-bit FILETIME; false when the
    // file does not exist or its times cannot be read.
    virtual bool FileWriteTime(const std::string& path, std::uint64_t& fileTime) = 0;
};

// A clock on one continuous scale of seconds (not the time of day), so that
// a job running over midnight or for days measures its true length.
class ClockPort {
public:
    virtual ~ClockPort() = default;
    virtual std::int64_t NowSeconds() = 0;
};

// The notification-area icon shown while a run lasts.
class TrayPort {
public:
    virtual ~TrayPort() = default;
    virtual void StartSystray() = 0;
    virtual void DeleteSystray() = 0;
};

// An error of the system shutdown: number (0x8004062B..0x8004062F), source
// ("<program name>.mShutDown") and description.
struct ShutdownError {
    std::uint32_t number = 0;
    std::string source;
    std::string description;
};

// Shutting the system down. ShutdownSystem returns true when the request was
// accepted and throws ShutdownError on every failure.
class ShutdownPort {
public:
    virtual ~ShutdownPort() = default;
    virtual bool ShutdownSystem(std::int32_t flags) = 0;
};

// The operating system, as the encoding log describes it.
struct OsVersionInfo {
    std::int32_t platform = 0;
    std::string name;         // "Windows XP"
    std::string version;      // "5.1"
    std::string servicePack;  // "Service Pack 1", or empty
    std::string build;        // "2600"
};
class SystemInfoPort {
public:
    virtual ~SystemInfoPort() = default;
    // Leaves info unchanged when the system cannot be asked.
    virtual void GetOsVersionInfo(OsVersionInfo& info) = 0;
};

// The user's number and date formats.
struct NumberFormat {
    char decimalSeparator = '.';
    char thousandSeparator = ',';
};

// The user's regional settings.
class LocalePort {
public:
    virtual ~LocalePort() = default;
    virtual NumberFormat UserNumberFormat() = 0;
    // The text between day, month and year in a short date ("/" in most
    // locales).
    virtual std::string DateSeparator() = 0;
};

}  // namespace mb
