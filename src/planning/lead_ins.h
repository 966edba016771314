// Lead-ins: the point where the torch pierces, a straight lead-in away from each contour's start.
#pragma once

#include <optional>
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

// The drawing's larger side, its extents' width or height, which every lead-in must be shorter than; nothing
// while no drawing is read (the extents are empty).
std::optional<double> LargerSideOfDrawing(const Program& program);

// Whether a lead-in of `length` suits the drawing: finite, 0 or more, and shorter than its larger side (0, no
// lead-in, always suits). A longer one would put the pierce off the sheet, or beyond any number the
// controller takes.
//   with extents 120 x 80: LeadInSuits(5) and LeadInSuits(0) hold; LeadInSuits(-1) and LeadInSuits(120) do not
bool LeadInSuits(const Program& program, double length);

}  // namespace zorvan
