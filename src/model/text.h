// Small text helpers the portable code shares: blanks, letter case without
// the locale, and splitting text into lines or "|"-separated parts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mb {

// A space or a tab.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// A blank or a line end (CR, LF).
constexpr bool IsBlankOrLineEnd(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }
// True when the text holds nothing but blanks and line ends.
bool IsBlankText(std::string_view text);

// Equal but for the case of the ASCII letters.
bool SameNoCase(std::string_view a, std::string_view b);

// The lines of a text, each without its line end ("\n" or "\r\n"); a last
// line without one counts, an empty text has none.
std::vector<std::string_view> SplitLines(std::string_view text);

// The parts of a text between the separators ("a|b|" gives "a", "b", "");
// an empty text has none.
std::vector<std::string> SplitAt(std::string_view text, char separator);

// True when the path holds a character that no Windows file or folder name
// may: a control character, '"', '*', '?', '<', '>' or '|', or a ':' other
// than the drive's (the second character). In a job script or a command line
// such a path would end its quotes early or name other files.
bool HasForbiddenPathCharacter(std::string_view path);

}  // namespace mb
