#include "model/numbers.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "model/text.h"

namespace mb {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number taken apart: sign, the digits of the mantissa without
// the decimal separator, how many of them stand before it, and the value of
// the exponent (saturated far beyond the range of a double).
struct DecimalParts {
    bool negative = false;
    std::string digits;
    std::size_t integerDigits = 0;
    std::int64_t exponent = 0;
};

constexpr std::int64_t kExponentLimit = 1'000'000'000;

// Reads an exponent ("e", optional sign, digits) at pos. Returns the position
// behind it, or pos itself when no complete exponent stands there.
std::size_t ScanExponent(std::string_view text, std::size_t pos, std::int64_t& exponent) {
    if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return pos;
    std::size_t p = pos + 1;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p >= text.size() || !IsDigit(text[p])) return pos;
    std::int64_t value = 0;
    for (; p < text.size() && IsDigit(text[p]); ++p)
        if (value < kExponentLimit) value = value * 10 + (text[p] - '0');
    exponent = negative ? -value : value;
    return p;
}

// The value of the parts, correctly rounded. A magnitude beyond the largest
// double gives infinity with the number's sign, one below the smallest
// subnormal gives zero with the number's sign.
double ValueOf(const DecimalParts& parts) {
    const double sign = parts.negative ? -1.0 : 1.0;
    // Normalise to 0.d1d2...dn x 10^scale with d1 != 0.
    std::size_t first = 0;
    while (first < parts.digits.size() && parts.digits[first] == '0') ++first;
    std::size_t last = parts.digits.size();
    while (last > first && parts.digits[last - 1] == '0') --last;
    if (first == last) return sign * 0.0;
    const std::int64_t scale = static_cast<std::int64_t>(parts.integerDigits) -
                               static_cast<std::int64_t>(first) + parts.exponent;
    if (scale > 400) return sign * std::numeric_limits<double>::infinity();
    if (scale < -400) return sign * 0.0;

    std::string normal = "0.";
    normal.append(parts.digits, first, last - first);
    normal += 'e';
    normal += std::to_string(scale);
    double value = 0.0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return scale > 0 ? sign * std::numeric_limits<double>::infinity() : sign * 0.0;
    return sign * value;
}

}  // namespace

double LeadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlankOrLineEnd(text[pos])) ++pos;

    DecimalParts parts;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) parts.negative = text[pos++] == '-';
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) parts.digits += text[pos];
    parts.integerDigits = parts.digits.size();
    if (pos < text.size() && text[pos] == '.')
        for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos) parts.digits += text[pos];
    if (parts.digits.empty()) return 0.0;  // no digit: not a number at all
    ScanExponent(text, pos, parts.exponent);
    return ValueOf(parts);
}

std::optional<double> StrictNumber(std::string_view text, const NumberFormat& format) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlankOrLineEnd(text[begin])) ++begin;
    while (end > begin && IsBlankOrLineEnd(text[end - 1])) --end;
    const std::string_view body = text.substr(begin, end - begin);

    const char decimal = format.decimalSeparator;
    const char thousands = format.thousandSeparator;
    const bool grouping = thousands != '\0' && thousands != decimal && !IsDigit(thousands) &&
                          thousands != '+' && thousands != '-' && thousands != 'e' &&
                          thousands != 'E';

    DecimalParts parts;
    std::size_t pos = 0;
    if (pos < body.size() && (body[pos] == '+' || body[pos] == '-')) parts.negative = body[pos++] == '-';

    // The whole part. Thousand separators are allowed only where they group
    // the digits in threes ("1,234,567"); anywhere else ("2,5") the text is
    // refused, since it is more likely a mistyped decimal separator.
    std::size_t groupLength = 0;
    bool grouped = false;
    for (; pos < body.size(); ++pos) {
        const char c = body[pos];
        if (IsDigit(c)) {
            parts.digits += c;
            ++groupLength;
        } else if (grouping && c == thousands) {
            if (groupLength == 0 || (grouped ? groupLength != 3 : groupLength > 3)) return std::nullopt;
            grouped = true;
            groupLength = 0;
        } else {
            break;
        }
    }
    if (grouped && groupLength != 3) return std::nullopt;
    parts.integerDigits = parts.digits.size();

    if (pos < body.size() && body[pos] == decimal)
        for (++pos; pos < body.size() && IsDigit(body[pos]); ++pos) parts.digits += body[pos];
    if (parts.digits.empty()) return std::nullopt;  // empty, a lone sign or separator, letters

    const std::size_t afterExponent = ScanExponent(body, pos, parts.exponent);
    if (afterExponent != body.size()) return std::nullopt;  // anything else left over

    const double value = ValueOf(parts);
    if (!std::isfinite(value)) return std::nullopt;  // too large for any number we keep
    return value;
}

std::optional<std::int32_t> RoundHalfEven32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double below = std::floor(value);
    const double fraction = value - below;  // exact for every double
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace mb
