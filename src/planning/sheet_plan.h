// Sheet mode's planning: the contours of a sheet of parts made into a cutting order. A closed contour inside
// an odd number of other closed contours is a hole of the part around it; every other closed contour is the
// outside cut of a part, however many there are. Each contour is cut after every contour inside it (holes
// before their part, a part lying in a hole before that hole), and from part to part the torch travels
// little: the nearest part next, from the sheet's lower-left corner, then a 2-opt pass over the parts.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "model/program.h"
#include "planning/outlines.h"

namespace zorvan {

struct SheetPlanOptions {
    // Cut the contours that do not close, after all the closed ones (without lead-in or compensation).
    bool cutOpen = false;
};

// Replaces partList and partCount with the plan of the listed contours (contourList): outside cuts "OO"
// clockwise, holes "II" counter-clockwise, each sense judged by and stored as the exact area (ExactArea); the
// start and lead-in points are each contour's start until the lead-ins are calculated. Open contours are left
// out (counted in openContoursLeftOut) or, with `cutOpen`, put last.
void PlanSheet(Program& program, const SheetPlanOptions& options = {});

// A part's header read as points: its marker ("OO" or "II"), where its contour starts and where the torch
// pierces (the same point when it has no lead-in). The marker views the entry's text.
struct PartLeadIn {
    std::string_view marker;
    Point2 start, pierce;
};
PartLeadIn LeadInOf(const PartEntry& entry);

// The torch's rapid moves between cuts: from the drawing's lower-left corner to the first pierce, then from
// where each part's cut ends to the next pierce. Deleted parts are not cut and so left out.
struct Travel {
    Point2 from, to;
};
std::vector<Travel> TravelMoves(const Program& program);

// The parts cut after a contour around them, each with the first such holder: (part, holder), holder < part.
// A part cut after its holder may fall or shift once the holder is cut free. Deleted parts are left out.
std::vector<std::pair<int32_t, int32_t>> CutAfterTheirHolder(const Program& program);

// Whether a part's contour ends where it starts (a circle always does).
bool ContourCloses(const RecordList& records);

// The outlines of parts 0..partCount-1 (deleted ones as empty outlines), flattened finely enough for the
// sheet's size, and the index over them; more loosely where that would take more than kMostOutlinePoints
// points in all.
inline constexpr size_t kMostOutlinePoints = 400'000;
OutlineIndex PartOutlines(const Program& program);

// The part outlines, and where the sheet's edge is known (Program::sheetEdge) the edge after them as an open
// outline: what a lead-in or a lead-out must not touch. An open outline holds nothing, so the scrap stays scrap.
OutlineIndex LeadInOutlines(const Program& program);

// For each outline of `index`, the closed outline right around it, as PlanSheet nests them (only a larger
// contour holds another); -1 for an outline nothing holds, and for open outlines. An outline with an even
// number of holders above it is a part's outside, one with an odd number a hole of the part around it.
std::vector<int32_t> ContourParents(const OutlineIndex& index);

}  // namespace zorvan
