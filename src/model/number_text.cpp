// The number forms and parses; std::to_chars and std::from_chars are used because they ignore the locale.
#include "model/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

namespace zorvan {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips a run of digits starting at `pos`; returns the position after it.
size_t SkipDigits(std::string_view text, size_t pos) {
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

}  // namespace

namespace {

// C's "%.<precision>G" of `value`, whatever the locale; zero is "0", never "-0".
template <typename Real>
std::string GeneralForm(Real value, int precision) {
    if (value == Real(0)) return "0";
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, precision);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

}  // namespace

std::string DefaultNumber(double value) { return GeneralForm(value, 15); }

std::string SingleNumber(float value) { return GeneralForm(value, 7); }

std::string InvariantNumber(double value) {
    std::string text = DefaultNumber(value);
    if (text.starts_with("0.")) return text.substr(1);
    if (text.starts_with("-0.")) return "-" + text.substr(2);
    return text;
}

namespace {

// Where the number at the start of a text lies, by the lenient grammar.
struct NumberExtent {
    size_t begin = 0;        // at the sign or the first digit or "."
    size_t mantissaEnd = 0;  // after the last digit of the mantissa (a "." without digits after it excluded)
    size_t exponentEnd = 0;  // after the exponent's digits; equal to mantissaEnd when there is no exponent
    bool hasDigits = false;
};

NumberExtent FindNumber(std::string_view text) {
    NumberExtent extent;
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    extent.begin = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const size_t intStart = pos;
    pos = SkipDigits(text, pos);
    extent.hasDigits = pos > intStart;
    extent.mantissaEnd = pos;
    if (pos < text.size() && text[pos] == '.') {
        const size_t fracEnd = SkipDigits(text, pos + 1);
        if (fracEnd > pos + 1) {
            extent.hasDigits = true;
            extent.mantissaEnd = fracEnd;
        }
        pos = fracEnd;
    }
    extent.exponentEnd = extent.mantissaEnd;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        size_t expPos = pos + 1;
        if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) ++expPos;
        const size_t expEnd = SkipDigits(text, expPos);
        if (expEnd > expPos) extent.exponentEnd = expEnd;
    }
    return extent;
}

// Writes the number in the form from_chars reads: no "+" sign, "." kept only before digits, exponent "e".
// `out` must hold text.size() + 2 characters; returns the length written.
size_t NormaliseNumber(std::string_view text, const NumberExtent& extent, char* out) {
    size_t length = 0;
    size_t pos = extent.begin;
    if (text[pos] == '+') ++pos;
    if (text[pos] == '-') out[length++] = text[pos++];
    for (; pos < extent.mantissaEnd; ++pos) out[length++] = text[pos];
    if (extent.exponentEnd > extent.mantissaEnd) {
        pos = extent.mantissaEnd;
        if (text[pos] == '.') ++pos;  // "5.e3": the point without digits is dropped
        out[length++] = 'e';
        for (++pos; pos < extent.exponentEnd; ++pos) {
            if (text[pos] != '+') out[length++] = text[pos];
        }
    }
    return length;
}

// The exact shortcut for the short numbers that records are made of: when the digits, read as a whole number,
// stay below 2^53 and the power of ten is within 10^22, both are exact doubles and one multiplication or
// division rounds the result correctly, so it equals what from_chars gives. Nothing when it does not apply.
std::optional<double> ParseShortNumber(std::string_view text, const NumberExtent& extent) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr uint64_t kExactLimit = uint64_t{1} << 53;
    size_t pos = extent.begin;
    const bool negative = text[pos] == '-';
    if (text[pos] == '+' || text[pos] == '-') ++pos;
    uint64_t digits = 0;
    int exponent = 0;
    bool afterPoint = false;
    for (; pos < extent.mantissaEnd; ++pos) {
        if (text[pos] == '.') {
            afterPoint = true;
            continue;
        }
        digits = digits * 10 + static_cast<uint64_t>(text[pos] - '0');
        if (digits >= kExactLimit) return std::nullopt;
        if (afterPoint) --exponent;
    }
    if (extent.exponentEnd > extent.mantissaEnd) {
        pos = extent.mantissaEnd;
        if (text[pos] == '.') ++pos;
        ++pos;  // the exponent letter
        const bool negativeExponent = text[pos] == '-';
        if (text[pos] == '+' || text[pos] == '-') ++pos;
        int written = 0;
        for (; pos < extent.exponentEnd; ++pos) {
            written = written * 10 + (text[pos] - '0');
            if (written > 400) return std::nullopt;
        }
        exponent += negativeExponent ? -written : written;
    }
    if (exponent < -22 || exponent > 22) return std::nullopt;
    double value = static_cast<double>(digits);
    value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
    return negative ? -value : value;
}

}  // namespace

double LenientParse(std::string_view text) {
    const NumberExtent extent = FindNumber(text);
    if (!extent.hasDigits) return 0.0;
    if (const std::optional<double> shortValue = ParseShortNumber(text, extent)) return *shortValue + 0.0;

    // Short numbers, nearly all of them, are normalised on the stack.
    std::array<char, 96> small{};
    std::string large;
    char* out = small.data();
    if (extent.exponentEnd - extent.begin + 2 > small.size()) {
        large.resize(extent.exponentEnd - extent.begin + 2);
        out = large.data();
    }
    const size_t length = NormaliseNumber(text, extent, out);

    double value = 0.0;
    const auto result = std::from_chars(out, out + length, value);
    if (result.ec != std::errc{} || !std::isfinite(value)) return 0.0;
    return value + 0.0;  // -0 + 0 is +0
}

int32_t RecordNumberParse(std::string_view text) {
    const double rounded = std::nearbyint(LenientParse(text));  // default rounding: halves to even
    if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(rounded);
}

}  // namespace zorvan
