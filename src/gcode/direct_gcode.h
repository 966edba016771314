// The direct G-code listing: the parts that are cut, in their planned order (holes before the contour around
// them, as the plan cuts them), each from its contour's start without lead-in or compensation. The torch is
// switched by the words of the template slots LINE011-LINE020 (after the move to the start) and
// LINE021-LINE030 (after the cut), as in the program, so the listing runs on the machine the templates are
// made for; arcs are written with absolute centres, which the listing sets with G90.1.
#pragma once

#include <string>

#include "model/program.h"

namespace zorvan {

// The standard header and footer of the direct listing.
inline constexpr std::string_view kDirectHeader = "G75\r\nG90\r\nG92X0Y0\r\n";
inline constexpr std::string_view kDirectFooter = "M25\r\nM2";

// `header`, the moves, the return to the origin and `footer`; every row of the moves ends with CR LF. Before
// the first part: "G90.1" and the torch raised ("G00 Z0.5"); each part not deleted is then an empty row, a
// rapid move to its contour's start, "G00 Z-0.5", the rows of slots LINE011-LINE020, its records' moves as the
// program writes them, the rows of slots LINE021-LINE030 and "G00 Z0.5". A part of no record is left out.
// For the part of the single line 0 0 0 10 0 0 D with plain templates, without header and footer:
//   G90.1 | G00 Z0.5 | (empty) | G00 X0 Y0 | G00 Z-0.5 | G1 X10 Y0 | G00 Z0.5 | G00 X0 Y0
std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer);

}  // namespace zorvan
