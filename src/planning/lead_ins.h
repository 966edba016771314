// Lead-ins: the point where the torch pierces, a straight lead-in away from each contour's start.
#pragma once

#include "model/list_box.h"
#include "model/program.h"

namespace zorvan {

// Moves the lead-in point of every part of List2's rows to `length` from its start point, on the scrap side:
//   inside cut  ("II"): 45 degrees to the left of the first record's chord, ahead of the start;
//   outside cut ("OO"): 135 degrees to the left of it, behind the start (the part lies to the right of the
//                       clockwise outside cut, the scrap to its left);
//   circles: on the horizontal through the centre, `length` right of the start for a hole ("II", sense "+"),
//            left of it for an outside circle (sense "-").
// Entries are written back as "header:records:marks"; List2's rows are not touched.
void CalculateLeadIns(Program& program, const ListBox& List2, double length);

}  // namespace zorvan
