#include "env/codec_list.h"

#include <gtest/gtest.h>

#include <string>

using namespace mb;

namespace {
constexpr std::uint32_t Fourcc(char a, char b, char c, char d) {
    return static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b) << 8 |
           static_cast<std::uint8_t>(c) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24;
}
}  // namespace

TEST(FourccText, FirstByteFirstTrailingBlanksDropped) {
    struct Case { std::uint32_t fourcc; const char* text; };
    const Case cases[] = {
        {Fourcc('c', 'v', 'i', 'd'), "cvid"},
        {Fourcc('D', 'I', 'B', ' '), "DIB"},
        {Fourcc('x', 'v', '\0', '\0'), "xv"},
        {Fourcc('a', ' ', 'b', 'c'), "a bc"},
        {0, ""},
        {0x0000000A, "0x0000000A"},
        {Fourcc('a', '\0', 'b', 'c'), "0x63620061"},
        {0xFF414141, "0xFF414141"},
    };
    for (const auto& c : cases) EXPECT_EQ(FourccText(c.fourcc), c.text) << c.text;
}

TEST(CodecListLine, DescriptionThenNameThenFourcc) {
    const auto xvid = Fourcc('x', 'v', 'i', 'd');
    struct Case { const char* description; const char* name; std::uint32_t fourcc; const char* line; };
    const Case cases[] = {
        {"XviD MPEG-4 Codec", "XviD", xvid, "XviD MPEG-4 Codec"},
        {"DivX ;-) MPEG-4 Low-Motion", "DivX", 0, "DivX ;-) MPEG-4 Low-Motion"},
        {"", "XviD", xvid, "XviD"},
        {"   ", "XviD", xvid, "XviD"},
        {"", "", xvid, "xvid"},
        {"", "", 0, ""},  // nothing to list it by: left out
        // A line break inside a name must not split the line.
        {"DivX Pro 5.0.2\r\nCodec", "", 0, "DivX Pro 5.0.2  Codec"},
        {"  Indeo\t5 ", "", 0, "Indeo 5"},
        {"Caf\xE9 codec", "", 0, "Caf\xE9 codec"},  // ANSI bytes are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(CodecListLine(c.description, c.name, c.fourcc), c.line) << c.description;
}

TEST(AppendCodecListLine, CrLfAfterEachLineEmptyLeftOut) {
    std::string text;
    AppendCodecListLine(text, "XviD MPEG-4 Codec");
    AppendCodecListLine(text, "");
    AppendCodecListLine(text, "MPEG Layer-3 Codec");
    EXPECT_EQ(text, "XviD MPEG-4 Codec\r\nMPEG Layer-3 Codec\r\n");
}
