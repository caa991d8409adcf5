#include "codecstate/codec_state_reader.h"

#include <stdexcept>

#include "codecstate/binary_text.h"
#include "codecstate/codec_templates.h"

namespace mb {

namespace {

bool IsAlphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// The record's 32-bit field with this meaning in the codec's table.
std::int32_t Field(const RecordLayout& layout, std::string_view bytes, std::string_view meaning) {
    for (const TemplateField& f : layout.fields) {
        if (f.kind != FieldKind::Int32 || f.meaning != meaning) continue;
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(f.offset + i)]);
        return static_cast<std::int32_t>(v);
    }
    throw std::logic_error("no field \"" + std::string(meaning) + "\" in the " + std::string(layout.codec) +
                           " record");
}

// Every 32-bit field but the fixed ones, and the matrix rows.
void ReadAll(const RecordLayout& layout, std::string_view bytes, CodecSettings& s) {
    for (const TemplateField& f : layout.fields) {
        if (f.kind == FieldKind::Int32 && f.meaning != "fixed" && f.meaning != "not written") {
            s.values[std::string(f.meaning)] = Field(layout, bytes, f.meaning);
        } else if (f.kind == FieldKind::Bytes && f.size == 8) {
            std::string& matrix = f.meaning.starts_with("intra") ? s.intraMatrix : s.interMatrix;
            matrix.append(bytes.substr(static_cast<std::size_t>(f.offset), 8));
        }
    }
}

}  // namespace

std::optional<std::string> DecodeStateText(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == '=') --end;
    for (std::size_t i = 0; i < end; ++i)
        if (!IsAlphabet(text[i])) return std::nullopt;
    const std::string digits = Base64ToBinary(text.substr(0, end));
    std::string bytes;
    bytes.reserve(digits.size() / 8);
    for (std::size_t at = 0; at + 8 <= digits.size(); at += 8) {
        unsigned value = 0;
        for (std::size_t i = 0; i < 8; ++i) value = (value << 1) | (digits[at + i] == '1' ? 1u : 0u);
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::optional<CodecSettings> ReadCodecSettings(std::int32_t length, std::string_view stateText,
                                               std::string& problem) {
    const RecordLayout* layout = nullptr;
    for (const RecordLayout* l : {&Divx5Layout(), &Divx4Layout(), &XvidLayout()})
        if (l->recordBytes == length) layout = l;
    if (layout == nullptr) {
        problem = "no codec has a state record of " + std::to_string(length) + " bytes";
        return std::nullopt;
    }
    const auto bytes = DecodeStateText(stateText);
    if (!bytes) {
        problem = "the " + std::string(layout->codec) + " state is not base64 text";
        return std::nullopt;
    }
    if (bytes->size() < static_cast<std::size_t>(length)) {
        problem = "the " + std::string(layout->codec) + " state holds " + std::to_string(bytes->size()) +
                  " bytes, not " + std::to_string(length);
        return std::nullopt;
    }
    const std::string_view b = *bytes;
    CodecSettings s;
    s.name = layout->codec;
    ReadAll(*layout, b, s);
    s.bitsPerSecond = Field(*layout, b, "encoding bitrate in bit/s");
    if (layout == &XvidLayout()) {
        s.codec = CodecKind::Xvid;
        s.passField = Field(*layout, b, "encoding mode");
        s.maxKeyInterval = Field(*layout, b, "maximum keyframe interval");
        s.minKeyInterval = Field(*layout, b, "minimum keyframe interval");
        const std::int32_t iMin = Field(*layout, b, "minimum I-frame quantizer");
        const std::int32_t pMin = Field(*layout, b, "minimum P-frame quantizer");
        const std::int32_t iMax = Field(*layout, b, "maximum I-frame quantizer");
        const std::int32_t pMax = Field(*layout, b, "maximum P-frame quantizer");
        s.minQuantizer = iMin < pMin ? iMin : pMin;
        s.maxQuantizer = iMax > pMax ? iMax : pMax;
        const std::int32_t quant = Field(*layout, b, "quantization type");
        s.mpegQuantization = quant == 1 || quant == 2;
        static constexpr const char* kFourccs[] = {"XVID", "DIVX", "DX50"};
        const std::int32_t choice = Field(*layout, b, "FourCC used");
        s.fourcc = choice >= 0 && choice <= 2 ? kFourccs[choice] : "XVID";
        switch (s.passField) {
            case 0: s.pass = PassMode::Single; break;
            case 3: s.pass = PassMode::First; break;
            case 5: s.pass = PassMode::Second; break;
            default:
                problem = "XviD encoding mode " + std::to_string(s.passField) + " is not one pass, first or second";
                return std::nullopt;
        }
        return s;
    }
    const bool divx5 = layout == &Divx5Layout();
    s.codec = divx5 ? CodecKind::Divx5 : CodecKind::Divx4;
    s.fourcc = divx5 ? "DX50" : "DIVX";
    s.passField = Field(*layout, b, "pass mode");
    const std::string_view kfName = divx5 ? "maximum keyframe interval, frames" : "maximum keyframe interval";
    s.maxKeyInterval = Field(*layout, b, kfName);
    s.minQuantizer = Field(*layout, b, "minimum quantizer");
    s.maxQuantizer = Field(*layout, b, "maximum quantizer");
    if (divx5) {
        s.bFrames = Field(*layout, b, "bidirectional encoding") != 0;
        s.quarterPixel = Field(*layout, b, "quarter pixel") != 0;
        s.gmc = Field(*layout, b, "GMC") != 0;
    }
    switch (s.passField) {
        case 0: s.pass = PassMode::Single; break;
        case 2: s.pass = PassMode::First; break;
        case 3: s.pass = PassMode::Second; break;
        default:
            problem = s.name + " pass mode " + std::to_string(s.passField) + " is not one pass, first or second";
            return std::nullopt;
    }
    return s;
}

}  // namespace mb
