// The contour list and the part entries built from contourChain, and the stored areas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/program.h"

namespace zorvan {

// The contours of a contourChain text, each as its record numbers followed by "|". Two forms are read: the
// one chaining writes, each contour closed by ":", and the flat one SAVE CHANGES writes, each contour closed
// by an empty element. A chain holding ":" is read in the first form, whatever its rows look like.
//   "3|4|5|:7|:" and "3|4|5||7||" both give "3|4|5|" and "7|".
std::vector<std::string> ChainContours(std::string_view contourChain);

// One row of contourList per contour of contourChain (ChainContours, at most 1,001), and contourCount.
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

// Rewrites every part entry as "header:records:NOTS NOTD area:" with its area computed again (PartArea: the
// exact area in sheet mode, the chord sum in the default mode).
void ComputePartAreas(Program& program);

}  // namespace zorvan
