// Drawing units.
#include "import/units.h"

#include <array>

namespace zorvan {

namespace {

struct Unit {
    const char* name;
    double millimetres;
};

// By $INSUNITS code, 1 to 24.
constexpr std::array<Unit, 25> kUnits = {{
    {"not declared", 0},
    {"inches", 25.4},
    {"feet", 304.8},
    {"miles", 1609344.0},
    {"millimetres", 1.0},
    {"centimetres", 10.0},
    {"metres", 1000.0},
    {"kilometres", 1e6},
    {"microinches", 25.4e-6},
    {"mils", 0.0254},
    {"yards", 914.4},
    {"angstroms", 1e-7},
    {"nanometres", 1e-6},
    {"microns", 1e-3},
    {"decimetres", 100.0},
    {"decametres", 1e4},
    {"hectometres", 1e5},
    {"gigametres", 1e12},
    {"astronomical units", 1.495978707e14},
    {"light years", 9.4607304725808e18},
    {"parsecs", 3.0856775814913673e19},
    {"US survey feet", 1200000.0 / 3937.0},
    {"US survey inches", 100000.0 / 3937.0},
    {"US survey yards", 3600000.0 / 3937.0},
    {"US survey miles", 6336000000.0 / 3937.0},
}};

}  // namespace

std::string UnitsName(std::optional<int32_t> code) {
    if (!code || *code == 0) return "not declared";
    if (*code < 0 || *code >= static_cast<int32_t>(kUnits.size())) return "unknown units (" + std::to_string(*code) + ")";
    return kUnits[static_cast<size_t>(*code)].name;
}

std::optional<double> MillimetresPerUnit(std::optional<int32_t> code) {
    if (!code || *code <= 0 || *code >= static_cast<int32_t>(kUnits.size())) return std::nullopt;
    return kUnits[static_cast<size_t>(*code)].millimetres;
}

std::optional<double> MillimetresPerUnitNamed(std::string_view name) {
    for (size_t code = 1; code < kUnits.size(); ++code) {
        if (name == kUnits[code].name) return kUnits[code].millimetres;
    }
    return std::nullopt;
}

}  // namespace zorvan
