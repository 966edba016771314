// Sheet mode's healing of a drawing's records before they are planned, as its designer meant them: pieces
// shorter than the join tolerance dropped and their neighbours joined; a closed entity (closed polyline,
// circle, whole ellipse, closed spline) a contour by itself, whatever touches it; contours and pieces drawn
// twice cut once; loose lines and arcs split where they meet or cross, and the regions they enclose made
// contours (parts drawn edge to edge each whole); what encloses nothing left as open contours.
#pragma once

#include <cstdint>
#include <string>

#include "import/dxf_passes.h"

namespace zorvan::dxf {

// Ends closer than this (in millimetres, scaled like the drawing) meet; pieces shorter than it are dropped.
inline constexpr double kJoinTolerance = 0.001;

struct HealReport {
    int32_t drawnTwice = 0;      // pieces and closed contours that lay over others: cut once
    int32_t zeroSize = 0;        // pieces and circles smaller than the tolerance: dropped
    int32_t edgeToEdge = 0;      // regions that share an edge with another region
    int32_t closedContours = 0;  // contours written that close (the rest are open)
    bool tooMuchWork = false;    // the loose pieces were too many to arrange: chained as drawn instead
};

struct HealedSheet {
    BuiltRecords records;
    std::string contourChain;  // every contour's record numbers, "0|1|2|:3|:", closed contours first
    HealReport report;
};

// Heals `records` (with their closed-entity groups) within `tolerance`, in the records' units. Arc angles
// of new records use the program's PI. At most kMaxRecords records come out; past that, `records` is empty
// and `tooMany` set.
HealedSheet HealSheet(const BuiltRecords& records, double PI, double tolerance, bool& tooMany);

}  // namespace zorvan::dxf
