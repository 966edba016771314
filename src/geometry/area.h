// The signed area of a contour, and turning every part to its cutting sense.
//
// Sign convention: the area is the sum over straight pieces of (y1 + y2) / 2 * (x2 - x1), so a contour that
// runs clockwise (y up) has a POSITIVE area and a counter-clockwise one a negative area: the negative of the
// usual shoelace area. The outside cut runs clockwise (positive), inside cuts counter-clockwise (negative).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/program.h"
#include "model/record.h"

namespace zorvan {

// The area contribution of one record: a line's piece, an arc's chords (AREA_ARC), a circle's PI r r
// (positive for the sense "-", negative for "+" or any other sense); 0 for a text with none of the letters.
double KAREA(double PI, std::string_view record);

// An arc's contribution: the pieces of its chords of 11.25 degrees, in its own sense, closed by one more
// piece to the point at the end angle where the chords stop short of it, so that the area does not depend
// on where the arc lies. An arc too short for a chord (under 5.625 degrees) contributes the one piece from
// the point at its start angle to the point at its end angle; start and end angles that are the same once
// each is brought into one turn (and the end moved by a turn for the sense) contribute nothing.
//   AREA_ARC(PI, "0 10 0 1 90 92 + 0 11 -.0349 10.9994 A") == -0.383883833860893, the piece from the point
//   at 90 degrees, (-2.05103428515331E-10, 11), to the point at 92 degrees.
double AREA_ARC(double PI, std::string_view record);

// The area of a contour text (records each followed by "|"); 0 when it cannot be computed.
//   CalcArea(PI, "0 0 0 1 0 0 D|1 0 0 1 1 0 D|1 1 0 0 1 0 D|0 1 0 0 0 0 D|") == -1
double CalcArea(double PI, std::string_view contour);
// The same for a contour's records read already.
double CalcArea(double PI, const RecordList& records);
// KAREA and AREA_ARC of records read already.
double AreaOf(double PI, const RecordValues& record);
double AreaOfArc(double PI, const ArcValues& arc);

// The true area of a contour's records, in the sign convention above (clockwise positive), with full-precision
// pi: a line by the shoelace formula; an arc by its chord from (x1, y1) to (x2, y2) plus the circular segment
// between chord and arc, r r / 2 (theta - sin theta), added for a clockwise arc and taken away for any other,
// where theta is the sweep from the start to the end angle in the arc's sense as ArcSweepOf takes it (angles
// the sweep takes as equal span nothing, 0 to 360 is a whole turn); a circle as pi r r (positive for the
// sense "-", negative otherwise). The pieces are summed about the first record's start, so the area does not
// depend on where the contour lies, and a contour that stops short of its start counts as closed by the
// straight piece back to it. 0 for an empty list or when the sum is not a number.
//   A unit square counter-clockwise: -1. The half disc of radius 1 from the arc "0 0 0 1 0 180 + 1 0 -1 0 A"
//   and the line back to (1, 0): -pi / 2 (the chord sum CalcArea gives -1.56072).
double ExactArea(const RecordList& records);

// The area that decides a part's sense and compensation side and is stored in its marks: ExactArea in sheet
// mode, where arcs of any radius and sweep come from fitted curves, CalcArea (the chord sum) in the default mode.
double PartArea(const Program& program, const RecordList& records);

// Reverses the contour of part entry `row` in place: records in reverse order, each reversed; the header's
// start and lead-in points both become the new first record's start.
void ReversePath(Program& program, int32_t row);

// Turns every part so that the outside cut ("OO") runs clockwise and inside cuts ("II")
// counter-clockwise, by the sign of the stored area; a circle part gets the sense "-" or "+" instead.
void CCW_OR_CW(Program& program);

}  // namespace zorvan
