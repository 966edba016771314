// The number forms and parses; std::to_chars and std::from_chars are used because they ignore the locale.
#include "model/number_text.h"

#include <array>
#include <bit>
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

// The fast path of the 15-digit forms. A double is m * 2^e with a 53-bit m; times 10^k it is an exact
// fraction whose numerator fits in 128 bits for every value that the fixed notation writes (1E-4 up to
// 1E+15), so the 15 significant digits and the rounding are decided exactly, as the general conversion
// decides them. Exact ties, exponent forms and values outside that range are left to std::to_chars.
__extension__ typedef unsigned __int128 Uint128;

constexpr uint64_t kPow10[] = {1ULL,
                               10ULL,
                               100ULL,
                               1000ULL,
                               10000ULL,
                               100000ULL,
                               1000000ULL,
                               10000000ULL,
                               100000000ULL,
                               1000000000ULL,
                               10000000000ULL,
                               100000000000ULL,
                               1000000000000ULL,
                               10000000000000ULL,
                               100000000000000ULL,
                               1000000000000000ULL,
                               10000000000000000ULL,
                               100000000000000000ULL,
                               1000000000000000000ULL};

struct Mantissa {
    uint64_t m;  // the value's magnitude is m * 2^-shift
    int shift;
};

// A normal double below 2^52 in magnitude as m * 2^-shift with shift >= 1; nothing otherwise.
std::optional<Mantissa> Decompose(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0 || biased == 0x7FF) return std::nullopt;  // zero, subnormal, infinity, NaN
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int shift = 1075 - biased;  // value = m * 2^(biased - 1075)
    if (shift < 1 || shift > 120) return std::nullopt;
    return Mantissa{m, shift};
}

// m * 10^k * 2^-shift as its whole part and how the rest rounds it; nothing where it does not fit.
struct Scaled {
    uint64_t whole;
    bool roundsUp;  // the rest is more than a half
    bool tie;       // the rest is exactly a half
};

std::optional<Scaled> ScaleByPowerOfTen(const Mantissa& mantissa, int k) {
    if (k < 0 || k > 18) return std::nullopt;
    const Uint128 product = static_cast<Uint128>(mantissa.m) * kPow10[k];  // below 2^113
    const Uint128 whole = product >> mantissa.shift;
    const Uint128 rest = product - (whole << mantissa.shift);
    const Uint128 half = static_cast<Uint128>(1) << (mantissa.shift - 1);
    if (whole >= (static_cast<Uint128>(1) << 62)) return std::nullopt;
    return Scaled{static_cast<uint64_t>(whole), rest > half, rest == half};
}

// The value's 15 significant digits and the decimal exponent of the first one, where the fixed notation
// applies to the rounded value (-4 <= exponent < 15). Nothing where the fast path does not decide.
struct Digits15 {
    uint64_t digits;  // 10^14 <= digits < 10^15
    int exponent;
};

std::optional<Digits15> FifteenDigits(double magnitude) {
    const std::optional<Mantissa> mantissa = Decompose(magnitude);
    if (!mantissa) return std::nullopt;
    // First guess of the exponent from the binary one; the whole part's digit count corrects it.
    int exponent = static_cast<int>(std::floor((52 - mantissa->shift) * 0.30102999566398120));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<Scaled> scaled = ScaleByPowerOfTen(*mantissa, 14 - exponent);
        if (!scaled) return std::nullopt;
        if (scaled->whole < kPow10[14]) {
            --exponent;
            continue;
        }
        if (scaled->whole >= kPow10[15]) {
            ++exponent;
            continue;
        }
        if (scaled->tie) return std::nullopt;
        Digits15 result{scaled->whole + (scaled->roundsUp ? 1 : 0), exponent};
        if (result.digits == kPow10[15]) {  // rounded up to the next power of ten
            result.digits = kPow10[14];
            ++result.exponent;
        }
        if (result.exponent < -4 || result.exponent >= 15) return std::nullopt;
        return result;
    }
    return std::nullopt;
}

