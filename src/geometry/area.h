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

// Reverses the contour of part entry `row` in place: records in reverse order, each reversed; the header's
// start and lead-in points both become the new first record's start.
void ReversePath(Program& program, int32_t row);

// Turns every part so that the outside cut ("OO") runs clockwise and inside cuts ("II")
// counter-clockwise, by the sign of the stored area; a circle part gets the sense "-" or "+" instead.
void CCW_OR_CW(Program& program);

}  // namespace zorvan
