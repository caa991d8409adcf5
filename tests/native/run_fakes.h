// In-memory stand-ins for the ports, recording what a run asks of the
// outside world in one ordered list of events.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/ports.h"
#include "run/run_driver.h"

namespace mb::testing {

struct World : MessagePort, ProcessPort, RegistryPort, FilePort, ClockPort, TrayPort, ShutdownPort,
               SystemInfoPort, RunView {
    std::vector<std::string> events;            // everything, in order
    std::map<std::string, std::string> files;   // path -> bytes
    std::map<std::string, std::int64_t> sizes;  // path -> size of a big result file
    std::map<std::string, std::string> failWrites;  // path -> reason
    std::vector<std::string> log, queue, messages;
    std::map<std::string, std::int32_t> registry;
    // Runs when a waited-for command line contains the key: what the program
    // would have done (write its result, take its time).
    std::vector<std::pair<std::string, std::function<void()>>> programs;
    // Programs whose command line contains one of these leave no result;
    // the others write the file their job names, as the real ones would.
    std::vector<std::string> silent;
    std::int64_t now = 1000;
    std::vector<std::int64_t> clockReadings;  // consumed first, then `now`
    bool throwOnShutdown = false;

    // MessagePort
    void ShowMessage(const std::string& text, MessageIcon) override {
        messages.push_back(text);
        events.push_back("message: " + text);
    }
    // ProcessPort
    void ShellAndWait(const std::string& commandLine, int windowStyle) override {
        events.push_back("run(" + std::to_string(windowStyle) + "): " + commandLine);
        for (auto& [key, action] : programs)
            if (commandLine.find(key) != std::string::npos) action();
        for (const std::string& key : silent)
            if (commandLine.find(key) != std::string::npos) return;
        const std::string result = ResultOf(commandLine);
        if (!result.empty() && !FileExists(result)) files[result] = "encoded";
    }
    // The file a program leaves: BeSweet's -output, or what the VirtualDub
    // or Nandub job saves (its statistics, or its AVI).
    std::string ResultOf(const std::string& commandLine) const {
        const auto between = [](const std::string& text, const std::string& open, char close) {
            const auto at = text.find(open);
            if (at == std::string::npos) return std::string();
            const auto start = at + open.size();
            return text.substr(start, text.find(close, start) - start);
        };
        if (auto out = between(commandLine, "-output \"", '"'); !out.empty()) return out;
        const std::string job = "c:\\" + between(commandLine, "/sc:\\", ' ');
        for (const auto& [name, text] : files) {
            if (name.size() != job.size() ||
                !std::equal(name.begin(), name.end(), job.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                continue;
            // Nandub's first pass writes only its statistics file.
            std::string saved = between(text, "GenStats(\"", '"');
            if (saved.empty()) saved = between(text, "SaveAVI(\"", '"');
            if (saved.empty()) saved = between(text, "SaveWAV(\"", '"');
            std::string path;
            for (std::size_t i = 0; i < saved.size(); ++i) {
                path.push_back(saved[i]);
                if (saved[i] == '\\' && i + 1 < saved.size() && saved[i + 1] == '\\') ++i;
            }
            return path;
        }
        return {};
    }
    void StartProcess(const std::string& commandLine, int windowStyle) override {
        events.push_back("start(" + std::to_string(windowStyle) + "): " + commandLine);
    }
    // RegistryPort
    void SetRegistryDword(const std::string& subKey, const std::string& valueName, std::int32_t value) override {
        registry[subKey + "\\" + valueName] = value;
        events.push_back("registry: " + subKey + "\\" + valueName + " = " + std::to_string(value));
    }
    void DeleteRegistryKey(const std::string& subKey) override { events.push_back("delete key: " + subKey); }
    // FilePort
    bool FileExists(const std::string& path) override { return files.count(path) || sizes.count(path); }
    std::int64_t FileSize(const std::string& path) override {
        if (auto it = sizes.find(path); it != sizes.end()) return it->second;
        if (auto it = files.find(path); it != files.end()) return static_cast<std::int64_t>(it->second.size());
        return -1;
    }
    bool WriteFile(const std::string& path, std::string_view bytes, std::string& reason) override {
        if (auto it = failWrites.find(path); it != failWrites.end()) {
            reason = it->second;
            return false;
        }
        files[path] = std::string(bytes);
        events.push_back("write: " + path);
        return true;
    }
    bool DeleteFile(const std::string& path) override { return files.erase(path) + sizes.erase(path) > 0; }
    bool ReadLines(const std::string&, std::vector<std::string>&) override { return false; }
    std::string SystemDirectory() override { return "C:\\windows\\system32"; }
    bool FileVersion(const std::string&, std::string&) override { return false; }
    bool FileCreationTime(const std::string&, std::uint64_t&) override { return false; }
    // ClockPort
    std::int64_t NowSeconds() override {
        if (!clockReadings.empty()) {
            const std::int64_t t = clockReadings.front();
            clockReadings.erase(clockReadings.begin());
            return t;
        }
        return now;
    }
    // TrayPort
    void StartSystray() override { events.push_back("tray added"); }
    void DeleteSystray() override { events.push_back("tray deleted"); }
    // ShutdownPort
    bool ShutdownSystem(std::int32_t flags) override {
        events.push_back("shutdown " + std::to_string(flags));
        if (throwOnShutdown) throw ShutdownError{0x8004062B, "marobex.mShutDown", "ShutdownSystem failed: denied"};
        return true;
    }
    // SystemInfoPort
    void GetOsVersionInfo(OsVersionInfo& info) override {
        info = {2, "Windows XP", "5.1", "Service Pack 1", "2600"};
    }
    // RunView
    void HideMainWindow() override { events.push_back("main hidden"); }
    void ShowMainWindow() override { events.push_back("main shown"); }
    void ShowProgressWindow() override { events.push_back("progress shown"); }
    void ClearLog() override { log.clear(); }
    void AppendLog(const std::string& line) override { log.push_back(line); }
    void ClearQueue() override { queue.clear(); }
    void AddQueueEntry(const std::string& entry) override { queue.push_back(entry); }
    void RemoveFirstQueueEntry() override {
        if (!queue.empty()) queue.erase(queue.begin());
    }

    RunPorts Ports() { return RunPorts{*this, *this, *this, *this, *this, *this, *this, *this, *this, {}, {}}; }

    // The events that start programs, in order.
    std::vector<std::string> Programs() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind("run(", 0) == 0 || e.rfind("start(", 0) == 0) out.push_back(e);
        return out;
    }
};

}  // namespace mb::testing
