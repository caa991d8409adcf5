#include "standin/encoder_job.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "standin/media_files.h"

namespace mb {

namespace {

std::int32_t Int32At(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}

std::string FourccText(std::uint32_t fourcc) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", fourcc);
    return buf;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// What the program knows of one audio track.
struct AudioTrack {
    std::string file;                 // source file; empty for none
    int mode = 0;                     // 0 direct stream copy, 1 full processing
    std::uint32_t conversionRate = 0; // 0 keeps the source's rate
    bool compressed = false;
    AudioFormat compression;
};

// The format and length of an audio source file as far as the stand-in can
// tell: WAV files by their header, MPEG audio by its first frame header, AC3
// by name.
struct AudioSource {
    AudioFormat format;
    std::int64_t bytes = 0;
    double seconds = -1;              // -1 when the file does not say
};

bool Mp3FrameFormat(std::string_view b, AudioFormat& f) {
    static constexpr int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr std::uint32_t kSampleRates[] = {44100, 48000, 32000, 0};
    if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF ||
        (static_cast<unsigned char>(b[1]) & 0xFE) != 0xFA)
        return false;
    const int kbps = kRates[(static_cast<unsigned char>(b[2]) >> 4) & 15];
    const std::uint32_t rate = kSampleRates[(static_cast<unsigned char>(b[2]) >> 2) & 3];
    if (kbps == 0 || rate == 0) return false;
    f = AudioFormat{};
    f.formatTag = 0x55;
    f.channels = (static_cast<unsigned char>(b[3]) >> 6) == 3 ? 1 : 2;
    f.samplesPerSec = rate;
    f.avgBytesPerSec = static_cast<std::uint32_t>(kbps) * 125;
    f.blockAlign = 1;
    f.bitsPerSample = 0;
    return true;
}

AudioSource ExamineAudio(const std::string& path, StandinFiles& files) {
    AudioSource src;
    src.bytes = std::max<std::int64_t>(files.Size(path), 0);
    std::string head;
    files.ReadStart(path, 4096, head);
    WavSummary wav;
    std::string problem;
    if (ReadWavHeader(head, wav, problem)) {
        src.format = wav.format;
        src.bytes = wav.dataBytes;
        if (wav.format.avgBytesPerSec > 0)
            src.seconds = static_cast<double>(wav.dataBytes) / wav.format.avgBytesPerSec;
        return src;
    }
    if (Mp3FrameFormat(head, src.format)) {
        src.seconds = static_cast<double>(src.bytes) / src.format.avgBytesPerSec;
        return src;
    }
    if (LowerExtension(path) == ".ac3") {
        src.format.formatTag = 0x2000;
        src.format.channels = 6;
        src.format.samplesPerSec = 48000;
        src.format.avgBytesPerSec = 48000;  // 384 kbit/s
        src.format.blockAlign = 1;
        src.format.bitsPerSample = 0;
        src.seconds = static_cast<double>(src.bytes) / src.format.avgBytesPerSec;
        return src;
    }
    src.format = PcmFormat(44100, 2, 16);
    return src;
}

class Job {
public:
    Job(ScriptDialect dialect, double seconds, StandinFiles& files, TraceRecord& trace)
        : dialect_(dialect), seconds_(seconds), files_(files), trace_(trace) {}

    bool Run(const ScriptStatement& st) {
        trace_.Add("statement", std::to_string(st.line) + ": " + StatementText(st));
        const std::string& o = st.object;
        if (o == "VirtualDub") return Program(st);
        if (o == "VirtualDub.audio") return Audio(tracks_[0], st);
        if (o == "VirtualDub.audio2") return Audio(tracks_[1], st);
        if (o == "VirtualDub.video") return Video(st);
        return true;  // filters.Clear, subset.Delete: nothing to keep
    }

    const std::string& error() const { return error_; }

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    static const std::string& Text(const ScriptStatement& st, std::size_t i) { return st.args[i].text; }
    static std::int32_t Int(const ScriptStatement& st, std::size_t i) { return st.args[i].number; }

    bool Program(const ScriptStatement& st) {
        if (st.method == "Open") {
            const std::string& path = Text(st, 0);
            if (!files_.Exists(path)) return Fail("cannot open the video file " + Quoted(path));
            source_ = path;
            return true;
        }
        if (st.method == "Close") {
            source_.clear();
            return true;
        }
        if (st.method == "SaveAVI") return SaveAvi(Text(st, 0));
        return SaveWav(Text(st, 0));
    }

