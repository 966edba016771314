// Lead-ins that stay in the scrap. A lead-in is clear when its pierce point lies outside part material and
// away from every contour, and its line reaches the contour's start without crossing or touching any contour
// on the way. The check below applies in both modes; sheet mode also searches for a clear lead-in where the
// default one is not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/program.h"
#include "planning/outlines.h"

namespace zorvan {

struct LeadInCheck {
    std::vector<int32_t> inMaterial;  // parts whose pierce point lies in part material
    std::vector<int32_t> crossing;    // parts whose lead-in crosses or touches a contour on its way
    std::vector<int32_t> onContour;   // closed contours pierced where their cut starts: no lead-in at all
    std::vector<int32_t> leadOutCrossing;  // lead-outs that cross a contour or end in part material
    // What the cut style asked for and the scrap had no room for (sheet mode): parts led in by a line where
    // an arc was asked for, and parts whose cut stops on the contour where a lead-out was asked for.
    std::vector<int32_t> lineInsteadOfArc, noLeadOut;
    bool Clean() const { return inMaterial.empty() && crossing.empty() && onContour.empty() && leadOutCrossing.empty(); }
};

// Checks the lead-in of every part that has one (its lead-in point is not its start point), deleted parts
// left out; a closed contour without one is pierced on its cut line, which leaves a blow-out in the edge.
// Parts are named by their rows, as the program's part comments number them.
LeadInCheck CheckLeadIns(const Program& program);
LeadInCheck CheckLeadIns(const Program& program, const OutlineIndex& index);

// The operator's warning for a check; empty when it is clean.
//   "Lead-ins that pierce part material: parts 3, 5. Lead-ins that cross a contour: part 7. Pierced on the
//   contour, without a lead-in: parts 0, 1. Lead-outs that cross a contour: part 4. No room for an arc
//   lead-in, led in by a line: part 2. No room for a lead-out, the cut stops on the contour: part 6."
std::string LeadInWarning(const LeadInCheck& check);

// Sheet mode's lead-ins: first the default lead-ins (CalculateLeadIns); then, for each part whose lead-in is
// not clear, the first clear one of: other angles at its start, other starts (the contour's corners, sharpest
// first, then the middle of its longest straight edges), each at lengths `length`, 3/4, 1/2 and 1/4 of it.
// A round hole where none fits is pierced at its centre. An open contour is pierced at its start (no
// lead-in). A part for which nothing is clear keeps its default lead-in; those parts are returned.
std::vector<int32_t> CalculateScrapLeadIns(Program& program, double length);
// The same, with the lead-ins found then checked (CheckLeadIns) against the outlines the search used: the
// contours are flattened once for both.
std::vector<int32_t> CalculateScrapLeadIns(Program& program, double length, LeadInCheck& check);

// The same search for the one part `part` (its lead-in point and start may change), against `index`, the
// outlines of the plan. False when nothing clear was found; the part is then left as it was. The search looks
// at no more than kMostSegmentsPerPart segments of the index, nor past `stopAt` segments looked at in all.
inline constexpr size_t kMostSegmentsPerPart = 1'000'000;
bool FindScrapLeadIn(Program& program, const OutlineIndex& index, int32_t part, double length, size_t stopAt = SIZE_MAX);

// The segments the searches of one plan look at in all: past them, the parts left keep their default lead-in.
inline constexpr size_t kMostSegmentsPerPlan = 40'000'000;

// After the parts were moved, turned or scaled: every lead-in that is no longer clear, and every closed
// contour that lost its lead-in while others have theirs, is searched for again with `length`; returns the
// parts for which nothing clear was found.
std::vector<int32_t> RepairScrapLeadIns(Program& program, double length);

// Whether the lead-in of `part` is clear (true for a part without a lead-in).
bool LeadInIsClear(const Program& program, const OutlineIndex& index, int32_t part);

// Sets the overcut and lead-out of part `part` as the plan's cut style asks: the overcut as set, the
// lead-out the longest clear one tried (ClearLeadOut) or none. A part that is deleted or has no side (a
// contour that does not close) gets neither.
void PlanFinish(Program& program, const OutlineIndex& index, int32_t part);

// The operator's warning for parts that kept a lead-in that is not clear; empty for none.
//   "No clear lead-in found for parts 2, 9: they keep the default lead-in."
std::string UnclearLeadInWarning(const std::vector<int32_t>& parts);

}  // namespace zorvan
