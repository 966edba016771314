// Ellipses and splines fitted with arcs and lines, checked against the true curves sampled densely by plain
// formulas written out here: the parametric ellipse and the Cox-de Boor basis; splines through fit points by
// the points themselves and the smoothness of the pieces.
#include "geometry/curves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace zorvan {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTolerance = 0.01;
constexpr int kDenseSamples = 20000;
using Kind = CurvePiece::Kind;

Point2 Add(Point2 a, Point2 b) { return {a.x + b.x, a.y + b.y}; }
Point2 Sub(Point2 a, Point2 b) { return {a.x - b.x, a.y - b.y}; }
Point2 Times(Point2 a, double s) { return {a.x * s, a.y * s}; }
double Dist(Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }
double Square(double v) { return v * v; }
double Angle(Point2 from, Point2 to) { return std::atan2(to.y - from.y, to.x - from.x); }

double SegmentDistance(Point2 q, Point2 a, Point2 b) {
    const Point2 ab = Sub(b, a);
    const double len2 = ab.x * ab.x + ab.y * ab.y;
    const double f = len2 == 0 ? 0 : std::clamp(((q.x - a.x) * ab.x + (q.y - a.y) * ab.y) / len2, 0.0, 1.0);
    return Dist(q, Add(a, Times(ab, f)));
}

void ExpectSamePoint(Point2 actual, Point2 expected, const char* what) {
    EXPECT_EQ(actual.x, expected.x) << what;
    EXPECT_EQ(actual.y, expected.y) << what;
}

// The turn from `from` to `to` about an arc's centre in the arc's own sense, in [0, 2 pi).
double TurnAlong(const CurvePiece& arc, Point2 from, Point2 to) {
    double turn = Angle(arc.centre, to) - Angle(arc.centre, from);
    if (!arc.counterClockwise) turn = -turn;
    return turn - 2 * kPi * std::floor(turn / (2 * kPi));
}

double PieceDistance(Point2 q, const CurvePiece& piece) {
    if (piece.kind == Kind::Line) return SegmentDistance(q, piece.start, piece.end);
    const double sweep = TurnAlong(piece, piece.start, piece.end);
    if (TurnAlong(piece, piece.start, q) <= (sweep == 0 ? 2 * kPi : sweep)) {
        return std::fabs(Dist(q, piece.centre) - piece.radius);
    }
    return std::min(Dist(q, piece.start), Dist(q, piece.end));
}

Point2 PiecePoint(const CurvePiece& piece, double f) {
    if (piece.kind == Kind::Line) return Add(piece.start, Times(Sub(piece.end, piece.start), f));
    double sweep = TurnAlong(piece, piece.start, piece.end);
    if (!piece.counterClockwise) sweep = -sweep;
    const double a = Angle(piece.centre, piece.start) + f * sweep;
    return {piece.centre.x + piece.radius * std::cos(a), piece.centre.y + piece.radius * std::sin(a)};
}