    bool Audio(AudioTrack& t, const ScriptStatement& st) {
        const std::string& m = st.method;
        if (m == "SetSource") {
            t.file.clear();
            if (!st.args[0].isText) return true;  // 0 no audio, 1 the source's own
            const std::string& path = Text(st, 0);
            if (!files_.Exists(path)) return Fail("cannot open the audio file " + Quoted(path));
            t.file = path;
            return true;
        }
        if (m == "SetMode") {
            t.mode = Int(st, 0);
            return true;
        }
        if (m == "SetConversion") {
            t.conversionRate = static_cast<std::uint32_t>(std::max(Int(st, 0), 0));
            return true;
        }
        if (m == "SetCompression") {
            t.compressed = !st.args.empty();
            if (!t.compressed) return true;
            AudioFormat f;
            f.formatTag = static_cast<std::uint16_t>(Int(st, 0));
            f.samplesPerSec = static_cast<std::uint32_t>(Int(st, 1));
            f.channels = static_cast<std::uint16_t>(Int(st, 2));
            f.bitsPerSample = static_cast<std::uint16_t>(Int(st, 3));
            f.avgBytesPerSec = static_cast<std::uint32_t>(Int(st, 4));
            f.blockAlign = static_cast<std::uint16_t>(Int(st, 5));
            if (Int(st, 1) <= 0 || Int(st, 2) <= 0 || Int(st, 4) <= 0 || Int(st, 5) <= 0)
                return Fail("no audio codec takes format " + std::to_string(Int(st, 0)) +
                            " with a rate, channel count, byte rate or block size of 0 or less");
            if (st.args.size() == 8) {
                const auto bytes = DecodeBase64(Text(st, 7));
                if (!bytes) return Fail("the audio format bytes are not base64 text");
                const std::int32_t length = Int(st, 6);
                if (length < 0 || static_cast<std::size_t>(length) > bytes->size())
                    return Fail("audio format length " + std::to_string(length) +
                                " is more than the " + std::to_string(bytes->size()) +
                                " bytes its base64 text holds");
                f.extra = bytes->substr(0, static_cast<std::size_t>(length));
                trace_.Add("audio codec state", HexBytes(f.extra));
            }
            t.compression = f;
            return true;
        }
        return true;  // SetInterleave, SetClipMode, SetVolume
    }

    bool Video(const ScriptStatement& st) {
        const std::string& m = st.method;
        if (m == "SetMode") {
            videoMode_ = Int(st, 0);
        } else if (m == "SetCompression") {
            fourcc_ = static_cast<std::uint32_t>(Int(st, 0));
            haveState_ = false;
            videoBitrate_ = 0;
        } else if (m == "SetCompData") {
            return CompData(Int(st, 0), Text(st, 1));
        } else if (m == "SetDivX") {
            if (Int(st, 0) <= 0)
                return Fail("DivX 3 takes no bitrate of " + std::to_string(Int(st, 0)) + " kbit/s");
            divxBitrate_ = static_cast<std::int64_t>(Int(st, 0)) * 1000;
            trace_.Add("codec", "DivX 3");
            trace_.Add("video bitrate", std::to_string(divxBitrate_));
        } else if (m == "SetCurveFile") {
            curveFile_ = Text(st, 0);
        } else if (m == "GenStats") {
            statsFile_ = Text(st, 0);
        } else if (m == "NoAVIOutput") {
            noAviOutput_ = Int(st, 0) != 0;
        }
        return true;
    }

    bool CompData(std::int32_t length, const std::string& text) {
        if (fourcc_ == 0)
            return Fail("SetCompData without a codec: VirtualDub.video.SetCompression with a FOURCC "
                        "must come first");
        const auto bytes = DecodeBase64(text);
        if (!bytes) return Fail("the codec state is not base64 text");
        if (length < 0 || static_cast<std::size_t>(length) > bytes->size())
            return Fail("codec state length " + std::to_string(length) + " is more than the " +
                        std::to_string(bytes->size()) + " bytes its base64 text holds");
        const std::string state = bytes->substr(0, static_cast<std::size_t>(length));
        trace_.Add("codec fourcc", FourccText(fourcc_));
        trace_.Add("codec state length", std::to_string(length));
        trace_.Add("codec state", HexBytes(state));
        const auto info = ReadCodecState(fourcc_, state);
        if (!info)
            return Fail("no codec takes a state of " + std::to_string(length) + " bytes for FOURCC " +
                        FourccText(fourcc_));
        trace_.Add("codec", info->codec);
        if (info->bitsPerSecond <= 0)
            return Fail("the " + info->codec + " state holds no usable bitrate (" +
                        std::to_string(info->bitsPerSecond) + " bit/s)");
        trace_.Add("video bitrate", std::to_string(info->bitsPerSecond));
        haveState_ = true;
        videoBitrate_ = info->bitsPerSecond;
        return true;
    }

