// The number forms and parses: exact texts, the switch to exponent form, signed zero, overflow, locale.
#include "model/number_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <charconv>
#include <locale>
#include <random>

namespace zorvan {
namespace {

struct FormCase {
    double value;
    const char* invariant;
    const char* defaultForm;
};

TEST(NumberForms, WorkedExamplesAndExponentBoundaries) {
    const FormCase cases[] = {
        {0.0, "0", "0"},
        {-0.0, "0", "0"},  // zero never carries a sign
        {0.5, ".5", "0.5"},
        {-0.25, "-.25", "-0.25"},
        {7.5, "7.5", "7.5"},
        {1e20, "1E+20", "1E+20"},
        {1.0 / 3, ".333333333333333", "0.333333333333333"},
        {0.0001, ".0001", "0.0001"},  // exponent -4 is still fixed
        {0.00001, "1E-05", "1E-05"},  // below -4 it is not
        {-0.000012345, "-1.2345E-05", "-1.2345E-05"},
        {1e14, "100000000000000", "100000000000000"},
        {999999999999999.0, "999999999999999", "999999999999999"},
        {1e15, "1E+15", "1E+15"},  // 15 digits and more: exponent
        {123456789012345678.0, "1.23456789012346E+17", "1.23456789012346E+17"},
        {1e-300, "1E-300", "1E-300"},
        {-1e300, "-1E+300", "-1E+300"},
        {4.99999999948724, "4.99999999948724", "4.99999999948724"},
        {0.1 + 0.2, ".3", "0.3"},  // rounded to 15 significant digits
        {-7.0, "-7", "-7"},
        {100.0, "100", "100"},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.invariant);
        EXPECT_EQ(InvariantNumber(c.value), c.invariant);
        EXPECT_EQ(DefaultNumber(c.value), c.defaultForm);
    }
}

TEST(NumberForms, WrittenTextParsesBackToTheSameText) {
    const double values[] = {0.5, -0.25, 1.0 / 3, 2.0 / 3, 123.456, 1e-7, -98765.4321, 1e20, 5.87579234058348E-09};
    for (const double value : values) {
        const std::string invariant = InvariantNumber(value);
        SCOPED_TRACE(invariant);
        EXPECT_EQ(InvariantNumber(LenientParse(invariant)), invariant);
        EXPECT_EQ(LenientParse(invariant), LenientParse(DefaultNumber(value)));
    }
}

// The 15-digit and six-decimal forms take an exact integer shortcut; it must give the very text the general
// conversion gives, for every kind of value a drawing holds, ties and powers of ten included.
TEST(NumberForms, ShortcutsAgreeWithTheGeneralConversion) {
    const auto general = [](double value, std::chars_format format, int precision) {
        std::array<char, 400> buffer{};
        const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision).ptr;
        std::string text(buffer.data(), end);
        for (char& c : text) c = c == 'e' ? 'E' : c;
        return text;
    };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> values = {0.5, 0.25, 1e-4, 9.99999999999999e-5, 999999999999999.4, 999999999999999.5,
                                  1e15, 0.0000005, 0.0000015, 2.5e-7, 123456.0000005, 1e12, 999999999999.9999};
    for (int i = 0; i < 300000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(random() % 24) - 8);
        double value = unit(random) * scale;
        if (i % 3 == 0) value = std::round(value * 1e6) / 1e6;       // short decimals, near ties
        if (i % 5 == 0) value = static_cast<double>(random() % 100000) / 8;  // exact binary fractions
        values.push_back(i % 2 ? -value : value);
    }
    for (const double value : values) {
        const std::string expected = value == 0 ? "0" : general(value, std::chars_format::general, 15);
        ASSERT_EQ(DefaultNumber(value), expected) << general(value, std::chars_format::scientific, 20);
        ASSERT_EQ(RoundedTo15Digits(value), LenientParse(expected)) << expected;
        for (const std::string& text : {InvariantNumber(value), expected}) {  // the text forms, converted
            std::string defaultForm, invariantForm;
            AppendDefaultOfText(defaultForm, text);
            AppendInvariantOfText(invariantForm, text);
            ASSERT_EQ(defaultForm, DefaultNumber(LenientParse(text))) << text;
            ASSERT_EQ(invariantForm, InvariantNumber(LenientParse(text))) << text;
        }
        const std::string fixed = general(value, std::chars_format::fixed, 6);
        if (const auto fast = FastFixedSix(value)) {
            ASSERT_EQ(*fast, fixed == "-0.000000" ? "0.000000" : fixed) << general(value, std::chars_format::scientific, 20);
        }
    }
}

