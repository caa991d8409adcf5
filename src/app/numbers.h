// Reading numbers from the text boxes of the main window.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "env/ports.h"

namespace mb {

// The leading number of a text: blanks skipped, then the longest leading
// decimal number (sign, digits, one decimal point ".", exponent). A text
// that does not begin with a number gives 0. Never fails.
double LeadingNumber(std::string_view text);

// The whole text read as a number in the user's format (blanks around it
// allowed, the user's decimal separator, an optional exponent). nullopt when
// the text is not a number at all (empty, letters, a lone sign).
std::optional<double> StrictNumber(std::string_view text, const NumberFormat& format);

// Rounds to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4). nullopt when the result does not fit 32 bits.
std::optional<std::int32_t> RoundHalfEven32(double value);

}  // namespace mb
