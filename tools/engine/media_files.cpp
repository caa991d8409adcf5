#include "media_files.h"

#include <algorithm>
#include <cmath>

#include "jobs/riff_writer.h"

namespace mb {

namespace {

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifTrustCkType = 0x800;
constexpr std::uint32_t kIndexKeyFrame = 0x10;

std::uint32_t Get32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}
std::uint16_t Get16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

// Size of the i-th frame when total bytes are spread over n frames.
std::int64_t FrameBytes(const AviShape& s, std::uint32_t i) {
    const std::int64_t base = s.videoBytes / s.frames;
    const std::int64_t rest = s.videoBytes % s.frames;
    return base + (static_cast<std::int64_t>(i) < rest ? 1 : 0);
}

std::string StreamChunkId(std::size_t stream, std::string_view kind) {
    std::string id;
    id += static_cast<char>('0' + stream / 10);
    id += static_cast<char>('0' + stream % 10);
    id += kind;
    return id;
}

void WaveFormatEx(RiffWriter& w, const AudioFormat& f, bool withSize) {
    w.U16(f.formatTag);
    w.U16(f.channels);
    w.U32(f.samplesPerSec);
    w.U32(f.avgBytesPerSec);
    w.U16(f.blockAlign);
    w.U16(f.bitsPerSample);
    if (withSize) {
        w.U16(static_cast<unsigned>(f.extra.size()));
    }
}

bool ReadWaveFormat(std::string_view b, std::size_t at, std::size_t size, AudioFormat& f) {
    if (size < 16) return false;
    f.formatTag = Get16(b, at);
    f.channels = Get16(b, at + 2);
    f.samplesPerSec = Get32(b, at + 4);
    f.avgBytesPerSec = Get32(b, at + 8);
    f.blockAlign = Get16(b, at + 12);
    f.bitsPerSample = Get16(b, at + 14);
    f.extra.clear();
    if (size >= 18) {
        const std::size_t extra = Get16(b, at + 16);
        if (18 + extra > size) return false;
        f.extra = std::string(b.substr(at + 18, extra));
    }
    return true;
}

}  // namespace

AudioFormat PcmFormat(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bits) {
    AudioFormat f;
    f.formatTag = 1;
    f.channels = channels;
    f.samplesPerSec = samplesPerSec;
    f.bitsPerSample = bits;
    f.blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    f.avgBytesPerSec = samplesPerSec * f.blockAlign;
    return f;
}

