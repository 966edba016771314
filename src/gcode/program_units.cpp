// Program units.
#include "gcode/program_units.h"

#include <cstdio>

#include "gcode/job_summary.h"
#include "gcode/templates.h"
#include "import/units.h"

namespace zorvan {

std::optional<HeaderUnits> UnitsOfHeader(const Program& program) {
    std::optional<HeaderUnits> found;
    for (const std::string& line : ReadTemplateFileLines(program, kHeaderFile)) {
        if (const auto units = ReadGcodeWords(line).lengthUnits) {
            found = HeaderUnits{*units == 20 ? OutputUnits::Inches : OutputUnits::Millimetres, line};
        }
    }
    return found;
}

std::string_view OutputUnitsName(OutputUnits units) {
    switch (units) {
        case OutputUnits::Millimetres: return "millimetres";
        case OutputUnits::Inches: return "inches";
    }
    return "millimetres";
}

namespace {

std::string_view Word(OutputUnits units) { return units == OutputUnits::Inches ? "G20" : "G21"; }

}  // namespace

SheetUnitsChoice ChooseSheetUnits(const Program& program, std::optional<OutputUnits> asked, std::string_view askedName) {
    const std::optional<HeaderUnits> header = UnitsOfHeader(program);
    if (!header) {
        if (asked) return {*asked, std::string(askedName), {}};
        return {OutputUnits::Millimetres, "the default", {}};
    }
    SheetUnitsChoice choice{header->units, "the header's " + std::string(Word(header->units)), {}};
    if (asked && *asked != header->units) {
        choice.clash = std::string(askedName) + " asks for " + std::string(OutputUnitsName(*asked)) + ", but the header's line \"" +
                       header->line + "\" sets " + std::string(OutputUnitsName(header->units)) +
                       ": the program must be written in the header's units.";
    }
    return choice;
}

std::string UnitsMismatchWarning(const Program& program) {
    const std::optional<HeaderUnits> header = UnitsOfHeader(program);
    const std::optional<double> drawing = MillimetresPerUnitNamed(program.recordUnits);
    if (!header || !drawing) return {};
    const double programUnit = header->units == OutputUnits::Inches ? 25.4 : 1.0;
    const double factor = *drawing / programUnit;
    if (factor > 0.999999 && factor < 1.000001) return {};
    char times[32];
    std::snprintf(times, sizeof times, "%g", factor > 1 ? factor : 1 / factor);
    return "The drawing is in " + program.recordUnits + "; the header sets " + std::string(OutputUnitsName(header->units)) +
           " (" + std::string(Word(header->units)) + "): the parts would come out " + times + " times too " +
           (factor > 1 ? "small" : "large") + ". Sheet mode converts.";
}

}  // namespace zorvan