// Writes the digits in the fixed notation of "%.15G" at `out` (room for 24 characters): trailing zeros
// dropped, no point without decimals. Returns the length.
size_t WriteFixedFifteen(char* out, bool negative, const Digits15& d, bool leadingZero) {
    char digits[16];
    uint64_t rest = d.digits;
    for (int i = 14; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    int last = 14;
    while (last > 0 && digits[last] == '0') --last;
    char* p = out;
    if (negative) *p++ = '-';
    if (d.exponent >= 0) {
        const int whole = d.exponent + 1;
        for (int i = 0; i < whole; ++i) *p++ = digits[i];
        if (last >= whole) {
            *p++ = '.';
            for (int i = whole; i <= last; ++i) *p++ = digits[i];
        }
    } else {
        if (leadingZero) *p++ = '0';
        *p++ = '.';
        for (int i = 0; i < -d.exponent - 1; ++i) *p++ = '0';
        for (int i = 0; i <= last; ++i) *p++ = digits[i];
    }
    return static_cast<size_t>(p - out);
}

// The double nearest to the digits' decimal: the digits over an exact power of ten, divided once, as the
// parse of their text gives it.
double ValueOf(bool negative, const Digits15& d) {
    const int scale = 14 - d.exponent;
    const double digits = static_cast<double>(d.digits);
    const double magnitude =
        scale >= 0 ? digits / static_cast<double>(kPow10[scale]) : digits * static_cast<double>(kPow10[-scale]);
    return negative ? -magnitude : magnitude;
}

// Writes the 15-digit form at `out` (room for 32 characters); returns its length and sets `readBack` to the
// value its text reads back as.
size_t WriteFifteen(char* out, double value, bool leadingZero, double& readBack) {
    if (value == 0) {
        out[0] = '0';
        readBack = 0;
        return 1;
    }
    if (const std::optional<Digits15> d = FifteenDigits(std::fabs(value))) {
        readBack = ValueOf(value < 0, *d);
        return WriteFixedFifteen(out, value < 0, *d, leadingZero);
    }
    std::string text = GeneralForm(value, 15);
    readBack = LenientParse(text);
    if (!leadingZero && text.starts_with("0.")) text.erase(0, 1);
    if (!leadingZero && text.starts_with("-0.")) text.erase(1, 1);
    text.copy(out, text.size());
    return text.size();
}

double AppendFifteen(std::string& out, double value, bool leadingZero) {
    char text[32];
    double readBack = 0;
    out.append(text, WriteFifteen(text, value, leadingZero, readBack));
    return readBack;
}

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// Whether `text` is the fixed notation "%.15G" writes for its own value, in either number form: an optional
// "-", at most 15 significant digits with the first of them at a decimal exponent from -4 to 14, no leading
// zero but the one before the point, no trailing zero after the point, "0" for zero. Such a text reads back
// as a double whose 15-digit text is the text itself.
bool IsFifteenDigitText(std::string_view text) {
    if (text == "0") return true;
    size_t pos = text.starts_with('-') ? 1 : 0;
    const size_t start = pos;
    while (pos < text.size() && IsDigitChar(text[pos])) ++pos;
    const size_t wholeDigits = pos - start;
    if (wholeDigits > 15 || (wholeDigits > 0 && text[start] == '0' && (wholeDigits > 1 || pos == text.size()))) {
        return false;
    }
    const bool noWhole = wholeDigits == 0 || (wholeDigits == 1 && text[start] == '0');
    if (pos == text.size()) return !noWhole;  // a whole number of 1 to 15 digits
    if (text[pos] != '.') return false;
    const size_t fractionStart = ++pos;
    while (pos < text.size() && IsDigitChar(text[pos])) ++pos;
    if (pos != text.size() || pos == fractionStart || text.back() == '0') return false;
    if (!noWhole) return wholeDigits + (pos - fractionStart) <= 15;
    size_t first = fractionStart;
    while (first < pos && text[first] == '0') ++first;
    return first - fractionStart <= 3 && pos - first <= 15;  // first digit no further out than 1E-4
}

}  // namespace

std::string DefaultNumber(double value) {
    std::string text;
    AppendFifteen(text, value, true);
    return text;
}

