// Numbers in G-code rows: always "." as decimal point, never an exponent, never "-0".
#pragma once

#include <string>

namespace zorvan {

// The fixed form: exactly six decimals, "-" for negative values, and "0.000000" for anything that rounds to
// zero. FixedNumber(10) == "10.000000"   FixedNumber(-0.0000001) == "0.000000"
std::string FixedNumber(double value);

// The default number form where it has no exponent, the fixed form where it would:
//   GcodeNumber(0.25) == "0.25"   GcodeNumber(5E-11) == "0.000000"   GcodeNumber(1e20) == "100000000000000000000.000000"
std::string GcodeNumber(double value);

}  // namespace zorvan