std::string AviBytes(const AviShape& avi) {
    AviShape s = avi;
    s.frames = std::max<std::uint32_t>(s.frames, 1);
    s.videoBytes = std::max<std::int64_t>(s.videoBytes, 0);
    const std::uint32_t fps = std::max<std::uint32_t>(s.framesPerSecond, 1);
    const std::int64_t seconds = std::max<std::int64_t>((s.frames + fps - 1) / fps, 1);
    std::int64_t audioBytes = 0;
    for (const auto& a : s.audio) audioBytes += a.bytes;
    const std::int64_t largestFrame = FrameBytes(s, 0);

    std::string out;
    out.reserve(static_cast<std::size_t>(AviFileSize(s)));
    RiffWriter w(out);
    const std::size_t riff = w.Open("RIFF");
    w.Id("AVI ");

    const std::size_t hdrl = w.Open("LIST");
    w.Id("hdrl");
    const std::size_t avih = w.Open("avih");
    w.U32(1000000u / fps);
    w.U32(static_cast<std::uint32_t>((s.videoBytes + audioBytes) / seconds));
    w.U32(0);
    w.U32(kAvifHasIndex | kAvifTrustCkType);
    w.U32(s.frames);
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(1 + s.audio.size()));
    w.U32(static_cast<std::uint32_t>(largestFrame));
    w.U32(static_cast<std::uint32_t>(s.width));
    w.U32(static_cast<std::uint32_t>(s.height));
    w.Zeros(16);
    w.Close(avih);

    const std::uint32_t imageSize =
        static_cast<std::uint32_t>(s.width) * static_cast<std::uint32_t>(s.height) * 3;
    const std::size_t vstrl = w.Open("LIST");
    w.Id("strl");
    const std::size_t vstrh = w.Open("strh");
    w.Id("vids");
    w.U32(s.handler);
    w.U32(0);                 // flags
    w.U16(0);                 // priority
    w.U16(0);                 // language
    w.U32(0);                 // initial frames
    w.U32(1);                 // scale
    w.U32(fps);               // rate
    w.U32(0);                 // start
    w.U32(s.frames);          // length
    w.U32(static_cast<std::uint32_t>(largestFrame));
    w.U32(0xFFFFFFFFu);       // quality: the codec's default
    w.U32(0);                 // sample size: frames vary
    w.U16(0); w.U16(0);
    w.U16(static_cast<unsigned>(s.width)); w.U16(static_cast<unsigned>(s.height));
    w.Close(vstrh);
    const std::size_t vstrf = w.Open("strf");
    w.U32(40);
    w.U32(static_cast<std::uint32_t>(s.width));
    w.U32(static_cast<std::uint32_t>(s.height));
    w.U16(1);
    w.U16(24);
    w.U32(s.handler);
    w.U32(imageSize);
    w.Zeros(16);
    w.Close(vstrf);
    w.Close(vstrl);

    for (const auto& a : s.audio) {
        const std::uint32_t align = std::max<std::uint32_t>(a.format.blockAlign, 1);
        const std::size_t astrl = w.Open("LIST");
        w.Id("strl");
        const std::size_t astrh = w.Open("strh");
        w.Id("auds");
        w.U32(0);
        w.U32(0);
        w.U16(0);
        w.U16(0);
        w.U32(0);
        w.U32(align);                                   // scale
        w.U32(a.format.avgBytesPerSec);                 // rate
        w.U32(0);
        w.U32(static_cast<std::uint32_t>(a.bytes / align));
        w.U32(static_cast<std::uint32_t>(a.bytes));
        w.U32(0xFFFFFFFFu);
        w.U32(align);
        w.Zeros(8);
        w.Close(astrh);
        const std::size_t astrf = w.Open("strf");
        WaveFormatEx(w, a.format, true);
        out += a.format.extra;
        w.Close(astrf);
        w.Close(astrl);
    }
    w.Close(hdrl);

    struct Entry {
        std::string id;
        std::uint32_t flags;
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::vector<Entry> index;
    index.reserve(s.frames + s.audio.size());
    const std::size_t movi = w.Open("LIST");
    const std::size_t moviId = w.Size();
    w.Id("movi");
    auto chunk = [&](const std::string& id, std::int64_t size, std::uint32_t flags) {
        index.push_back({id, flags, static_cast<std::uint32_t>(w.Size() - moviId),
                         static_cast<std::uint32_t>(size)});
        const std::size_t at = w.Open(id);
        w.Zeros(size);
        w.Close(at);
    };
    for (std::size_t k = 0; k < s.audio.size(); ++k)
        chunk(StreamChunkId(k + 1, "wb"), s.audio[k].bytes, kIndexKeyFrame);
    for (std::uint32_t i = 0; i < s.frames; ++i)
        chunk("00dc", FrameBytes(s, i), i % fps == 0 ? kIndexKeyFrame : 0);
    w.Close(movi);

    const std::size_t idx1 = w.Open("idx1");
    for (const Entry& e : index) {
        w.Id(e.id);
        w.U32(e.flags);
        w.U32(e.offset);
        w.U32(e.size);
    }
    w.Close(idx1);
    w.Close(riff);
    return out;
}

std::int64_t AviFileSize(const AviShape& avi) {
    const std::int64_t frames = std::max<std::uint32_t>(avi.frames, 1);
    const std::int64_t videoBytes = std::max<std::int64_t>(avi.videoBytes, 0);
    const std::int64_t base = videoBytes / frames;
    const std::int64_t rest = videoBytes % frames;
    // Odd frames are padded by one byte: with base even, the `rest` frames of
    // base + 1 bytes; with base odd, the others.
    const std::int64_t padded = (base % 2 == 0) ? rest : frames - rest;
    std::int64_t size = 12;                      // RIFF header
    size += 12 + 64 + 12 + 64 + 48;              // hdrl: avih, video strl with strh and strf
    for (const auto& a : avi.audio) {
        const std::int64_t strf = 18 + static_cast<std::int64_t>(a.format.extra.size());
        size += 12 + 64 + 8 + strf + (strf % 2);
        size += 8 + a.bytes + (a.bytes % 2) + 16;   // chunk in movi, idx1 entry
    }
    size += 12;                                  // movi list header
    size += frames * (8 + 16) + videoBytes + padded;
    size += 8;                                   // idx1 header
    return size;
}

