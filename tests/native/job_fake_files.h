// An in-memory file port for the job writer tests: records every file
// written, in order, and can refuse chosen paths with a reason.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/ports.h"

namespace mb::jobs_test {

class RecordingFiles : public FilePort {
public:
    // path -> bytes of its last write
    std::map<std::string, std::string> files;
    // paths in the order they were written
    std::vector<std::string> order;
    // writes to these paths fail with the given reason
    std::map<std::string, std::string> refuse;

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::int64_t FileSize(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    bool WriteFile(const std::string& path, std::string_view bytes, std::string& reason) override {
        if (auto it = refuse.find(path); it != refuse.end()) {
            reason = it->second;
            return false;
        }
        files[path] = std::string(bytes);
        order.push_back(path);
        return true;
    }
    bool DeleteFile(const std::string& path) override { return files.erase(path) != 0; }
    bool ReadLines(const std::string&, std::vector<std::string>&) override { return false; }
    std::string SystemDirectory() override { return "C:\\windows\\system32"; }
    bool FileVersion(const std::string&, std::string&) override { return false; }
    bool FileCreationTime(const std::string&, std::uint64_t&) override { return false; }
};

// The bytes of a job file from its lines: each ended by CR LF.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

}  // namespace mb::jobs_test
