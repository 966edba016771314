// Arc helpers: the centre of a bulge arc, the angle of a point about a centre, and an arc as a chain of chords.
//
// Angles in records are degrees; trigonometry is in radians. Every conversion and every quarter and half turn
// uses the program's PI (3.141592654), so results differ from full-precision ones in the tenth digit, and the
// texts written from them carry that difference.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace zorvan {

// Centre and radius of the arc from (x1, y1) to (x2, y2) with bulge b (b > 0 counter-clockwise, b < 0
// clockwise, |b| > 1 for more than half a circle). Does nothing when b is 0: the outputs keep their values.
//   (0,0)-(2,0), b = 1   -> centre (1, 0), r = 1
//   (0,0)-(2,0), b = 0.5 -> centre (1.00000000015383, 0.75), r = 1.25   (cos(PI / 2) is not 0 for this PI)
void BulgeArcCentre(double PI, double x1, double y1, double x2, double y2, double b, double& cx, double& cy,
                    double& r);

// Angle in degrees, 0 up to 360, counter-clockwise from the positive X direction, of the point (x, y) seen
// from (cx, cy); -10000 when the point is the centre.
//   PointAngle(PI, 6, 6, 5, 5) == 44.9999999941242    PointAngle(PI, 0, 0, 1, 0) == 180
double PointAngle(double PI, double x, double y, double cx, double cy);

// The arc about (cx, cy) with `radius` from `startDeg` to `endDeg`, clockwise when `sense` is exactly "-" and
// counter-clockwise otherwise, as chords of at most 180/`divisions` degrees: "x1 y1 x2 y2|" per chord, in the
// default number form. Angles outside 0..360 degrees are brought into that range (whole turns removed). A
// sweep that leaves less than half a step after its last whole chord stops short of the end angle by that
// remainder; equal start and end angles give the empty text.
//   ArcToChords(PI, 8, 0, 0, 1, 0, 90, "+") has four chords, with vertices at 0, 22.5, 45, 67.5 and 90 degrees.
std::string ArcToChords(double PI, int16_t divisions, double cx, double cy, double radius, double startDeg,
                        double endDeg, const std::string& sense);

// The sweep ArcToChords follows: its start and end angle in radians, each brought into 0..2PI and the end
// moved by a turn where the sense needs it, and its signed step (negative for clockwise).
struct ArcSweep {
    double a0, a1, step;
};
ArcSweep ArcSweepOf(double PI, int16_t divisions, double startDeg, double endDeg, bool clockwise);

// The chords of ArcToChords as numbers, before they are written: `visit(x1, y1, x2, y2)` per chord.
template <typename Visit>
void ForEachChord(double PI, int16_t divisions, double cx, double cy, double radius, double startDeg, double endDeg,
                  bool clockwise, Visit visit) {
    const ArcSweep sweep = ArcSweepOf(PI, divisions, startDeg, endDeg, clockwise);
    const double step = sweep.step, a1 = sweep.a1;
    if (!std::isfinite(step)) return;
    const double limit = a1 - step / 2;
    for (double a = sweep.a0; step > 0 ? a <= limit : a >= limit; a += step) {
        double b = a + step;
        if (step > 0 && b > a1) b = a1;
        if (step < 0 && b < a1) b = a1;
        visit(cx + radius * std::cos(a), cy + radius * std::sin(a), cx + radius * std::cos(b), cy + radius * std::sin(b));
    }
}

}  // namespace zorvan
