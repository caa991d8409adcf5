#include "standin/trace.h"

#include "model/text.h"

namespace mb {

namespace {

constexpr std::string_view kStart = "==== ";
constexpr std::string_view kEnd = "==== end";

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

}  // namespace

void TraceRecord::Add(std::string key, std::string value) {
    entries.emplace_back(std::move(key), std::move(value));
}

std::string TraceRecord::Value(std::string_view key) const {
    for (const auto& e : entries)
        if (e.first == key) return e.second;
    return {};
}

std::vector<std::string> TraceRecord::Values(std::string_view key) const {
    std::vector<std::string> out;
    for (const auto& e : entries)
        if (e.first == key) out.push_back(e.second);
    return out;
}

bool TraceRecord::Has(std::string_view key) const {
    for (const auto& e : entries)
        if (e.first == key) return true;
    return false;
}

std::string FormatTraceRecord(const TraceRecord& record) {
    std::string out;
    out += kStart;
    out += OneLine(record.program);
    out += "\r\n";
    for (const auto& [key, value] : record.entries) {
        out += OneLine(key);
        out += ": ";
        out += OneLine(value);
        out += "\r\n";
    }
    out += kEnd;
    out += "\r\n";
    return out;
}

std::vector<TraceRecord> ReadTraceRecords(std::string_view text) {
    std::vector<TraceRecord> records;
    std::optional<TraceRecord> open;
    for (const std::string_view line : SplitLines(text)) {
        if (line == kEnd) {
            if (open) records.push_back(std::move(*open));
            open.reset();
        } else if (line.substr(0, kStart.size()) == kStart) {
            open = TraceRecord{};
            open->program = std::string(line.substr(kStart.size()));
        } else if (open) {
            const std::size_t colon = line.find(": ");
            if (colon == std::string_view::npos)
                open->Add(std::string(line), {});
            else
                open->Add(std::string(line.substr(0, colon)), std::string(line.substr(colon + 2)));
        }
    }
    return records;
}

std::string WrittenEntry(const std::string& path, std::int64_t size) {
    return path + " (" + std::to_string(size) + " bytes)";
}

std::optional<WrittenFile> ParseWrittenEntry(std::string_view value) {
    constexpr std::string_view kTail = " bytes)";
    const std::size_t open = value.rfind(" (");
    if (open == std::string_view::npos || value.size() < kTail.size() ||
        value.substr(value.size() - kTail.size()) != kTail)
        return std::nullopt;
    const std::string_view digits = value.substr(open + 2, value.size() - kTail.size() - open - 2);
    if (digits.empty()) return std::nullopt;
    std::int64_t size = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        size = size * 10 + (c - '0');
    }
    return WrittenFile{std::string(value.substr(0, open)), size};
}

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += kDigits[u >> 4];
        out += kDigits[u & 15];
    }
    return out;
}

}  // namespace mb