namespace {

// Reads the headers, and unless headersOnly the index, of an AVI file (or,
// with headersOnly, of the beginning of one).
bool ReadAviParts(std::string_view b, bool headersOnly, AviSummary& summary, std::string& problem) {
    summary = AviSummary{};
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "AVI ") {
        problem = "not a RIFF AVI file";
        return false;
    }
    if (!headersOnly && Get32(b, 4) + 8ull != b.size()) {
        problem = "RIFF size " + std::to_string(Get32(b, 4)) + " does not match a file of " +
                  std::to_string(b.size()) + " bytes";
        return false;
    }
    std::size_t moviId = 0, moviEnd = 0;
    bool haveAvih = false, haveIndex = false;
    std::string_view index;
    // Walks the chunks of [from, to); lists "hdrl" and "strl" are entered.
    auto walk = [&](auto&& self, std::size_t from, std::size_t to) -> bool {
        std::size_t at = from;
        while (at + 8 <= to) {
            const std::string_view id = b.substr(at, 4);
            const std::size_t size = Get32(b, at + 4);
            const std::size_t data = at + 8;
            if (headersOnly && id == "LIST" && data + 4 <= to && b.substr(data, 4) == "movi") {
                moviId = data;
                return true;
            }
            if (data + size > to) {
                problem = "chunk " + std::string(id) + " runs past its container";
                return false;
            }
            if (id == "LIST") {
                if (size < 4) {
                    problem = "empty LIST";
                    return false;
                }
                const std::string_view type = b.substr(data, 4);
                if (type == "hdrl" || type == "strl") {
                    if (type == "strl") summary.streamInfo.emplace_back();
                    if (!self(self, data + 4, data + size)) return false;
                } else if (type == "movi") {
                    moviId = data;
                    moviEnd = data + size;
                }
            } else if (id == "avih") {
                if (size < 56) {
                    problem = "avih shorter than 56 bytes";
                    return false;
                }
                haveAvih = true;
                summary.microSecPerFrame = Get32(b, data);
                summary.flags = Get32(b, data + 12);
                summary.totalFrames = Get32(b, data + 16);
                summary.streams = Get32(b, data + 24);
                summary.width = static_cast<std::int32_t>(Get32(b, data + 32));
                summary.height = static_cast<std::int32_t>(Get32(b, data + 36));
            } else if (id == "strh" && !summary.streamInfo.empty()) {
                if (size < 48) {
                    problem = "strh shorter than 48 bytes";
                    return false;
                }
                AviStreamInfo& st = summary.streamInfo.back();
                st.type = std::string(b.substr(data, 4));
                st.handler = Get32(b, data + 4);
                st.scale = Get32(b, data + 20);
                st.rate = Get32(b, data + 24);
                st.length = Get32(b, data + 32);
            } else if (id == "strf" && !summary.streamInfo.empty()) {
                AviStreamInfo& st = summary.streamInfo.back();
                if (st.type == "vids") {
                    if (size < 40) {
                        problem = "video strf shorter than 40 bytes";
                        return false;
                    }
                    st.width = static_cast<std::int32_t>(Get32(b, data + 4));
                    st.height = static_cast<std::int32_t>(Get32(b, data + 8));
                    st.compression = Get32(b, data + 16);
                } else if (!ReadWaveFormat(b, data, size, st.audio)) {
                    problem = "audio strf is not a WAVEFORMATEX";
                    return false;
                }
            } else if (id == "idx1") {
                haveIndex = true;
                index = b.substr(data, size);
            }
            at = data + size + (size % 2);
        }
        return true;
    };
    if (!walk(walk, 12, b.size())) return false;
    if (!haveAvih) {
        problem = "no avih header";
        return false;
    }
    if (summary.streamInfo.size() != summary.streams) {
        problem = "avih announces " + std::to_string(summary.streams) + " streams, hdrl holds " +
                  std::to_string(summary.streamInfo.size());
        return false;
    }
    if (headersOnly) return true;
    if (moviId == 0) {
        problem = "no movi list";
        return false;
    }
    if (!haveIndex) {
        problem = "no idx1 index";
        return false;
    }
    for (std::size_t e = 0; e + 16 <= index.size(); e += 16) {
        const std::string_view id = index.substr(e, 4);
        const std::uint32_t flags = Get32(index, e + 4);
        const std::size_t at = moviId + Get32(index, e + 8);
        const std::uint32_t size = Get32(index, e + 12);
        if (at + 8 > moviEnd || b.substr(at, 4) != id || Get32(b, at + 4) != size ||
            at + 8 + size > moviEnd) {
            problem = "index entry " + std::to_string(e / 16) + " (" + std::string(id) +
                      ") does not point at its chunk";
            return false;
        }
        const bool digits = id[0] >= '0' && id[0] <= '9' && id[1] >= '0' && id[1] <= '9';
        const std::size_t stream =
            digits ? static_cast<std::size_t>((id[0] - '0') * 10 + (id[1] - '0')) : 0;
        if (!digits || stream >= summary.streamInfo.size()) {
            problem = "index entry " + std::to_string(e / 16) + " names no stream";
            return false;
        }
        summary.streamInfo[stream].indexedBytes += size;
        summary.streamInfo[stream].indexedChunks += 1;
        if (stream == 0 && (flags & kIndexKeyFrame)) summary.keyFrames += 1;
    }
    return true;
}

}  // namespace

