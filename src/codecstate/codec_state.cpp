#include "codecstate/codec_state.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/numbers.h"
#include "model/text.h"
#include "codecstate/binary_text.h"
#include "codecstate/codec_templates.h"

namespace mb {

namespace {

// Byte offsets of the fields the builders write (see codec_templates.cpp for
// the whole records).
namespace divx5 {
constexpr int kBitrate = 4, kRCAve = 8, kRCReac = 12, kRCdur = 16, kKeyframes = 20,
              kMaxQuant = 24, kMinQuant = 28, kPassMode = 36, kBidirectional = 68,
              kQuarterPixel = 84, kSceneChange = 92, kPsychovisualOn = 96, kGmc = 124,
              kPsychovisualLevel = 268, kPreProcessing = 272;
}
namespace divx4 {
constexpr int kBitrate = 0, kRCAve = 4, kRCReac = 8, kRCdur = 12, kKeyframes = 16,
              kMaxQuant = 20, kMinQuant = 24, kFixed28 = 28, kPassMode = 32, kFixed36 = 36,
              kFixed40 = 40, kFixed44 = 44;
}
namespace xvid {
constexpr int kMode = 0, kBitrate = 4, kDesiredSize = 8, kMotion = 292, kQuantType = 296,
              kFourcc = 300, kMaxKeyframes = 304, kMinKeyframes = 308, kLuminance = 312,
              kIQuantMin = 320, kIQuantMax = 324, kPQuantMin = 328, kPQuantMax = 332,
              kBoost = 464, kHighBitrate = 476, kLowBitrate = 480, kAltCurve = 484,
              kAutoQuality = 488, kStrength = 492, kAutoBonus = 496, kBonusBias = 500,
              kAggression = 504, kHighDistance = 508, kLowDistance = 512, kMinQuality = 516,
              kPayback = 532, kPaybackMethod = 536, kHintedME = 540;
constexpr std::int32_t kModeOnePass = 0, kModeFirstPass = 3, kModeSecondPass = 5;
constexpr std::int32_t kQuantModulated = 3;  // item number of "Modulated" in CmbQuant
}  // namespace xvid

// Pass modes shared by both DivX records.
constexpr std::int32_t kDivxOnePass = 0, kDivxFirstPass = 2, kDivxSecondPass = 3;

constexpr std::string_view kNegativeMessage = "Invalid input. Negative value is not acceptable";

// One number box of the main window as a builder reads it.
struct NumberEntry {
    const std::string& text;
    std::string_view name;            // names the box in "Invalid input." messages
    std::string_view noInputMessage;  // empty: the box has no "No input" check
    bool signChecked;
    double scale;                     // kbit/s boxes give bit/s
};

// Reads the boxes in the order of their checks and shows the first problem:
//   1. boxes with a "No input" check, in order: empty or 0 -> "No input for
//      ...", not a number -> "Invalid input. Not a number: <name>";
//   2. the other boxes: empty or not a number -> the same "Not a number";
//   3. a sign-checked box below 0 -> the negative-value message;
//   4. a value that, as a whole number, does not fit its 32-bit field ->
//      "Invalid input. Out of range: <name>".
// Returns false after a message; values then holds nothing of use.
bool ReadEntries(std::span<const NumberEntry> entries, std::span<std::int32_t> values,
                 MessagePort& messages, const NumberFormat& format) {
    auto refuse = [&messages](std::string_view text) {
        messages.ShowMessage(std::string(text), MessageIcon::None);
        return false;
    };
    auto notANumber = [&refuse](const NumberEntry& e) {
        return refuse("Invalid input. Not a number: " + std::string(e.name));
    };

    std::vector<double> numbers(entries.size(), 0.0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const NumberEntry& e = entries[i];
        if (e.noInputMessage.empty()) continue;
        if (IsBlankText(e.text)) return refuse(e.noInputMessage);
        const std::optional<double> n = StrictNumber(e.text, format);
        if (!n) return notANumber(e);
        if (*n == 0.0) return refuse(e.noInputMessage);
        numbers[i] = *n;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const NumberEntry& e = entries[i];
        if (!e.noInputMessage.empty()) continue;
        const std::optional<double> n = StrictNumber(e.text, format);
        if (!n) return notANumber(e);
        numbers[i] = *n;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].signChecked && numbers[i] < 0.0) return refuse(kNegativeMessage);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::optional<std::int32_t> whole = RoundHalfEven32(numbers[i] * entries[i].scale);
        if (!whole) return refuse("Invalid input. Out of range: " + std::string(entries[i].name));
        values[i] = *whole;
    }
    return true;
}

