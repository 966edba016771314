// Arc helpers. Each formula is evaluated in the order written (sqrt of a sum of squares, atan of a quotient),
// because the 15-digit texts written from the results depend on the last bit.
#include "geometry/arc_helpers.h"

#include <cmath>

#include "model/number_text.h"

namespace zorvan {

void BulgeArcCentre(double PI, double x1, double y1, double x2, double y2, double b, double& cx, double& cy,
                    double& r) {
    if (b == 0) return;
    const double chord = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    r = std::fabs(chord / (2 * std::sin(2 * std::atan(b))));
    const double s = chord * b / 2;

    double phi = 0;
    if (x1 != x2) {
        phi = std::atan((y2 - y1) / (x2 - x1));
        if (x2 < x1) phi += PI;
    } else {
        phi = y2 >= y1 ? PI / 2 : -PI / 2;
    }

    const double midX = (x1 + x2) / 2;
    const double midY = (y1 + y2) / 2;
    double d = 0;
    double theta = 0;
    if (b >= -1 && b < 0) {
        d = s + r;
        theta = phi + PI / 2;
    } else if (b > 0 && b <= 1) {
        d = r - s;
        theta = phi - PI / 2;
    } else if (b > 1) {
        d = s - r;
        theta = phi + PI / 2;
    } else {  // b < -1
        d = -(s + r);
        theta = phi - PI / 2;
    }
    cx = midX - std::cos(theta) * d;
    cy = midY - std::sin(theta) * d;
}

double PointAngle(double PI, double x, double y, double cx, double cy) {
    const double dx = x - cx;
    const double dy = y - cy;
    const double k = 180 / PI;
    double angle = 0;
    if (dx != 0) {
        if (dy < 0 && dx < 0) angle = k * std::atan(dy / dx) + 180;
        if (dy > 0 && dx > 0) angle = k * std::atan(dy / dx);
        if (dy > 0 && dx < 0) angle = k * std::atan(dy / dx) + 180;
        if (dy < 0 && dx > 0) angle = k * std::atan(dy / dx) + 360;
    }
    if (dy == 0) {
        if (dx < 0) angle = 180;
        if (dx == 0) angle = -10000;
        if (dx > 0) angle = 0;
    }
    if (dx == 0) {
        if (dy < 0) angle = 270;
        if (dy == 0) angle = -10000;
        if (dy > 0) angle = 90;
    }
    return angle;
}

namespace {

// One correction each way, then whole turns for anything still outside 0..2PI (an end angle of 1E12 degrees
// would otherwise make a chain of billions of chords).
double IntoOneTurn(double PI, double angle) {
    if (angle < 0) angle += 2 * PI;
    if (angle > 2 * PI) angle -= 2 * PI;
    if (angle < 0 || angle > 2 * PI) {
        angle = std::fmod(angle, 2 * PI);
        if (angle < 0) angle += 2 * PI;
    }
    return angle;
}

}  // namespace

ArcSweep ArcSweepOf(double PI, int16_t divisions, double startDeg, double endDeg, bool clockwise) {
    ArcSweep sweep{IntoOneTurn(PI, PI / 180 * startDeg), IntoOneTurn(PI, PI / 180 * endDeg), PI / divisions};
    if (clockwise) sweep.step = -sweep.step;
    if (sweep.step < 0 && sweep.a1 > sweep.a0) sweep.a1 -= 2 * PI;
    if (sweep.step > 0 && sweep.a1 < sweep.a0) sweep.a1 += 2 * PI;
    return sweep;
}

std::string ArcToChords(double PI, int16_t divisions, double cx, double cy, double radius, double startDeg,
                        double endDeg, const std::string& sense) {
    std::string chords;
    ForEachChord(PI, divisions, cx, cy, radius, startDeg, endDeg, sense == "-",
                 [&chords](double x1, double y1, double x2, double y2) {
                     for (const double v : {x1, y1, x2}) {
                         AppendDefaultNumber(chords, v);
                         chords += ' ';
                     }
                     AppendDefaultNumber(chords, y2);
                     chords += '|';
                 });
    return chords;
}

}  // namespace zorvan
