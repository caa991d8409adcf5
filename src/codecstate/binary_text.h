// Binary digit texts and base64 text of codec state records.
//
// A codec state record is edited as a text of "0"/"1" characters: 8 digits
// per byte, bytes in record order, each byte most significant bit first. The
// 32-bit fields are little-endian. Base64 uses only the 64 characters of the
// RFC 4648 alphabet; there is no "=" entry and no padding is produced.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mb {

// The base64 text of one codec state record, as it goes into
// VirtualDub.video.SetCompData (plus any "=" the codec adds).
using CodecStateText = std::string;

struct Base64Entry {
    char character;     // alphabet character
    char digits[7];     // six "0"/"1" characters, most significant first, NUL
};

// Entry k: the k-th alphabet character and k as six binary digits.
extern std::array<Base64Entry, 64> Base64Table;

// Fills Base64Table. Cheap and idempotent; the conversions below call it
// themselves when the table is still empty.
void InitBase64Table();

// The 32 digits of a signed 32-bit value: little-endian byte order, each byte
// most significant bit first. 1 gives "00000001" followed by 24 zeros.
std::string LongToBinary(std::int32_t value);

// Six digits per alphabet character; any other character ("=", blanks, line
// breaks) adds nothing.
std::string Base64ToBinary(std::string_view text);

// One character per complete group of six digits; a shorter last group is
// dropped, no "=" is written.
std::string BinaryToBase64(std::string_view bits);

// text[0, offset) + piece + text[offset + count, end). Throws
// std::invalid_argument unless 0 <= offset, 0 <= count and
// offset + count <= text.size().
std::string ReplaceBits(std::string_view text, std::int32_t offset, std::int32_t count,
                        std::string_view piece);

}  // namespace mb