std::string SingleNumber(float value) { return GeneralForm(value, 7); }

std::string InvariantNumber(double value) {
    std::string text;
    AppendFifteen(text, value, false);
    return text;
}

NumberText::NumberText(double raw) {
    double readBack = 0;
    size_ = static_cast<uint8_t>(WriteFifteen(chars_.data(), raw, false, readBack));
    value_ = readBack;
}

double AppendDefaultNumber(std::string& out, double value) { return AppendFifteen(out, value, true); }

double AppendInvariantNumber(std::string& out, double value) { return AppendFifteen(out, value, false); }

void AppendDefaultOfText(std::string& out, std::string_view text) {
    if (!IsFifteenDigitText(text)) {
        AppendFifteen(out, LenientParse(text), true);
        return;
    }
    if (text.starts_with('.')) {
        out += '0';
    } else if (text.starts_with("-.")) {
        out.append("-0");
        text.remove_prefix(1);
    }
    out += text;
}

void AppendInvariantOfText(std::string& out, std::string_view text) {
    if (!IsFifteenDigitText(text)) {
        AppendFifteen(out, LenientParse(text), false);
        return;
    }
    if (text.starts_with("0.")) {
        text.remove_prefix(1);
    } else if (text.starts_with("-0.")) {
        out += '-';
        text.remove_prefix(2);
    }
    out += text;
}

double RoundedTo15Digits(double value) {
    if (const std::optional<Digits15> d = FifteenDigits(std::fabs(value))) return ValueOf(value < 0, *d);
    return LenientParse(DefaultNumber(value));
}

std::optional<std::string> FastFixedSix(double value) {
    const std::optional<Mantissa> mantissa = Decompose(std::fabs(value));
    if (!mantissa) return std::nullopt;
    const std::optional<Scaled> scaled = ScaleByPowerOfTen(*mantissa, 6);
    if (!scaled || scaled->tie || scaled->whole >= kPow10[18]) return std::nullopt;
    const uint64_t rounded = scaled->whole + (scaled->roundsUp ? 1 : 0);
    std::array<char, 32> whole{};
    const auto end = std::to_chars(whole.data(), whole.data() + whole.size(), rounded / kPow10[6]).ptr;
    char decimals[6];
    uint64_t rest = rounded % kPow10[6];
    for (int i = 5; i >= 0; --i) {
        decimals[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    std::string text;
    text.reserve(26);
    if (value < 0 && rounded != 0) text += '-';
    text.append(whole.data(), end).append(".").append(decimals, 6);
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

// The value of the number found at `extent`; nothing when it is too large for a double.
std::optional<double> ValueOf(std::string_view text, const NumberExtent& extent) {
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
    if (result.ec != std::errc{} || !std::isfinite(value)) return std::nullopt;
    return value + 0.0;  // -0 + 0 is +0
}

}  // namespace

double LenientParse(std::string_view text) {
    const NumberExtent extent = FindNumber(text);
    if (!extent.hasDigits) return 0.0;
    return ValueOf(text, extent).value_or(0.0);
}

std::optional<double> ParseWholeNumber(std::string_view text) {
    const NumberExtent extent = FindNumber(text);
    if (!extent.hasDigits) return std::nullopt;
    size_t end = extent.exponentEnd;
    // "5." is a number whose point has no digits after it; the grammar leaves that point out of the mantissa.
    // A mantissa that holds its point already ("0.5.") has no room for another.
    const std::string_view mantissa = text.substr(extent.begin, extent.mantissaEnd - extent.begin);
    const bool pointInMantissa = mantissa.find('.') != std::string_view::npos;
    if (end == extent.mantissaEnd && !pointInMantissa && end < text.size() && text[end] == '.') ++end;
    if (text.find_first_not_of(' ', end) != std::string_view::npos) return std::nullopt;
    return ValueOf(text, extent);
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

std::string FixedForReading(double value, int decimals) {
    if (!std::isfinite(value)) return "not known";
    char text[400];  // the largest double has 309 digits before the point
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : "not known";
}

}  // namespace zorvan
