// Running the stand-in programs from Windows tests: where they are, VirtualDub's
// "SeenWelcome" they look for, and a folder of a test's own with a trace file
// and short durations.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/trace.h"
#include "win32_test_support.h"

#ifndef MAROBEX_STANDIN_DIR
#error "MAROBEX_STANDIN_DIR must name the folder of the stand-in programs"
#endif

namespace mb::standin_test {

using testing::PathExists;
inline std::string ReadBytes(const std::string& path) { return testing::ReadWholeFile(path); }
inline bool WriteBytes(const std::string& path, const std::string& bytes) { return testing::WriteWholeFile(path, bytes); }

inline std::string StandinExe(const char* name) {
    std::string path = std::string(MAROBEX_STANDIN_DIR) + "\\" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline void SetSeenWelcome(DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "SeenWelcome", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// Starts a command line; null when it cannot start.
inline HANDLE StartCommand(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// Waits for a started program (a minute at most) and closes it; its exit
// code, ~0u when it has not ended.
inline DWORD WaitForExit(HANDLE process) {
    DWORD code = ~0u;
    if (WaitForSingleObject(process, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

// Runs a command line and returns its exit code (~0u when it cannot start or
// has not ended after a minute).
inline DWORD RunCommand(const std::string& commandLine) {
    HANDLE process = StartCommand(commandLine);
    return process ? WaitForExit(process) : ~0u;
}

inline bool FileExists(const std::string& path) { return testing::PathExists(path); }

class StandinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("MAROBEX_STANDIN_TRACE", trace_.c_str());
        SetEnvironmentVariableA("MAROBEX_STANDIN_SECONDS", "4");
        SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", "0");
        SetSeenWelcome(1);
    }
    void TearDown() override {
        for (const char* v : {"MAROBEX_STANDIN_TRACE", "MAROBEX_STANDIN_SECONDS", "MAROBEX_STANDIN_WINDOW_MS"})
            SetEnvironmentVariableA(v, nullptr);
        SetSeenWelcome(1);
    }
    std::string Path(const std::string& name) const { return folder_ / name; }
    // The path with every "\" doubled, as job scripts write paths.
    static std::string Escaped(const std::string& path) {
        std::string out;
        for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return out;
    }
    // Writes the job file and runs an encoder stand-in on it as Marobex does.
    DWORD RunEncoder(const char* exe, const std::string& jobName, const std::string& script) {
        EXPECT_TRUE(WriteBytes(Path(jobName), script));
        return RunCommand(StandinExe(exe) + " /r /x /s" + Path(jobName));
    }
    std::vector<TraceRecord> Trace() const { return ReadTraceRecords(ReadBytes(trace_)); }
    testing::ScratchFolder folder_{"C:\\marobex_standin"};
    const std::string dir_ = folder_.path();
    const std::string trace_ = folder_ / "trace.txt";
};

}  // namespace mb::standin_test
