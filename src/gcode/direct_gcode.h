// The direct G-code listing: the records of contourChain as moves, one torch-on before the first and one
// torch-off after the last, without templates, lead-ins or the cutting order.
#pragma once

#include <string>

#include "model/program.h"

namespace zorvan {

// The standard header and footer of the direct listing.
inline constexpr std::string_view kDirectHeader = "G75\r\nG90\r\nG92X0Y0\r\n";
inline constexpr std::string_view kDirectFooter = "M25\r\nM2";

// `header`, the moves of every record of contourChain (each row ended by CR LF), the return to the origin,
// and `footer`. An element such as ":7" (the first of a contour) reads as record 7; empty elements are
// skipped; the opening move goes to the first record's own start point.
std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer);

}  // namespace zorvan
