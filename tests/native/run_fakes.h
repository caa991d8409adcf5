// In-memory stand-ins for the ports, recording what a run asks of the
// outside world in one ordered list of events.
#pragma once

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
    std::int64_t now = 1000;
    std::vector<std::int64_t> clockReadings;  // consumed first, then `now`
    bool throwOnShutdown = false;

    // MessagePort
    void ShowMessage(const std::string& text, MessageIcon) override {
        messages.push_back(text);
        events.push_back("message: " + text);
    }
    // ProcessPort
    // A program whose path is listed here cannot start; the quit comes
    // while the program whose command line holds quitDuring runs.
    std::vector<std::string> missingPrograms;
    std::string quitDuring;
    ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, std::string& reason) override {
        const std::string commandLine = command.Text();
        events.push_back("run(" + std::to_string(windowStyle) + "): " + commandLine);
        for (const std::string& missing : missingPrograms)
            if (command.program == missing) {
                reason = "The system cannot find the file specified.";
                return ProgramEnd::NotStarted;
            }
        for (auto& [key, action] : programs)
            if (commandLine.find(key) != std::string::npos) action();
        if (!quitDuring.empty() && commandLine.find(quitDuring) != std::string::npos) return ProgramEnd::Quit;
        return ProgramEnd::Ended;
    }
    void StartProcess(const ProgramCommand& command, int windowStyle) override {
        events.push_back("start(" + std::to_string(windowStyle) + "): " + command.Text());
    }
    // RegistryPort
    std::string registryFailure;  // when set, every value write fails with it
    Status SetRegistryDword(const std::string& subKey, const std::string& valueName, std::int32_t value) override {
        if (!registryFailure.empty()) return Status::Failure(registryFailure);
        registry[subKey + "\\" + valueName] = value;
        events.push_back("registry: " + subKey + "\\" + valueName + " = " + std::to_string(value));
        return Status::Ok();
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

    RunPorts Ports() { return RunPorts{*this, *this, *this, *this, *this, *this, *this, *this, *this, {}, {}, nullptr}; }

    // The events that start programs, in order.
    std::vector<std::string> Programs() const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind("run(", 0) == 0 || e.rfind("start(", 0) == 0) out.push_back(e);
        return out;
    }
};

}  // namespace mb::testing
