#include "jobs/source_facts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mb {

namespace {

std::uint32_t U32(std::string_view b, std::size_t at) {
    if (at + 4 > b.size()) return 0;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

bool Tag(std::string_view b, std::size_t at, std::string_view tag) {
    return at + 4 <= b.size() && b.substr(at, 4) == tag;
}

// Walks the chunks of [begin, end), descending into the lists that hold the
// headers.
void Walk(std::string_view b, std::size_t begin, std::size_t end, SourceFacts& facts, std::uint32_t& mainFrames,
          std::uint32_t& odmlFrames, bool& videoSeen) {
    std::size_t at = begin;
    while (at + 8 <= end) {
        const std::uint32_t size = U32(b, at + 4);
        const std::size_t body = at + 8;
        const std::size_t next = body + size + (size & 1);
        if (Tag(b, at, "LIST")) {
            if (Tag(b, body, "hdrl") || Tag(b, body, "strl") || Tag(b, body, "odml"))
                Walk(b, body + 4, std::min<std::size_t>(next, end), facts, mainFrames, odmlFrames, videoSeen);
            if (Tag(b, body, "movi")) return;  // the headers are all before the frames
        } else if (Tag(b, at, "avih") && size >= 40) {
            const std::uint32_t usPerFrame = U32(b, body);
            mainFrames = U32(b, body + 16);
            facts.width = static_cast<int>(U32(b, body + 32));
            facts.height = static_cast<int>(U32(b, body + 36));
            if (usPerFrame > 0 && facts.fps == 0) facts.fps = 1e6 / usPerFrame;
        } else if (Tag(b, at, "strh") && size >= 36 && Tag(b, body, "vids") && !videoSeen) {
            videoSeen = true;
            const std::uint32_t scale = U32(b, body + 20), rate = U32(b, body + 24);
            if (scale > 0 && rate > 0) facts.fps = static_cast<double>(rate) / scale;
            facts.frames = U32(b, body + 32);
        } else if (Tag(b, at, "dmlh") && size >= 4) {
            odmlFrames = U32(b, body);
        }
        if (next <= at) return;
        at = next;
    }
}

std::string Grouped(std::int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return (v < 0 ? "-" : "") + digits;
}

bool Usable(double v) { return std::isfinite(v) && v > 0; }

double AudioBytes(const AudioShare& a, double seconds) {
    return a.fileBytes > 0 ? static_cast<double>(a.fileBytes) : a.bytesPerSecond * seconds;
}

}  // namespace

SourceFacts ReadAviFacts(std::string_view bytes) {
    SourceFacts facts;
    if (!Tag(bytes, 0, "RIFF") || !Tag(bytes, 8, "AVI ")) return facts;
    std::uint32_t mainFrames = 0, odmlFrames = 0;
    bool videoSeen = false;
    Walk(bytes, 12, bytes.size(), facts, mainFrames, odmlFrames, videoSeen);
    // The video stream's own length counts every frame; the main header's
    // only those of the first RIFF part of a large (OpenDML) file.
    if (odmlFrames > static_cast<std::uint64_t>(facts.frames)) facts.frames = odmlFrames;
    if (facts.frames == 0) facts.frames = mainFrames;
    facts.known = facts.frames > 0 && facts.fps > 0 && facts.width > 0 && facts.height > 0;
    return facts;
}

std::string ClockTime(double seconds) {
    const auto total = static_cast<std::int64_t>(std::llround(seconds < 0 ? 0 : seconds));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                  static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
    return buf;
}

std::string SourceFactsText(const SourceFacts& facts) {
    if (!facts.known) return "Length unknown\r\nFrames, rate, size unknown";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.3f", facts.fps);
    return "Length " + ClockTime(facts.Seconds()) + ", " + Grouped(facts.frames) + " frames\r\n" + rate + " fps, " +
           std::to_string(facts.width) + " x " + std::to_string(facts.height);
}

double AviOverheadBytes(std::int64_t frames) {
    constexpr double kHeaders = 8 * 1024;            // the header lists and their padding
    constexpr double kPerFrame = 12.8 * 1024 / 300;  // chunk header and index entry
    return kHeaders + kPerFrame * static_cast<double>(frames);
}

double TargetBytesForBitrate(double kbps, const SourceFacts& facts, const AudioShare& audio1,
                             const AudioShare& audio2) {
    const double seconds = facts.Seconds();
    return kbps * 1000 / 8 * seconds + AudioBytes(audio1, seconds) + AudioBytes(audio2, seconds) +
           AviOverheadBytes(facts.frames);
}

double BitrateForSize(double desiredKB, const SourceFacts& facts, const AudioShare& audio1,
                      const AudioShare& audio2) {
    const double seconds = facts.Seconds();
    if (!Usable(seconds)) return 0;
    const double video = desiredKB * 1024 - AudioBytes(audio1, seconds) - AudioBytes(audio2, seconds) -
                         AviOverheadBytes(facts.frames);
    return video > 0 ? video * 8 / 1000 / seconds : 0;
}

std::string SizeLabelForBitrate(double kbps, const SourceFacts& facts, const AudioShare& audio1,
                                const AudioShare& audio2) {
    if (!facts.known || !Usable(kbps)) return {};
    char buf[48];
    std::snprintf(buf, sizeof buf, "= %.1f MB for this source",
                  TargetBytesForBitrate(kbps, facts, audio1, audio2) / (1024.0 * 1024.0));
    return buf;
}

std::string BitrateLabelForSize(double desiredKB, const SourceFacts& facts, const AudioShare& audio1,
                                const AudioShare& audio2) {
    if (!facts.known || !Usable(desiredKB)) return {};
    const double kbps = BitrateForSize(desiredKB, facts, audio1, audio2);
    if (kbps <= 0) return "= too small for this source's audio";
    return "= " + Grouped(std::llround(kbps)) + " kbps for this source";
}

int Mp3Kbps(int bitrateIndex) {
    static constexpr int kRates[] = {56, 64, 80, 96, 112, 128};
    return bitrateIndex >= 0 && bitrateIndex < 6 ? kRates[bitrateIndex] : 128;
}

}  // namespace mb
