#include "codecstate/binary_text.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

using namespace mb;

TEST(Base64Table, HoldsTheAlphabetWithSixDigitsPerEntry) {
    InitBase64Table();
    EXPECT_EQ(Base64Table[0].character, 'A');
    EXPECT_STREQ(Base64Table[0].digits, "000000");
    EXPECT_EQ(Base64Table[1].character, 'B');
    EXPECT_STREQ(Base64Table[1].digits, "000001");
    EXPECT_EQ(Base64Table[26].character, 'a');
    EXPECT_EQ(Base64Table[52].character, '0');
    EXPECT_EQ(Base64Table[62].character, '+');
    EXPECT_STREQ(Base64Table[62].digits, "111110");
    EXPECT_EQ(Base64Table[63].character, '/');
    EXPECT_STREQ(Base64Table[63].digits, "111111");
}

TEST(LongToBinary, LittleEndianBytesMostSignificantBitFirst) {
    struct Case { std::int32_t value; std::string digits; };
    const std::string z8(8, '0'), o8(8, '1');
    const Case cases[] = {
        {0, std::string(32, '0')},
        {-1, std::string(32, '1')},
        {1, "00000001" + std::string(24, '0')},
        {2147483647, std::string(24, '1') + "01111111"},
        {-5, "11111011" + std::string(24, '1')},
        {780000, "11100000111001100000101100000000"},
        {INT32_MIN, z8 + z8 + z8 + "10000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(LongToBinary(c.value), c.digits) << c.value;
}

TEST(Base64ToBinary, SkipsCharactersOutsideTheAlphabet) {
    EXPECT_EQ(Base64ToBinary("A="), "000000");
    EXPECT_EQ(Base64ToBinary("B\r\n /"), "000001111111");
    EXPECT_EQ(Base64ToBinary(""), "");
    EXPECT_EQ(Base64ToBinary("a"), "011010");   // case matters: 'a' is 26, 'A' is 0
}

TEST(BinaryToBase64, DropsAShortLastGroup) {
    EXPECT_EQ(BinaryToBase64("00000111"), "B");          // 8 digits: one character
    EXPECT_EQ(BinaryToBase64("11111"), "");
    EXPECT_EQ(BinaryToBase64("111110111111000000"), "+/A");
}

TEST(BinaryToBase64, RoundTripsEveryAlphabetText) {
    InitBase64Table();
    std::mt19937 rng(12345);
    for (int n = 0; n < 200; ++n) {
        std::string text;
        const int len = static_cast<int>(rng() % 120);
        for (int i = 0; i < len; ++i) text.push_back(Base64Table[rng() % 64].character);
        const std::string bits = Base64ToBinary(text);
        ASSERT_EQ(bits.size(), text.size() * 6);
        EXPECT_EQ(BinaryToBase64(bits), text);
    }
}

TEST(ReplaceBits, SplicesInsideItsRangeAndRefusesOutside) {
    EXPECT_EQ(ReplaceBits("000000", 2, 2, "11"), "001100");
    EXPECT_EQ(ReplaceBits("000000", 0, 0, "1"), "1000000");
    EXPECT_EQ(ReplaceBits("000000", 6, 0, "1"), "0000001");
    EXPECT_EQ(ReplaceBits("abcdef", 4, 2, ""), "abcd");
    EXPECT_THROW(ReplaceBits("000000", -1, 2, "11"), std::invalid_argument);
    EXPECT_THROW(ReplaceBits("000000", 5, 2, "11"), std::invalid_argument);
    EXPECT_THROW(ReplaceBits("000000", 0, -1, ""), std::invalid_argument);
    EXPECT_THROW(ReplaceBits("", 0, 32, std::string(32, '0')), std::invalid_argument);
}

TEST(ReplaceBits, WritesA32BitFieldThatDecodesBack) {
    // A field written at a bit offset comes back as the same little-endian
    // bytes after a trip through base64.
    const std::string tmpl = Base64ToBinary("AAAAAAAAAAAAAAAA");   // 12 zero bytes
    const std::string edited = ReplaceBits(tmpl, 32, 32, LongToBinary(300));
    EXPECT_EQ(BinaryToBase64(edited), "AAAAACwBAAAAAAAA");
}
