// G-code number texts, with std::to_chars so that the locale never reaches a program.
#include "gcode/gcode_numbers.h"

#include <array>
#include <charconv>

#include "model/number_text.h"

namespace zorvan {

std::string FixedNumber(double value) {
    if (auto fast = FastFixedSix(value)) return std::move(*fast);
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 6);
    std::string text(buffer.data(), result.ptr);
    if (text == "-0.000000") return "0.000000";
    return text;
}

std::string GcodeNumber(double value) {
    std::string text = DefaultNumber(value);
    return text.find('E') == std::string::npos ? text : FixedNumber(value);
}

}  // namespace zorvan
