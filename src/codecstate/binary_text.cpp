#include "codecstate/binary_text.h"

#include <stdexcept>

namespace mb {

std::array<Base64Entry, 64> Base64Table{};

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Reverse lookups built from Base64Table, so every conversion agrees with it.
std::array<int, 256> g_charToIndex{};
bool g_tableReady = false;

void EnsureTable() {
    if (!g_tableReady) InitBase64Table();
}

}  // namespace

void InitBase64Table() {
    g_charToIndex.fill(-1);
    for (int k = 0; k < 64; ++k) {
        Base64Entry& e = Base64Table[static_cast<std::size_t>(k)];
        e.character = kAlphabet[static_cast<std::size_t>(k)];
        for (int bit = 0; bit < 6; ++bit) e.digits[bit] = ((k >> (5 - bit)) & 1) ? '1' : '0';
        e.digits[6] = '\0';
        g_charToIndex[static_cast<unsigned char>(e.character)] = k;
    }
    g_tableReady = true;
}

std::string LongToBinary(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    std::string out;
    out.reserve(32);
    for (int byte = 0; byte < 4; ++byte) {             // least significant byte first
        const unsigned b = (u >> (8 * byte)) & 0xFFu;
        for (int bit = 7; bit >= 0; --bit) out.push_back(((b >> bit) & 1u) ? '1' : '0');
    }
    return out;
}

std::string Base64ToBinary(std::string_view text) {
    EnsureTable();
    std::string out;
    out.reserve(text.size() * 6);
    for (char c : text) {
        const int k = g_charToIndex[static_cast<unsigned char>(c)];
        if (k < 0) continue;                            // outside the alphabet: skipped
        out.append(Base64Table[static_cast<std::size_t>(k)].digits, 6);
    }
    return out;
}

std::string BinaryToBase64(std::string_view bits) {
    EnsureTable();
    std::string out;
    out.reserve(bits.size() / 6);
    for (std::size_t i = 0; i + 6 <= bits.size(); i += 6) {
        int k = 0;
        bool digits = true;
        for (std::size_t j = 0; j < 6; ++j) {
            const char d = bits[i + j];
            digits = digits && (d == '0' || d == '1');
            k = (k << 1) | (d == '1' ? 1 : 0);
        }
        if (!digits) continue;                          // no table entry has such a group
        out.push_back(Base64Table[static_cast<std::size_t>(k)].character);
    }
    return out;
}

std::string ReplaceBits(std::string_view text, std::int32_t offset, std::int32_t count,
                        std::string_view piece) {
    if (offset < 0 || count < 0 ||
        static_cast<std::int64_t>(offset) + count > static_cast<std::int64_t>(text.size()))
        throw std::invalid_argument("ReplaceBits: range outside the text");
    std::string out;
    out.reserve(text.size() - static_cast<std::size_t>(count) + piece.size());
    out.append(text.substr(0, static_cast<std::size_t>(offset)));
    out.append(piece);
    out.append(text.substr(static_cast<std::size_t>(offset) + static_cast<std::size_t>(count)));
    return out;
}

}  // namespace mb
