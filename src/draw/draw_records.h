// Records, contours and part headers as strokes on a drawing surface, in drawing coordinates. Every routine
// leaves the pen width at 1.
//
// Arcs are traced in steps of 0.01 radian (about 628 strokes a turn), each stroke at the caller's pen width;
// with the show-direction flag a line gets an arrowhead and a dot of width 5 on its end, a circle a dot of
// width 3 on its start. Fields a record lacks read as 0.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "draw/surface.h"
#include "model/record.h"

namespace zorvan {

inline constexpr double kArcTraceStep = 0.01;

// One record: an arc ("A"), a circle ("K"), a line ("D"), tested in that order and each on its own; a text
// with none of the letters draws nothing. An arc's sense "-" runs clockwise, anything else counter-clockwise.
void DrawRecord(Surface& surface, double PI, std::string_view record, Colour colour, bool showDirection,
                int16_t penWidth);
void DrawRecord(Surface& surface, double PI, const RecordValues& record, Colour colour, bool showDirection,
                int16_t penWidth);

// Every record of a contour text: the elements before the last "|" (a record without its "|" is not drawn).
void DrawContour(Surface& surface, double PI, std::string_view contour, Colour colour, bool showDirection,
                 int16_t penWidth);
// The records of a contour read already.
void DrawContour(Surface& surface, double PI, const RecordList& records, Colour colour, bool showDirection,
                 int16_t penWidth);

// A part header "marker sx sy lx ly": dots of width 7 on the start and lead-in points and the line between
// them, green for an outside cut ("OO"), blue otherwise, whatever colour the part is drawn in.
void DrawPathHeader(Surface& surface, std::string_view header);

// The arc stroke loop, from `startRad` to `endRad` in steps of `step` radians, both angles within 0..2PI.
void TraceArc(Surface& surface, double PI, double cx, double cy, double r, double startRad, double endRad,
              double step, Colour colour, int16_t penWidth);

// One step along the arc, wrapped into 0..2PI.
double NextArcAngle(double PI, double angle, double step);

// A line at the pen width, and with the flag an arrowhead at its end.
void DrawSegment(Surface& surface, double x1, double y1, double x2, double y2, Colour colour, bool showDirection,
                 int16_t penWidth);

// The two side points of an arrowhead whose base lies at `fraction` of the segment from (x1, y1) to (x2, y2).
std::pair<std::pair<double, double>, std::pair<double, double>> ArrowheadPoints(double x1, double y1, double x2,
                                                                                  double y2, double fraction);

}  // namespace zorvan