bool ReadAvi(std::string_view bytes, AviSummary& summary, std::string& problem) {
    return ReadAviParts(bytes, false, summary, problem);
}

bool ReadAviHeaders(std::string_view bytes, AviSummary& summary, std::string& problem) {
    return ReadAviParts(bytes, true, summary, problem);
}

std::string WavBytes(const AudioFormat& format, std::int64_t dataBytes) {
    dataBytes = std::max<std::int64_t>(dataBytes, 0);
    std::string out;
    out.reserve(static_cast<std::size_t>(dataBytes) + 64 + format.extra.size());
    RiffWriter w(out);
    const std::size_t riff = w.Open("RIFF");
    w.Id("WAVE");
    const std::size_t fmt = w.Open("fmt ");
    const bool pcm = format.formatTag == 1 && format.extra.empty();
    WaveFormatEx(w, format, !pcm);
    if (!pcm) out += format.extra;
    w.Close(fmt);
    if (!pcm) {
        const std::size_t fact = w.Open("fact");
        const double seconds =
            format.avgBytesPerSec ? static_cast<double>(dataBytes) / format.avgBytesPerSec : 0.0;
        w.U32(static_cast<std::uint32_t>(seconds * format.samplesPerSec));
        w.Close(fact);
    }
    const std::size_t data = w.Open("data");
    w.Zeros(dataBytes);
    w.Close(data);
    w.Close(riff);
    return out;
}

bool ReadWavHeader(std::string_view b, WavSummary& summary, std::string& problem) {
    summary = WavSummary{};
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") {
        problem = "not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::string_view id = b.substr(at, 4);
        const std::size_t size = Get32(b, at + 4);
        if (id == "data") {
            if (!haveFormat) {
                problem = "data chunk before the fmt chunk";
                return false;
            }
            summary.dataBytes = static_cast<std::int64_t>(size);
            return true;
        }
        if (at + 8 + size > b.size()) break;
        if (id == "fmt ") {
            if (!ReadWaveFormat(b, at + 8, size, summary.format)) {
                problem = "fmt chunk is not a WAVEFORMAT";
                return false;
            }
            haveFormat = true;
        }
        at += 8 + size + (size % 2);
    }
    problem = "no data chunk";
    return false;
}

namespace {
constexpr int kMp3Rates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
}

bool IsMp3Bitrate(int kbps) {
    return std::find(std::begin(kMp3Rates), std::end(kMp3Rates), kbps) != std::end(kMp3Rates);
}

int Mp3BitrateAtMost(int kbps) {
    int best = kMp3Rates[0];
    for (int r : kMp3Rates)
        if (r <= kbps) best = r;
    return best;
}

std::string Mp3Bytes(std::uint32_t samplesPerSec, int kbpsA, int kbpsB, double seconds) {
    int rateIndex = 0;
    if (samplesPerSec == 48000) rateIndex = 1;
    else if (samplesPerSec == 32000) rateIndex = 2;
    else samplesPerSec = 44100;
    const auto bitrateIndex = [](int kbps) {
        const int r = Mp3BitrateAtMost(kbps);
        for (int i = 0; i < 14; ++i)
            if (kMp3Rates[i] == r) return std::pair<int, int>(i + 1, r);
        return std::pair<int, int>(9, 128);
    };
    const std::int64_t frames = std::max<std::int64_t>(
        1, static_cast<std::int64_t>(std::ceil(seconds * samplesPerSec / 1152.0)));
    std::string out;
    std::int64_t remainder = 0;
    for (std::int64_t i = 0; i < frames; ++i) {
        const auto [index, kbps] = bitrateIndex(i % 2 == 0 ? kbpsA : kbpsB);
        const std::int64_t numerator = 144000ll * kbps;
        std::int64_t length = numerator / samplesPerSec;
        remainder += numerator % samplesPerSec;
        int padding = 0;
        if (remainder >= samplesPerSec) {
            remainder -= samplesPerSec;
            padding = 1;
            ++length;
        }
        out.push_back(static_cast<char>(0xFF));
        out.push_back(static_cast<char>(0xFB));   // MPEG-1, Layer III, no CRC
        out.push_back(static_cast<char>((index << 4) | (rateIndex << 2) | (padding << 1)));
        out.push_back(static_cast<char>(0x44));   // joint stereo, original
        // Zero side information and main data: every granule is silent.
        out.append(static_cast<std::size_t>(length - 4), '\0');
    }
    return out;
}

}  // namespace mb
