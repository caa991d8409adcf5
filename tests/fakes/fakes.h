// The one set of in-memory ports the tests give the core: files, profile,
// registry, programs, clock, tray, shutdown, system, locale, messages and the
// run's windows. Everything asked is recorded in one ordered list of events;
// answers come from what the test put in.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/job_script.h"
#include "model/ports.h"
#include "model/saved_job.h"
#include "run/run_driver.h"

namespace mb::fakes {

using Lines = std::vector<std::string>;

// The lines of a text, without their line ends (CR LF or LF).
inline Lines SplitLines(const std::string& text) {
    Lines lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// A file of the test data (tests/data), or of the source tree; empty when
// it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The steps of a row, between " | ".
inline Lines SplitSteps(const std::string& row) {
    Lines steps;
    for (std::size_t at = 0; at != std::string::npos;) {
        const std::size_t bar = row.find(" | ", at);
        steps.push_back(row.substr(at, bar == std::string::npos ? bar : bar - at));
        at = bar == std::string::npos ? bar : bar + 3;
    }
    return steps;
}

// "{hh}" stands for the byte of that value in recorded rows; Escape writes
// control bytes, '{' and bytes beyond ASCII so.
inline std::string Unescape(const std::string& t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == '{' && i + 3 < t.size() && t[i + 3] == '}') out += static_cast<char>(std::stoi(t.substr(i + 1, 2), nullptr, 16)), i += 3;
        else out += t[i];
    return out;
}
inline std::string Escape(const std::string& t) {
    std::string out;
    for (unsigned char c : t) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "{%02x}", c);
        out += c < 0x20 || c == '{' || c >= 0x7f ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return out;
}

