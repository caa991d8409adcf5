#include "env/codec_list.h"

#include <cstdio>

namespace mb {

namespace {

std::string CleanName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(u < 0x20 || u == 0x7F ? ' ' : c);
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

}  // namespace

std::string FourccText(std::uint32_t fourcc) {
    std::string text;
    for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>((fourcc >> (8 * i)) & 0xFF));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) {
            char hex[11];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(fourcc));
            return hex;
        }
    }
    return text;
}

std::string CodecListLine(std::string_view description, std::string_view name,
                          std::uint32_t fourcc) {
    std::string line = CleanName(description);
    if (line.empty()) line = CleanName(name);
    if (line.empty()) line = FourccText(fourcc);
    return line;
}

void AppendCodecListLine(std::string& text, const std::string& line) {
    if (line.empty()) return;
    text += line;
    text += "\r\n";
}

}  // namespace mb
