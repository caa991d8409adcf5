// Reading numbers from the text boxes of the main window.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/ports.h"

namespace mb {

// The leading number of a text: blanks skipped, then the longest leading
// decimal number (sign, digits, one decimal point ".", exponent). A text
// that does not begin with a number gives 0. Never fails; a magnitude beyond
// the range of a double ("1e400") gives infinity with the number's sign.
double LeadingNumber(std::string_view text);

// The whole text read as a number in the user's format (blanks around it
// allowed, the user's decimal separator, an optional exponent). nullopt when
// the text is not a number at all (empty, letters, a lone sign, "inf",
// "nan") or too large for a double ("1e400"). Thousand separators are taken
// only where they group the whole part in threes ("1,234,567").
std::optional<double> StrictNumber(std::string_view text, const NumberFormat& format);

// Rounds to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4). nullopt when the result does not fit 32 bits.
std::optional<std::int32_t> RoundHalfEven32(double value);

}  // namespace mb