// A file of recorded rows under tests/data: "== row" lines and "#" comments,
// each row followed by what it gives. `got` is the file as `give` gives it
// now; with MAROBEX_UPDATE_GOLDEN set the file is written so.
struct Recorded {
    std::string recorded, got;
};
inline Recorded RecordedRows(const std::string& name, const std::function<std::string(const std::string&)>& give) {
    const std::string path = std::string(MAROBEX_TEST_DATA) + "/" + name;
    Recorded r{ReadFile(path), ""};
    for (const std::string& line : SplitLines(r.recorded)) {
        if (line.rfind("== ", 0) != 0 && line.rfind("#", 0) != 0) continue;
        r.got += line + "\n";
        if (line.rfind("== ", 0) == 0) r.got += give(line.substr(3));
    }
    if (std::getenv("MAROBEX_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << r.got;
    return r;
}

inline std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

struct World : MessagePort, ProcessPort, RegistryPort, FilePort, ProfilePort, ClockPort, TrayPort,
               ShutdownPort, SystemInfoPort, LocalePort, RunView {
    Lines events;                                   // everything, in order
    std::map<std::string, std::string> files;       // path -> bytes
    std::map<std::string, std::int64_t> sizes;      // path -> size of a big file
    std::map<std::string, std::string> failWrites;  // path -> reason
    std::map<std::string, std::string> versions;    // path -> "1.4.10.0"
    std::map<std::string, std::string> products;    // path -> product name
    std::map<std::string, std::uint64_t> created;   // path -> file time
    std::map<std::string, std::uint64_t> written;   // path -> last-write time, moved on by every write
    std::uint64_t writeClock = 1;
    std::map<std::string, std::string> ini;         // "file|SECTION|KEY" -> value
    Lines log, queue, messages;
    std::vector<MessageIcon> icons;
    // Runs when a command line contains the key: what the program would do.
    std::vector<std::pair<std::string, std::function<void()>>> programs;
    std::int64_t now = 1000;
    std::vector<std::int64_t> clockReadings;  // consumed first, then `now`
    bool throwOnShutdown = false;
    std::string systemDirectory = "C:\\WINDOWS\\System32";
    std::string dateSeparator = "/";
    NumberFormat format;

    // MessagePort
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
        events.push_back("message: " + text);
    }
    // ProcessPort
    // A program whose path is listed cannot start; the quit comes while the
    // program whose command line holds quitDuring runs.
    Lines missingPrograms;
    std::string quitDuring;
    // Programs whose command line holds one of these leave no result; the
    // others write the file their job names, as the real ones would (a file
    // already there keeps its bytes, and gets a new write time).
    Lines silent;
    // The exit status of the programs whose command line holds the key.
    std::vector<std::pair<std::string, std::uint32_t>> exitStatuses;
    // The run is cancelled while the program whose command line holds
    // cancelDuring runs (after it has done what `programs` says).
    std::string cancelDuring;
    bool cancelled = false;
    ProgramEnd ShellAndWait(const ProgramCommand& command, int style, EndBy, std::string& reason,
                            std::uint32_t& exitStatus) override {
        const std::string line = command.Text();
        events.push_back("run(" + std::to_string(style) + "): " + line);
        exitStatus = 0;
        for (const std::string& missing : missingPrograms)
            if (command.program == missing) {
                reason = "The system cannot find the file specified.";
                return ProgramEnd::NotStarted;
            }
        const std::map<std::string, std::string> before = files;
        const std::map<std::string, std::int64_t> sizesBefore = sizes;
        for (auto& [key, action] : programs)
            if (line.find(key) != std::string::npos) action();
        for (const auto& [path, bytes] : files)
            if (auto it = before.find(path); it == before.end() || it->second != bytes) Touch(path);
        for (const auto& [path, size] : sizes)
            if (auto it = sizesBefore.find(path); it == sizesBefore.end() || it->second != size) Touch(path);
        if (std::none_of(silent.begin(), silent.end(), [&](const std::string& k) { return line.find(k) != std::string::npos; }))
            if (const std::string result = ResultOf(line); !result.empty()) {
                if (!FileExists(result)) files[result] = "encoded";
                Touch(result);
            }
        for (const auto& [key, status] : exitStatuses)
            if (line.find(key) != std::string::npos) exitStatus = status;
        if (!quitDuring.empty() && line.find(quitDuring) != std::string::npos) return ProgramEnd::Quit;
        if (!cancelDuring.empty() && line.find(cancelDuring) != std::string::npos) cancelled = true;
        return cancelled ? ProgramEnd::Cancelled : ProgramEnd::Ended;
    }
    void CancelRun() override { cancelled = true; }
    bool RunCancelled() override { return cancelled; }
    void ResetCancel() override { cancelled = false; }
    void Touch(const std::string& path) { written[path] = ++writeClock; }
    // The file a program leaves: BeSweet's -output, or what the VirtualDub
    // or Nandub job saves (Nandub's first pass only its statistics).
    std::string ResultOf(const std::string& line) const {
        if (const auto at = line.find("-output \""); at != std::string::npos)
            return line.substr(at + 9, line.find('"', at + 9) - at - 9);
        const auto at = line.find("/sc:\\");
        if (at == std::string::npos) return {};
        const std::string job = Upper("c:\\" + line.substr(at + 5, line.find(' ', at) - at - 5));
        for (const auto& [name, text] : files) {
            if (Upper(name) != job) continue;
            for (const ScriptStatement& st : ReadJobScript(text, ScriptDialect::Nandub).statements)
                if ((st.method == "GenStats" || st.method == "SaveAVI" || st.method == "SaveWAV") && !st.args.empty() &&
                    !st.args[0].text.empty())
                    return st.args[0].text;
        }
        return {};
    }
    void StartProcess(const ProgramCommand& command, int style) override {
        const std::string line = command.Text();
        events.push_back("start(" + std::to_string(style) + "): " + line);
        for (auto& [key, action] : programs)
            if (line.find(key) != std::string::npos) action();
    }
    // RegistryPort
    std::string registryFailure;  // when set, every value write fails with it
    Status SetRegistryDword(const std::string& key, const std::string& name, std::int32_t value) override {
        if (!registryFailure.empty()) return Status::Failure(registryFailure);
        events.push_back("registry: " + key + "\\" + name + " = " + std::to_string(value));
        return Status::Ok();
    }
    void DeleteRegistryKey(const std::string& key) override { events.push_back("registry: delete " + key); }
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
        Touch(path);
        events.push_back("write: " + path);
        return true;
    }
    bool DeleteFile(const std::string& path) override {
        events.push_back("delete: " + path);
        return files.erase(path) + sizes.erase(path) > 0;
    }
    bool ReadLines(const std::string& path, Lines& lines) override {
        auto it = files.find(path);
        if (it == files.end()) return false;
        lines = SplitLines(it->second);
        return true;
    }
    std::string SystemDirectory() override { return systemDirectory; }
    bool FileVersion(const std::string& path, std::string& version) override {
        auto it = versions.find(path);
        if (it == versions.end()) return false;
        version = it->second;
        return true;
    }
    bool FileProductName(const std::string& path, std::string& name) override {
        auto it = products.find(path);
        if (it == products.end() || !files.count(path)) return false;
        name = it->second;
        return true;
    }
    bool FileCreationTime(const std::string& path, std::uint64_t& time) override {
        auto it = created.find(path);
        if (it == created.end() || !files.count(path)) return false;
        time = it->second;
        return true;
    }
    bool FileWriteTime(const std::string& path, std::uint64_t& time) override {
        if (!FileExists(path)) return false;
        auto it = written.find(path);
        time = it == written.end() ? 0 : it->second;
        return true;
    }
    // ProfilePort: keys without regard to case, as the system's routines.
    static std::string Slot(const std::string& s, const std::string& k, const std::string& f) {
        return f + "|" + Upper(s) + "|" + Upper(k);
    }
    std::string ReadIniValue(const std::string& s, const std::string& k, const std::string& f) override {
        auto it = ini.find(Slot(s, k, f));
        return it == ini.end() ? std::string() : it->second;
    }
    Status WriteIniValues(const std::string& s, const std::vector<std::pair<std::string, std::string>>& values,
                          const std::string& f) override {
        for (const auto& [k, v] : values) {
            events.push_back("ini: " + f + " [" + s + "] " + k + "=" + v);
            ini[Slot(s, k, f)] = v;
        }
        return Status::Ok();
    }
    // ClockPort
    std::int64_t NowSeconds() override {
        if (clockReadings.empty()) return now;
        const std::int64_t t = clockReadings.front();
        clockReadings.erase(clockReadings.begin());
        return t;
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
    void GetOsVersionInfo(OsVersionInfo& info) override { info = {2, "Windows XP", "5.1", "Service Pack 1", "2600"}; }
    // LocalePort
    NumberFormat UserNumberFormat() override { return format; }
    std::string DateSeparator() override { return dateSeparator; }
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

    RunPorts Ports() { return RunPorts{*this, *this, *this, *this, *this, *this, *this, *this, *this, format, {}, nullptr}; }

    // The events that begin with one of the prefixes, in order.
    Lines Events(std::initializer_list<const char*> prefixes) const {
        Lines out;
        for (const auto& e : events)
            for (const char* p : prefixes)
                if (e.rfind(p, 0) == 0) {
                    out.push_back(e);
                    break;
                }
        return out;
    }
};

// A job file given as text, split into sections and lines the way the
// profile routines hand them over: a section named twice is read from its
// first place, lines before the first section belong to none, and a "["
// line without "]" is a line of the section it stands in.
class TextSavedJobSource : public SavedJobSource {
public:
    explicit TextSavedJobSource(const std::string& text) {
        for (const std::string& line : SplitLines(text)) {
            const std::size_t open = line.find_first_not_of(" \t");
            const std::size_t close = line.rfind(']');
            if (open != std::string::npos && line[open] == '[' && close != std::string::npos) {
                sections_.emplace_back(line.substr(open + 1, close - open - 1), Lines{});
            } else if (!sections_.empty() && open != std::string::npos) {
                sections_.back().second.push_back(line);
            }
        }
    }
    Lines SectionNames() override {
        Lines names;
        for (const auto& s : sections_) names.push_back(s.first);
        return names;
    }
    Lines SectionLines(const std::string& section) override {
        for (const auto& s : sections_)
            if (Upper(s.first) == Upper(section)) return s.second;
        return {};
    }

private:
    std::vector<std::pair<std::string, Lines>> sections_;
};

}  // namespace mb::fakes