    std::uint32_t Frames() const {
        const double f = std::round(seconds_ * kStandinFramesPerSecond);
        return f < 1 ? 1u : static_cast<std::uint32_t>(f);
    }

    bool Write(const std::string& path, const std::string& bytes) {
        std::string reason;
        if (!files_.Write(path, bytes, reason)) return Fail("cannot write " + Quoted(path) + ": " + reason);
        trace_.Add("wrote", WrittenEntry(path, static_cast<std::int64_t>(bytes.size())));
        return true;
    }

    bool WriteStats(std::uint32_t frames) {
        std::string text;
        text += kNandubStatsHeader;
        text += "\r\nsource: " + source_ + "\r\nframes: " + std::to_string(frames) + "\r\n";
        for (std::uint32_t i = 0; i < frames; ++i) {
            const bool key = i % kStandinFramesPerSecond == 0;
            text += std::to_string(i) + (key ? " K " : " P ") + std::to_string(key ? 24000 : 6000) + "\r\n";
        }
        return Write(statsFile_, text);
    }

    bool SaveAvi(const std::string& path) {
        if (source_.empty()) return Fail("SaveAVI without an open video file");
        const std::uint32_t frames = Frames();
        if (dialect_ == ScriptDialect::Nandub && noAviOutput_) {
            trace_.Add("no AVI", path);
            return statsFile_.empty() || WriteStats(frames);
        }
        if (dialect_ == ScriptDialect::Nandub && !curveFile_.empty()) {
            std::string head;
            if (!files_.Exists(curveFile_) || !files_.ReadStart(curveFile_, kNandubStatsHeader.size(), head))
                return Fail("cannot open the curve file " + Quoted(curveFile_));
            if (head != kNandubStatsHeader)
                return Fail("the curve file " + Quoted(curveFile_) + " is not a first pass's statistics");
        }
        AviSpec avi;
        avi.frames = frames;
        avi.framesPerSecond = kStandinFramesPerSecond;
        if (videoMode_ == 0) {
            // Direct stream copy keeps the source's video as it is.
            std::string head;
            files_.ReadStart(source_, 65536, head);
            AviSummary source;
            std::string problem;
            if (ReadAviHeaders(head, source, problem) && !source.streamInfo.empty() &&
                source.streamInfo[0].type == "vids") {
                avi.handler = source.streamInfo[0].compression;
                avi.width = source.width;
                avi.height = source.height;
            }
            avi.videoBytes = std::max<std::int64_t>(files_.Size(source_), 0);
        } else if (fourcc_ != 0) {
            if (!haveState_)
                return Fail("the codec " + FourccText(fourcc_) + " was given no state (SetCompData)");
            avi.handler = fourcc_;
            avi.videoBytes = std::llround(static_cast<double>(videoBitrate_) * seconds_ / 8.0);
        } else if (dialect_ == ScriptDialect::Nandub && divxBitrate_ > 0) {
            avi.handler = kFourccDiv3;
            avi.videoBytes = std::llround(static_cast<double>(divxBitrate_) * seconds_ / 8.0);
        } else {
            avi.width = 160;
            avi.height = 120;
            avi.videoBytes = static_cast<std::int64_t>(frames) * 160 * 120 * 3;
        }
        for (const AudioTrack& t : tracks_) {
            if (t.file.empty()) continue;
            const AudioSource src = ExamineAudio(t.file, files_);
            AviAudioTrack track;
            if (t.mode == 0) {
                track.format = src.format;
                track.bytes = src.bytes;
            } else {
                track.format = t.compressed ? t.compression
                                            : PcmFormat(t.conversionRate ? t.conversionRate : 44100, 2, 16);
                const double secs = src.seconds >= 0 ? src.seconds : seconds_;
                track.bytes = std::llround(secs * track.format.avgBytesPerSec);
            }
            avi.audio.push_back(track);
        }
        if (const std::int64_t size = AviFileSize(avi); size > kStandinMaxFileBytes)
            return Fail(TooLargeText(path, size));
        return Write(path, AviBytes(avi));
    }

