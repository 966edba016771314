// Ellipses and splines as circular arcs and straight lines that stay within a chord tolerance of the true
// curve, so that the cutting path is made only of the two kinds of move a plasma controller knows.
//
// Each curve is cut at its natural break points (the ends of an ellipse's major axis, a spline's knots) and
// walked from break to break, each step as long as one biarc still covers it within the tolerance: two arcs
// meeting tangentially, matching the curve's point and direction at both ends. Where the curve is straight a
// line is used. Piece ends are shared values, so consecutive pieces join bit for bit.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "geometry/point.h"

namespace zorvan {

// A piece of a fitted curve, in the curve's own direction.
struct CurvePiece {
    enum class Kind { Line, Arc };
    Kind kind = Kind::Line;
    Point2 start, end;
    Point2 centre;                 // arcs only
    double radius = 0;             // arcs only
    bool counterClockwise = true;  // arcs only: the sense from start to end (y up)
};

// The most pieces one curve is fitted with. A curve that needs more (a tolerance far below its size, or a
// spline with tens of thousands of knots) gets straight lines between its remaining break points instead, so
// no input can make the fit run away.
inline constexpr std::size_t kMaxCurvePieces = 10000;

// The elliptical arc with centre `centre`, major semi-axis vector `major` (from the centre to the end of the
// major axis), ratio of minor to major semi-axis `ratio` (normally 0 < ratio <= 1; any positive ratio gives
// the curve the formula describes), from parameter `t0` to `t1` in radians, counter-clockwise: the point at
// parameter t is centre + major*cos t + minor*sin t, where minor is `major` turned +90 degrees and scaled by
// `ratio`. t1 may be less than t0 (then 2*pi is added to t1, and whole turns while it stays below); equal
// parameters or a sweep of 2*pi or more mean the whole ellipse, and so does a sweep that falls short of 2*pi by
// less than 1e-6 radians and less than a thousandth of the tolerance along the curve (a full turn written
// with rounded digits).
//
// Every point of the returned pieces lies within `tolerance` of the true curve and every point of the curve
// within `tolerance` of the pieces; consecutive pieces join exactly (the end of one is bit for bit the start
// of the next), the first starts exactly at the point of parameter t0 and the last ends exactly at the point
// of t1 (for a whole ellipse, where it started). Only a curve that would need more than kMaxCurvePieces gets
// straight lines for the rest, which may stray further; its joins and ends stay exact.
//
// Empty for a curve that is not one: non-finite numbers, a zero major axis, a ratio that is not positive, a
// tolerance that is not positive, coordinates beyond 1e100, or a whole ellipse smaller than a millionth of the
// tolerance.
std::vector<CurvePiece> FitEllipse(Point2 centre, Point2 major, double ratio, double t0, double t1,
                                   double tolerance);

// A spline as a DXF drawing gives it.
struct SplineData {
    int degree = 3;
    std::vector<double> knots;  // may be empty when only fit points are given
    std::vector<Point2> controlPoints;
    std::vector<double> weights;  // empty: all 1 (non-rational)
    std::vector<Point2> fitPoints;  // used when there are no usable control points
    std::optional<Point2> startTangent, endTangent;  // for fit points, when given
    bool closed = false;  // the curve closes on itself (periodic or closed flag)
};

// The spline as pieces under the same guarantees as FitEllipse.
//
// Control points: any degree from 1 to 32, clamped or unclamped knots (n control points need n + degree + 1
// non-decreasing knots), rational or not; the curve runs over the knots from knots[degree] to knots[n]. A
// closed spline whose end comes back to within a thousandth of the tolerance of its start ends exactly at its
// start.
//
// Fit points (used when there are no control points, or when the control data does not make a curve): the
// curve CAD programs draw through them, the C2 cubic parameterised by chord length (a cubic B-spline with a
// knot at each point). Open, it leaves the first point along the start tangent and arrives at the last along
// the end tangent, each at unit speed in chord length; the tangents are used as directions, and an end without
// one (or with a zero one) takes that of the parabola through its three nearest points at equally spaced
// parameters (4 q1 - 3 q0 - q2 at the start), or of its one chord when there are only two points. Closed, it
// runs on from the last point to the first, C2 there too, ignoring the tangents; a last point that repeats the
// first is then dropped. An open spline whose last point repeats its first stays open: it ends where it
// started, in general at a corner. Consecutive repeated points count once.
//   Through {(0, 0), (10, 5), (20, 0)}: leaves (0, 0) towards (1, 1), passes (10, 5) heading along x.
//
// Empty for data that does not make a curve: too few points, knots that do not match, non-finite numbers,
// weights that are not positive (or beyond 1e100 either way), a curve with a jump at a knot repeated more
// often than the degree, or a curve that is a single point.
std::vector<CurvePiece> FitSpline(const SplineData& spline, double tolerance);

}  // namespace zorvan