TEST(NumberForms, TextConversionsOfAnyTextAgreeWithReadingAndWriting) {
    const char* texts[] = {"0", "-0", "007", "7", "100", "1.", "12.50", ".5", "-.25", "0.0001", "0.00001", "+5", "",
                           "-", "1e3", "1.5E-05", "123456789012345", "1234567890123456", "0.123456789012345",
                           "0.1234567890123456", "99.0", "x", " 5", "5 ", "-0.5", "00.5", "0.000123456789012345"};
    for (const char* text : texts) {
        std::string defaultForm, invariantForm;
        AppendDefaultOfText(defaultForm, text);
        AppendInvariantOfText(invariantForm, text);
        EXPECT_EQ(defaultForm, DefaultNumber(LenientParse(text))) << text;
        EXPECT_EQ(invariantForm, InvariantNumber(LenientParse(text))) << text;
    }
}

// Mouse positions: seven significant digits of the float, exponent only where %.7G has one.
TEST(NumberForms, SingleFormKeepsSevenDigitsOfTheFloat) {
    EXPECT_EQ(SingleNumber(12.5f), "12.5");
    EXPECT_EQ(SingleNumber(1.0f / 3), "0.3333333");
    EXPECT_EQ(SingleNumber(-0.0f), "0");
    EXPECT_EQ(SingleNumber(static_cast<float>(123.456789)), "123.4568");
    EXPECT_EQ(SingleNumber(12345678.0f), "1.234568E+07");
    EXPECT_EQ(SingleNumber(0.00001f), "1E-05");
}

// A comma numpunct in the global C++ locale, as a German desktop would have it, must not reach the texts.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(NumberForms, IgnoreTheLocale) {
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    EXPECT_EQ(DefaultNumber(0.5), "0.5");
    EXPECT_EQ(InvariantNumber(-1.25), "-1.25");
    EXPECT_EQ(LenientParse("2.5"), 2.5);
    std::locale::global(previous);
}

struct ParseCase {
    const char* text;
    double value;
};

TEST(LenientParse, ReadsTheLeadingNumberAndIgnoresTheRest) {
    const ParseCase cases[] = {
        {" 12.5mm", 12.5}, {"1D3", 1000},    {"1d3", 1000},      {"2E2", 200},     {"2e-2", 0.02},
        {"x", 0},          {"", 0},          {"   ", 0},         {"5.", 5},        {"1e", 1},
        {"1e+", 1},        {".5", 0.5},      {"-.25", -0.25},    {"+7", 7},        {"  -3.5E-2x", -0.035},
        {"1,5", 1},        {"1.2.3", 1.2},   {"--5", 0},         {"- 5", 0},       {"5e3.2", 5000},
        {"0x10", 0},       {"nan", 0},       {"inf", 0},         {"-infinity", 0}, {"\t5", 0},
        {"1E400", 0},      {"-1e400", 0},    {"1e-400", 0},      {"1e99999999999999999999", 0},
        {"007", 7},        {"  4 ", 4},      {"1e-320", 1e-320}, {"12|", 12},      {"-6,63671875", -6},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LenientParse(c.text), c.value);
    }
}

TEST(LenientParse, NeverGivesMinusZeroInfinityOrNaN) {
    for (const char* text : {"-0", "-0.0", "-0e5", "-.0", "-1e-400"}) {
        SCOPED_TRACE(text);
        const double value = LenientParse(text);
        EXPECT_EQ(value, 0.0);
        EXPECT_FALSE(std::signbit(value));
        EXPECT_EQ(InvariantNumber(value), "0");
    }
    const std::string hugeDigits(400, '9');
    EXPECT_EQ(LenientParse(hugeDigits), 0.0);                      // 1e400: too large
    EXPECT_DOUBLE_EQ(LenientParse("." + hugeDigits), 1.0);         // many decimals are fine
    EXPECT_EQ(LenientParse(std::string(1 << 20, '1') + "e-1048570"), LenientParse("1.11111111111111111111e5"));
}

// Short numbers take an exact shortcut; it must give the very double that a full conversion gives.
TEST(LenientParse, ShortcutAgreesBitForBitWithAFullConversion) {
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (random() % 4 == 0) text += '-';
        const int digitCount = 1 + static_cast<int>(random() % 17);
        const int point = static_cast<int>(random() % (digitCount + 1));
        for (int d = 0; d < digitCount; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        if (random() % 3 == 0) text += "E" + std::to_string(static_cast<int>(random() % 61) - 30);
        double expected = 0;
        std::string forFromChars = text.starts_with(".") ? "0" + text : text;
        if (forFromChars.starts_with("-.")) forFromChars.insert(1, "0");
        std::from_chars(forFromChars.data(), forFromChars.data() + forFromChars.size(), expected);
        ASSERT_EQ(LenientParse(text), expected + 0.0) << text;
    }
}

TEST(RecordNumberParse, RoundsHalvesToEvenAndSaturates) {
    const std::pair<const char*, int32_t> cases[] = {
        {"2.5", 2},   {"3.5", 4},     {"-2.5", -2},  {"0.5", 0},   {"1.5", 2},
        {"7", 7},     {"6.6", 7},     {":7", 0},     {"12|", 12},  {"", 0},
        {"1e20", std::numeric_limits<int32_t>::max()}, {"-1e20", std::numeric_limits<int32_t>::min()},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(RecordNumberParse(text), expected);
    }
}

}  // namespace
}  // namespace zorvan
