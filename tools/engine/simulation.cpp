#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "media_files.h"
#include "program_lines.h"
#include "video_settings.h"

namespace mb::engine {

namespace {

constexpr double kUnknownSeconds = 10;
constexpr std::uint32_t kFramesPerSecond = 25;

using Args = std::vector<std::string>;

// The value after the last occurrence of the option; empty when absent.
std::string Option(const Args& a, const std::string& name) {
    for (std::size_t i = a.size(); i-- > 1;)
        if (a[i - 1] == name) return a[i];
    return {};
}

// An audio option of output stream n: "-b:a:1", else the same for every stream ("-b:a").
std::string StreamOption(const Args& a, const std::string& name, std::size_t n) {
    const std::string own = Option(a, name + ":" + std::to_string(n));
    return own.empty() ? Option(a, name) : own;
}

std::int64_t Number(const std::string& text) {
    const std::int64_t v = std::atoll(text.c_str());
    return !text.empty() && (text.back() == 'k' || text.back() == 'K') ? v * 1000 : v;
}

std::uint32_t Fourcc(const std::string& s) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < s.size(); ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[i])) << (8 * i);
    return v;
}

// An audio input as far as its first bytes and length tell.
struct AudioInput {
    AudioFormat format;
    std::int64_t bytes = 0;
    double seconds = -1;  // -1: not told
};

bool Mp3Frame(std::string_view b, AudioFormat& f) {
    static constexpr int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr std::uint32_t kRates[] = {44100, 48000, 32000, 0};
    if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF || (static_cast<unsigned char>(b[1]) & 0xF0) != 0xF0)
        return false;
    const int kbps = kKbps[(static_cast<unsigned char>(b[2]) >> 4) & 15];
    const std::uint32_t rate = kRates[(static_cast<unsigned char>(b[2]) >> 2) & 3];
    if (kbps == 0 || rate == 0) return false;
    f = AudioFormat{};
    f.formatTag = (static_cast<unsigned char>(b[1]) & 0x06) == 0x02 ? 0x55 : 0x50;
    f.channels = (static_cast<unsigned char>(b[3]) >> 6) == 3 ? 1 : 2;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = static_cast<std::uint32_t>(kbps) * 125;
    f.blockAlign = 1;
    f.bitsPerSample = 0;
    return true;
}

AudioInput ExamineAudio(const std::string& path, const std::string& head, std::int64_t size) {
    AudioInput in;
    in.bytes = std::max<std::int64_t>(size, 0);
    WavSummary wav;
    std::string problem;
    if (ReadWavHeader(head, wav, problem)) {
        in.format = wav.format;
        in.bytes = wav.dataBytes;
    } else if (!Mp3Frame(head, in.format)) {
        if (LowerExtension(path) != ".ac3") return in;
        in.format = AudioFormat{0x2000, 6, 48000, 48000, 1, 0, {}};  // 384 kbit/s
    }
    if (in.format.avgBytesPerSec > 0) in.seconds = static_cast<double>(in.bytes) / in.format.avgBytesPerSec;
    return in;
}

// The format an audio encoder writes at a bit rate (bit/s).
AudioFormat EncodedFormat(const std::string& codec, std::int64_t bits, std::uint32_t rate, std::uint16_t channels) {
    if (codec == "pcm_s16le") return PcmFormat(rate, channels, 16);
    const std::uint16_t tag = codec == "libmp3lame" ? 0x55 : codec == "wmav2" ? 0x161 : 0x2000;
    return AudioFormat{tag, channels, rate, static_cast<std::uint32_t>(std::max<std::int64_t>(bits / 8, 1)), 1, 0, {}};
}

class RunSimulation {
public:
    RunSimulation(const FfmpegRun& run, const FileReader& heads, const FileSizer& sizes) : a_(run.args), run_(run) {
        for (std::size_t i = 0; i + 1 < a_.size(); ++i)
            if (a_[i] == "-i") inputs_.push_back(a_[i + 1]);
        for (const std::string& in : inputs_) {
            const auto head = heads(in);
            heads_.push_back(head ? *head : std::string());
            sizes_.push_back(sizes(in));
        }
        AviSummary source;
        std::string problem;
        if (!heads_.empty() && ReadAviHeaders(heads_[0], source, problem)) {
            source_ = source;
            if (const auto clip = ReadAviLength(heads_[0]); clip && clip->Seconds() > 0) seconds_ = clip->Seconds();
        } else if (!inputs_.empty()) {
            const AudioInput in = ExamineAudio(inputs_[0], heads_[0], sizes_[0]);
            if (in.seconds > 0) seconds_ = in.seconds;
        }
    }

    Simulated Run() {
        Simulated s;
        if (Option(a_, "-pass") == "1") s.passLog = PassLog();
        const std::string format = Option(a_, "-f");
        if (a_.empty() || a_.back() == "-" || format == "null") return s;
        s.output.path = a_.back();
        std::int64_t size = 0;
        if (format == "avi") {
            const AviShape avi = Avi();
            size = AviFileSize(avi);
            if (size <= kSimulatedMaxBytes) s.output.bytes = AviBytes(avi);
        } else if (format == "mp3") {
            const int kbps = Mp3Kbps();
            size = static_cast<std::int64_t>(seconds_ * kbps * 125);
            const std::uint32_t rate = static_cast<std::uint32_t>(std::atoi(Option(a_, "-ar").c_str()));
            if (size <= kSimulatedMaxBytes)
                s.output.bytes = Mp3Bytes(rate == 32000 || rate == 44100 ? rate : 48000, kbps, kbps, seconds_);
        } else {
            const AviAudioTrack t = Audio(0);
            size = t.bytes;
            if (size <= kSimulatedMaxBytes) s.output.bytes = WavBytes(t.format, t.bytes);
        }
        if (size > kSimulatedMaxBytes)
            s.problem = "\"" + s.output.path + "\" would be " + std::to_string(size) + " bytes, more than the " +
                        std::to_string(kSimulatedMaxBytes) + " the simulation writes";
        return s;
    }

private:
    std::uint32_t Frames() const {
        if (run_.frames > 0) return static_cast<std::uint32_t>(run_.frames);
        if (source_ && source_->totalFrames > 0) return source_->totalFrames;
        return static_cast<std::uint32_t>(std::max(1.0, std::round(seconds_ * kFramesPerSecond)));
    }

