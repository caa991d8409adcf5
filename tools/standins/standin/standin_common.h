// What the stand-in encoder programs share: their view of the file system,
// their command lines and settings, and standard base64 decoding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mb {

// The files a stand-in reads and writes. The programs use the real file
// system; tests give an in-memory one.
class StandinFiles {
public:
    virtual ~StandinFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    // Length in bytes, -1 when the file does not exist.
    virtual std::int64_t Size(const std::string& path) = 0;
    // At most maxBytes from the start of the file; false when it cannot be read.
    virtual bool ReadStart(const std::string& path, std::size_t maxBytes, std::string& bytes) = 0;
    // Creates or replaces the file; on failure false and the system's reason.
    virtual bool Write(const std::string& path, std::string_view bytes, std::string& reason) = 0;
};

// The largest file a stand-in writes: files are built in memory, and an
// AVI of the RIFF 1.0 kind cannot grow much beyond it anyway. A job or
// command line that asks for more (an absurd bitrate or duration) fails.
constexpr std::int64_t kStandinMaxFileBytes = std::int64_t{1} << 30;

// The text of a failure to write more than kStandinMaxFileBytes.
std::string TooLargeText(const std::string& path, std::int64_t bytes);

// The command line without the program path (quoted or not) and the blanks
// after it.
std::string_view ArgumentsOf(std::string_view commandLine);

// The duration of the video and audio the stand-ins write, in seconds, from
// the text of the environment variable MAROBEX_STANDIN_SECONDS: a decimal
// number from 0 to 86400; absent or anything else gives 10.
double StandinSecondsFrom(const char* text);
constexpr double kDefaultStandinSeconds = 10.0;

// How long the status window stays at least, in milliseconds, from the text
// of MAROBEX_STANDIN_WINDOW_MS: a whole number from 0 to 600000; absent or
// anything else gives 1500, long enough for the priority helper to find it.
int StandinWindowMsFrom(const char* text);
constexpr int kDefaultStandinWindowMs = 1500;

// The trace file's path from the text of MAROBEX_STANDIN_TRACE; absent or
// empty gives "c:\Marobex_standin_trace.txt".
std::string StandinTracePathFrom(const char* text);

// Standard base64 (RFC 4648): only alphabet characters, then at most two "="
// at the end; missing padding is accepted. nullopt for anything else.
std::optional<std::string> DecodeBase64(std::string_view text);

// The last component of a path ("a.avs" from "C:\in\a.avs").
std::string FileNameOf(std::string_view path);

// The extension from the last "." of the file name, in lower case (".avi");
// empty when there is none.
std::string LowerExtension(std::string_view path);

}  // namespace mb