// A record being edited as binary digits, field by field.
class RecordDigits {
public:
    explicit RecordDigits(const std::string& base64) : digits_(Base64ToBinary(base64)) {}
    void Write(int byteOffset, std::int32_t value) {
        digits_ = ReplaceBits(digits_, byteOffset * 8, 32, LongToBinary(value));
    }
    // A list without a selected entry leaves the template's value.
    void WriteItem(int byteOffset, const EncodeSettings& s, Ctl list) {
        const int item = ItemNumber(s, list);
        if (item >= 0) Write(byteOffset, item);
    }
    const std::string& Digits() const { return digits_; }
    std::string Base64() const { return BinaryToBase64(digits_); }

private:
    std::string digits_;
};

}  // namespace

const std::string& Divx5Template() {
    static const std::string text = TemplateBase64(Divx5Layout());
    return text;
}

const std::string& Divx4Template() {
    static const std::string text = TemplateBase64(Divx4Layout());
    return text;
}

const std::string& XvidTemplate() {
    static const std::string text = TemplateBase64(XvidLayout());
    return text;
}

bool CreateCompDataDivx5(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                         const NumberFormat& format) {
    enum { Br, Kf, Sc, MaxQ, MinQ, RCAve, RCReac, RCdur, Count };
    const NumberEntry entries[Count] = {
        {s.txtBr, "encoding bitrate", "No input for encoding bitrate", true, 1000.0},
        {s.txtKf, "keyframe interval", "No input for keyframe interval", true, 1.0},
        {s.txtSc, "scene change threshold", "No input for scene change threshold", true, 1.0},
        {s.txtMaxQ, "maximum quantizer", "No input for maximum quantizer", true, 1.0},
        {s.txtMinQ, "minimum quantizer", "No input for minimum quantizer", true, 1.0},
        {s.txtRCAve, "RC average period", "No input for RC average period", true, 1.0},
        {s.txtRCReac, "RC reaction period", "No input for RC reaction period", true, 1.0},
        {s.txtRCdur, "RC down/up reaction", "No input for RC down/up reaction", true, 1.0},
    };
    std::array<std::int32_t, Count> v{};
    if (!ReadEntries(entries, v, messages, format)) return false;

    using namespace divx5;
    const bool onePass = ItemNumber(s, Ctl::CmbNumPass) == 1;
    RecordDigits pass1(Divx5Template());
    pass1.Write(kBitrate, v[Br]);
    pass1.Write(kRCAve, v[RCAve]);
    pass1.Write(kRCReac, v[RCReac]);
    pass1.Write(kRCdur, v[RCdur]);
    pass1.Write(kKeyframes, v[Kf]);
    pass1.Write(kMaxQuant, v[MaxQ]);
    pass1.Write(kMinQuant, v[MinQ]);
    pass1.Write(kPassMode, onePass ? kDivxOnePass : kDivxFirstPass);
    pass1.Write(kSceneChange, v[Sc]);
    // Switches that are off and sliders at 0 keep the template's values.
    if (s.chkQPel) pass1.Write(kQuarterPixel, 1);
    if (s.chkGMC) pass1.Write(kGmc, 1);
    if (s.chkBFrame) pass1.Write(kBidirectional, 1);
    if (s.SldPE > 0) {
        pass1.Write(kPsychovisualOn, 1);
        pass1.Write(kPsychovisualLevel, s.SldPE);
    }
    if (s.SldPreProc > 0) pass1.Write(kPreProcessing, s.SldPreProc);

    RecordDigits pass2 = pass1;
    pass2.Write(kPassMode, kDivxSecondPass);

    state.CompDataPass1 = pass1.Base64();
    state.CompDataPass2 = pass2.Base64();
    return true;
}

