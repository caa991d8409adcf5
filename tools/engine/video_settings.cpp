#include "video_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mb::engine {

namespace {

// Measured on FFmpeg's AVI muxer: the headers (with the room kept for an
// OpenDML index), then per frame an 8-byte chunk header, the padding byte of
// every odd-sized frame (half of them) and a 16-byte index entry.
constexpr std::int64_t kAviHeaderBytes = 5762;
constexpr double kAviBytesPerFrame = 24.5;

std::uint32_t Le32(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

std::string Real(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::int32_t Value(const CodecSettings& c, std::string_view meaning, std::int32_t otherwise = 0) {
    const auto it = c.values.find(meaning);
    return it == c.values.end() ? otherwise : it->second;
}

void Add(std::vector<std::string>& a, std::initializer_list<std::string> more) { a.insert(a.end(), more); }

// A matrix as FFmpeg's -intra_matrix takes it: 64 numbers, comma-separated.
std::string MatrixText(const std::string& bytes) {
    std::string out;
    for (char b : bytes) out += (out.empty() ? "" : ",") + std::to_string(static_cast<unsigned char>(b));
    return out;
}

// A frame's share of the bits in FFmpeg's two-pass rate equation: its
// complexity against the average of its kind (one more on both sides, so
// that a kind without texture divides by no zero), to a power. FFmpeg scales
// the shares to the file's bit rate; tex^qComp is its own equation.
std::string Share(const std::string& power) { return "((tex+1)/(avgTex+1))^" + power; }

// XviD's alternative curve over a frame's share s (1 the average): above
// the average the share is weighed down from `mid` towards the minimum
// relative quality (mid - dev) until the high distance, below it weighed up
// towards 1 until the low distance, each by the aggression's shape of the
// way there (0 cosine, 1 linear, 2 sine). A low distance past 100 % would
// reach no frame's end of the way: mid and dev are then chosen so that an
// empty frame keeps its whole share. The bonus bias hands the frames a part
// of what the curve takes, the same for each, the rest going back in
// proportion; the curve's mean weight, which the equation cannot sum, is
// taken as mid. FFmpeg scales the shares to the file's bit rate afterwards.
std::string AlternativeCurve(int aggression, double high, double low, double minRelative, double bonus) {
    constexpr double kQuarterTurn = 1.5707963267948966;
    const auto shape = [aggression](const std::string& u) {
        if (aggression == 2) return "sin(PI/2*" + u + ")";
        if (aggression == 0) return "(1-cos(PI/2*" + u + "))";
        return u;
    };
    const auto shapeOf = [aggression, kQuarterTurn](double u) {
        return aggression == 2 ? std::sin(kQuarterTurn * u) : aggression == 0 ? 1 - std::cos(kQuarterTurn * u) : u;
    };
    double mid = (1 + minRelative) / 2, dev = 1 - mid;
    if (low > 1) {
        const double end = shapeOf(1 / low);
        dev *= 2 / (1 + end);
        mid = 1 - dev * end;
    }
    const std::string share = Share("qComp");
    const std::string above = "min((" + share + "-1)/" + Real(high) + ",1)";
    const std::string below = "min((1-" + share + ")/" + Real(low) + ",1)";
    return share + "*(gt(tex,avgTex)*(" + Real(mid) + "-" + Real(dev) + "*" + shape(above) + ")+lte(tex,avgTex)*(" +
           Real(mid) + "+" + Real(dev) + "*" + shape(below) + "))+" +
           Real(bonus * (1 - mid) * mid / ((1 - mid) * (1 - bonus) + mid));
}

// The share compressed towards the average: the part above 1 is cut by
// `high`, the part below by `low` (0.25 is 25 %).
std::string CompressedCurve(double high, double low) {
    const std::string share = Share("qComp");
    return share + "-(" + share + "-1)*(gt(tex,avgTex)*" + Real(high) + "+lte(tex,avgTex)*" + Real(low) + ")";
}

}  // namespace

std::optional<ClipLength> ReadAviLength(std::string_view head) {
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "AVI ") return std::nullopt;
    const std::size_t at = head.find("avih");
    if (at == std::string_view::npos || at + 8 + 24 > head.size()) return std::nullopt;
    const std::uint32_t microseconds = Le32(head, at + 8);
    const std::uint32_t frames = Le32(head, at + 8 + 16);
    if (microseconds == 0 || frames == 0) return std::nullopt;
    return ClipLength{frames, 1e6 / microseconds};
}

std::int64_t AviOverheadBytes(std::int64_t frames) {
    return kAviHeaderBytes + static_cast<std::int64_t>(std::llround(kAviBytesPerFrame * static_cast<double>(frames)));
}

std::int64_t BitrateForSize(std::int64_t kbytes, const ClipLength& clip) {
    const double seconds = clip.Seconds();
    const std::int64_t videoBytes = kbytes * 1024 - AviOverheadBytes(clip.frames);
    if (seconds <= 0 || videoBytes <= 0) return 0;
    return static_cast<std::int64_t>(std::llround(static_cast<double>(videoBytes) * 8 / seconds));
}

std::int64_t BytesForBitrate(std::int64_t bitsPerSecond, const ClipLength& clip) {
    return static_cast<std::int64_t>(std::llround(static_cast<double>(bitsPerSecond) * clip.Seconds() / 8));
}

std::optional<std::int64_t> CorrectedBitrate(std::int64_t bitsPerSecond, std::int64_t aimBytes, std::int64_t gotBytes,
                                             double tolerance) {
    if (aimBytes <= 0 || gotBytes <= 0) return std::nullopt;
    const double ratio = static_cast<double>(aimBytes) / static_cast<double>(gotBytes);
    if (std::fabs(ratio - 1) <= tolerance) return std::nullopt;
    return static_cast<std::int64_t>(std::llround(static_cast<double>(bitsPerSecond) * ratio));
}

std::vector<std::string> EffortOptions(int effort, bool msmpeg4) {
    std::vector<std::string> a;
    effort = std::clamp(effort, 0, kBestEffort);
    if (effort == 0) return {"-motion_est", "zero"};
    if (effort == 2) Add(a, {"-mbd", "bits"});
    if (effort >= 3) Add(a, {"-mbd", "rd"});
    if (effort >= 4) Add(a, {"-trellis", "1", "-cmp", "2", "-subcmp", "2"});
    // Four motion vectors per macroblock, AC prediction and the quantizer
    // chosen per macroblock by rate-distortion are MPEG-4's own: msmpeg4's
    // pictures break up with the last (it has no quantizer change per block).
    if (effort >= 5 && !msmpeg4) Add(a, {"-flags", "+mv4+aic", "-mpv_flags", "+qp_rd"});
    if (effort >= 6) Add(a, {"-last_pred", "2", "-dia_size", "2"});
    return a;
}

SettingOptions Mpeg4SettingOptions(const CodecSettings& c) {
    SettingOptions o;
    auto& a = o.args;
    auto notApplied = [&](const std::string& setting, const std::string& why) {
        o.notApplied.push_back(c.name + " " + setting + ": not applied (" + why + ")");
    };
    if (c.maxKeyInterval > 0) Add(a, {"-g", std::to_string(c.maxKeyInterval)});
    if (c.minKeyInterval > 0) Add(a, {"-keyint_min", std::to_string(c.minKeyInterval)});
    // XviD bounds I- and P-frames apart; FFmpeg bounds the P-frames (most of
    // the file) and takes the I-frames' from them and the I-frame boost.
    const bool xvid = c.codec == CodecKind::Xvid;
    const std::int32_t qmin = xvid ? Value(c, "minimum P-frame quantizer", c.minQuantizer) : c.minQuantizer;
    const std::int32_t qmax = xvid ? Value(c, "maximum P-frame quantizer", c.maxQuantizer) : c.maxQuantizer;
    if (qmin > 0) Add(a, {"-qmin", std::to_string(qmin)});
    if (qmax > 0 && qmax >= qmin) Add(a, {"-qmax", std::to_string(qmax)});

    int effort = 5;
    if (c.codec == CodecKind::Xvid) {
        effort = Value(c, "motion search precision", 5);
        const std::int32_t quant = Value(c, "quantization type");
        if (quant == 1 || quant == 2) Add(a, {"-mpeg_quant", "1"});
        if (quant == 2 && c.intraMatrix.size() == 64 && c.interMatrix.size() == 64)
            Add(a, {"-intra_matrix", MatrixText(c.intraMatrix), "-inter_matrix", MatrixText(c.interMatrix)});
        if (quant == 3) notApplied("quantization type Modulated", "FFmpeg switches no quantizer type per frame");
        // XviD's luminance masking raises the quantizer where the eye sees
        // least: in very bright and very dark areas.
        if (Value(c, "luminance masking") != 0) Add(a, {"-lumi_mask", "0.1", "-dark_mask", "0.1"});
        // The boost is how much better an I-frame is than the P-frames
        // around it; FFmpeg's I-frame quantizer is the P-frames' times 0.8
        // by default, which is XviD's 20 %.
        const std::int32_t boost = Value(c, "I-frame boost", 20);
        if (boost != 20) Add(a, {"-i_qfactor", Real(-std::max(0.0, 1 - boost / 100.0))});
        // The payback delay spreads an overflow over frames: FFmpeg's qblur
        // smooths the quantizer over time, 240 frames being its 0.5.
        const std::int32_t payback = Value(c, "bitrate payback delay, frames", 240);
        if (payback != 240) Add(a, {"-qblur", Real(std::max(0.0, payback / 480.0))});
        const std::int32_t iMin = Value(c, "minimum I-frame quantizer"), iMax = Value(c, "maximum I-frame quantizer");
        if (iMin != qmin || iMax != qmax)
            notApplied("I-frame quantizer " + std::to_string(iMin) + " to " + std::to_string(iMax),
                       "FFmpeg bounds I-frames as P-frames: quantizer " + std::to_string(qmin) + " to " + std::to_string(qmax));
        // The second pass compresses the curve: high bitrate scenes lose
        // the share of their bits above the average, low ones gain the share
        // below it. The alternative curve replaces these with its own.
        const std::int32_t high = Value(c, "high bitrate scenes, %", 25), low = Value(c, "low bitrate scenes, %", 10);
        const bool alternative = Value(c, "alternative curve system") != 0;
        if (c.pass == PassMode::Second && !alternative && (high != 0 || low != 0))
            Add(a, {"-rc_eq", CompressedCurve(std::clamp(high, 0, 100) / 100.0, std::clamp(low, 0, 100) / 100.0)});
        // The curves weigh the second pass by the first: a single pass has none.
        if (alternative && c.pass == PassMode::Second) {
            // The automatic minimum relative quality comes from how far the
            // first pass's total lies above the aim, which FFmpeg's equation
            // is not given: the box's value is used. The automatic bonus bias
            // is the minimum relative quality, as XviD takes it.
            const std::int32_t minRelative = std::clamp(Value(c, "minimum relative quality", 50), 0, 100);
            // The curve strength is the automatic mode's: how far the
            // minimum relative quality follows that total.
            if (Value(c, "automatic minimum relative quality", 1) != 0)
                notApplied("automatic minimum relative quality (strength " + std::to_string(Value(c, "curve strength", 50)) + " %)",
                           "FFmpeg's rate equation knows no first-pass total: the minimum relative quality " +
                               std::to_string(minRelative) + " % is used");
            const std::int32_t bonus = Value(c, "automatic bonus bias", 1) != 0 ? minRelative : Value(c, "bonus bias", 50);
            Add(a, {"-rc_eq", AlternativeCurve(std::clamp(Value(c, "curve aggression", 1), 0, 2),
                                               std::max(1, Value(c, "high distance from average", 300)) / 100.0,
                                               std::max(1, Value(c, "low distance from average", 300)) / 100.0,
                                               minRelative / 100.0, std::max(0, bonus) / 100.0)});
        }
        if (Value(c, "payback method") != 0)
            notApplied("payback method " + std::to_string(Value(c, "payback method")),
                       "FFmpeg's rate control has one way of paying an overflow back");
        if (Value(c, "hinted motion estimation") != 0) notApplied("hinted motion estimation", "FFmpeg reads no motion hints");
    } else {
        // DivX's rate control: the reaction period is how quickly the
        // quantizer moves (FFmpeg's qblur, 10 frames being its 0.5); the
        // down/up reaction how far it follows the scenes (qcomp, 20 being
        // FFmpeg's 0.5). The averaging period has no counterpart: FFmpeg's
        // bit rate tolerance, tried for it, throws its two passes far off
        // their bit rate.
        const std::int32_t average = Value(c, c.codec == CodecKind::Divx5 ? "RC averaging period, frames" : "RC average period", 2000);
        if (average != 2000)
            notApplied("RC averaging period " + std::to_string(average),
                       "FFmpeg averages over the whole file in two passes, by its own tolerance in one");
        const std::int32_t reaction = Value(c, c.codec == CodecKind::Divx5 ? "RC reaction period, frames" : "RC reaction period", 10);
        if (reaction != 10) Add(a, {"-qblur", Real(std::max(0.0, reaction / 20.0))});
        const std::int32_t downUp = Value(c, c.codec == CodecKind::Divx5 ? "RC down/up reaction, frames" : "RC down/up reaction", 20);
        if (downUp != 20) Add(a, {"-qcomp", Real(std::clamp(downUp / 40.0, 0.0, 1.0))});
    }
    if (c.codec == CodecKind::Divx5) {
        if (c.bFrames) Add(a, {"-bf", "2"});
        if (c.quarterPixel) Add(a, {"-flags", "+qpel"});
        if (c.gmc) notApplied("GMC", "FFmpeg's mpeg4 encoder has no global motion compensation");
        // The scene change threshold in per cent: the higher, the sooner a
        // keyframe; FFmpeg's threshold is the other way round, 0 at 50 %.
        const std::int32_t scene = Value(c, "scene change threshold, %", 50);
        if (scene != 50) Add(a, {"-sc_threshold", std::to_string((50 - scene) * 1000)});
        // Psychovisual enhancement chooses the effort: none is quick,
        // light (the window's default) FFmpeg's best by hand, strong more.
        const std::int32_t pe = Value(c, "psychovisual enhancement on") != 0 ? Value(c, "psychovisual enhancement level", 1) : 0;
        effort = pe <= 0 ? 3 : pe == 1 ? 5 : kBestEffort;
        // Pre-processing is a noise filter before the encoder: FFmpeg's
        // hqdn3d, stronger with each step ("Normal" about its default).
        const std::int32_t pre = Value(c, "pre-processing level", -1);
        if (pre > 0) {
            const double s = 1.5 * pre;
            Add(a, {"-vf", "hqdn3d=" + Real(s) + ":" + Real(s * 0.75) + ":" + Real(s * 1.5) + ":" + Real(s * 1.125)});
        }
    }
    const std::vector<std::string> e = EffortOptions(effort, false);
    // One -flags for all: FFmpeg keeps only the last one given.
    const auto flags = std::find(a.begin(), a.end(), "-flags");
    const auto effortFlags = std::find(e.begin(), e.end(), "-flags");
    if (flags != a.end() && effortFlags != e.end()) {
        *(flags + 1) += *(effortFlags + 1);
        for (auto it = e.begin(); it != e.end(); ++it)
            if (it != effortFlags && it != effortFlags + 1) a.push_back(*it);
    } else {
        a.insert(a.end(), e.begin(), e.end());
    }
    return o;
}

SettingOptions Divx3LineOptions(const ScriptNumbers& lines, bool analysis) {
    SettingOptions o;
    auto& a = o.args;
    auto line = [&](std::string_view method) -> const std::vector<int>* {
        const auto it = lines.find(method);
        return it == lines.end() ? nullptr : &it->second;
    };
    auto notApplied = [&](const std::string& what, const std::string& why) {
        o.notApplied.push_back("DivX 3 " + what + ": not applied (" + why + ")");
    };
    // The quantizer range of the main compression levels.
    if (const auto* l = line("SetCompLevelsMain"); l && l->size() >= 2 && (*l)[0] > 0 && (*l)[1] >= (*l)[0])
        Add(a, {"-qmin", std::to_string((*l)[0]), "-qmax", std::to_string((*l)[1])});
    if (analysis) return o;
    // Nandub's scene change detection: the higher, the sooner a keyframe.
    if (const auto* l = line("InternalSCD"); l && !l->empty() && (*l)[0] != 100)
        Add(a, {"-sc_threshold", std::to_string((100 - (*l)[0]) * 1000)});
    // The lowest bit rate: FFmpeg keeps one only with a rate buffer and a
    // maximum rate, and its msmpeg4 two-pass encoder breaks down with them.
    if (const auto* l = line("SetMinKBPS"); l && !l->empty() && (*l)[0] > 0)
        notApplied("minimum bit rate " + std::to_string((*l)[0]) + " kbit/s",
                   "FFmpeg's msmpeg4 takes no rate buffer in two passes");
    // The curve compression in per cent: how far the scenes' bits are drawn
    // to the average (FFmpeg's qcomp, 0 all alike); the smoother is qblur.
    // Low and high scenes apart (the line's first number is the low
    // scenes', the second the high ones'): the rate equation's power
    // differs below and above the average, where their shares meet.
    if (const auto* l = line("SetCurveCompression"); l && l->size() >= 2) {
        auto qcomp = [](int compression) { return Real(std::clamp(1 - compression / 50.0, 0.0, 1.0)); };
        if (l->size() == 2 || (*l)[0] == (*l)[1]) {
            Add(a, {"-qcomp", qcomp((*l)[0])});
        } else {
            Add(a, {"-rc_eq", Share("(gt(tex,avgTex)*" + qcomp((*l)[1]) + "+lte(tex,avgTex)*" + qcomp((*l)[0]) + ")")});
        }
        Add(a, {"-qblur", Real(l->back() / 6.0)});
    }
    // Luminance correction raises the quantizer in bright areas.
    if (const auto* l = line("SetLumaCorrectionAmp"); l && l->size() >= 3 && (*l)[0] != 0)
        Add(a, {"-lumi_mask", Real((*l)[2] / 300.0)});
    if (const auto* l = line("SetQualityControl"); l && !l->empty() && (*l)[0] != 0)
        notApplied("error prevention", "FFmpeg's rate control keeps no such guard");
    if (const auto* l = line("SetMotionDetection"); l && l->size() >= 4)
        notApplied("motion detection and codec switching", "FFmpeg encodes with one encoder throughout");
    if (const auto* l = line("SetCrispness"); l && !l->empty() && (*l)[0] != 0)
        notApplied("crispness " + std::to_string((*l)[0]), "FFmpeg's msmpeg4 has no sharpness control");
    if (const auto* l = line("SetCrispness"); l && l->size() >= 2 && (*l)[1] != 0)
        notApplied("bits reservoir", "FFmpeg's two-pass plans the whole file at once");
    if (const auto* l = line("SetCurveMcFactor"); l && !l->empty() && (*l)[0] != 0)
        notApplied("motion-based curve factor", "FFmpeg weighs motion by its own rate equation");
    if (const auto* l = line("SetCurveFilter"); l && l->size() >= 2)
        notApplied("curve filter " + std::to_string((*l)[0]) + " to " + std::to_string((*l)[1]) + " kbit/s",
                   "FFmpeg bounds frames by quantizer, not by kbit/s");
    return o;
}

}  // namespace mb::engine
