// Drawing records on a surface.
#include "draw/draw_records.h"

#include <cmath>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// Whole turns off an angle still outside 0..2PI after the single corrections (an arc turned past 720
// degrees would otherwise never come within one step of its end).
double IntoTurn(double PI, double angle) {
    if (angle < 0 || angle > 2 * PI) {
        angle = std::fmod(angle, 2 * PI);
        if (angle < 0) angle += 2 * PI;
    }
    return angle;
}

// Enough steps for a whole turn and then some: the trace stops there whatever rounding does near the end.
constexpr int kMaxArcStrokes = 700;

void DrawArc(Surface& surface, double PI, const RecordValues& v, Colour colour, int16_t penWidth) {
    const double cx = v.At(0), cy = v.At(1), r = v.At(3);
    const double step = v.Sense() == '-' ? -kArcTraceStep : kArcTraceStep;
    double a0 = v.At(4) * PI / 180, a1 = v.At(5) * PI / 180;
    if (a0 < 0) a0 += 2 * PI;
    if (a1 < 0) a1 += 2 * PI;
    if (a0 > 2 * PI) a0 -= 2 * PI;
    if (a1 > 2 * PI) a1 -= 2 * PI;
    TraceArc(surface, PI, cx, cy, r, IntoTurn(PI, a0), IntoTurn(PI, a1), step, colour, penWidth);
}

void DrawCircle(Surface& surface, const RecordValues& v, Colour colour, bool showDirection, int16_t penWidth) {
    const double r = v.At(3);
    if (r < 0) return;
    surface.SetPenWidth(penWidth);
    surface.Circle(v.At(0), v.At(1), r, colour);
    surface.SetPenWidth(1);
    if (!showDirection) return;
    surface.SetPenWidth(3);
    surface.Dot(v.At(5), v.At(6), colour);
    surface.SetPenWidth(1);
}

void DrawLine(Surface& surface, const RecordValues& v, Colour colour, bool showDirection, int16_t penWidth) {
    const double x2 = v.At(3), y2 = v.At(4);
    DrawSegment(surface, v.At(0), v.At(1), x2, y2, colour, showDirection, penWidth);
    if (!showDirection) return;
    surface.SetPenWidth(5);
    surface.Dot(x2, y2, colour);
    surface.SetPenWidth(1);
}

}  // namespace

double NextArcAngle(double PI, double angle, double step) {
    angle += step;
    if (angle > 2 * PI) angle -= 2 * PI;
    if (angle < 0) angle += 2 * PI;
    return angle;
}

void TraceArc(Surface& surface, double PI, double cx, double cy, double r, double startRad, double endRad,
              double step, Colour colour, int16_t penWidth) {
    surface.MoveTo(cx + r * std::cos(startRad), cy + r * std::sin(startRad));
    double a = NextArcAngle(PI, startRad, step);
    for (int strokes = 0; std::fabs(a - endRad) > std::fabs(step) && strokes < kMaxArcStrokes; ++strokes) {
        surface.SetPenWidth(penWidth);
        surface.LineTo(cx + r * std::cos(a), cy + r * std::sin(a), colour);
        surface.SetPenWidth(1);
        a = NextArcAngle(PI, a, step);
    }
    surface.SetPenWidth(penWidth);
    surface.LineTo(cx + r * std::cos(endRad), cy + r * std::sin(endRad), colour);
    surface.SetPenWidth(1);
}

std::pair<std::pair<double, double>, std::pair<double, double>> ArrowheadPoints(double x1, double y1, double x2,
                                                                                  double y2, double fraction) {
    const double mx = x1 + fraction * (x2 - x1), my = y1 + fraction * (y2 - y1);
    const double h = std::sqrt((x2 - mx) * (x2 - mx) + (y2 - my) * (y2 - my));
    if (x1 != x2 && y1 != y2) {
        const double slope = (y2 - y1) / (x2 - x1);
        const double t = std::atan(-1 / slope);
        return {{mx + h * std::cos(t), my + h * std::sin(t)}, {mx - h * std::cos(t), my - h * std::sin(t)}};
    }
    if (y1 == y2 && x1 != x2) return {{mx, my + h}, {mx, my - h}};
    if (x1 == x2 && y1 != y2) return {{mx + h, my}, {mx - h, my}};
    return {{mx, my}, {mx, my}};
}

void DrawSegment(Surface& surface, double x1, double y1, double x2, double y2, Colour colour, bool showDirection,
                 int16_t penWidth) {
    surface.SetPenWidth(penWidth);
    surface.Line(x1, y1, x2, y2, colour);
    surface.SetPenWidth(1);
    if (!showDirection) return;
    const auto [s1, s2] = ArrowheadPoints(x1, y1, x2, y2, 0.95);
    surface.Line(s1.first, s1.second, x2, y2, colour);
    surface.Line(s2.first, s2.second, x2, y2, colour);
}

void DrawRecord(Surface& surface, double PI, const RecordValues& record, Colour colour, bool showDirection,
                int16_t penWidth) {
    switch (record.kind()) {
        case RecordKind::Arc: DrawArc(surface, PI, record, colour, penWidth); return;
        case RecordKind::Circle: DrawCircle(surface, record, colour, showDirection, penWidth); return;
        case RecordKind::Line: DrawLine(surface, record, colour, showDirection, penWidth); return;
        case RecordKind::None: return;
    }
}

void DrawRecord(Surface& surface, double PI, std::string_view record, Colour colour, bool showDirection,
                int16_t penWidth) {
    DrawRecord(surface, PI, RecordValues(record), colour, showDirection, penWidth);
}

void DrawContour(Surface& surface, double PI, const RecordList& records, Colour colour, bool showDirection,
                 int16_t penWidth) {
    for (const RecordValues& record : records) DrawRecord(surface, PI, record, colour, showDirection, penWidth);
}

void DrawContour(Surface& surface, double PI, std::string_view contour, Colour colour, bool showDirection,
                 int16_t penWidth) {
    ForEachRecord(contour, [&](std::string_view record) { DrawRecord(surface, PI, record, colour, showDirection, penWidth); });
}

void DrawPathHeader(Surface& surface, std::string_view header) {
    const auto f = SplitFields(header);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    const Colour colour = FieldAt(f, 0) == "OO" ? kGreen : kBlue;
    surface.SetPenWidth(7);
    surface.Dot(n(1), n(2), colour);
    surface.Dot(n(3), n(4), colour);
    surface.SetPenWidth(1);
    surface.Line(n(1), n(2), n(3), n(4), colour);
}

}  // namespace zorvan
