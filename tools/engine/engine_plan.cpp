#include "engine_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>

#include "codecstate/codec_state_reader.h"
#include "program_lines.h"
#include "video_settings.h"

namespace mb::engine {

namespace {

// FOURCCs as the job scripts write them (first character in the low byte).
constexpr std::uint32_t kFourccDivx = 0x78766964;  // "divx"
constexpr std::uint32_t kFourccDvx4 = 0x34787664;  // "dvx4"
constexpr std::uint32_t kFourccXvid = 0x64697678;  // "xvid"

constexpr std::uint32_t kTagPcm = 1;
constexpr std::uint32_t kTagMp3 = 0x55;
constexpr std::uint32_t kTagWma = 0x161;
constexpr std::uint32_t kTagAc3 = 0x2000;
constexpr int kDivx3AnalysisQuantizer = 4;
// DivX 3 has no effort control of its own: FFmpeg's best for msmpeg4.
constexpr int kDivx3Effort = 4;
// How close a video pass must land on its aim before it is done again once.
constexpr double kPassesTolerance = 0.008;
constexpr double kOnePassTolerance = 0.04;

std::string Fourcc(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string WithoutExtension(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("\\/");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::string(path);
    return std::string(path.substr(0, dot));
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// The muxer of an output file, by its extension.
std::string FormatOf(const std::string& path) {
    const std::string ext = LowerExtension(path);
    if (ext == ".wav") return "wav";
    if (ext == ".mp3") return "mp3";
    return "avi";
}

struct AudioTrack {
    std::string file;          // empty: none
    bool sourceAudio = false;  // SetSource(1): the opened file's own audio
    int mode = 0;              // 0 direct stream copy, 1 full processing
    int delayMs = 0;
    int conversionRate = 0;
    bool compressed = false;
    std::uint32_t tag = 0;
    int rate = 0, channels = 0, bytesPerSecond = 0;
};

// Runs the statements of a job and turns each Save into FFmpeg runs.
class JobPlanner {
public:
    JobPlanner(ScriptDialect dialect, const FileExists& exists) : exists_(exists) {
        plan_.program = dialect == ScriptDialect::Nandub ? "Nandub" : "VirtualDub";
    }

    bool Run(const std::vector<ScriptStatement>& statements) {
        for (const ScriptStatement& st : statements)
            if (!Statement(st)) return false;
        if (plan_.steps.empty()) return Fail("the job saves nothing (no VirtualDub.SaveAVI or SaveWAV)");
        return true;
    }

    EnginePlan& plan() { return plan_; }
    const std::string& problem() const { return problem_; }

private:
    bool Fail(std::string text) {
        problem_ = std::move(text);
        return false;
    }
    static const std::string& Text(const ScriptStatement& st, std::size_t i) { return st.args[i].text; }
    static int Int(const ScriptStatement& st, std::size_t i) { return st.args[i].number; }

    bool Statement(const ScriptStatement& st) {
        const std::string& o = st.object;
        const std::string& m = st.method;
        if (o == "VirtualDub") {
            if (m == "Open") {
                source_ = Text(st, 0);
                if (plan_.sourceName.empty()) plan_.sourceName = FileNameOf(source_);
                if (!exists_(source_)) return Fail("cannot open the source \"" + source_ + "\": there is no such file");
                return true;
            }
            if (m == "SaveAVI") return SaveAvi(Text(st, 0));
            if (m == "SaveWAV") return SaveWav(Text(st, 0));
            return true;
        }
        if (o == "VirtualDub.audio" || o == "VirtualDub.audio2") return Audio(audio_[o == "VirtualDub.audio" ? 0 : 1], st);
        if (o != "VirtualDub.video") return true;
        if (m == "SetMode") {
            videoMode_ = Int(st, 0);
        } else if (m == "SetCompression") {
            fourcc_ = static_cast<std::uint32_t>(Int(st, 0));
            codec_.reset();
        } else if (m == "SetCompData") {
            std::string why;
            codec_ = ReadCodecSettings(Int(st, 0), Text(st, 1), why);
            if (!codec_) return Fail("SetCompData: " + why);
            const bool fits = (codec_->codec == CodecKind::Xvid && fourcc_ == kFourccXvid) ||
                              (codec_->codec == CodecKind::Divx5 && fourcc_ == kFourccDivx) ||
                              (codec_->codec == CodecKind::Divx4 && (fourcc_ == kFourccDivx || fourcc_ == kFourccDvx4));
            if (!fits) return Fail("the codec \"" + Fourcc(fourcc_) + "\" takes no " + codec_->name + " state");
            if (codec_->bitsPerSecond <= 0)
                return Fail("the " + codec_->name + " state holds no bitrate (" +
                            std::to_string(codec_->bitsPerSecond) + " bit/s)");
        } else if (m == "SetDivX") {
            divxKbps_ = Int(st, 0);
            divxKeyframes_ = Int(st, 1);
            if (divxKbps_ <= 0) return Fail("SetDivX: DivX 3 takes no bitrate of " + std::to_string(divxKbps_) + " kbit/s");
        } else if (m == "NoAVIOutput") {
            noAvi_ = Int(st, 0) != 0;
        } else if (m == "GenStats") {
            genStats_ = Text(st, 0);
        } else if (m == "SetCurveFile") {
            curveFile_ = Text(st, 0);
        } else {
            std::vector<int>& numbers = divx3Lines_[m];
            numbers.clear();
            for (const auto& arg : st.args)
                if (!arg.isText) numbers.push_back(arg.number);
        }
        return true;
    }

    bool Audio(AudioTrack& t, const ScriptStatement& st) {
        const std::string& m = st.method;
        if (m == "SetSource") {
            t.file.clear();
            t.sourceAudio = !st.args[0].isText && Int(st, 0) == 1;
            if (!st.args[0].isText) return true;
            t.file = Text(st, 0);
            if (!exists_(t.file)) return Fail("cannot open the audio file \"" + t.file + "\": there is no such file");
        } else if (m == "SetMode") {
            t.mode = Int(st, 0);
        } else if (m == "SetInterleave") {
            t.delayMs = Int(st, 4);
        } else if (m == "SetConversion") {
            t.conversionRate = Int(st, 0);
        } else if (m == "SetCompression") {
            t.compressed = !st.args.empty();
            if (t.compressed) {
                t.tag = static_cast<std::uint32_t>(Int(st, 0));
                t.rate = Int(st, 1);
                t.channels = Int(st, 2);
                t.bytesPerSecond = Int(st, 4);
            }
        }
        return true;
    }

    // The options that encode or copy one audio track, for output stream n.
    bool AudioCodec(const AudioTrack& t, std::vector<std::string>& a, const std::string& n) {
        if (t.mode == 0 || !t.compressed) {
            a.insert(a.end(), {"-c:a:" + n, t.mode == 0 ? "copy" : "pcm_s16le"});
        } else {
            std::string encoder;
            switch (t.tag) {
                case kTagWma: encoder = "wmav2"; break;
                case kTagMp3: encoder = "libmp3lame"; break;
                case kTagPcm: encoder = "pcm_s16le"; break;
                case kTagAc3: encoder = "ac3"; break;
                default: return Fail("no audio encoder for format tag " + std::to_string(t.tag));
            }
            a.insert(a.end(), {"-c:a:" + n, encoder});
            if (t.tag != kTagPcm && t.bytesPerSecond > 0)
                a.insert(a.end(), {"-b:a:" + n, std::to_string(t.bytesPerSecond * 8)});
            if (t.channels > 0) a.insert(a.end(), {"-ac:a:" + n, std::to_string(t.channels)});
            plan_.settings.push_back("audio " + n + ": " + encoder + ", " + std::to_string(t.bytesPerSecond * 8) + " bit/s");
        }
        const int rate = t.conversionRate > 0 ? t.conversionRate : (t.mode != 0 && t.compressed ? t.rate : 0);
        if (t.mode != 0 && rate > 0) a.insert(a.end(), {"-ar:a:" + n, std::to_string(rate)});
        return true;
    }

    // Deletes the target first, as the encoders replace it; writes under a
    // temporary name and gives the file its name only when it is complete.
    void Output(const std::string& target, FfmpegRun run) {
        const std::string part = target + ".part";
        run.args.insert(run.args.end(), {"-f", FormatOf(target), part});
        plan_.partFiles.push_back(part);
        plan_.steps.push_back({StepKind::Delete, {}, target, {}});
        plan_.steps.push_back({StepKind::Ffmpeg, std::move(run), {}, {}});
        plan_.steps.push_back({StepKind::Move, {}, part, target});
        plan_.target = target;
    }

    bool SaveAvi(const std::string& target) {
        if (source_.empty()) return Fail("SaveAVI without a source: VirtualDub.Open must come first");
        FfmpegRun run;
        run.input = source_;
        auto& a = run.args;
        a = {"-y", "-i", source_};
        std::vector<const AudioTrack*> tracks;
        for (const AudioTrack& t : audio_) {
            if (!t.file.empty()) {
                if (t.delayMs != 0) a.insert(a.end(), {"-itsoffset", Number(t.delayMs / 1000.0)});
                a.insert(a.end(), {"-i", t.file});
                tracks.push_back(&t);
            } else if (t.sourceAudio) {
                tracks.push_back(&t);
            }
        }
        a.insert(a.end(), {"-map", "0:v:0"});
        int input = 1;
        for (const AudioTrack* t : tracks) a.insert(a.end(), {"-map", t->file.empty() ? "0:a:0" : std::to_string(input++) + ":a:0"});
        if (tracks.empty()) a.push_back("-an");

        const bool divx3 = divxKbps_ > 0;
        if (videoMode_ == 0) {
            a.insert(a.end(), {"-c:v", "copy"});
            run.what = tracks.empty() ? "copying the video" : "muxing the video and " + std::to_string(tracks.size()) + " audio stream" + (tracks.size() > 1 ? "s" : "");
            plan_.settings.push_back("video: copied");
        } else if (divx3) {
            if (!VideoDivx3(target, run)) return false;
        } else if (codec_) {
            if (!VideoMpeg4(target, run)) return false;
        } else {
            // No codec chosen: the encoders save the frames uncompressed.
            a.insert(a.end(), {"-c:v", "rawvideo", "-pix_fmt", "bgr24"});
            run.what = "video, uncompressed";
            plan_.settings.push_back("video: uncompressed RGB (no codec chosen)");
        }
        for (std::size_t i = 0; i < tracks.size(); ++i)
            if (!AudioCodec(*tracks[i], a, std::to_string(i))) return false;
        for (const AudioTrack* t : tracks)
            plan_.settings.push_back("audio: " + (t->file.empty() ? std::string("the source's own") : "\"" + t->file + "\"") +
                                     ", delay " + std::to_string(t->delayMs) + " ms");

        if (divx3 && noAvi_) {
            // Nandub's analysis pass: statistics only, no AVI.
            a.insert(a.end(), {"-f", "null", "-"});
            plan_.steps.push_back({StepKind::Ffmpeg, std::move(run), {}, {}});
            const std::string log = PassLogPrefix(target) + "-0.log";
            if (!genStats_.empty()) plan_.steps.push_back({StepKind::Move, {}, log, genStats_});
            plan_.target = target;  // not written: the log goes beside it all the same
            return true;
        }
        Output(target, std::move(run));
        return true;
    }

    void AddPass(const std::string& target, bool firstPass, FfmpegRun& run) {
        const std::string prefix = PassLogPrefix(target);
        run.args.insert(run.args.end(), {"-pass", firstPass ? "1" : "2", "-passlogfile", prefix});
        plan_.settings.push_back(std::string("statistics: ") + (firstPass ? "written to " : "read from ") + prefix + "-0.log");
    }

    // The bit rate a size asks for, over the source's length; 0 when the
    // length is not known.
    std::int64_t SizeBitrate(std::int64_t kbytes) {
        if (!clip_) return 0;
        return BitrateForSize(kbytes, *clip_);
    }

    // The video pass's aim: its bytes over the clip, and how close it must land.
    void Aim(FfmpegRun& run, const std::string& target, std::int64_t bitsPerSecond, bool onePass) {
        if (!clip_) return;
        run.aimBytes = BytesForBitrate(bitsPerSecond, *clip_);
        run.frames = clip_->frames;
        run.tolerance = onePass ? kOnePassTolerance : kPassesTolerance;
        run.output = target + ".part";
    }

    void NotApplied(const std::vector<std::string>& lines) {
        plan_.settings.insert(plan_.settings.end(), lines.begin(), lines.end());
    }

    bool VideoMpeg4(const std::string& target, FfmpegRun& run) {
        CodecSettings c = *codec_;
        auto& a = run.args;
        // XviD's two passes aim at the desired size; its bit rate box is
        // then not used.
        std::string sizeSaid;
        if (c.codec == CodecKind::Xvid && c.pass != PassMode::Single) {
            const std::int32_t kbytes = c.values.count("desired size, kbyte") ? c.values.at("desired size, kbyte") : 0;
            const std::int64_t bits = kbytes > 0 ? SizeBitrate(kbytes) : 0;
            if (bits > 0) {
                c.bitsPerSecond = static_cast<std::int32_t>(std::min<std::int64_t>(bits, 2147483647));
                sizeSaid = ", aimed at " + std::to_string(kbytes) + " KB over " + std::to_string(clip_->frames) + " frames";
            } else {
                plan_.settings.push_back("XviD desired size " + std::to_string(kbytes) +
                                         " KB: not applied (the source's length is not known): the bit rate is used");
            }
        }
        a.insert(a.end(), {"-c:v", "mpeg4", "-vtag", c.fourcc, "-b:v", std::to_string(c.bitsPerSecond)});
        const SettingOptions o = Mpeg4SettingOptions(c);
        a.insert(a.end(), o.args.begin(), o.args.end());
        if (c.pass != PassMode::First) Aim(run, target, c.bitsPerSecond, c.pass == PassMode::Single);
        static constexpr const char* kPass[] = {"one pass", "first pass", "second pass"};
        const char* pass = kPass[static_cast<int>(c.pass)];
        plan_.settings.push_back("video: " + c.name + " (FFmpeg mpeg4, fourcc " + c.fourcc + "), " + pass + ", " +
                                 std::to_string(c.bitsPerSecond) + " bit/s, keyframes every " + std::to_string(c.maxKeyInterval) +
                                 " frames at most, quantizer " + std::to_string(c.minQuantizer) + " to " +
                                 std::to_string(c.maxQuantizer) + (c.bFrames ? ", B-frames" : "") +
                                 (c.quarterPixel ? ", quarter pixel" : "") + sizeSaid);
        NotApplied(o.notApplied);
        if (c.pass == PassMode::First) {
            AddPass(target, true, run);
        } else if (c.pass == PassMode::Second) {
            const std::string log = PassLogPrefix(target) + "-0.log";
            if (!exists_(log)) return Fail("no statistics of a first pass for \"" + target + "\" (" + log + ")");
            AddPass(target, false, run);
        }
        run.what = std::string("video, ") + pass;
        return true;
    }

    bool VideoDivx3(const std::string& target, FfmpegRun& run) {
        auto& a = run.args;
        const bool first = noAvi_;
        // Nandub analyses at a fixed 6000 kbit/s. FFmpeg's second pass needs
        // statistics made near its own bitrate, or it falls far short of it:
        // the analysis takes the settings of the second pass's job when it is
        // there already (Marobex writes both before the first runs), else a
        // middle quantizer.
        int kbps = divxKbps_, keyframes = divxKeyframes_;
        if (first && secondPass_) {
            kbps = secondPass_->first;
            keyframes = secondPass_->second;
        }
        a.insert(a.end(), {"-c:v", "msmpeg4", "-vtag", "DIV3"});
        if (first && !secondPass_)
            a.insert(a.end(), {"-q:v", std::to_string(kDivx3AnalysisQuantizer)});
        else
            a.insert(a.end(), {"-b:v", std::to_string(kbps * 1000)});
        if (keyframes > 0) a.insert(a.end(), {"-g", std::to_string(keyframes)});
        const SettingOptions o = Divx3LineOptions(first ? ScriptNumbers{} : divx3Lines_, first);
        a.insert(a.end(), o.args.begin(), o.args.end());
        const std::vector<std::string> effort = EffortOptions(kDivx3Effort, true);
        a.insert(a.end(), effort.begin(), effort.end());
        if (!first) Aim(run, target, kbps * 1000LL, false);
        plan_.settings.push_back("video: DivX 3 (FFmpeg msmpeg4, fourcc DIV3), " +
                                 (!first ? "second pass, " + std::to_string(kbps) + " kbit/s"
                                  : secondPass_ ? "first pass, analysed at the second pass's " + std::to_string(kbps) + " kbit/s"
                                                : "first pass, analysed at quantizer " + std::to_string(kDivx3AnalysisQuantizer)) +
                                 ", keyframes every " + std::to_string(keyframes) + " frames at most");
        NotApplied(o.notApplied);
        const std::string prefix = PassLogPrefix(target);
        if (!first) {
            // FFmpeg reads "<prefix>-0.log": the curve file the job names goes there.
            if (!curveFile_.empty()) {
                if (!exists_(curveFile_)) return Fail("no statistics of a first pass: \"" + curveFile_ + "\" is missing");
                plan_.steps.push_back({StepKind::Copy, {}, curveFile_, prefix + "-0.log"});
            } else if (!exists_(prefix + "-0.log")) {
                return Fail("no statistics of a first pass for \"" + target + "\"");
            }
        }
        a.insert(a.end(), {"-pass", first ? "1" : "2", "-passlogfile", prefix});
        run.what = first ? "video, first pass" : "video, second pass";
        return true;
    }

    bool SaveWav(const std::string& target) {
        const AudioTrack& t = audio_[0];
        const std::string input = !t.file.empty() ? t.file : source_;
        if (input.empty()) return Fail("SaveWAV without an audio source");
        FfmpegRun run;
        run.input = input;
        run.args = {"-y", "-i", input, "-vn", "-map", "0:a:0"};
        if (!AudioCodec(t, run.args, "0")) return false;
        run.what = t.compressed && t.tag == kTagWma ? "audio to WMA" : "audio to WAV";
        Output(target, std::move(run));
        return true;
    }

public:
    // The DivX 3 bitrate and keyframe interval of the second pass that will
    // read this first pass's statistics.
    std::optional<std::pair<int, int>> secondPass_;

private:
    const FileExists& exists_;
    EnginePlan plan_;
    std::string problem_;
    std::string source_;
    AudioTrack audio_[2];
    int videoMode_ = 3;
    std::uint32_t fourcc_ = 0;
    std::optional<CodecSettings> codec_;
    int divxKbps_ = 0, divxKeyframes_ = 0;
    bool noAvi_ = false;
    std::string genStats_, curveFile_;
    ScriptNumbers divx3Lines_;  // Nandub's other video lines

public:
    std::optional<ClipLength> clip_;  // the source's length, when its header tells it
};

bool IsDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// LAME's options as BeSweet passes them, in libmp3lame's terms.
bool LameOptions(const std::vector<std::string>& lame, std::vector<std::string>& a, std::string& said, std::string& problem) {
    enum { Cbr, Abr, Vbr } mode = Cbr;
    int kbps = 128, abrKbps = 0, vbrQuality = 4, quality = -1, maxKbps = 0;
    bool minGiven = false;
    bool joint = true, mono = false;
    double lowpassHz = 0;
    auto next = [&](std::size_t& i, int& out) {
        if (i + 1 >= lame.size() || !IsDigits(lame[i + 1])) return false;
        out = std::stoi(lame[++i]);
        return true;
    };
    for (std::size_t i = 0; i < lame.size(); ++i) {
        const std::string& o = lame[i];
        int v = 0;
        if (o == "-b") {
            if (!next(i, v)) return problem = "-lame( -b needs a bitrate", false;
            kbps = v;
            minGiven = true;
        } else if (o == "--abr" || o == "--alt-preset") {
            if (!next(i, v)) return problem = "-lame( " + o + " needs a bitrate", false;
            mode = Abr;
            abrKbps = v;
        } else if (o == "-v" || o.rfind("--vbr", 0) == 0) {
            mode = Vbr;
        } else if (o == "-V") {
            if (!next(i, v)) return problem = "-lame( -V needs a quality", false;
            mode = Vbr;
            vbrQuality = v;
        } else if (o == "-q") {
            if (!next(i, v)) return problem = "-lame( -q needs a quality", false;
            quality = v;
        } else if (o == "-h") {
            quality = 2;
        } else if (o == "-m" || o == "-mj" || o == "-ms" || o == "-mm") {
            const std::string m = o.size() == 3 ? o.substr(2) : (i + 1 < lame.size() ? lame[++i] : "");
            joint = m == "j";
            mono = m == "m";
        } else if (o == "--lowpass") {
            if (i + 1 >= lame.size()) return problem = "-lame( --lowpass needs a frequency", false;
            const double f = std::atof(lame[++i].c_str());
            lowpassHz = f < 100 ? f * 1000 : f;
        } else if (o == "-B") {
            if (!next(i, v)) return problem = "-lame( -B needs a bitrate", false;
            maxKbps = v;
        } else if (o == "--athtype") {
            ++i;  // the ATH type: LAME's own tuning, not offered by FFmpeg
        }
        // -Z, -b32 and the like are LAME's own tuning and change nothing here.
    }
    a.insert(a.end(), {"-c:a", "libmp3lame"});
    if (mode == Vbr && minGiven && maxKbps >= kbps) {
        // FFmpeg's LAME takes no bounds for VBR: its average bit rate mode
        // between them keeps the bit rate inside and still varies it.
        const int mean = (kbps + maxKbps) / 2;
        a.insert(a.end(), {"-abr", "1", "-b:a", std::to_string(mean) + "k"});
        said = "MP3 VBR quality " + std::to_string(vbrQuality) + " between " + std::to_string(kbps) + " and " +
               std::to_string(maxKbps) + " kbit/s: FFmpeg's LAME bounds no VBR, so ABR " + std::to_string(mean) +
               " kbit/s";
    } else if (mode == Vbr) {
        a.insert(a.end(), {"-q:a", std::to_string(vbrQuality)});
        said = "MP3 VBR quality " + std::to_string(vbrQuality);
    } else if (mode == Abr) {
        a.insert(a.end(), {"-abr", "1", "-b:a", std::to_string(abrKbps) + "k"});
        said = "MP3 ABR " + std::to_string(abrKbps) + " kbit/s";
    } else {
        a.insert(a.end(), {"-b:a", std::to_string(kbps) + "k"});
        said = "MP3 CBR " + std::to_string(kbps) + " kbit/s";
    }
    if (quality >= 0) a.insert(a.end(), {"-compression_level", std::to_string(quality)});
    a.insert(a.end(), {"-joint_stereo", joint ? "1" : "0"});
    if (mono) a.insert(a.end(), {"-ac", "1"});
    if (lowpassHz > 0) a.insert(a.end(), {"-cutoff", Number(lowpassHz)});
    said += joint ? ", joint stereo" : (mono ? ", mono" : ", stereo");
    return true;
}

PlanOutcome PlanBesweet(std::string_view arguments, const FileExists& exists) {
    PlanOutcome out;
    BesweetOptions o;
    std::string problem;
    const bool parsed = ParseBesweetArguments(arguments, o, problem);
    out.logPath = !o.output.empty() ? o.output + ".log" : o.logFile;
    out.programLog = o.logFile;
    if (!parsed) {
        out.problem = "BeSweet command line: " + problem;
        return out;
    }
    if (!exists(o.input)) {
        out.problem = "cannot open the source \"" + o.input + "\": there is no such file";
        return out;
    }
    EnginePlan plan;
    plan.program = "BeSweet";
    plan.sourceName = FileNameOf(o.input);
    bool normalise = false;
    for (std::size_t i = 0; i < o.azid.size(); ++i) {
        const std::string& t = o.azid[i];
        if (t == "-g" && i + 1 < o.azid.size() && o.azid[i + 1] == "max") normalise = true;
        std::string digits = t.size() > 1 && t[0] == '-' ? t.substr(1) : std::string();
        if (EndsWith(digits, "db")) digits.resize(digits.size() - 2);
        if (IsDigits(digits)) plan.gainDb = std::stoi(digits);
    }
    std::vector<std::string> filters;
    if (normalise) {
        FfmpegRun measure;
        measure.what = "measuring the loudness";
        measure.input = o.input;
        measure.measuresPeak = true;
        measure.args = {"-y", "-i", o.input, "-vn", "-map", "0:a:0", "-af", "volumedetect", "-f", "null", "-"};
        plan.steps.push_back({StepKind::Ffmpeg, std::move(measure), {}, {}});
        filters.push_back("volume={gain}dB");
        // Amplified after the normalisation, the loudest sample would clip:
        // the normalisation brings the peak, amplification included, to
        // full scale.
        plan.settings.push_back("normalised to full scale" +
                                (plan.gainDb != 0 ? ", the amplification by " + Number(plan.gainDb) +
                                                        " dB included (it would clip on top of it)"
                                                  : std::string()));
        plan.gainDb = 0;
    } else if (plan.gainDb != 0) {
        filters.push_back("volume=" + Number(plan.gainDb) + "dB");
        plan.settings.push_back("amplified by " + Number(plan.gainDb) + " dB");
    }
    FfmpegRun run;
    run.input = o.input;
    run.args = {"-y", "-i", o.input, "-vn", "-map", "0:a:0"};
    if (o.twoChannels) run.args.insert(run.args.end(), {"-ac", "2"});
    if (o.resampleRate > 0) run.args.insert(run.args.end(), {"-ar", std::to_string(o.resampleRate)});
    if (!filters.empty()) run.args.insert(run.args.end(), {"-af", filters.front()});
    const std::string ext = LowerExtension(o.output);
    std::string said;
    if (ext == ".mp3") {
        if (!LameOptions(o.lame, run.args, said, problem)) {
            out.problem = "BeSweet command line: " + problem;
            return out;
        }
        run.what = "audio to MP3";
    } else if (ext == ".wav") {
        run.args.insert(run.args.end(), {"-c:a", "pcm_s16le"});
        said = "WAV, 16-bit PCM";
        run.what = "audio to WAV";
    } else {
        out.problem = "BeSweet output \"" + o.output + "\": only .mp3 and .wav are written";
        return out;
    }
    plan.settings.insert(plan.settings.begin(), "audio: " + said + (o.twoChannels ? ", 2 channels" : "") +
                                                    (o.resampleRate > 0 ? ", " + std::to_string(o.resampleRate) + " Hz" : ""));
    const std::string part = o.output + ".part";
    run.args.insert(run.args.end(), {"-f", FormatOf(o.output), part});
    plan.partFiles.push_back(part);
    plan.steps.push_back({StepKind::Delete, {}, o.output, {}});
    plan.steps.push_back({StepKind::Ffmpeg, std::move(run), {}, {}});
    plan.steps.push_back({StepKind::Move, {}, part, o.output});
    plan.target = o.output;
    out.plan = std::move(plan);
    return out;
}

bool UsesNandubStatements(const std::vector<ScriptStatement>& statements) {
    for (const ScriptStatement& st : statements)
        if (st.object == "VirtualDub.audio2" || st.method == "SetDivX") return true;
    return false;
}

// A mux: the video copied (mode 0) into an AVI. Marobex gives those to Nandub.
bool IsMuxJob(const std::vector<ScriptStatement>& statements) {
    bool copy = false, saveAvi = false;
    for (const ScriptStatement& st : statements) {
        if (st.object == "VirtualDub.video" && st.method == "SetMode") copy = st.args[0].number == 0;
        if (st.object == "VirtualDub" && st.method == "SaveAVI") saveAvi = true;
    }
    return copy && saveAvi;
}

std::string GenStatsOf(const std::vector<ScriptStatement>& statements, bool curve) {
    for (const ScriptStatement& st : statements)
        if (st.object == "VirtualDub.video" && st.method == (curve ? "SetCurveFile" : "GenStats")) return st.args[0].text;
    return {};
}

// For a Nandub first pass ("...1.vcf" with GenStats): the SetDivX values of
// the second pass beside it ("...2.vcf") that reads its statistics.
std::optional<std::pair<int, int>> SecondPassOf(const std::string& jobFile, const std::vector<ScriptStatement>& statements,
                                                const FileReader& reader) {
    const std::string stats = GenStatsOf(statements, false);
    const std::size_t dot = jobFile.find_last_of('.');
    if (stats.empty() || dot == std::string::npos || dot == 0 || jobFile[dot - 1] != '1') return std::nullopt;
    std::string sibling = jobFile;
    sibling[dot - 1] = '2';
    const auto text = reader(sibling);
    if (!text) return std::nullopt;
    const JobScriptReading second = ReadJobScript(*text, ScriptDialect::Nandub);
    if (second.error || GenStatsOf(second.statements, true) != stats) return std::nullopt;
    for (const ScriptStatement& st : second.statements)
        if (st.method == "SetDivX" && st.args[0].number > 0) return std::make_pair(st.args[0].number, st.args[1].number);
    return std::nullopt;
}

}  // namespace

std::string PassLogPrefix(std::string_view savedPath) {
    std::string stem = WithoutExtension(savedPath);
    for (std::string_view tail : {"_firstpass", "_temp"})
        if (EndsWith(stem, tail)) {
            stem.resize(stem.size() - tail.size());
            break;
        }
    return stem + "_passlog";
}

EngineRole RoleOfProgram(std::string_view programPath) {
    std::string name = FileNameOf(programPath);
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (name == "virtualdub.exe") return EngineRole::VirtualDub;
    if (name == "nandub.exe") return EngineRole::Nandub;
    if (name == "besweet.exe") return EngineRole::BeSweet;
    return EngineRole::Any;
}

PlanOutcome PlanCommandLine(std::string_view arguments, EngineRole role, const FileExists& exists,
                            const FileReader& reader, const FileReader& headReader) {
    PlanOutcome out;
    std::size_t start = arguments.find_first_not_of(' ');
    const bool besweetLine = start != std::string_view::npos && arguments.substr(start).rfind("-core(", 0) == 0;
    if (role == EngineRole::BeSweet || (role == EngineRole::Any && besweetLine)) return PlanBesweet(arguments, exists);
    if (besweetLine) {
        out.problem = "command line: a BeSweet line, but this is " +
                      std::string(role == EngineRole::Nandub ? "Nandub" : "VirtualDub") + " (expected \" /r /x /s<job file>\")";
        return out;
    }

    EncoderArguments args;
    std::string problem;
    if (!ParseEncoderArguments(arguments, args, problem)) {
        out.problem = "command line: " + problem +
                      " (expected \" /r /x /s<job file>\" or BeSweet's \"-core( ... )\")";
        return out;
    }
    out.logPath = args.jobFile + ".log";
    const auto text = reader(args.jobFile);
    if (!text) {
        out.problem = "cannot open the job file \"" + args.jobFile + "\"";
        return out;
    }
    // Asked to be one program, the engine reads the job as that program
    // does; else VirtualDub's reading first, and Nandub knows more statements.
    ScriptDialect dialect = role == EngineRole::Nandub ? ScriptDialect::Nandub : ScriptDialect::VirtualDub;
    JobScriptReading reading = ReadJobScript(*text, dialect);
    if (reading.error && role != EngineRole::Any) {
        out.problem = "job file \"" + args.jobFile + "\": " + FormatScriptError(*reading.error);
        return out;
    }
    if (reading.error) {
        JobScriptReading nandub = ReadJobScript(*text, ScriptDialect::Nandub);
        if (nandub.error) {
            out.problem = "job file \"" + args.jobFile + "\": " + FormatScriptError(*reading.error);
            return out;
        }
        reading = std::move(nandub);
        dialect = ScriptDialect::Nandub;
    }
    if (role == EngineRole::Any && (UsesNandubStatements(reading.statements) || IsMuxJob(reading.statements)))
        dialect = ScriptDialect::Nandub;
    JobPlanner planner(dialect, exists);
    planner.secondPass_ = SecondPassOf(args.jobFile, reading.statements, reader);
    for (const ScriptStatement& st : reading.statements)
        if (headReader && st.object == "VirtualDub" && st.method == "Open" && !st.args.empty() && st.args[0].isText) {
            if (const auto head = headReader(st.args[0].text)) planner.clip_ = ReadAviLength(*head);
            break;
        }
    const bool ok = planner.Run(reading.statements);
    if (!planner.plan().target.empty()) out.logPath = planner.plan().target + ".log";
    if (!ok) {
        out.problem = planner.problem();
        return out;
    }
    out.plan = std::move(planner.plan());
    return out;
}

std::optional<Redo> RedoAfter(const FfmpegRun& run, std::int64_t outputBytes) {
    if (run.aimBytes <= 0 || run.redosLeft <= 0) return std::nullopt;
    const std::int64_t video = outputBytes - AviOverheadBytes(run.frames);
    const auto rate = std::find(run.args.begin(), run.args.end(), "-b:v");
    if (rate == run.args.end() || rate + 1 == run.args.end()) return std::nullopt;
    const std::int64_t bits = std::atoll((rate + 1)->c_str());
    auto corrected = CorrectedBitrate(bits, run.aimBytes, video, run.tolerance);
    if (!corrected || *corrected <= 0) return std::nullopt;
    // FFmpeg's size does not follow its bit rate in proportion (its
    // quantizer bounds and B-frames bend it): the second correction goes
    // along the line through the two tries.
    if (run.lastBits > 0 && run.lastBytes != video && run.lastBits != bits) {
        const double slope = static_cast<double>(video - run.lastBytes) / static_cast<double>(bits - run.lastBits);
        const double secant = static_cast<double>(bits) + static_cast<double>(run.aimBytes - video) / slope;
        if (slope > 0 && secant > 0) corrected = static_cast<std::int64_t>(std::llround(secant));
    }
    Redo redo{run, {}};
    redo.run.args[static_cast<std::size_t>(rate + 1 - run.args.begin())] = std::to_string(*corrected);
    redo.run.what = EndsWith(run.what, ", again") ? run.what : run.what + ", again";
    redo.run.redosLeft = run.redosLeft - 1;
    redo.run.lastBits = bits;
    redo.run.lastBytes = video;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%+.1f %%", (static_cast<double>(video) / static_cast<double>(run.aimBytes) - 1) * 100);
    redo.line = "video: " + std::to_string(video) + " bytes against " + std::to_string(run.aimBytes) + " aimed at (" +
                percent + "): encoding again at " + std::to_string(*corrected) + " bit/s";
    return redo;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string CommandLineOf(const std::string& program, const std::vector<std::string>& args) {
    std::string line = QuoteArgument(program);
    for (const std::string& a : args) line += " " + QuoteArgument(a);
    return line;
}

std::vector<std::string> WithGain(const std::vector<std::string>& args, double gainDb) {
    std::vector<std::string> out = args;
    for (std::string& a : out) {
        const std::size_t at = a.find("{gain}");
        if (at != std::string::npos) a.replace(at, 6, Number(std::round(gainDb * 10) / 10));
    }
    return out;
}

}  // namespace mb::engine
