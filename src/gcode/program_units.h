// The units a program is written in, and whether the drawing agrees with them. The header's G20 or G21 word
// tells the controller how to read every number after it, so the numbers must be in those units.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/dxf_reader.h"
#include "model/program.h"

namespace zorvan {

// The units the header of program.templateFolder sets: its last G20 (inches) or G21 (millimetres) word, with
// the line that holds it as written. Nothing when the header sets none.
struct HeaderUnits {
    OutputUnits units = OutputUnits::Millimetres;
    std::string line;
};
std::optional<HeaderUnits> UnitsOfHeader(const Program& program);

// Sheet mode's program units: the header's where it sets them, else `asked`, else millimetres; `source` says
// which, for the summary ("the header's G21", `askedName`, "the default"). Where the header sets units and
// `asked` differs, `clash` is the operator's message naming the header line.
struct SheetUnitsChoice {
    OutputUnits units = OutputUnits::Millimetres;
    std::string source;
    std::string clash;
};
SheetUnitsChoice ChooseSheetUnits(const Program& program, std::optional<OutputUnits> asked, std::string_view askedName);

// The default mode writes the drawing's numbers as they stand: where the drawing declares length units other
// than the header sets, the warning says how far off the parts would come out; empty where they agree or
// either side says nothing.
//   "The drawing is in inches; the header sets millimetres (G21): the parts would come out 25.4 times too
//    small. Sheet mode converts."
std::string UnitsMismatchWarning(const Program& program);

// "millimetres" or "inches".
std::string_view OutputUnitsName(OutputUnits units);

}  // namespace zorvan
