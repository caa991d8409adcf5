// The trace file of the stand-in programs: one record per run, appended, so
// that a test can see what each program was given and what it did.
//
// A record is text, CR LF line ends:
//   ==== VirtualDub
//   command line: "C:\tools\VirtualDub.exe" /r /x /sc:\jobpass.vcf
//   job file: c:\jobpass.vcf
//   statement: 4: VirtualDub.Open("C:\\in\\a.avs",0,0)
//   ...
//   result: done
//   ==== end
// The first line names the program ("VirtualDub", "Nandub" or "BeSweet"); each
// line between is "key: value". A key may occur many times, in the order of
// the events. Values never hold a line break (CR and LF are written as \r and
// \n).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mb {

struct TraceRecord {
    std::string program;
    std::vector<std::pair<std::string, std::string>> entries;

    void Add(std::string key, std::string value);
    // The first value of the key; empty when it is absent.
    std::string Value(std::string_view key) const;
    // Every value of the key, in order.
    std::vector<std::string> Values(std::string_view key) const;
    bool Has(std::string_view key) const;
};

// The record as text, ready to append to the trace file.
std::string FormatTraceRecord(const TraceRecord& record);

// Every complete record of a trace file's text, in order. Lines outside a
// record and a last record without its end line are left out.
std::vector<TraceRecord> ReadTraceRecords(std::string_view text);

// The value of a "wrote" entry: "<path> (<size> bytes)".
std::string WrittenEntry(const std::string& path, std::int64_t size);
struct WrittenFile {
    std::string path;
    std::int64_t size = 0;
};
std::optional<WrittenFile> ParseWrittenEntry(std::string_view value);

// The bytes as lower-case hexadecimal digits, two per byte.
std::string HexBytes(std::string_view bytes);

}  // namespace mb
