// The state records that DivX 5, DivX 4 and XviD expect from VirtualDub,
// described field by field. Each template is built from its table: every
// byte not covered by a field is zero. Numbers are little-endian; a text
// field holds its text, a zero byte, and zero bytes to the end of the field.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mb {

enum class FieldKind {
    Int32,   // signed 32-bit integer
    Double,  // 64-bit IEEE 754 number
    Text,    // zero-ended text in a field of fixed size
    Bytes,   // one to eight single bytes in a row
};

struct TemplateField {
    int offset = 0;  // byte offset in the record
    FieldKind kind = FieldKind::Int32;
    int size = 4;    // bytes the field covers
    std::int32_t number = 0;              // Int32
    double real = 0.0;                    // Double
    std::string_view text;                // Text, without its zero byte
    std::array<std::uint8_t, 8> bytes{};  // Bytes, the first size entries
    std::string_view meaning;
};

constexpr TemplateField IntAt(int offset, std::int32_t value, std::string_view meaning) {
    TemplateField f;
    f.offset = offset;
    f.kind = FieldKind::Int32;
    f.size = 4;
    f.number = value;
    f.meaning = meaning;
    return f;
}

constexpr TemplateField DoubleAt(int offset, double value, std::string_view meaning) {
    TemplateField f;
    f.offset = offset;
    f.kind = FieldKind::Double;
    f.size = 8;
    f.real = value;
    f.meaning = meaning;
    return f;
}

// fieldSize counts the text, its zero byte and the zero fill.
constexpr TemplateField TextAt(int offset, int fieldSize, std::string_view text,
                               std::string_view meaning) {
    TemplateField f;
    f.offset = offset;
    f.kind = FieldKind::Text;
    f.size = fieldSize;
    f.text = text;
    f.meaning = meaning;
    return f;
}

constexpr TemplateField RowAt(int offset, std::array<std::uint8_t, 8> row, std::string_view meaning) {
    TemplateField f;
    f.offset = offset;
    f.kind = FieldKind::Bytes;
    f.size = 8;
    f.bytes = row;
    f.meaning = meaning;
    return f;
}

constexpr TemplateField ByteAt(int offset, std::uint8_t value, std::string_view meaning) {
    TemplateField f;
    f.offset = offset;
    f.kind = FieldKind::Bytes;
    f.size = 1;
    f.bytes[0] = value;
    f.meaning = meaning;
    return f;
}

struct RecordLayout {
    std::string_view codec;
    int recordBytes = 0;    // the length the job script gives VirtualDub
    int templateBytes = 0;  // the record and the surplus byte behind it
    std::span<const TemplateField> fields;  // in offset order
};

const RecordLayout& Divx5Layout();
const RecordLayout& Divx4Layout();
const RecordLayout& XvidLayout();

// The template's bytes as the table describes them. Throws std::logic_error
// when a field does not fit the template or its text does not fit the field.
std::string TemplateBytes(const RecordLayout& layout);

// The base64 text of TemplateBytes without "=": the digits of the bytes, with
// "0" digits added up to a whole base64 character.
std::string TemplateBase64(const RecordLayout& layout);

}  // namespace mb
