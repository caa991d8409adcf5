// Helpers of the Windows tests: the test programs beside the test runner,
// scratch folders on drive C, whole-file reads and writes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "model/ports.h"
#include "env/system_win32.h"

namespace mb::testing {

// The folder of the running test program, where the test programs are built.
inline std::string TestProgramFolder() {
    std::string path = ProgramFilePath();
    return path.substr(0, path.find_last_of('\\'));
}

inline std::string TestProgram(const std::string& name) { return TestProgramFolder() + "\\" + name; }

inline std::string ReadWholeFile(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

inline bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder that exists for the life of the object; its files go with it.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string path) : path_(std::move(path)) {
        Remove();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    void Remove() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") DeleteFileA((path_ + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string path_;
};

// Starts a command line, its standard output and error going to the given
// handles (inherited) when there are any; null when it cannot start.
inline HANDLE StartCommand(const std::string& commandLine, HANDLE out = nullptr, HANDLE err = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (out) startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdOutput = out, startup.hStdError = err ? err : out;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, out != nullptr, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// A file for a started program to write its output to.
inline HANDLE InheritedFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       path == "NUL" ? OPEN_EXISTING : CREATE_ALWAYS, 0, nullptr);
}

// Waits for a started program (a minute at most, or as long as asked), ends
// it when it is still running, and closes it; its exit code, ~0u when it had
// not ended.
inline DWORD WaitForExit(HANDLE process, DWORD waitMs = 60000) {
    DWORD code = ~0u;
    if (!process) return code;
    if (WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    else
        TerminateProcess(process, 98);
    CloseHandle(process);
    return code;
}

inline DWORD RunCommand(const std::string& commandLine) { return WaitForExit(StartCommand(commandLine)); }

// Runs a program with its standard output and error going to files in the
// folder, and waits for it (a minute at most, or as long as asked).
struct ProgramResult {
    DWORD exitCode = ~0u;
    std::string out, err;
};
inline ProgramResult RunProgram(const std::string& commandLine, const std::string& folder, DWORD waitMs = 60000) {
    ProgramResult result;
    const std::string outPath = folder + "\\stdout.txt", errPath = folder + "\\stderr.txt";
    HANDLE out = InheritedFile(outPath), err = InheritedFile(errPath);
    result.exitCode = WaitForExit(StartCommand(commandLine, out, err), waitMs);
    CloseHandle(out);
    CloseHandle(err);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    // Programs the run started without waiting (Priority.exe) may hold the
    // files a moment longer.
    for (int i = 0; i < 200 && !(DeleteFileA(outPath.c_str()) & DeleteFileA(errPath.c_str())) &&
                    (PathExists(outPath) || PathExists(errPath));
         ++i)
        Sleep(50);
    return result;
}

// The value of an environment variable; "" when it is not set.
inline std::string Environment(const char* name) {
    static char value[32767];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return std::string(value, n < sizeof value ? n : 0);
}

// An environment variable set for the life of the object (nullptr: unset),
// then as it was; the programs the test starts inherit it.
class EnvironmentSet {
public:
    EnvironmentSet(const char* name, const char* value) : name_(name), old_(Environment(name)) {
        SetEnvironmentVariableA(name, value);
    }
    EnvironmentSet(const char* name, const std::string& value) : EnvironmentSet(name, value.c_str()) {}
    ~EnvironmentSet() { SetEnvironmentVariableA(name_, old_.empty() ? nullptr : old_.c_str()); }
    EnvironmentSet(const EnvironmentSet&) = delete;
    EnvironmentSet& operator=(const EnvironmentSet&) = delete;

private:
    const char* name_;
    std::string old_;
};

// The command line of marobex-cli.exe with these arguments.
inline std::string Cli(const std::string& arguments) { return "\"" + TestProgram("marobex-cli.exe") + "\" " + arguments; }

struct RecordingMessages : MessagePort {
    std::vector<std::pair<std::string, MessageIcon>> shown;
    void ShowMessage(const std::string& text, MessageIcon icon) override { shown.emplace_back(text, icon); }
};

#ifdef MAROBEX_FFMPEG_DIR
// FFmpeg for Windows in the build (scripts/install-deps.sh fetches it).
inline std::string Ffmpeg() {
    std::string path = std::string(MAROBEX_FFMPEG_DIR) + "\\ffmpeg.exe";
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}
inline std::string FfmpegDir() { return Ffmpeg().substr(0, Ffmpeg().rfind('\\')); }
// FFmpeg's folder first on the PATH for the life of the object: the engine
// finds FFmpeg on the PATH it inherits.
struct FfmpegOnPath : EnvironmentSet {
    FfmpegOnPath() : EnvironmentSet("PATH", FfmpegDir() + ";" + Environment("PATH")) {}
};
#define MAROBEX_SKIP_WITHOUT_FFMPEG()                                                   \
    if (!mb::testing::PathExists(mb::testing::Ffmpeg()))                                \
    GTEST_SKIP() << "build/ffmpeg/ffmpeg.exe is not there: scripts/install-deps.sh fetches it"
#endif

}  // namespace mb::testing
