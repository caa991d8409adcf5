#include "model/numbers.h"
#include "model/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

using namespace mb;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(LeadingNumber, TakesTheLongestLeadingDecimalNumber) {
    struct Case { std::string text; double value; };
    const Case cases[] = {
        {"", 0}, {"abc", 0}, {"-.", 0}, {"e5", 0}, {"  780kbps", 780}, {"\t-12.5x", -12.5}, {"+3", 3},
        {".5", 0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"1,5", 1}, {"1E+2", 100}, {"25e-1", 2.5}, {"1e+", 1},
        {"7e-", 7}, {"inf", 0}, {"0x1A", 0}, {"- 5", 0}, {"1e400", kInf}, {"-1e400", -kInf},
        {"1e-99999999999999999999999", 0}, {"0." + std::string(400, '0') + "5e401", 5},
        {"4.9e-324", 4.9e-324},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrictNumber, ReadsWholeTextsInTheUsersFormat) {
    const NumberFormat dot{'.', ','};
    const NumberFormat comma{',', '.'};
    const NumberFormat spaced{',', ' '};
    const NumberFormat plain{'.', '\0'};
    struct Case { std::string text; NumberFormat format; std::optional<double> value; };
    const std::optional<double> none;
    const Case cases[] = {
        {" 780 ", dot, 780}, {"\t-2\t", dot, -2}, {"+2", dot, 2}, {".5", dot, 0.5}, {"5.", dot, 5},
        {"1.5E-2", dot, 0.015}, {"007", dot, 7}, {"1,234,567.5", dot, 1234567.5}, {"-12,345", dot, -12345},
        {"2,5", comma, 2.5}, {"1.500", comma, 1500}, {"1.234.567,25", comma, 1234567.25},
        {"1 234,5", spaced, 1234.5},
        {"1e-400", dot, 0}, {"1.7976931348623157e308", dot, 1.7976931348623157e308},
        // Not numbers.
        {"   ", dot, none}, {"-", dot, none}, {".", dot, none}, {"12abc", dot, none}, {"1.2.3", dot, none},
        {"--1", dot, none}, {"1 000", dot, none}, {"1e+", dot, none}, {"0x10", dot, none},
        {"-inf", dot, none}, {"nan", dot, none}, {"1e400", dot, none},
        // A separator that does not group in threes is more likely a typo.
        {"2,5", dot, none}, {"1,00", dot, none}, {",100", dot, none}, {"1000,000", dot, none},
        {"1,000,00", dot, none}, {"1,000,", dot, none}, {"1,", dot, none},
        {"1,000", plain, none},
        // The user's separator only: "." means nothing where "," is decimal.
        {"1.5", comma, none}, {"2.5", spaced, none},
    };
    for (const auto& c : cases) {
        const std::optional<double> got = StrictNumber(c.text, c.format);
        EXPECT_EQ(got, c.value) << '"' << c.text << "\" with decimal '" << c.format.decimalSeparator
                                << "'";
    }
}

TEST(RoundHalfEven32, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    struct Case { double value; std::optional<std::int32_t> whole; };
    const std::optional<std::int32_t> none;
    const Case cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-0.5, 0}, {2.5000001, 3}, {0.49999999999999994, 0},
        {-7.6, -8}, {4503599627370497.0, none},
        {2147483647.0, 2147483647}, {2147483647.4, 2147483647}, {2147483647.5, none},
        {-2147483648.5, INT32_MIN}, {-2147483648.6, none}, {-kInf, none}, {std::nan(""), none},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven32(c.value), c.whole) << c.value;
}

TEST(HasForbiddenPathCharacter, NamesNoFileCanHave) {
    const std::pair<const char*, bool> cases[] = {
        {"", false}, {"D:\\v\\film (1).avi", false}, {"\\\\nas\\films/a b.avi", false}, {"C:", false},
        {"D:\\v\\a\"b.avi", true}, {"D:\\v\\*.avi", true}, {"D:\\v\\a?.avi", true}, {"D:\\<v>", true},
        {"D:\\a|b", true}, {"D:\\v\tx", true}, {"D:\\v:x", true}, {":D\\v", true},
    };
    for (const auto& [path, forbidden] : cases) EXPECT_EQ(HasForbiddenPathCharacter(path), forbidden) << path;
}