// Every curve sample within `tolerance` of the pieces, every piece point within `tolerance` of the curve (the
// polyline through the samples), consecutive pieces sharing their end points bit for bit, arc ends on their
// circles.
void ExpectFitsCurve(const std::vector<CurvePiece>& pieces, const std::vector<Point2>& curve, double tolerance) {
    ASSERT_FALSE(pieces.empty());
    for (size_t i = 0; i + 1 < pieces.size(); ++i) ExpectSamePoint(pieces[i + 1].start, pieces[i].end, "join");
    double worst = 0;
    for (const CurvePiece& piece : pieces) {
        if (piece.kind == Kind::Arc) {
            worst = std::max({worst, std::fabs(Dist(piece.start, piece.centre) - piece.radius),
                              std::fabs(Dist(piece.end, piece.centre) - piece.radius)});
        }
    }
    EXPECT_LE(worst, tolerance * 1e-3) << "arc ends off their circles";

    worst = 0;
    for (const Point2& q : curve) {
        double nearest = HUGE_VAL;
        for (const CurvePiece& piece : pieces) nearest = std::min(nearest, PieceDistance(q, piece));
        worst = std::max(worst, nearest);
    }
    EXPECT_LE(worst, tolerance * (1 + 1e-9)) << "curve to pieces";

    std::vector<double> step(curve.size(), 0.0);
    for (size_t j = 0; j + 1 < curve.size(); ++j) step[j] = Dist(curve[j], curve[j + 1]);
    worst = 0;
    for (const CurvePiece& piece : pieces) {
        for (int k = 0; k <= 40; ++k) {
            const Point2 q = PiecePoint(piece, k / 40.0);
            double nearest2 = HUGE_VAL;  // squared, to the nearest sample
            for (const Point2& c : curve) nearest2 = std::min(nearest2, Square(q.x - c.x) + Square(q.y - c.y));
            double nearest = std::sqrt(nearest2);
            for (size_t j = 0; j + 1 < curve.size(); ++j) {  // a segment starting farther away cannot be nearer
                if (Square(q.x - curve[j].x) + Square(q.y - curve[j].y) > Square(nearest + step[j])) continue;
                nearest = std::min(nearest, SegmentDistance(q, curve[j], curve[j + 1]));
            }
            worst = std::max(worst, nearest);
        }
    }
    EXPECT_LE(worst, tolerance * (1 + 1e-9)) << "pieces to curve";
}

void ExpectAllOfKind(const std::vector<CurvePiece>& pieces, Kind kind) {
    for (const CurvePiece& piece : pieces) EXPECT_EQ(piece.kind, kind);
}

// ---- Ellipses ----

// The point at parameter t, in the order the contract writes it: centre + major cos t + minor sin t.
Point2 EllipsePoint(Point2 centre, Point2 major, double ratio, double t) {
    const Point2 minor{-major.y * ratio, major.x * ratio};
    return {centre.x + major.x * std::cos(t) + minor.x * std::sin(t),
            centre.y + major.y * std::cos(t) + minor.y * std::sin(t)};
}