    AviShape Avi() const {
        AviShape avi;
        avi.frames = Frames();
        avi.framesPerSecond = static_cast<std::uint32_t>(std::max(1.0, std::round(avi.frames / seconds_)));
        if (source_ && source_->width > 0) avi.width = source_->width, avi.height = source_->height;
        const std::string video = Option(a_, "-c:v");
        if (video == "copy") {
            if (source_ && !source_->streamInfo.empty()) avi.handler = source_->streamInfo[0].compression;
            avi.videoBytes = std::max<std::int64_t>(sizes_[0], 0);
        } else if (video == "rawvideo") {
            avi.videoBytes = static_cast<std::int64_t>(avi.frames) * avi.width * avi.height * 3;
        } else {
            avi.handler = Fourcc(Option(a_, "-vtag"));
            avi.videoBytes = run_.aimBytes > 0 ? run_.aimBytes
                                               : static_cast<std::int64_t>(std::llround(Number(Option(a_, "-b:v")) * seconds_ / 8));
        }
        std::size_t n = 0;
        for (std::size_t i = 0; i + 1 < a_.size(); ++i)
            if (a_[i] == "-map" && a_[i + 1].find(":a:") != std::string::npos) avi.audio.push_back(Audio(n++));
        return avi;
    }

    // Output audio stream n: copied from its input, or encoded at its bit rate.
    AviAudioTrack Audio(std::size_t n) const {
        std::size_t input = 0;
        std::size_t seen = 0;
        for (std::size_t i = 0; i + 1 < a_.size(); ++i)
            if (a_[i] == "-map" && a_[i + 1].find(":a:") != std::string::npos && seen++ == n)
                input = static_cast<std::size_t>(std::atoi(a_[i + 1].c_str()));
        input = std::min(input, inputs_.empty() ? 0 : inputs_.size() - 1);
        const AudioInput in = inputs_.empty() ? AudioInput{} : ExamineAudio(inputs_[input], heads_[input], sizes_[input]);
        const double seconds = in.seconds > 0 ? in.seconds : seconds_;
        AviAudioTrack t;
        const std::string codec = StreamOption(a_, "-c:a", n);
        if (codec == "copy") {
            t.format = in.format;
            t.bytes = in.bytes;
            return t;
        }
        const std::string rate = StreamOption(a_, "-ar:a", n).empty() ? Option(a_, "-ar") : StreamOption(a_, "-ar:a", n);
        const std::string channels = StreamOption(a_, "-ac:a", n).empty() ? Option(a_, "-ac") : StreamOption(a_, "-ac:a", n);
        t.format = EncodedFormat(codec, Number(StreamOption(a_, "-b:a", n)),
                                 rate.empty() ? std::max<std::uint32_t>(in.format.samplesPerSec, 8000) : std::atoi(rate.c_str()),
                                 channels.empty() ? std::max<std::uint16_t>(in.format.channels, 1) : std::atoi(channels.c_str()));
        const std::int64_t align = std::max<std::uint16_t>(t.format.blockAlign, 1);
        t.bytes = std::llround(seconds * t.format.avgBytesPerSec);
        t.bytes -= t.bytes % align;
        return t;
    }

    // LAME's bit rate: the one asked for, or the middle of VBR's range.
    int Mp3Kbps() const {
        const std::int64_t bits = Number(Option(a_, "-b:a"));
        if (bits > 0) return Mp3BitrateAtMost(static_cast<int>(bits / 1000));
        static constexpr int kVbrKbps[] = {245, 225, 190, 175, 165, 130, 115, 100, 85, 65};
        const int q = std::clamp(std::atoi(Option(a_, "-q:a").c_str()), 0, 9);
        return Mp3BitrateAtMost(kVbrKbps[q]);
    }

    SimulatedFile PassLog() const {
        SimulatedFile f{Option(a_, "-passlogfile") + "-0.log", {}};
        const std::uint32_t frames = Frames();
        f.bytes = "# simulated first pass: " + std::to_string(frames) + " frames\n";
        for (std::uint32_t i = 0; i < frames; ++i) f.bytes += "in:" + std::to_string(i) + " out:" + std::to_string(i) + "\n";
        return f;
    }

    const Args& a_;
    const FfmpegRun& run_;
    std::vector<std::string> inputs_, heads_;
    std::vector<std::int64_t> sizes_;
    std::optional<AviSummary> source_;
    double seconds_ = kUnknownSeconds;
};

}  // namespace

Simulated SimulateRun(const FfmpegRun& run, const FileReader& heads, const FileSizer& sizes) {
    return RunSimulation(run, heads, sizes).Run();
}

}  // namespace mb::engine
