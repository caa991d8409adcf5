#include "codecstate/codec_templates.h"

#include <bit>
#include <stdexcept>

#include "codecstate/binary_text.h"

namespace mb {

namespace {

// DivX 5: a 323-byte record, then the surplus byte "i".
constexpr TemplateField kDivx5Fields[] = {
    IntAt(0, 280, "fixed"),
    IntAt(4, 0, "encoding bitrate in bit/s"),
    IntAt(8, 2000, "RC averaging period, frames"),
    IntAt(12, 10, "RC reaction period, frames"),
    IntAt(16, 20, "RC down/up reaction, frames"),
    IntAt(20, 250, "maximum keyframe interval, frames"),
    IntAt(24, 12, "maximum quantizer"),
    IntAt(28, 2, "minimum quantizer"),
    IntAt(32, 5, "fixed"),
    IntAt(36, 2, "pass mode"),
    IntAt(40, 40, "fixed"),
    IntAt(56, 100, "fixed"),
    IntAt(68, 0, "bidirectional encoding"),
    IntAt(84, 0, "quarter pixel"),
    IntAt(88, 8192, "fixed"),
    IntAt(92, 50, "scene change threshold, %"),
    IntAt(96, 0, "psychovisual enhancement on"),
    DoubleAt(104, 0.2, "fixed"),
    DoubleAt(112, 0.2, "fixed"),
    IntAt(120, 64, "fixed"),
    IntAt(124, 0, "GMC"),
    IntAt(128, 128, "fixed"),
    IntAt(148, 640, "fixed"),
    IntAt(152, 480, "fixed"),
    DoubleAt(184, 0.5, "fixed"),
    IntAt(224, 1, "fixed"),
    IntAt(228, 1, "fixed"),
    IntAt(232, 1, "fixed"),
    IntAt(236, 1, "fixed"),
    IntAt(260, 1, "fixed"),
    IntAt(268, 1, "psychovisual enhancement level"),
    IntAt(272, -1, "pre-processing level"),
    IntAt(276, 1, "fixed"),
    TextAt(280, 16, "c:\\divx5log.log", "log file path"),
    TextAt(296, 13, "c:\\test.divx", "path"),
    TextAt(309, 14, "c:\\mvinfo.bin", "motion vector file path"),
    ByteAt(323, 0x69, "surplus byte"),
};

// DivX 4: a 316-byte record, then a surplus zero byte.
constexpr TemplateField kDivx4Fields[] = {
    IntAt(0, 780000, "encoding bitrate in bit/s"),
    IntAt(4, 2000, "RC average period"),
    IntAt(8, 10, "RC reaction period"),
    IntAt(12, 20, "RC down/up reaction"),
    IntAt(16, 300, "maximum keyframe interval"),
    IntAt(20, 12, "maximum quantizer"),
    IntAt(24, 2, "minimum quantizer"),
    IntAt(28, 5, "fixed"),
    IntAt(32, 0, "pass mode"),
    IntAt(36, 85, "fixed"),
    IntAt(40, 0, "fixed"),
    IntAt(44, 0, "fixed"),
    IntAt(48, 0, "not written"),
    IntAt(52, -1, "not written"),
    IntAt(56, 1, "not written"),
    TextAt(60, 256, "c:\\divx4log.log", "log file path"),
    ByteAt(316, 0, "surplus byte"),
};

// XviD: a 1,124-byte record, then a surplus zero byte. The quantizer
// matrices are the MPEG-4 Visual defaults (ISO/IEC 14496-2), row by row.
constexpr TemplateField kXvidFields[] = {
    IntAt(0, 5, "encoding mode"),
    IntAt(4, 900000, "encoding bitrate in bit/s"),
    IntAt(8, 570000, "desired size, kbyte"),
    TextAt(12, 260, "\\xvidstats.stats", "statistics file path"),
    IntAt(272, 85, "fixed"),
    IntAt(276, 5, "fixed"),
    IntAt(280, 16, "fixed"),
    IntAt(284, 100, "fixed"),
    IntAt(288, 100, "fixed"),
    IntAt(292, 5, "motion search precision"),
    IntAt(296, 0, "quantization type"),
    IntAt(300, 0, "FourCC used"),
    IntAt(304, 300, "maximum keyframe interval"),
    IntAt(308, 1, "minimum keyframe interval"),
    IntAt(312, 0, "luminance masking"),
    IntAt(320, 1, "minimum I-frame quantizer"),
    IntAt(324, 31, "maximum I-frame quantizer"),
    IntAt(328, 1, "minimum P-frame quantizer"),
    IntAt(332, 31, "maximum P-frame quantizer"),
    RowAt(336, {8, 17, 18, 19, 21, 23, 25, 27}, "intra quantizer matrix, row 1"),
    RowAt(344, {17, 18, 19, 21, 23, 25, 27, 28}, "intra quantizer matrix, row 2"),
    RowAt(352, {20, 21, 22, 23, 24, 26, 28, 30}, "intra quantizer matrix, row 3"),
    RowAt(360, {21, 22, 23, 24, 26, 28, 30, 32}, "intra quantizer matrix, row 4"),
    RowAt(368, {22, 23, 24, 26, 28, 30, 32, 35}, "intra quantizer matrix, row 5"),
    RowAt(376, {23, 24, 26, 28, 30, 32, 35, 38}, "intra quantizer matrix, row 6"),
    RowAt(384, {25, 26, 28, 30, 32, 35, 38, 41}, "intra quantizer matrix, row 7"),
    RowAt(392, {27, 28, 30, 32, 35, 38, 41, 45}, "intra quantizer matrix, row 8"),
    RowAt(400, {16, 17, 18, 19, 20, 21, 22, 23}, "non-intra quantizer matrix, row 1"),
    RowAt(408, {17, 18, 19, 20, 21, 22, 23, 24}, "non-intra quantizer matrix, row 2"),
    RowAt(416, {18, 19, 20, 21, 22, 23, 24, 25}, "non-intra quantizer matrix, row 3"),
    RowAt(424, {19, 20, 21, 22, 23, 24, 26, 27}, "non-intra quantizer matrix, row 4"),
    RowAt(432, {20, 21, 22, 23, 25, 26, 27, 28}, "non-intra quantizer matrix, row 5"),
    RowAt(440, {21, 22, 23, 24, 26, 27, 28, 30}, "non-intra quantizer matrix, row 6"),
    RowAt(448, {22, 23, 24, 26, 27, 28, 30, 31}, "non-intra quantizer matrix, row 7"),
    RowAt(456, {23, 24, 25, 27, 28, 30, 31, 33}, "non-intra quantizer matrix, row 8"),
    IntAt(464, 20, "I-frame boost"),
    IntAt(468, 1, "fixed"),
    IntAt(476, 25, "high bitrate scenes, %"),
    IntAt(480, 10, "low bitrate scenes, %"),
    IntAt(484, 0, "alternative curve system"),
    IntAt(488, 1, "automatic minimum relative quality"),
    IntAt(492, 50, "curve strength"),
    IntAt(496, 1, "automatic bonus bias"),
    IntAt(500, 50, "bonus bias"),
    IntAt(504, 1, "curve aggression"),
    IntAt(508, 300, "high distance from average"),
    IntAt(512, 300, "low distance from average"),
    IntAt(516, 50, "minimum relative quality"),
    IntAt(520, 10000000, "fixed"),
    IntAt(524, 60, "fixed"),
    IntAt(528, 60, "fixed"),
    IntAt(532, 240, "bitrate payback delay, frames"),
    IntAt(536, 0, "payback method"),
    IntAt(540, 0, "hinted motion estimation"),
    TextAt(544, 260, "\\hintfile.mvh", "hint file path"),
    TextAt(804, 260, "\\videogk.stats", "statistics file path"),
    IntAt(1092, 20, "fixed"),
    IntAt(1096, 20, "fixed"),
    IntAt(1100, 20, "fixed"),
    IntAt(1104, 10000, "fixed"),
    IntAt(1108, 10000, "fixed"),
    IntAt(1120, 1, "fixed"),
    ByteAt(1124, 0, "surplus byte"),
};

constexpr RecordLayout kDivx5Layout{"DivX 5", 323, 324, kDivx5Fields};
constexpr RecordLayout kDivx4Layout{"DivX 4", 316, 317, kDivx4Fields};
constexpr RecordLayout kXvidLayout{"XviD", 1124, 1125, kXvidFields};

void PutLittleEndian(std::string& bytes, int offset, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes[static_cast<std::size_t>(offset + i)] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

}  // namespace

const RecordLayout& Divx5Layout() { return kDivx5Layout; }
const RecordLayout& Divx4Layout() { return kDivx4Layout; }
const RecordLayout& XvidLayout() { return kXvidLayout; }

std::string TemplateBytes(const RecordLayout& layout) {
    std::string bytes(static_cast<std::size_t>(layout.templateBytes), '\0');
    for (const TemplateField& f : layout.fields) {
        if (f.offset < 0 || f.size < 0 || f.offset + f.size > layout.templateBytes)
            throw std::logic_error("codec template field outside the record");
        switch (f.kind) {
            case FieldKind::Int32:
                PutLittleEndian(bytes, f.offset, static_cast<std::uint32_t>(f.number), 4);
                break;
            case FieldKind::Double:
                PutLittleEndian(bytes, f.offset, std::bit_cast<std::uint64_t>(f.real), 8);
                break;
            case FieldKind::Text:
                if (f.text.size() >= static_cast<std::size_t>(f.size))
                    throw std::logic_error("codec template text longer than its field");
                bytes.replace(static_cast<std::size_t>(f.offset), f.text.size(), f.text);
                break;
            case FieldKind::Bytes:
                if (f.size > static_cast<int>(f.bytes.size()))
                    throw std::logic_error("codec template byte row too long");
                for (int i = 0; i < f.size; ++i)
                    bytes[static_cast<std::size_t>(f.offset + i)] =
                        static_cast<char>(f.bytes[static_cast<std::size_t>(i)]);
                break;
        }
    }
    return bytes;
}

std::string TemplateBase64(const RecordLayout& layout) {
    std::string digits;
    for (char c : TemplateBytes(layout)) {
        const auto b = static_cast<unsigned char>(c);
        for (int bit = 7; bit >= 0; --bit) digits += ((b >> bit) & 1u) ? '1' : '0';
    }
    while (digits.size() % 6 != 0) digits += '0';  // fill digits of the last character
    return BinaryToBase64(digits);
}

}  // namespace mb
