// Running the engine's simulation from Windows tests: copies of the engine
// named VirtualDub.exe, NanDub.exe and BeSweet.exe in a folder of the test's
// own, with the Marobex.ini that makes them simulate and names their trace;
// the trace's records (one engine log block each); VirtualDub's
// "SeenWelcome" the simulation looks for.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "env/registry_win32.h"
#include "win32_test_support.h"

namespace mb::testing {

inline void SetSeenWelcome(DWORD value) {
    ASSERT_TRUE(SetRegistryDword(HKEY_CURRENT_USER, "Software\\Freeware\\VirtualDub", "SeenWelcome",
                                 static_cast<std::int32_t>(value)).ok);
}

// One run's block of the trace: "key: value" lines in their order.
struct TraceRecord {
    std::vector<std::pair<std::string, std::string>> entries;
    std::string Value(const std::string& key) const {
        for (const auto& [k, v] : entries)
            if (k == key) return v;
        return {};
    }
};

// The folder of simulated programs, and their trace.
class Simulation {
public:
    explicit Simulation(const std::string& folder = "C:\\marobex_simulation") : folder_(folder) {
        for (const char* name : {"VirtualDub.exe", "NanDub.exe", "BeSweet.exe"})
            EXPECT_TRUE(CopyFileA(TestProgram("marobex-engine.exe").c_str(), Exe(name).c_str(), FALSE)) << name;
        EXPECT_TRUE(WriteWholeFile(folder_ / "Marobex.ini", "[SIMULATION]\r\nTRACE=" + Trace() + "\r\nSTEPMS=0\r\n"));
        SetSeenWelcome(1);
    }
    std::string Exe(const std::string& name) const { return folder_ / name; }
    std::string Trace() const { return folder_ / "trace.txt"; }
    // Every run's record since the trace was last cleared.
    std::vector<TraceRecord> Records() const {
        std::vector<TraceRecord> records;
        const std::string text = ReadWholeFile(Trace());
        for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
            end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            if (line.rfind("== ", 0) == 0) records.emplace_back();
            const std::size_t colon = line.find(": ");
            if (!records.empty() && colon != std::string::npos)
                records.back().entries.emplace_back(line.substr(0, colon), line.substr(colon + 2));
        }
        return records;
    }
    void ClearTrace() const { DeleteFileA(Trace().c_str()); }

private:
    ScratchFolder folder_;
};

}  // namespace mb::testing
