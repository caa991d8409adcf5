#include "standin/standin_common.h"

#include <cstdlib>
#include <cstring>

namespace mb {

std::string_view ArgumentsOf(std::string_view commandLine) {
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        pos = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
    while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
    return commandLine.substr(pos);
}

namespace {

// A plain decimal number with an optional fraction, and nothing else.
std::optional<double> PlainNumber(const char* text) {
    if (text == nullptr || *text == '\0') return std::nullopt;
    double value = 0.0;
    double scale = 0.0;
    bool digits = false;
    for (const char* p = text; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = true;
            if (scale == 0.0) {
                value = value * 10 + (*p - '0');
            } else {
                value += (*p - '0') * scale;
                scale /= 10;
            }
        } else if (*p == '.' && scale == 0.0) {
            scale = 0.1;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    return value;
}

}  // namespace

double StandinSecondsFrom(const char* text) {
    const auto v = PlainNumber(text);
    return v && *v <= 86400.0 ? *v : kDefaultStandinSeconds;
}

int StandinWindowMsFrom(const char* text) {
    const auto v = PlainNumber(text);
    if (!v || *v > 600000.0 || std::strchr(text, '.') != nullptr) return kDefaultStandinWindowMs;
    return static_cast<int>(*v);
}

std::string StandinTracePathFrom(const char* text) {
    if (text == nullptr || *text == '\0') return "c:\\Marobex_standin_trace.txt";
    return text;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    std::size_t end = text.size();
    int padding = 0;
    while (end > 0 && text[end - 1] == '=' && padding < 2) {
        --end;
        ++padding;
    }
    std::string out;
    out.reserve(end * 3 / 4);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        int v;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        else if (c >= '0' && c <= '9') v = c - '0' + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else return std::nullopt;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    // A single character after the last complete group carries no byte.
    if (end % 4 == 1) return std::nullopt;
    return out;
}

std::string TooLargeText(const std::string& path, std::int64_t bytes) {
    return "\"" + path + "\" would be " + std::to_string(bytes) + " bytes, more than the " +
           std::to_string(kStandinMaxFileBytes) + " a stand-in writes";
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string LowerExtension(std::string_view path) {
    const std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace mb