    bool SaveWav(const std::string& path) {
        const AudioTrack& t = tracks_[0];
        if (t.file.empty()) return Fail("SaveWAV without an audio source file");
        const AudioSource src = ExamineAudio(t.file, files_);
        const double secs = src.seconds >= 0 ? src.seconds : seconds_;
        AudioFormat f;
        if (t.mode == 0)
            f = src.format;
        else if (t.compressed)
            f = t.compression;
        else
            f = PcmFormat(t.conversionRate ? t.conversionRate : src.format.samplesPerSec,
                          std::max<std::uint16_t>(src.format.channels, 1), 16);
        const std::int64_t align = std::max<std::uint16_t>(f.blockAlign, 1);
        std::int64_t bytes = std::llround(secs * f.avgBytesPerSec);
        bytes -= bytes % align;
        if (bytes > kStandinMaxFileBytes) return Fail(TooLargeText(path, bytes));
        return Write(path, WavBytes(f, bytes));
    }

    ScriptDialect dialect_;
    double seconds_;
    StandinFiles& files_;
    TraceRecord& trace_;
    std::string error_;

    std::string source_;
    int videoMode_ = 3;
    std::uint32_t fourcc_ = 0;
    bool haveState_ = false;
    std::int64_t videoBitrate_ = 0;
    std::int64_t divxBitrate_ = 0;
    bool noAviOutput_ = false;
    std::string statsFile_;
    std::string curveFile_;
    AudioTrack tracks_[2];
};

}  // namespace

std::optional<CodecStateInfo> ReadCodecState(std::uint32_t fourcc, std::string_view state) {
    if (fourcc == kFourccDivx && state.size() == 323) return CodecStateInfo{"DivX 5", Int32At(state, 4)};
    if ((fourcc == kFourccDivx || fourcc == kFourccDvx4) && state.size() == 316)
        return CodecStateInfo{"DivX 4", Int32At(state, 0)};
    if (fourcc == kFourccXvid && state.size() == 1124) return CodecStateInfo{"XviD", Int32At(state, 4)};
    return std::nullopt;
}

bool ParseEncoderArguments(std::string_view args, EncoderArguments& out, std::string& problem) {
    out = EncoderArguments{};
    bool haveJob = false;
    std::size_t pos = 0;
    while (true) {
        while (pos < args.size() && (args[pos] == ' ' || args[pos] == '\t')) ++pos;
        if (pos >= args.size()) break;
        std::size_t end = pos;
        while (end < args.size() && args[end] != ' ' && args[end] != '\t') ++end;
        const std::string_view token = args.substr(pos, end - pos);
        const char sw = token.size() >= 2 && token[0] == '/' ? token[1] : '\0';
        if ((sw == 'r' || sw == 'R') && token.size() == 2) {
            out.runJob = true;
        } else if ((sw == 'x' || sw == 'X') && token.size() == 2) {
            out.exitWhenDone = true;
        } else if (sw == 's' || sw == 'S') {
            if (token.size() > 2 && token[2] == '"') {
                const std::size_t close = args.find('"', pos + 3);
                if (close == std::string_view::npos) {
                    problem = "the job file after /s has no closing '\"'";
                    return false;
                }
                out.jobFile = std::string(args.substr(pos + 3, close - pos - 3));
                end = close + 1;
            } else {
                out.jobFile = std::string(token.substr(2));
            }
            if (out.jobFile.empty()) {
                problem = "expected the job file right after /s";
                return false;
            }
            haveJob = true;
        } else {
            problem = "unknown argument \"" + std::string(token) + "\" (expected /r /x /s<job file>)";
            return false;
        }
        pos = end;
    }
    if (!haveJob) {
        problem = "no job file: expected /s<job file>";
        return false;
    }
    if (!out.exitWhenDone) {
        problem = "no /x: without it the program would stay open after the job";
        return false;
    }
    return true;
}

std::string SourceNameOfJob(const std::vector<ScriptStatement>& statements) {
    for (const ScriptStatement& st : statements)
        if (st.object == "VirtualDub" && st.method == "Open") return FileNameOf(st.args[0].text);
    return {};
}

bool RunEncoderJob(const std::vector<ScriptStatement>& statements, ScriptDialect dialect,
                   double seconds, StandinFiles& files, TraceRecord& trace) {
    Job job(dialect, seconds, files, trace);
    for (const ScriptStatement& st : statements) {
        if (!job.Run(st)) {
            trace.Add("error", "line " + std::to_string(st.line) + ": " + job.error());
            return false;
        }
    }
    return true;
}

}  // namespace mb
