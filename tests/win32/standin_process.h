// Running the stand-in programs from Windows tests: each test gets a folder
// of its own, a trace file in it, short durations, and VirtualDub's
// "SeenWelcome" set, and can start a stand-in and read back its trace.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/trace.h"

#ifndef MAROBEX_STANDIN_DIR
#error "MAROBEX_STANDIN_DIR must name the folder of the stand-in programs"
#endif

namespace mb::standin_test {

inline std::string StandinExe(const char* name) {
    std::string path = std::string(MAROBEX_STANDIN_DIR) + "\\" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline void SetSeenWelcome(DWORD value, bool present = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (present)
        RegSetValueExA(key, "SeenWelcome", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    else
        RegDeleteValueA(key, "SeenWelcome");
    RegCloseKey(key);
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

inline std::string ReadBytes(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(h);
    return out;
}

inline bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a command line and returns the process handle (nullptr on failure).
inline HANDLE StartCommand(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// Waits for the process and returns its exit code (~0u after a minute).
inline DWORD WaitForExit(HANDLE process) {
    DWORD code = ~0u;
    if (WaitForSingleObject(process, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

class StandinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        dir_ = std::string(temp) + "marobex_standin_" + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(++counter);
        CreateDirectoryA(dir_.c_str(), nullptr);
        trace_ = dir_ + "\\trace.txt";
        SetEnvironmentVariableA("MAROBEX_STANDIN_TRACE", trace_.c_str());
        SetEnvironmentVariableA("MAROBEX_STANDIN_SECONDS", "4");
        SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", "0");
        SetSeenWelcome(1);
    }

    void TearDown() override {
        WIN32_FIND_DATAA fd;
        HANDLE find = FindFirstFileA((dir_ + "\\*").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir_ + "\\" + fd.cFileName).c_str());
            } while (FindNextFileA(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryA(dir_.c_str());
        SetEnvironmentVariableA("MAROBEX_STANDIN_TRACE", nullptr);
        SetEnvironmentVariableA("MAROBEX_STANDIN_SECONDS", nullptr);
        SetEnvironmentVariableA("MAROBEX_STANDIN_WINDOW_MS", nullptr);
        SetSeenWelcome(1);
    }

    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    // The path with every "\" doubled, as job scripts write paths.
    static std::string Escaped(const std::string& path) {
        std::string out;
        for (char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return out;
    }

    // Writes the job file and runs an encoder stand-in on it as Marobex does.
    DWORD RunEncoder(const char* exe, const std::string& jobName, const std::string& script) {
        const std::string job = Path(jobName);
        EXPECT_TRUE(WriteBytes(job, script));
        HANDLE p = StartCommand(StandinExe(exe) + " /r /x /s" + job);
        EXPECT_NE(p, nullptr) << StandinExe(exe);
        return p ? WaitForExit(p) : ~0u;
    }

    std::vector<TraceRecord> Trace() const { return ReadTraceRecords(ReadBytes(trace_)); }

    std::string dir_;
    std::string trace_;
};

}  // namespace mb::standin_test
