// The text of the codec list file that Codec.exe writes: one line per
// installed codec, each beginning with the codec's description.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mb {

// A FourCC as its four characters, first byte first ("cvid"), without
// trailing blanks or NULs. A code with a character outside printable ASCII
// comes out in hexadecimal ("0x0000000A"); zero gives empty text.
std::string FourccText(std::uint32_t fourcc);

// The list line of one codec: its description, or its short name when the
// description is empty, or its FourCC text when both are. Control characters
// (a CR or LF inside a name would split the line) become blanks, and
// surrounding blanks are dropped. Empty text means the codec has nothing to
// be listed by and is left out.
std::string CodecListLine(std::string_view description, std::string_view name,
                          std::uint32_t fourcc);

// Appends a line with its CR LF ending; an empty line is left out.
void AppendCodecListLine(std::string& text, const std::string& line);

}  // namespace mb
