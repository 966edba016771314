// Number texts: the two ways a double is written into records and lists, and the two ways text is read back.
//
// Every geometric value lives as text, so these four routines decide what a drawing, a part list and a G-code
// program look like to the last digit. None of them consults the process locale.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// The default number form: C's "%.15G" with "." as decimal point whatever the locale. Exponent form starts
// below 1E-4 and at 1E+15; zero is always "0", never "-0".
//   DefaultNumber(0.5) == "0.5"    DefaultNumber(1e20) == "1E+20"    DefaultNumber(-0.0) == "0"
std::string DefaultNumber(double value);

// The default form of a single-precision number: C's "%.7G" of the float, at most 7 significant digits.
// Mouse positions arrive in single precision and are written into part entries this way.
//   SingleNumber(12.5f) == "12.5"    SingleNumber(1.0f / 3) == "0.3333333"    SingleNumber(-0.0f) == "0"
std::string SingleNumber(float value);

// The invariant number form: the default form with a leading "0." shortened to "." and "-0." to "-.".
//   InvariantNumber(0.5) == ".5"   InvariantNumber(-0.25) == "-.25"   InvariantNumber(1.0 / 3) == ".333333333333333"
std::string InvariantNumber(double value);

// The two forms appended to `out`, without a text of their own; each returns the value its text reads back
// as (RoundedTo15Digits of the value).
double AppendDefaultNumber(std::string& out, double value);
double AppendInvariantNumber(std::string& out, double value);

// A number's invariant form held without a heap block, with the value that form reads back as.
class NumberText {
public:
    NumberText() : NumberText(0.0) {}
    explicit NumberText(double raw);
    std::string_view Text() const { return {chars_.data(), size_}; }
    double Value() const { return value_; }

private:
    std::array<char, 32> chars_{};
    uint8_t size_ = 0;
    double value_ = 0;
};

// The default and the invariant form of the number a text reads as: AppendDefaultNumber(out,
// LenientParse(text)), but where the text already is a 15-digit form of its value (as every number the
// program writes is) only its leading "0" is added or dropped, without converting anything.
//   ".5" -> "0.5" and "0.5" -> ".5";   "1.50" -> "1.5";   "x" -> "0"
void AppendDefaultOfText(std::string& out, std::string_view text);
void AppendInvariantOfText(std::string& out, std::string_view text);

// The double that the 15-digit text of `value` reads back as: LenientParse(DefaultNumber(value)), without
// the text where it can.
double RoundedTo15Digits(double value);

// The value with exactly six decimals ("%.6f"), "-" only where the rounded value is not zero, for the values
// whose scaled digits are decided exactly (below 1E+12 in magnitude, no exact tie); nothing otherwise.
std::optional<std::string> FastFixedSix(double value);

// `value` with `decimals` fixed decimals for the operator to read ("12.5"), whatever its size and the locale;
// "not known" for a value that is not finite.
std::string FixedForReading(double value, int decimals);

// Reads the longest number at the start of `text` (spaces, sign, digits, ".", digits, exponent E or D in either
// case with sign and digits) and ignores the rest. Never fails: text that does not start with a number reads
// as 0, and so does a number too large for a double, so no infinity or NaN is ever returned. "-0" reads as +0.
//   LenientParse(" 12.5mm") == 12.5    LenientParse("1D3") == 1000    LenientParse("5.") == 5
//   LenientParse("1e") == 1            LenientParse("x") == 0         LenientParse("1E400") == 0
double LenientParse(std::string_view text);

// The number a whole text holds, blanks around it allowed, by the grammar LenientParse reads; nothing when
// anything else is in the text, when it has no digits, or when the number is too large for a double. What a
// box the operator types into accepts, so that a slip is told rather than read as 0.
//   ParseWholeNumber(" 0.25 ") == 0.25    ParseWholeNumber("5.") == 5    ParseWholeNumber("1D3") == 1000
//   ParseWholeNumber("0,5"), ParseWholeNumber("2mm"), ParseWholeNumber("") and ParseWholeNumber("1E400") give nothing
std::optional<double> ParseWholeNumber(std::string_view text);

// The record number parse: LenientParse rounded to the nearest integer, halves to the even neighbour.
// Values beyond the 32-bit range saturate at its ends, so callers range-check one integer.
//   RecordNumberParse("2.5") == 2    RecordNumberParse("3.5") == 4    RecordNumberParse(":7") == 0
int32_t RecordNumberParse(std::string_view text);

}  // namespace zorvan
