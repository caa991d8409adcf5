// In-memory ports for the tests of the environment code: they record what
// was asked and answer from what the test put in.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/ports.h"

namespace mb::testing {

struct RecordingMessages : MessagePort {
    std::vector<std::pair<std::string, MessageIcon>> shown;
    void ShowMessage(const std::string& text, MessageIcon icon) override { shown.emplace_back(text, icon); }
};

struct FakeFiles : FilePort {
    std::map<std::string, std::string> contents;        // path -> bytes
    std::map<std::string, std::string> versions;        // path -> "1.4.10.0"
    std::map<std::string, std::uint64_t> created;       // path -> file time
    std::vector<std::string> deleted;
    std::string systemDirectory = "C:\\WINDOWS\\System32";

    bool FileExists(const std::string& path) override { return contents.count(path) > 0; }
    std::int64_t FileSize(const std::string& path) override {
        auto it = contents.find(path);
        return it == contents.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    bool WriteFile(const std::string& path, std::string_view bytes, std::string&) override {
        contents[path] = std::string(bytes);
        return true;
    }
    bool DeleteFile(const std::string& path) override {
        deleted.push_back(path);
        return contents.erase(path) > 0;
    }
    bool ReadLines(const std::string& path, std::vector<std::string>& lines) override {
        auto it = contents.find(path);
        if (it == contents.end()) return false;
        lines.clear();
        std::string line;
        for (char c : it->second) {
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) lines.push_back(line);
        return true;
    }
    std::string SystemDirectory() override { return systemDirectory; }
    bool FileVersion(const std::string& path, std::string& version) override {
        auto it = versions.find(path);
        if (it == versions.end()) return false;
        version = it->second;
        return true;
    }
    bool FileCreationTime(const std::string& path, std::uint64_t& fileTime) override {
        auto it = created.find(path);
        if (it == created.end() || !contents.count(path)) return false;
        fileTime = it->second;
        return true;
    }
};

// Keys are looked up without regard to case, as the system's profile
// functions do; writes are recorded as asked.
struct FakeProfile : ProfilePort {
    std::map<std::string, std::string> values;  // "file|SECTION|KEY" (upper case) -> value
    std::vector<std::vector<std::string>> writes;  // {section, key, value, file}

    static std::string Upper(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
        return s;
    }
    static std::string Slot(const std::string& s, const std::string& k, const std::string& f) {
        return f + "|" + Upper(s) + "|" + Upper(k);
    }
    std::string ReadIniValue(const std::string& section, const std::string& key,
                             const std::string& file) override {
        auto it = values.find(Slot(section, key, file));
        return it == values.end() ? std::string() : it->second;
    }
    Status saveResult;  // what WriteIniValues answers; a failure writes nothing
    void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                       const std::string& file) {
        writes.push_back({section, key, value, file});
        values[Slot(section, key, file)] = value;
    }
    Status WriteIniValues(const std::string& section,
                          const std::vector<std::pair<std::string, std::string>>& pairs,
                          const std::string& file) override {
        if (!saveResult) return saveResult;
        for (const auto& [key, value] : pairs) WriteIniValue(section, key, value, file);
        return Status::Ok();
    }
};

struct RecordingRegistry : RegistryPort {
    std::vector<std::string> calls;
    Status SetRegistryDword(const std::string& subKey, const std::string& valueName,
                            std::int32_t value) override {
        calls.push_back("set " + subKey + " " + valueName + "=" + std::to_string(value));
        return Status::Ok();
    }
    void DeleteRegistryKey(const std::string& subKey) override { calls.push_back("delete " + subKey); }
};

// Records the programs started; onWait plays the program that ShellAndWait runs.
struct FakeProcesses : ProcessPort {
    std::vector<std::pair<std::string, int>> waited;
    std::function<void(const std::string&)> onWait;
    ProgramEnd ShellAndWait(const ProgramCommand& command, int windowStyle, std::string&) override {
        waited.emplace_back(command.Text(), windowStyle);
        if (onWait) onWait(command.Text());
        return ProgramEnd::Ended;
    }
    void StartProcess(const ProgramCommand&, int) override {}
};

struct FixedLocale : LocalePort {
    std::string separator = "/";
    NumberFormat UserNumberFormat() override { return {}; }
    std::string DateSeparator() override { return separator; }
};

}  // namespace mb::testing
