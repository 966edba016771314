// The contour list and the part entries built from contourChain, and the stored areas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/program.h"

namespace zorvan {

// One row of contourList per contour of contourChain (at most 1,001), and contourCount:
//   "3|4|5|:7|:" gives the rows "3|4|5|" and "7|".
void FillContourList(Program& program);

// For every contour row: a fresh part entry (BuildPartEntry) in partList, and partCount.
void BuildPartList(Program& program);

// The record numbers of a contour row, in order: "3|4|5|" gives 3, 4, 5 (the tail after the last "|" is
// not a record).
std::vector<int32_t> ContourRecordNumbers(std::string_view contourRow);

// A fresh part entry for a contour text: an inside cut whose start and lead-in points are both the first
// record's start, unselected, not deleted, area 0:
//   BuildPartEntry("10 5 0 2 + 8 5 K|") == "II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0"
std::string BuildPartEntry(std::string_view contour);

// Rewrites every part entry as "header:records:NOTS NOTD area:" with its area computed again.
void ComputePartAreas(Program& program);

}  // namespace zorvan
