// The number forms and parses; std::to_chars and std::from_chars are used because they ignore the locale.
#include "model/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
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

std::string DefaultNumber(double value) {
    if (value == 0.0) return "0";  // also turns -0 into "0"
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

std::string InvariantNumber(double value) {
    std::string text = DefaultNumber(value);
    if (text.starts_with("0.")) return text.substr(1);
    if (text.starts_with("-0.")) return "-" + text.substr(2);
    return text;
}

double LenientParse(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;

    // Copy the recognised number into a clean form that from_chars accepts: no "+", exponent letter "e".
    std::string clean;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') clean.push_back('-');
        ++pos;
    }
    const size_t intStart = pos;
    pos = SkipDigits(text, pos);
    clean.append(text.substr(intStart, pos - intStart));
    bool hasDigits = pos > intStart;
    if (pos < text.size() && text[pos] == '.') {
        const size_t fracStart = pos + 1;
        const size_t fracEnd = SkipDigits(text, fracStart);
        if (fracEnd > fracStart) {
            clean.push_back('.');
            clean.append(text.substr(fracStart, fracEnd - fracStart));
            hasDigits = true;
        }
        pos = fracEnd;
    }
    if (!hasDigits) return 0.0;

    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        size_t expPos = pos + 1;
        std::string exponent = "e";
        if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) {
            if (text[expPos] == '-') exponent.push_back('-');
            ++expPos;
        }
        const size_t expEnd = SkipDigits(text, expPos);
        if (expEnd > expPos) clean.append(exponent).append(text.substr(expPos, expEnd - expPos));
    }

    double value = 0.0;
    const auto result = std::from_chars(clean.data(), clean.data() + clean.size(), value);
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