TEST(FitEllipse, StaysWithinToleranceBothWaysWithExactEndsAndJoins) {
    struct Case {
        const char* name;
        Point2 centre, major;
        double ratio, t0, t1;
        bool whole;
        size_t maxPieces;
    };
    const Case cases[] = {
        {"unit circle", {0, 0}, {1, 0}, 1, 0, 2 * kPi, true, 2},
        {"circle, turned, from equal parameters", {1000, -200}, {0, 500}, 1, 1, 1, true, 4},
        {"100 x 10 ellipse", {0, 0}, {100, 0}, 0.1, 0, 2 * kPi, true, 60},
        {"half ellipse, turned axes", {5, 5}, {300, 400}, 0.5, 0.3, 2.5, false, 30},
        {"thin ellipse, whole", {0, 0}, {0, 1000}, 0.05, 0, 2 * kPi, true, 120},
        {"arc across parameter zero", {-20, 30}, {60, -25}, 0.7, 5.5, 0.7, false, 30},
        {"arc from a negative parameter", {0, 0}, {-7, 7}, 0.3, -1, 1, false, 20},
        {"small ellipse, sweep of more than a turn", {2, 3}, {10, 0}, 0.5, 1, 1 + 4 * kPi, true, 30},
        {"almost a whole turn, short by 1e-12", {0, 0}, {50, 0}, 0.6, 0, 2 * kPi - 1e-12, true, 40},
        {"short arc at the sharp end of a thin ellipse", {0, 0}, {200, 0}, 0.02, -0.05, 0.04, false, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<CurvePiece> pieces = FitEllipse(c.centre, c.major, c.ratio, c.t0, c.t1, kTolerance);
        ASSERT_FALSE(pieces.empty());
        EXPECT_LE(pieces.size(), c.maxPieces);
        const Point2 start = EllipsePoint(c.centre, c.major, c.ratio, c.t0);
        ExpectSamePoint(pieces.front().start, start, "start");
        ExpectSamePoint(pieces.back().end, c.whole ? start : EllipsePoint(c.centre, c.major, c.ratio, c.t1), "end");

        const double sweep = c.whole ? 2 * kPi : c.t1 - c.t0 + (c.t1 < c.t0 ? 2 * kPi : 0);
        std::vector<Point2> curve;
        for (int k = 0; k <= kDenseSamples; ++k) {
            curve.push_back(EllipsePoint(c.centre, c.major, c.ratio, c.t0 + sweep * k / kDenseSamples));
        }
        ExpectFitsCurve(pieces, curve, kTolerance);
        if (c.ratio == 1) ExpectAllOfKind(pieces, Kind::Arc);
    }
}

// ---- Splines from control points ----

// The basis function N(i, p) at u by the Cox-de Boor recursion; at the end of the domain the last non-empty
// span counts as closed, so the curve reaches its end.
double Basis(const std::vector<double>& t, size_t i, size_t p, double u, double end) {
    if (p == 0) return u == end ? t[i] < t[i + 1] && t[i + 1] == end : t[i] <= u && u < t[i + 1];
    double value = 0;
    if (t[i + p] > t[i]) value += (u - t[i]) / (t[i + p] - t[i]) * Basis(t, i, p - 1, u, end);
    if (t[i + p + 1] > t[i + 1]) {
        value += (t[i + p + 1] - u) / (t[i + p + 1] - t[i + 1]) * Basis(t, i + 1, p - 1, u, end);
    }
    return value;
}

// The curve over knots[degree]..knots[n], sampled evenly within each knot span with the knots included.
std::vector<Point2> SplineCurve(const SplineData& s) {
    const size_t n = s.controlPoints.size(), p = static_cast<size_t>(s.degree);
    auto at = [&](double u) {
        Point2 sum;
        double weightSum = 0;
        for (size_t i = 0; i < n; ++i) {
            const double w = (s.weights.empty() ? 1.0 : s.weights[i]) * Basis(s.knots, i, p, u, s.knots[n]);
            sum = Add(sum, Times(s.controlPoints[i], w));
            weightSum += w;
        }
        return Times(sum, 1 / weightSum);
    };
    std::vector<Point2> curve{at(s.knots[p])};
    const int perSpan = kDenseSamples / static_cast<int>(n - p);
    for (size_t k = p; k < n; ++k) {
        const double u0 = s.knots[k], u1 = s.knots[k + 1];
        for (int j = 1; u0 < u1 && j <= perSpan; ++j) {
            curve.push_back(at(j == perSpan ? u1 : u0 + (u1 - u0) * j / perSpan));
        }
    }
    return curve;
}

SplineData Spline(int degree, std::vector<Point2> points, std::vector<double> knots, std::vector<double> weights = {},
                  bool closed = false) {
    return SplineData{degree, std::move(knots), std::move(points), std::move(weights), {}, {}, {}, closed};
}

// Knots clamped at both ends: the first and last of `inner` repeated degree + 1 times.
std::vector<double> Clamped(int degree, std::vector<double> inner) {
    std::vector<double> knots(static_cast<size_t>(degree), inner.front());
    knots.insert(knots.end(), inner.begin(), inner.end());
    knots.insert(knots.end(), static_cast<size_t>(degree), inner.back());
    return knots;
}

TEST(FitSpline, ControlPointSplinesStayWithinToleranceBothWaysWithExactEndsAndJoins) {
    // A closed cubic: eight points around an irregular loop, the first three repeated, and knot steps that
    // repeat every eight, so the curve closes, but only to within rounding when evaluated at its end.
    std::vector<Point2> loop{{0, 0}, {80, -20}, {160, 10}, {200, 90}, {150, 170}, {60, 160}, {10, 120}, {-30, 50}};
    loop.insert(loop.end(), loop.begin(), loop.begin() + 3);
    for (Point2& p : loop) p = {p.x * 0.7 + 1000.1, p.y * 0.7 - 300.3};
    const double steps[] = {0.13, 0.29, 0.17, 0.41, 0.23, 0.37, 0.19, 0.31};
    std::vector<double> loopKnots{0.3};
    for (int k = 0; k < 14; ++k) loopKnots.push_back(loopKnots.back() + steps[k % 8]);
    // Circles as drawings give them: a rational quadratic quarter, and a whole one of nine points on a square.
    const double h = std::sqrt(0.5);
    const SplineData quarter = Spline(2, {{100, 0}, {100, 100}, {0, 100}}, Clamped(2, {0, 1}), {1, h, 1});
    std::vector<Point2> square{{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    for (Point2& p : square) p = {10 + 100 * p.x, 20 + 100 * p.y};
    const SplineData circle =
        Spline(2, square, Clamped(2, {0, 1, 1, 2, 2, 3, 3, 4}), {1, h, 1, h, 1, h, 1, h, 1}, true);
    struct Case {
        const char* name;
        SplineData spline;
        size_t maxPieces;
        bool clamped;  // the ends are exactly the first and last control points
        std::optional<Kind> only;
    };
    const Case cases[] = {
        {"quadratic", Spline(2, {{0, 0}, {50, 100}, {100, 0}, {150, 50}}, Clamped(2, {0, 1, 2})), 40, true, {}},
        {"cubic, uneven knots",
         Spline(3, {{0, 0}, {20, 80}, {90, 100}, {120, 10}, {200, -40}, {260, 60}}, Clamped(3, {0, 0.3, 0.5, 1})), 45,
         true, {}},
        {"degree 5",
         Spline(5, {{0, 0}, {30, 60}, {70, -30}, {110, 90}, {150, 0}, {190, 70}, {230, -20}, {260, 40}},
                Clamped(5, {0, 1, 2, 3})),
         60, true, {}},
        {"S-bend with stacked end points",
         Spline(3, {{0, 0}, {0, 0}, {100, 100}, {0, 100}, {100, 0}, {100, 0}}, Clamped(3, {0, 1, 2, 3})), 40, true, {}},
        {"unclamped open cubic",
         Spline(3, {{0, 0}, {40, 40}, {80, 0}, {120, 40}, {160, 0}, {200, 40}}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 40,
         false, {}},
        {"rational quarter circle", quarter, 1, true, Kind::Arc},
        {"rational whole circle", circle, 2, true, Kind::Arc},
        {"straight cubic", Spline(3, {{0, 0}, {10, 10}, {30, 30}, {60, 60}, {100, 100}}, Clamped(3, {0, 0.5, 1})), 1,
         true, Kind::Line},
        {"straight quadratic, doubled point", Spline(2, {{0, 0}, {0, 5}, {0, 5}, {0, 50}}, Clamped(2, {0, 1, 3})), 1,
         true, Kind::Line},
        {"closed periodic cubic", Spline(3, loop, loopKnots, {}, true), 60, false, {}},
        {"degree 1 with a corner", Spline(1, {{0, 0}, {10, 0}, {10, 10}}, {0, 0, 1, 2, 2}), 2, true, Kind::Line},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<CurvePiece> pieces = FitSpline(c.spline, kTolerance);
        ASSERT_FALSE(pieces.empty());
        EXPECT_LE(pieces.size(), c.maxPieces);
        const std::vector<Point2> curve = SplineCurve(c.spline);
        if (c.clamped) {
            ExpectSamePoint(pieces.front().start, c.spline.controlPoints.front(), "start");
            ExpectSamePoint(pieces.back().end, c.spline.controlPoints.back(), "end");
        } else {
            EXPECT_LT(Dist(pieces.front().start, curve.front()), 1e-9);
            EXPECT_LT(Dist(pieces.back().end, curve.back()), 1e-9);
        }
        if (c.spline.closed) ExpectSamePoint(pieces.back().end, pieces.front().start, "closure");
        ExpectFitsCurve(pieces, curve, kTolerance);
        if (c.only) ExpectAllOfKind(pieces, *c.only);
    }
}

// ---- Splines through fit points ----

SplineData Through(std::vector<Point2> points, bool closed = false, std::optional<Point2> startTangent = {},
                   std::optional<Point2> endTangent = {}) {
    return SplineData{3, {}, {}, {}, std::move(points), startTangent, endTangent, closed};
}

// The direction a piece runs in at `end` (its start or its end).
double Heading(const CurvePiece& piece, Point2 end) {
    if (piece.kind == Kind::Line) return Angle(piece.start, piece.end);
    return Angle(piece.centre, end) + (piece.counterClockwise ? kPi / 2 : -kPi / 2);
}

// The curve passes through every fit point, starts and ends exactly on the first and last, leaves along the
// start tangent when one is given, and turns smoothly wherever two pieces meet.
TEST(FitSpline, FitPointSplinesPassThroughThePointsSmoothly) {
    const std::vector<Point2> wave{{0, 0}, {40, 30}, {100, 20}, {130, -40}, {200, -10}, {230, 50}};
    const SplineData tangents = Through(wave, false, Point2{0, 5}, Point2{1, -1});
    // The tangent is ignored: a closed curve closes smoothly.
    const SplineData closed =
        Through({{0, 0}, {100, -10}, {120, 80}, {30, 110}, {-20, 60}, {0, 0}}, true, Point2{1, 1});
    SplineData badControls = Spline(3, {{0, 0}, {10, 10}, {20, 0}, {30, 10}}, {0, 1, 2});  // knots do not match
    badControls.fitPoints = {{0, 0}, {15, 8}, {30, 10}};

    const SplineData cases[] = {Through(wave), tangents, Through({{0, 0}, {0, 0}, {50, 50}, {100, 0}, {100, 0}}),
                                closed, Through({{5, 5}, {55, 5}}), badControls};
    for (const SplineData& s : cases) {
        SCOPED_TRACE(&s - cases);
        const std::vector<CurvePiece> pieces = FitSpline(s, kTolerance);
        ASSERT_FALSE(pieces.empty());
        EXPECT_LE(pieces.size(), 60u);
        ExpectSamePoint(pieces.front().start, s.fitPoints.front(), "start");
        ExpectSamePoint(pieces.back().end, s.fitPoints.back(), "end");
        for (const Point2& p : s.fitPoints) {
            double nearest = HUGE_VAL;
            for (const CurvePiece& piece : pieces) nearest = std::min(nearest, PieceDistance(p, piece));
            EXPECT_LE(nearest, kTolerance);
        }
        for (size_t i = 0; i + 1 < pieces.size(); ++i) {
            const double turn = Heading(pieces[i + 1], pieces[i + 1].start) - Heading(pieces[i], pieces[i].end);
            EXPECT_NEAR(std::remainder(turn, 2 * kPi), 0, 0.02) << "kink at " << i;
        }
        if (s.startTangent && !s.closed) {
            const double off = Heading(pieces.front(), pieces.front().start) - Angle({0, 0}, *s.startTangent);
            EXPECT_NEAR(std::remainder(off, 2 * kPi), 0, 1e-3);
        }
    }
    const std::vector<CurvePiece> twoPoints = FitSpline(cases[4], kTolerance);
    ASSERT_EQ(twoPoints.size(), 1u);
    EXPECT_EQ(twoPoints[0].kind, Kind::Line);
}

// Fit-point splines against the curves CAD programs draw through the same data, each given as the cubic
// B-spline (knots and control points) made offline from it: the open ones by python3-ezdxf 0.18's
// fit_points_to_cad_cv (its default end-tangent estimate; where only one tangent is given, the estimate for
// the other passed in with it), the closed one by solving the periodic interpolation densely (knots at the
// chord-length parameters, repeated with period 1; control points wrapped three deep). Each is sampled by the
// Cox-de Boor recursion above and must lie within the tolerance of the pieces, both ways.
TEST(FitSpline, FitPointSplinesFollowTheCurveCadProgramsDraw) {
    struct Case {
        const char* name;
        SplineData fit;
        std::vector<double> knots;
        std::vector<Point2> controls;
    };
    const Case cases[] = {
        {"open, no tangents",
         Through({{0, 0}, {40, 30}, {100, 20}, {130, -40}, {200, -10}, {230, 50}, {180, 90}}, false, {}, {}),
         {0, 0, 0, 0, 0.129809211457, 0.287728932965, 0.461886265519, 0.659605765821, 0.833763098375, 1, 1, 1, 1},
         {{0, 0}, {8.57492925713, 14.2915487619}, {40.1300398372, 37.4576080072}, {114.073635867, 33.6783815969},
          {117.942958641, -68.0899158947}, {203.802007573, -15.2226636437}, {249.988527872, 51.9341968612},
          {200.248456731, 83.2505144229}, {180, 90}}},
        {"open, start and end tangents",
         Through({{0, 0}, {40, 30}, {100, 20}, {130, -40}, {200, -10}, {230, 50}}, false, Point2{0, 5},
                 Point2{1, -1}),
         {0, 0, 0, 0, 0.155690761213, 0.345096746936, 0.553977822261, 0.791118924676, 1, 1, 1, 1},
         {{0, 0}, {0, 16.6666666667}, {44.8491631758, 36.3418676386}, {113.157654136, 33.0687537044},
          {115.627739666, -63.6927902544}, {215.127903048, -33.6123358938}, {214.188611699, 65.8113883008},
          {230, 50}}},
        {"closed",
         Through({{0, 0}, {100, -10}, {120, 80}, {30, 110}, {-20, 60}, {-15, 20}}, true, {}, {}),
         {-0.321121211185, -0.154187155419, -0.0590201014214, 0, 0.237257871372, 0.454913250944, 0.678878788815,
          0.845812844581, 0.940979898579, 1, 1.23725787137, 1.45491325094, 1.67887878881},
         {{-19.5304335414, 23.2042217215}, {13.9229463375, -21.1325215649}, {115.084866431, -38.0542492337},
          {144.785271766, 97.0480992447}, {32.3690190321, 128.566013457}, {-26.4875958141, 72.2253839895},
          {-19.5304335414, 23.2042217215}, {13.9229463375, -21.1325215649}, {115.084866431, -38.0542492337}}},
        {"last point repeats the first, not closed",
         Through({{0, 0}, {100, -10}, {120, 80}, {30, 110}, {-20, 60}, {-15, 20}, {0, 0}}, false, {}, {}),
         {0, 0, 0, 0, 0.237257871372, 0.454913250944, 0.678878788815, 0.845812844581, 0.940979898579, 1, 1, 1, 1},
         {{0, 0}, {30.7909774315, -13.1961331849}, {112.877515057, -42.2086792298}, {145.32154265, 98.060431996},
          {32.4671271367, 128.739402025}, {-26.9555395974, 71.3697250504}, {-18.7065918067, 24.711947906},
          {-7.453559925, 3.7267799625}, {0, 0}}},
        {"three points",
         Through({{10, 10}, {60, 40}, {110, 0}}, false, {}, {}),
         {0, 0, 0, 0, 0.476615629313, 1, 1, 1, 1},
         {{10, 10}, {21.8506470543, 25.4058411706}, {63.5710870428, 58.1398765374}, {98.1606190968, 17.7590713548},
          {110, 0}}},
        {"start tangent only",
         Through({{0, 0}, {50, 10}, {90, 60}, {150, 70}}, false, Point2{1, -1}, {}),
         {0, 0, 0, 0, 0.289965691714, 0.654091842573, 1, 1, 1, 1},
         {{0, 0}, {12.0185042515, -12.0185042515}, {64.2880138371, 8.57930974729}, {79.1504002565, 69.2898334045},
          {129.92790771, 72.8674417557}, {150, 70}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<CurvePiece> pieces = FitSpline(c.fit, kTolerance);
        ASSERT_FALSE(pieces.empty());
        ExpectSamePoint(pieces.front().start, c.fit.fitPoints.front(), "start");
        ExpectSamePoint(pieces.back().end, c.fit.closed ? c.fit.fitPoints.front() : c.fit.fitPoints.back(), "end");
        ExpectFitsCurve(pieces, SplineCurve(Spline(3, c.controls, c.knots)), kTolerance);
    }
}

// Points in line make a straight cut, also where the end estimate has no direction (the parabola through
// three points stands still at an end when the third is four times as far as the second: what is left of its
// direction is rounding, which must not send the curve off the line).
TEST(FitSpline, FitPointsInLineGiveLinesOnTheLine) {
    const Point2 from{0.1, 0.7}, step{0.3, 0.11};
    auto along = [&](double k) { return Add(from, Times(step, k)); };
    const SplineData splines[] = {
        Through({along(0), along(1), along(4)}),
        Through({along(4), along(1), along(0)}),
        Through({along(0), along(1), along(1), along(4), along(7)}),
        Through({along(0), along(3)}),
    };
    for (const SplineData& s : splines) {
        SCOPED_TRACE(&s - splines);
        const std::vector<CurvePiece> pieces = FitSpline(s, kTolerance);
        ASSERT_FALSE(pieces.empty());
        ExpectAllOfKind(pieces, Kind::Line);
        for (const CurvePiece& piece : pieces) {
            for (const Point2 p : {piece.start, piece.end}) {
                const Point2 off = Sub(p, from);
                EXPECT_LE(std::fabs(off.x * step.y - off.y * step.x) / std::hypot(step.x, step.y), 1e-9);
            }
        }
    }
}

// ---- Inputs that make no curve, and inputs that would make endless work ----

TEST(FitCurves, DataThatMakesNoCurveGivesNothing) {
    const std::vector<Point2> four{{0, 0}, {10, 10}, {20, 0}, {30, 10}};
    const std::vector<double> knots = Clamped(3, {0, 1});
    SplineData badTangent = Through({{0, 0}, {10, 10}, {20, 0}});
    badTangent.endTangent = Point2{kNaN, 1};
    const SplineData splines[] = {
        SplineData{},                                                  // nothing at all
        Spline(3, {{0, 0}, {1, 1}, {2, 0}}, {0, 0, 0, 0, 1, 1, 1}),  // fewer points than the degree needs
        Spline(3, four, {0, 0, 0, 0, 1, 1, 1}),                       // one knot short
        Spline(3, four, {0, 0, 0, 0, 1, 1, 0.5, 1}),                  // knots going backwards
        Spline(3, four, {1, 1, 1, 1, 1, 1, 1, 1}),                    // an empty domain
        Spline(3, {{0, 0}, {10, 10}, {kNaN, 0}, {30, 10}}, knots),    // NaN point
        Spline(3, four, {0, 0, 0, 0, kNaN, 1, 1, 1}),                 // NaN knot
        Spline(3, four, knots, {1, 0, 1, 1}),                         // zero weight
        Spline(3, four, knots, {1, 1, -2, 1}),                        // negative weight
        Spline(3, four, knots, {1, 1, 1}),                            // weights for other points
        Spline(0, four, {0, 1, 2, 3, 4}),                             // degree 0
        Spline(1000000, four, knots),                                 // absurd degree
        Spline(2, {{0, 0}, {10, 10}, {20, 0}, {50, 50}, {60, 40}, {70, 50}}, {0, 0, 0, 1, 1, 1, 2, 2, 2}),  // jump
        Spline(2, {{3, 3}, {3, 3}, {3, 3}}, Clamped(2, {0, 1})),      // a single point
        Through({{1, 1}}),                                            // one fit point
        Through({{1, 1}, {1, 1}, {1, 1}}),                            // fit points all the same
        Through({{0, 0}, {kNaN, 1}, {2, 2}}),                         // NaN fit point
        Through({{0, 0}, {10, 0}}, true),                             // closed through two points
        Through({{0, 0}, {1e300, 1e300}, {-1e300, 1e300}}),           // past any drawing
        badTangent,
    };
    for (const SplineData& s : splines) EXPECT_TRUE(FitSpline(s, kTolerance).empty()) << &s - splines;
    EXPECT_TRUE(FitSpline(Through({{0, 0}, {10, 10}}), 0).empty());
    EXPECT_TRUE(FitSpline(Through({{0, 0}, {10, 10}}), kNaN).empty());

    struct Ellipse {
        Point2 centre, major;
        double ratio, t1, tolerance;
    };
    const Ellipse ellipses[] = {{{0, 0}, {10, 0}, 0, 1, kTolerance},    {{0, 0}, {10, 0}, -0.5, 1, kTolerance},
                                {{0, 0}, {10, 0}, kNaN, 1, kTolerance}, {{0, 0}, {0, 0}, 0.5, 1, kTolerance},
                                {{kNaN, 0}, {10, 0}, 0.5, 1, kTolerance}, {{0, 0}, {10, 0}, 0.5, HUGE_VAL, kTolerance},
                                {{0, 0}, {10, 0}, 0.5, 1, 0},           {{0, 0}, {10, 0}, 0.5, 1, -1}};
    for (const Ellipse& e : ellipses) {
        EXPECT_TRUE(FitEllipse(e.centre, e.major, e.ratio, 0, e.t1, e.tolerance).empty()) << &e - ellipses;
    }
}

// Work that cannot be done within the tolerance is capped: a tolerance below rounding noise, splines (by
// control points and through fit points) with more knots than the piece limit. Each must end (the test's
// time-out watches) with a joined chain from the true start to end.
TEST(FitCurves, HopelessWorkEndsQuicklyWithAJoinedChain) {
    SplineData zigzag{3, {0, 0, 0}, {}, {}, {}, {}, {}, false};
    for (int i = 0; i < 30000; ++i) zigzag.controlPoints.push_back({i * 1.0, (i % 2) * 5.0 + (i % 7)});
    for (int k = 0; k <= 30000 - 3; ++k) zigzag.knots.push_back(k);
    zigzag.knots.insert(zigzag.knots.end(), 3, 30000 - 3);

    const SplineData zigzagThrough = Through(zigzag.controlPoints);

    const std::vector<CurvePiece> results[] = {FitEllipse({0, 0}, {1000, 0}, 0.3, 0, 2 * kPi, 1e-14),
                                               FitSpline(zigzag, kTolerance), FitSpline(zigzagThrough, kTolerance)};
    for (const std::vector<CurvePiece>& pieces : results) {
        ASSERT_FALSE(pieces.empty());
        for (size_t i = 0; i + 1 < pieces.size(); ++i) {
            ASSERT_EQ(pieces[i].end.x, pieces[i + 1].start.x);
            ASSERT_EQ(pieces[i].end.y, pieces[i + 1].start.y);
        }
    }
    EXPECT_LE(results[0].size(), kMaxCurvePieces + 5);
    ExpectSamePoint(results[0].back().end, results[0].front().start, "ellipse closure");
    ExpectSamePoint(results[1].front().start, zigzag.controlPoints.front(), "spline start");
    ExpectSamePoint(results[1].back().end, zigzag.controlPoints.back(), "spline end");
    ExpectSamePoint(results[2].front().start, zigzag.controlPoints.front(), "fit spline start");
    ExpectSamePoint(results[2].back().end, zigzag.controlPoints.back(), "fit spline end");
}

}  // namespace
}  // namespace zorvan
