// The contour list and the part entries built from contourChain, and the stored areas.
#pragma once

#include <string>
#include <string_view>

#include "model/list_box.h"
#include "model/program.h"

namespace zorvan {

// One row of List11 and of contourList per contour of contourChain:
//   "3|4|5|:7|:" gives the rows "3|4|5|" and "7|".
void FillContourList(Program& program, ListBox& List11);

// For every row of List11: the contour's records listed in List1 (each contour closed by a row of 24 "="),
// and a fresh part entry (BuildPartEntry) as a row of List2 and of partList.
void BuildPartList(Program& program, const ListBox& List11, ListBox& List1, ListBox& List2);

// A fresh part entry for a contour text: an inside cut whose start and lead-in points are both the first
// record's start, unselected, not deleted, area 0:
//   BuildPartEntry("10 5 0 2 + 8 5 K|") == "II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0"
std::string BuildPartEntry(std::string_view contour);

// Rewrites every entry of List2's rows as "header:records:NOTS NOTD area:" with its area computed again;
// List2's rows are not touched.
void ComputePartAreas(Program& program, const ListBox& List2);

}  // namespace zorvan
