// Lead-ins: the point where the torch pierces, a straight lead-in away from each contour's start.
#pragma once

#include <string>
#include <string_view>

#include "model/program.h"

namespace zorvan {

// A part's header "marker sx sy lx ly": the start point as its texts read (in the default number form), the
// lead-in point computed.
std::string LeadInHeader(std::string_view marker, std::string_view sx, std::string_view sy, double lx, double ly);

// Moves the lead-in point of every part to `length` from its start point, on the scrap side:
//   inside cut  ("II"): 45 degrees to the left of the first record's chord, ahead of the start;
//   outside cut ("OO"): 135 degrees to the left of it, behind the start (the part lies to the right of the
//                       clockwise outside cut, the scrap to its left);
//   circles: on the horizontal through the centre, `length` right of the start for a hole ("II", sense "+"),
//            left of it for an outside circle (sense "-").
// Entries are written back as "header:records:marks".
void CalculateLeadIns(Program& program, double length);

}  // namespace zorvan