bool CreateCompDataDivx4(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                         const NumberFormat& format) {
    enum { Br, Kf, MaxQ, MinQ, RCAve, RCReac, RCdur, Count };
    const NumberEntry entries[Count] = {
        {s.TxtBr4, "encoding bitrate", "No input for encoding bitrate", true, 1000.0},
        {s.TxtKF4, "keyframe interval", "No input for keyframe interval", true, 1.0},
        {s.TxtMaxQ4, "maximum quantizer", "No input for maximum quantizer", true, 1.0},
        {s.txtMinQ4, "minimum quantizer", "No input for minimum quantizer", true, 1.0},
        {s.TxtRCAve4, "RC average period", "No input for RC average period", true, 1.0},
        {s.TxtRCReac4, "RC reaction period", "No input for RC reaction period", true, 1.0},
        {s.TxtRCdur4, "RC down/up reaction", "No input for RC down/up reaction", true, 1.0},
    };
    std::array<std::int32_t, Count> v{};
    if (!ReadEntries(entries, v, messages, format)) return false;

    using namespace divx4;
    const bool onePass = ItemNumber(s, Ctl::CmbNumPass) == 1;
    RecordDigits pass1(Divx4Template());
    pass1.Write(kBitrate, v[Br]);
    pass1.Write(kRCAve, v[RCAve]);
    pass1.Write(kRCReac, v[RCReac]);
    pass1.Write(kRCdur, v[RCdur]);
    pass1.Write(kKeyframes, v[Kf]);
    pass1.Write(kMaxQuant, v[MaxQ]);
    pass1.Write(kMinQuant, v[MinQ]);
    pass1.Write(kFixed28, 5);
    pass1.Write(kPassMode, onePass ? kDivxOnePass : kDivxFirstPass);
    pass1.Write(kFixed36, 85);
    pass1.Write(kFixed40, 0);
    pass1.Write(kFixed44, 0);

    RecordDigits pass2 = pass1;
    pass2.Write(kPassMode, kDivxSecondPass);

    // The codec takes the standard base64 text of the 317 template bytes,
    // whose one "=" the template leaves off.
    state.CompDataPass1 = pass1.Base64() + "=";
    state.CompDataPass2 = pass2.Base64() + "=";
    // The third pass stays in digits: the run driver writes its bitrate once
    // the size of the second pass's result is known.
    state.CompDataPass3 = s.ChkDivx4Pass3 ? pass2.Digits() : std::string();
    return true;
}

