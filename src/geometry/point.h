// A point (or a direction) of the drawing's plane.
#pragma once

#include <cmath>

namespace zorvan {

struct Point2 {
    double x = 0, y = 0;
};

inline Point2 operator+(Point2 a, Point2 b) { return {a.x + b.x, a.y + b.y}; }
inline Point2 operator-(Point2 a, Point2 b) { return {a.x - b.x, a.y - b.y}; }
inline Point2 operator*(Point2 a, double s) { return {a.x * s, a.y * s}; }
inline double Dot(Point2 a, Point2 b) { return a.x * b.x + a.y * b.y; }
inline double Cross(Point2 a, Point2 b) { return a.x * b.y - a.y * b.x; }
inline double Distance(Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The point nearest `p` on the segment from a to b, as its distance from p.
inline double DistanceToSegment(Point2 p, Point2 a, Point2 b) {
    const Point2 ab = b - a;
    const double length2 = Dot(ab, ab);
    if (!(length2 > 0)) return Distance(p, a);  // no length (or not a number): the one point
    double t = Dot(p - a, ab) / length2;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return Distance(p, a + ab * t);
}

}  // namespace zorvan
