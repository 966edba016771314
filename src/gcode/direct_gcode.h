// The direct G-code listing: the contours of contourChain cut one after the other, without templates,
// lead-ins or the cutting order. Between contours the torch is off and raised; each contour is reached by a
// rapid move to its start, cut with the torch on, and its records are written in the direction it runs.
#pragma once

#include <string>

#include "model/program.h"

namespace zorvan {

// The standard header and footer of the direct listing.
inline constexpr std::string_view kDirectHeader = "G75\r\nG90\r\nG92X0Y0\r\n";
inline constexpr std::string_view kDirectFooter = "M25\r\nM2";

// `header`, the moves, the return to the origin and `footer`; every row of the moves ends with CR LF. The
// contours are those of contourChain in either of its forms (ChainContours). Before the first contour the
// torch is raised ("G00 Z0.5"); each contour is then an empty row, a rapid move to its start, "G00 Z-0.5",
// "TORCHON", its records' moves, "TORCHOFF" and "G00 Z0.5". A record is turned where its contour needs it to
// run head to tail, as the cut ordering turns them; a circle is cut as two half circles from its leftmost
// point. A record number that names no record adds nothing, and a contour of nothing else is left out.
// For the contour of the single line 0 0 0 10 0 0 D, without header and footer:
//   G00 Z0.5 | (empty) | G00 X0 Y0 | G00 Z-0.5 | TORCHON | G01 X10 Y0 | TORCHOFF | G00 Z0.5 | G00 X0 Y0
std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer);

}  // namespace zorvan