bool CreateCompDataXvid(const EncodeSettings& s, ProgramState& state, MessagePort& messages,
                        const NumberFormat& format) {
    enum {
        Br, KFMax, KFMin, Size, IQMin, IQMax, PQMin, PQMax,
        Boost, HighBit, LowBit, Payback, HighDist, LowDist, Strength, MinQuality, BonusBias,
        Count
    };
    const NumberEntry entries[Count] = {
        {s.TxtBrX, "encoding bitrate", "No input for encoding bitrate", true, 1000.0},
        {s.TxtKFX, "maximum keyframe interval", "No input for keyframe interval", true, 1.0},
        {s.txtKF2X, "minimum keyframe interval", "No input for keyframe interval", true, 1.0},
        {s.TxtSize, "desired size", "No input for desired size", true, 1.0},
        {s.TxtIQuantMin, "minimum I-frame quantizer", "No input for Min I-frame Quant. size", false, 1.0},
        {s.TxtIQuantMax, "maximum I-frame quantizer", "No input for Max I-frame Quant. size", false, 1.0},
        {s.TxtPQuantMin, "minimum P-frame quantizer", "No input for Min P-frame Quant. size", false, 1.0},
        {s.TxtPQuantMax, "maximum P-frame quantizer", "No input for Max P-frame Quant. size", false, 1.0},
        {s.TxtBoost, "I-frame boost", "", false, 1.0},
        {s.TxtHightBit, "high bitrate scenes", "", false, 1.0},
        {s.TxtLowBit, "low bitrate scenes", "", false, 1.0},
        {s.TxtPayback, "bitrate payback delay", "", false, 1.0},
        {s.TxtHighDist, "high distance from average", "", false, 1.0},
        {s.TxtLowDist, "low distance from average", "", false, 1.0},
        {s.TxtStrenght, "curve strength", "", false, 1.0},
        {s.TxtMinQuality, "minimum relative quality", "", false, 1.0},
        {s.TxtBonusBias, "bonus bias", "", false, 1.0},
    };
    std::array<std::int32_t, Count> v{};
    if (!ReadEntries(entries, v, messages, format)) return false;

    using namespace xvid;
    // Luminance masking, hinted motion estimation and the modulated second
    // pass only exist with two passes.
    const bool twoPasses = ItemNumber(s, Ctl::CmbNumPass) != 1;
    const std::int32_t luminance = twoPasses && s.Chklum ? 1 : 0;
    const std::int32_t hinted = twoPasses && s.ChkHintME ? 1 : 0;
    const bool modulatedSecondPass = twoPasses && s.ChkModulated2pass;

    RecordDigits pass1(XvidTemplate());
    pass1.Write(kMode, twoPasses ? kModeFirstPass : kModeOnePass);
    pass1.Write(kBitrate, v[Br]);
    pass1.Write(kDesiredSize, v[Size]);
    pass1.WriteItem(kMotion, s, Ctl::CmbMotion);
    pass1.WriteItem(kQuantType, s, Ctl::CmbQuant);
    pass1.WriteItem(kFourcc, s, Ctl::CmbFourcc);
    pass1.Write(kMaxKeyframes, v[KFMax]);
    pass1.Write(kMinKeyframes, v[KFMin]);
    pass1.Write(kLuminance, 0);
    pass1.Write(kIQuantMin, v[IQMin]);
    pass1.Write(kIQuantMax, v[IQMax]);
    pass1.Write(kPQuantMin, v[PQMin]);
    pass1.Write(kPQuantMax, v[PQMax]);
    pass1.Write(kBoost, v[Boost]);
    pass1.Write(kHighBitrate, v[HighBit]);
    pass1.Write(kLowBitrate, v[LowBit]);
    pass1.Write(kAltCurve, s.ChkAltCurve ? 1 : 0);
    pass1.Write(kAutoQuality, s.ChkAutoQuality ? 1 : 0);
    pass1.Write(kStrength, v[Strength]);
    pass1.Write(kAutoBonus, s.ChkAutoBonus ? 1 : 0);
    pass1.Write(kBonusBias, v[BonusBias]);
    pass1.WriteItem(kAggression, s, Ctl::CmbAgression);
    pass1.Write(kHighDistance, v[HighDist]);
    pass1.Write(kLowDistance, v[LowDist]);
    pass1.Write(kMinQuality, v[MinQuality]);
    pass1.Write(kPayback, v[Payback]);
    pass1.Write(kPaybackMethod, s.OptPayback == 0 ? 0 : 1);
    pass1.Write(kHintedME, hinted);

    RecordDigits pass2 = pass1;
    pass2.Write(kMode, kModeSecondPass);
    pass2.Write(kLuminance, luminance);
    pass2.Write(kHintedME, 0);
    // "Modulated - Second Pass": the second pass quantizes with the
    // modulated type, whatever the list says for the first.
    if (modulatedSecondPass) pass2.Write(kQuantType, kQuantModulated);

    state.CompDataPass1 = pass1.Base64();
    state.CompDataPass2 = pass2.Base64();
    return true;
}

}  // namespace mb
