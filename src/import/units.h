// The drawing units a DXF header declares ($INSUNITS) and what they are in millimetres.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvan {

// The name of a units code, for the operator ("inches", "millimetres", ...); "not declared" for 0 or none,
// "unknown units (n)" for codes the format does not define.
std::string UnitsName(std::optional<int32_t> code);

// Millimetres per drawing unit for a code that declares a length unit; nothing for 0 (unitless) or unknown.
std::optional<double> MillimetresPerUnit(std::optional<int32_t> code);

// Millimetres per unit for a units name as UnitsName gives it ("inches" 25.4); nothing for any other text.
std::optional<double> MillimetresPerUnitNamed(std::string_view name);

}  // namespace zorvan
