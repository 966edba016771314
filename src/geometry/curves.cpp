// Ellipses and splines as arcs and lines.
//
// A curve is handed to the fitter as a row of smooth stretches (an ellipse between the ends of its major axis,
// a spline between its knots, an interpolating cubic between its fit points). The fitter walks each stretch,
// covering as much of it at a time as one biarc (or line) can, checked against samples of the true curve both
// ways: every curve sample must lie near the pieces and every piece sample near the curve. The points where
// pieces meet are computed once and copied into both pieces, which is what makes the joins exact.
#include "geometry/curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace zorvan {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
constexpr double kHalfPi = kPi / 2;

// Coordinates beyond this are not a drawing; refusing them keeps every square and product finite.
constexpr double kMaxCoordinate = 1e100;
constexpr int kMaxSplineDegree = 32;

// Curve samples per stretch tried, and samples per piece for the check from the pieces back to the curve.
constexpr int kCurveSamples = 32;
constexpr int kPieceSamples = 16;
// The share of the tolerance the sampled deviation may use; the rest covers what lies between samples.
constexpr double kFitShare = 0.9;
// A stretch this close to its chord is cut as a line, even where a biarc would also do.
constexpr double kStraightShare = 0.125;
// An arc that bulges less than this from its chord is cut as a line (this also keeps huge radii out).
constexpr double kFlatArcShare = 1.0 / 16;
// Pieces shorter than this share of the tolerance are folded into their neighbours.
constexpr double kTinyShare = 1e-6;
// Neighbouring arcs whose centres and radii agree to this share of the tolerance become one arc.
constexpr double kMergeShare = 1e-4;
// A line is made of at most this many merged pieces, which bounds the work of checking the merge.
constexpr std::size_t kMaxMergedLines = 256;
// Halvings of a step that does not fit, and curve evaluations for one curve, before the rest is cut as lines.
constexpr int kMaxDepth = 48;
constexpr long kMaxEvaluations = 20000000;

// ---- Plane vectors ----

Point2 operator-(Point2 a) { return {-a.x, -a.y}; }
double Length(Point2 a) { return std::hypot(a.x, a.y); }
Point2 LeftNormal(Point2 a) { return {-a.y, a.x}; }
bool IsFinite(Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool IsSane(Point2 p) { return IsFinite(p) && std::fabs(p.x) <= kMaxCoordinate && std::fabs(p.y) <= kMaxCoordinate; }
bool SamePoint(Point2 a, Point2 b) { return a.x == b.x && a.y == b.y; }

// `a` scaled to length 1, or the zero vector when it has no direction.
Point2 Unit(Point2 a) {
    const double length = Length(a);
    if (!(length > 0) || !std::isfinite(length)) return {};
    return {a.x / length, a.y / length};
}

// The diagonal of the box around `points`: the size that "tiny" and "huge" are measured against.
double Extent(const std::vector<Point2>& points) {
    if (points.empty()) return 0;
    Point2 low = points.front(), high = points.front();
    for (const Point2& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return Distance(low, high);
}

// ---- Pieces while fitting ----

// A piece with the angles of an arc kept beside it, for measuring distances and sampling points.
struct Piece {
    CurvePiece shape;
    double startAngle = 0;  // arcs: direction of the start point seen from the centre
    double sweep = 0;       // arcs: signed turn from start to end, positive counter-clockwise
};

Piece LinePiece(Point2 start, Point2 end) {
    Piece line;
    line.shape.start = start;
    line.shape.end = end;
    return line;
}

bool IsArc(const Piece& piece) { return piece.shape.kind == CurvePiece::Kind::Arc; }

Piece Reversed(Piece piece) {
    std::swap(piece.shape.start, piece.shape.end);
    if (IsArc(piece)) {
        piece.shape.counterClockwise = !piece.shape.counterClockwise;
        piece.startAngle += piece.sweep;
        piece.sweep = -piece.sweep;
    }
    return piece;
}

// The point a fraction `f` of the way along the piece (f = 0 and 1 give its end points exactly).
Point2 PointOnPiece(const Piece& piece, double f) {
    if (f <= 0) return piece.shape.start;
    if (f >= 1) return piece.shape.end;
    if (!IsArc(piece)) return piece.shape.start + (piece.shape.end - piece.shape.start) * f;
    const double angle = piece.startAngle + f * piece.sweep;
    return piece.shape.centre + Point2{std::cos(angle), std::sin(angle)} * piece.shape.radius;
}

double DistanceToPiece(Point2 q, const Piece& piece) {
    const CurvePiece& s = piece.shape;
    if (!IsArc(piece)) return DistanceToSegment(q, s.start, s.end);
    const Point2 fromCentre = q - s.centre;
    const double angle = std::atan2(fromCentre.y, fromCentre.x);
    double along = piece.sweep >= 0 ? angle - piece.startAngle : piece.startAngle - angle;
    along = std::fmod(along, kTwoPi);
    if (along < 0) along += kTwoPi;
    if (along <= std::fabs(piece.sweep)) return std::fabs(Length(fromCentre) - s.radius);
    return std::min(Distance(q, s.start), Distance(q, s.end));
}

double DistanceToPieces(Point2 q, const std::vector<Piece>& pieces) {
    double nearest = HUGE_VAL;
    for (const Piece& piece : pieces) nearest = std::min(nearest, DistanceToPiece(q, piece));
    return nearest;
}

// The arc that leaves `start` along the unit direction `tangent` and ends at `end`; a line when `end` lies
// ahead along the tangent or the arc would bulge less than `flatLimit`; nothing when `end` lies straight
// behind (the arc would be a whole turn).
std::optional<Piece> ArcFromTangent(Point2 start, Point2 tangent, Point2 end, double flatLimit) {
    const Point2 chord = end - start;
    const double length = Length(chord);
    if (length == 0 || SamePoint(tangent, Point2{})) return LinePiece(start, end);
    const double across = Cross(tangent, chord);
    const double along = Dot(tangent, chord);
    // The turn between the tangent and the chord is half the arc's sweep.
    const double halfSweep = std::atan2(std::fabs(across), along);
    if (halfSweep == 0) return LinePiece(start, end);
    if (halfSweep >= kPi * (1 - 1e-9)) return std::nullopt;
    const double sagitta = length / 2 * std::tan(halfSweep / 2);
    if (halfSweep < kHalfPi && sagitta <= flatLimit) return LinePiece(start, end);

    const double signedRadius = length * length / (2 * across);
    Piece arc;
    arc.shape.kind = CurvePiece::Kind::Arc;
    arc.shape.start = start;
    arc.shape.end = end;
    arc.shape.centre = start + LeftNormal(tangent) * signedRadius;
    arc.shape.radius = std::fabs(signedRadius);
    arc.shape.counterClockwise = across > 0;
    if (!IsFinite(arc.shape.centre) || !std::isfinite(arc.shape.radius)) return LinePiece(start, end);
    const Point2 radial = start - arc.shape.centre;
    arc.startAngle = std::atan2(radial.y, radial.x);
    arc.sweep = across > 0 ? 2 * halfSweep : -2 * halfSweep;
    return arc;
}

// The join of the biarc from `p0`, leaving along `t0`, to `p1`, arriving along `t1`, whose two tangent legs
// have the same length d: the midpoint of p0 + d*t0 and p1 - d*t1. Nothing where no such biarc exists.
std::optional<Point2> EqualLegJoin(Point2 p0, Point2 t0, Point2 p1, Point2 t1) {
    const Point2 v = p1 - p0;
    const double vv = Dot(v, v);
    if (!(vv > 0)) return std::nullopt;
    // d solves 2(1 - t0.t1) d^2 + 2 (v.(t0 + t1)) d - v.v = 0; the form below has no cancellation and holds
    // for parallel tangents too.
    const double vt = Dot(v, t0 + t1);
    const double spread = std::max(0.0, 1 - Dot(t0, t1));
    const double denominator = vt + std::sqrt(vt * vt + 2 * spread * vv);
    if (!(denominator > 1e-12 * std::sqrt(vv))) return std::nullopt;
    const double d = vv / denominator;
    if (!(d > 0) || !std::isfinite(d)) return std::nullopt;
    return (p0 + t0 * d + (p1 - t1 * d)) * 0.5;
}

// The biarc from `p0` along `t0` to `p1` along `t1` that meets at `join`: the arc leaving p0 along t0 through
// the join, and the arc arriving at p1 along t1 from it. The two are tangent at the join when the join lies on
// the circle through p0 and p1 that holds every possible join; the first piece ends, and the second starts,
// at that one join value.
std::optional<std::array<Piece, 2>> BiarcThrough(Point2 p0, Point2 t0, Point2 p1, Point2 t1, Point2 join,
                                                 double flatLimit) {
    const std::optional<Piece> first = ArcFromTangent(p0, t0, join, flatLimit);
    const std::optional<Piece> second = ArcFromTangent(p1, -t1, join, flatLimit);
    if (!first || !second) return std::nullopt;
    return std::array<Piece, 2>{*first, Reversed(*second)};
}

// The circle through three points, as centre and radius; nothing when they are (nearly) in line.
std::optional<std::pair<Point2, double>> CircleThrough(Point2 a, Point2 b, Point2 c) {
    const Point2 ab = b - a, ac = c - a;
    const double twiceArea = 2 * Cross(ab, ac);
    const double abab = Dot(ab, ab), acac = Dot(ac, ac);
    if (!(std::fabs(twiceArea) > 1e-9 * std::sqrt(abab * acac))) return std::nullopt;
    const Point2 offset{(ac.y * abab - ab.y * acac) / twiceArea, (ab.x * acac - ac.x * abab) / twiceArea};
    return std::pair<Point2, double>{a + offset, Length(offset)};
}

// ---- Curves to fit ----

// A curve as a row of smooth stretches. Stretch i runs over the parameters StretchStart(i)..StretchEnd(i);
// Evaluate gives the point and first derivative on one stretch, the derivative taken on that stretch's side
// at its ends, so a corner between stretches is seen from each side. Stretch i ends where i + 1 starts.
class SmoothCurve {
public:
    virtual ~SmoothCurve() = default;
    virtual std::size_t StretchCount() const = 0;
    virtual double StretchStart(std::size_t stretch) const = 0;
    virtual double StretchEnd(std::size_t stretch) const = 0;
    virtual void Evaluate(std::size_t stretch, double u, Point2& point, Point2& derivative) const = 0;
};

// ---- The fitter ----

class BiarcFitter {
public:
    // `scale` is the size of the curve, against which "no direction" is judged.
    BiarcFitter(const SmoothCurve& curve, double tolerance, double scale)
        : curve_(curve),
          fitLimit_(tolerance * kFitShare),
          straightLimit_(tolerance * kStraightShare),
          flatLimit_(tolerance * kFlatArcShare),
          noDirection_(scale * 1e-12) {}

    // Pieces from `start` to `end`: the curve's own end points, passed in so each is used exactly (a closed
    // curve ends where it began, a clamped spline at its control point).
    std::vector<Piece> Fit(Point2 start, Point2 end) {
        const std::size_t count = curve_.StretchCount();
        Point2 from = start;
        for (std::size_t i = 0; i < count; ++i) {
            const Point2 to = i + 1 == count ? end : PointAt(i, curve_.StretchEnd(i));
            if (OutOfBudget()) {
                pieces_.push_back(LinePiece(from, to));
            } else {
                const double u0 = curve_.StretchStart(i), u1 = curve_.StretchEnd(i);
                const Node a{u0, from, {}, Direction(i, u0, u1 - u0, true)};
                const Node b{u1, to, Direction(i, u1, u1 - u0, false), {}};
                FitStretch(i, a, b);
            }
            from = to;
        }
        return std::move(pieces_);
    }

private:
    // A point of the curve with the unit directions in which the curve arrives and leaves (equal except at a
    // cusp; the zero vector where none could be found).
    struct Node {
        double u;
        Point2 point;
        Point2 arriving, leaving;
    };
    struct Samples {
        std::array<double, kCurveSamples + 1> u;
        std::array<Point2, kCurveSamples + 1> point;
    };

    bool OutOfBudget() const { return pieces_.size() >= kMaxCurvePieces || evaluations_ > kMaxEvaluations; }

    void Evaluate(std::size_t stretch, double u, Point2& point, Point2& derivative) {
        ++evaluations_;
        curve_.Evaluate(stretch, u, point, derivative);
    }
    Point2 PointAt(std::size_t stretch, double u) {
        Point2 point, derivative;
        Evaluate(stretch, u, point, derivative);
        return point;
    }

    // The direction the curve leaves (or arrives at) parameter u: the derivative's, or where the derivative
    // vanishes (a cusp, or control points stacked at a clamped end) that of a short chord towards the side
    // of interest, lengthened until it shows a direction. `width` is the room on that side.
    Point2 Direction(std::size_t stretch, double u, double width, bool leaving) {
        Point2 point, derivative;
        Evaluate(stretch, u, point, derivative);
        if (Length(derivative) * width > noDirection_) return Unit(derivative);
        for (const double share : {1e-6, 1e-3, 0.1, 0.5}) {
            const double offset = width * share;
            const Point2 other = PointAt(stretch, leaving ? u + offset : u - offset);
            const Point2 chord = leaving ? other - point : point - other;
            if (Length(chord) > noDirection_) return Unit(chord);
        }
        return {};
    }

    // Covers one stretch from node a to node `end` greedily: from each node, the farthest point that one
    // candidate (a line or a biarc) still covers within the tolerance, found by bracketing and bisecting the
    // parameter. Whole stretches usually fit at the first try; on curved ones this gives close to the fewest
    // pieces, where halving would give up to twice as many.
    void FitStretch(std::size_t stretch, Node a, const Node& end) {
        double guess = end.u - a.u;
        while (a.u < end.u) {
            if (OutOfBudget()) {
                pieces_.push_back(LinePiece(a.point, end.point));
                return;
            }
            Reach reach = FarthestFit(stretch, a, end, guess);
            pieces_.insert(pieces_.end(), reach.pieces.begin(), reach.pieces.end());
            guess = (reach.node.u - a.u) * 1.5;
            if (reach.node.u < end.u) reach.node.leaving = Direction(stretch, reach.node.u, end.u - reach.node.u, true);
            a = reach.node;
        }
    }

    // A node reached from the previous one and the pieces that cover the curve in between.
    struct Reach {
        Node node;
        std::vector<Piece> pieces;
    };

    Reach FarthestFit(std::size_t stretch, const Node& a, const Node& end, double guess) {
        // Bracket: `reached` fits, `failed` does not (end.u stands for "not yet tried" until it is).
        std::optional<Reach> reached;
        double failed = end.u;
        bool endTried = false;
        double u = std::min(a.u + guess, end.u);
        for (int halvings = 0; !reached; ++halvings) {
            const Node b = u < end.u ? NodeAt(stretch, u, u - a.u) : end;
            endTried = endTried || u >= end.u;
            std::vector<Piece> pieces = Candidate(stretch, a, b);
            if (!pieces.empty()) {
                reached = Reach{b, std::move(pieces)};
                break;
            }
            failed = u;
            const double half = a.u + (u - a.u) / 2;
            if (halvings >= kMaxDepth || !(a.u < half && half < u)) {
                // Nothing fits however short: the curve is below what the numbers can resolve here.
                return Reach{b, {LinePiece(a.point, b.point)}};
            }
            u = half;
        }
        if (reached->node.u < end.u && !endTried) {
            std::vector<Piece> pieces = Candidate(stretch, a, end);
            if (!pieces.empty()) return Reach{end, std::move(pieces)};
        }
        // Bisect until the bracket is an eighth of the reach, or the parameters run out of digits.
        for (int step = 0; step < 8 && failed - reached->node.u > (reached->node.u - a.u) / 8; ++step) {
            const double mid = reached->node.u + (failed - reached->node.u) / 2;
            if (!(reached->node.u < mid && mid < failed)) break;
            const Node b = NodeAt(stretch, mid, mid - a.u);
            std::vector<Piece> pieces = Candidate(stretch, a, b);
            if (pieces.empty()) {
                failed = mid;
            } else {
                reached = Reach{b, std::move(pieces)};
            }
        }
        return std::move(*reached);
    }

    // A node inside a stretch; its leaving direction is filled in only once it is used as a start.
    Node NodeAt(std::size_t stretch, double u, double widthBefore) {
        return Node{u, PointAt(stretch, u), Direction(stretch, u, widthBefore, false), {}};
    }

    // The pieces that cover the curve from a to b within the tolerance, or none: the chord where the curve
    // is straight, else a biarc (joined on the curve, else with equal legs), else the chord if it is close
    // enough after all.
    std::vector<Piece> Candidate(std::size_t stretch, const Node& a, const Node& b) {
        const Samples samples = Sample(stretch, a, b);
        const Piece chord = LinePiece(a.point, b.point);
        const double chordDeviation = CurveToPieces(samples, {chord});
        if (chordDeviation <= straightLimit_) return {chord};

        const Point2 chordDirection = Unit(b.point - a.point);
        const Point2 t0 = SamePoint(a.leaving, Point2{}) ? chordDirection : a.leaving;
        const Point2 t1 = SamePoint(b.arriving, Point2{}) ? chordDirection : b.arriving;
        if (const std::optional<Point2> equalJoin = EqualLegJoin(a.point, t0, b.point, t1)) {
            std::vector<Point2> joins{*equalJoin};
            if (const std::optional<Point2> curveJoin = JoinOnCurve(samples, *equalJoin)) {
                joins.insert(joins.begin(), *curveJoin);
            }
            for (const Point2& join : joins) {
                const auto biarc = BiarcThrough(a.point, t0, b.point, t1, join, flatLimit_);
                if (!biarc) continue;
                std::vector<Piece> pieces{(*biarc)[0], (*biarc)[1]};
                if (CurveToPieces(samples, pieces) <= fitLimit_ && PiecesNearCurve(stretch, samples, pieces)) {
                    return pieces;
                }
            }
        }
        if (chordDeviation <= fitLimit_) return {chord};
        return {};
    }

    // Where the curve crosses the circle of possible joins (through both ends and `equalJoin`), nearest the
    // middle of the samples, moved onto that circle. A biarc joined there passes through the curve between
    // its ends, which usually halves its deviation against the equal-leg join where the curvature changes.
    static std::optional<Point2> JoinOnCurve(const Samples& samples, Point2 equalJoin) {
        const Point2 p0 = samples.point[0], p1 = samples.point[kCurveSamples];
        const auto circle = CircleThrough(p0, p1, equalJoin);
        if (!circle) return std::nullopt;
        const Point2 centre = circle->first;
        const double radius = circle->second;
        auto side = [&](int k) { return Distance(samples.point[k], centre) - radius; };
        std::optional<Point2> best;
        int bestOffset = kCurveSamples;
        for (int k = 1; k + 1 < kCurveSamples; ++k) {
            const double f0 = side(k), f1 = side(k + 1);
            if ((f0 < 0) == (f1 < 0) || f0 == f1) continue;
            const int offset = std::abs(2 * k + 1 - kCurveSamples);
            if (offset >= bestOffset) continue;
            const Point2 crossing = samples.point[k] + (samples.point[k + 1] - samples.point[k]) * (f0 / (f0 - f1));
            const Point2 outward = Unit(crossing - centre);
            if (SamePoint(outward, Point2{})) continue;
            best = centre + outward * radius;
            bestOffset = offset;
        }
        return best;
    }

    // Evenly spaced parameters from a to b, with the end points taken from the nodes themselves.
    Samples Sample(std::size_t stretch, const Node& a, const Node& b) {
        Samples samples{};
        for (int k = 0; k <= kCurveSamples; ++k) {
            samples.u[k] = a.u + (b.u - a.u) * k / kCurveSamples;
        }
        samples.point[0] = a.point;
        samples.point[kCurveSamples] = b.point;
        for (int k = 1; k < kCurveSamples; ++k) samples.point[k] = PointAt(stretch, samples.u[k]);
        return samples;
    }

    // The largest distance from a curve sample to the nearest of `pieces` (stopping early once it is past
    // what any decision needs).
    double CurveToPieces(const Samples& samples, const std::vector<Piece>& pieces) const {
        double worst = 0;
        for (int k = 1; k < kCurveSamples && worst <= fitLimit_; ++k) {
            worst = std::max(worst, DistanceToPieces(samples.point[k], pieces));
        }
        return worst;
    }

    // Whether every sampled point of `pieces` (their join included) lies within the fit limit of the curve.
    bool PiecesNearCurve(std::size_t stretch, const Samples& samples, const std::vector<Piece>& pieces) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const int last = i + 1 < pieces.size() ? kPieceSamples : kPieceSamples - 1;
            for (int j = 1; j <= last; ++j) {
                const Point2 q = PointOnPiece(pieces[i], static_cast<double>(j) / kPieceSamples);
                if (!NearCurve(stretch, samples, q)) return false;
            }
        }
        return true;
    }

    // Whether q lies within the fit limit of the curve: first against the nearest sample, then by a few
    // Gauss-Newton steps for the foot of the perpendicular, kept between that sample's neighbours.
    bool NearCurve(std::size_t stretch, const Samples& samples, Point2 q) {
        int nearest = 0;
        double best = HUGE_VAL;
        for (int k = 0; k <= kCurveSamples; ++k) {
            const double d = Distance(q, samples.point[k]);
            if (d < best) best = d, nearest = k;
        }
        if (best <= fitLimit_) return true;
        const int lowIndex = std::max(nearest - 1, 0), highIndex = std::min(nearest + 1, kCurveSamples);
        const double low = samples.u[lowIndex], high = samples.u[highIndex];
        double u = StartOnChords(samples, q, lowIndex, nearest, highIndex);
        for (int step = 0; step < 4; ++step) {
            Point2 point, derivative;
            Evaluate(stretch, u, point, derivative);
            best = std::min(best, Distance(q, point));
            if (best <= fitLimit_) return true;
            const double speed2 = Dot(derivative, derivative);
            if (!(speed2 > 0)) break;
            u = std::clamp(u - Dot(point - q, derivative) / speed2, low, high);
        }
        return best <= fitLimit_;
    }

    // The parameter of the point nearest q on the two chords next to sample `middle`, by linear interpolation.
    static double StartOnChords(const Samples& samples, Point2 q, int low, int middle, int high) {
        double bestU = samples.u[middle], bestDistance = HUGE_VAL;
        for (const auto& [i, j] : {std::pair<int, int>{low, middle}, std::pair<int, int>{middle, high}}) {
            if (i == j) continue;
            const Point2 ab = samples.point[j] - samples.point[i];
            const double abab = Dot(ab, ab);
            const double f = abab > 0 ? std::clamp(Dot(q - samples.point[i], ab) / abab, 0.0, 1.0) : 0.0;
            const double d = Distance(q, samples.point[i] + ab * f);
            if (d < bestDistance) {
                bestDistance = d;
                bestU = samples.u[i] + (samples.u[j] - samples.u[i]) * f;
            }
        }
        return bestU;
    }

    const SmoothCurve& curve_;
    double fitLimit_, straightLimit_, flatLimit_, noDirection_;
    std::vector<Piece> pieces_;
    long evaluations_ = 0;
};

// ---- Tidying the fitted pieces ----

// Pieces whose ends are closer than `minLength` folded away: the next piece starts where the folded one
// started (the last one's end moves to the previous piece), so the chain stays exact from the first start to
// the last end. A curve that is only such pieces is kept as one line unless it has no length at all.
std::vector<Piece> FoldTinyPieces(const std::vector<Piece>& pieces, double minLength) {
    std::vector<Piece> kept;
    std::optional<Point2> carriedStart;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Piece piece = pieces[i];
        if (carriedStart) piece.shape.start = *std::exchange(carriedStart, std::nullopt);
        const bool tiny = Distance(piece.shape.start, piece.shape.end) < minLength &&
                          !(IsArc(piece) && std::fabs(piece.sweep) > kPi);  // not an almost whole circle
        if (!tiny) {
            kept.push_back(piece);
        } else if (i + 1 < pieces.size()) {
            carriedStart = piece.shape.start;
        } else if (!kept.empty()) {
            kept.back().shape.end = piece.shape.end;
        } else if (!SamePoint(piece.shape.start, piece.shape.end)) {
            kept.push_back(LinePiece(piece.shape.start, piece.shape.end));
        }
    }
    return kept;
}

bool SameCircle(const Piece& a, const Piece& b, double tolerance) {
    return IsArc(a) && IsArc(b) && a.shape.counterClockwise == b.shape.counterClockwise &&
           Distance(a.shape.centre, b.shape.centre) <= tolerance * kMergeShare &&
           std::fabs(a.shape.radius - b.shape.radius) <= tolerance * kMergeShare &&
           std::fabs(a.sweep + b.sweep) <= kPi * (1 + 1e-9);
}

// Whether the run of `count` lines in `pieces` from index `first`, extended by `next`, is still straight: every
// point where two of its pieces meet lies on the chord from the run's start to next's end.
bool ExtendsLine(const std::vector<Piece>& pieces, std::size_t first, std::size_t count, const Piece& next,
                 double tolerance) {
    if (IsArc(next) || count >= kMaxMergedLines) return false;
    const Piece& last = pieces[first + count - 1];
    if (IsArc(last)) return false;
    if (Dot(last.shape.end - last.shape.start, next.shape.end - next.shape.start) <= 0) return false;
    const Point2 a = pieces[first].shape.start, b = next.shape.end;
    for (std::size_t k = first; k < first + count; ++k) {
        if (DistanceToSegment(pieces[k].shape.end, a, b) > tolerance * kMergeShare) return false;
    }
    return true;
}

// Neighbouring arcs on one circle joined into one arc of at most half a turn, and straight runs of lines
// into one line. Both come up often: a circle's biarcs lie on the circle itself, and a straight spline gives
// a line per knot span.
std::vector<Piece> MergePieces(const std::vector<Piece>& pieces, double tolerance) {
    std::vector<Piece> merged;
    std::size_t runFirst = 0, runCount = 0;  // the pieces of `pieces` that merged.back() stands for
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        if (!merged.empty() && SameCircle(merged.back(), piece, tolerance)) {
            merged.back().shape.end = piece.shape.end;
            merged.back().sweep += piece.sweep;
            ++runCount;
        } else if (!merged.empty() && ExtendsLine(pieces, runFirst, runCount, piece, tolerance)) {
            merged.back().shape.end = piece.shape.end;
            ++runCount;
        } else {
            merged.push_back(piece);
            runFirst = i;
            runCount = 1;
        }
    }
    return merged;
}

std::vector<CurvePiece> FitCurve(const SmoothCurve& curve, Point2 start, Point2 end, double tolerance,
                                 double scale) {
    BiarcFitter fitter(curve, tolerance, scale);
    const std::vector<Piece> pieces =
        MergePieces(FoldTinyPieces(fitter.Fit(start, end), tolerance * kTinyShare), tolerance);
    std::vector<CurvePiece> result;
    result.reserve(pieces.size());
    for (const Piece& piece : pieces) result.push_back(piece.shape);
    return result;
}

bool IsUsableTolerance(double tolerance) { return tolerance > 0 && std::isfinite(tolerance); }

// ---- Ellipses ----

// An ellipse (or a stretch of one) by its parametric formula; the stretches run between the given breaks.
class EllipseCurve : public SmoothCurve {
public:
    EllipseCurve(Point2 centre, Point2 major, Point2 minor, std::vector<double> breaks)
        : centre_(centre), major_(major), minor_(minor), breaks_(std::move(breaks)) {}

    Point2 At(double t) const { return centre_ + major_ * std::cos(t) + minor_ * std::sin(t); }

    std::size_t StretchCount() const override { return breaks_.size() - 1; }
    double StretchStart(std::size_t stretch) const override { return breaks_[stretch]; }
    double StretchEnd(std::size_t stretch) const override { return breaks_[stretch + 1]; }
    void Evaluate(std::size_t, double t, Point2& point, Point2& derivative) const override {
        const double c = std::cos(t), s = std::sin(t);
        point = centre_ + major_ * c + minor_ * s;
        derivative = minor_ * c - major_ * s;
    }

private:
    Point2 centre_, major_, minor_;
    std::vector<double> breaks_;
};

// The sweep from t0 to t1 counter-clockwise, in (0, 2 pi], or 2 pi for a whole turn (equal parameters, a
// sweep of a turn or more, or one that misses a turn by less than `closeEnough` in parameter).
double EllipseSweep(double t0, double t1, double closeEnough) {
    double sweep = t1 - t0;
    if (sweep < 0) sweep = std::fmod(sweep, kTwoPi) + kTwoPi;  // whole turns added to t1 until it passes t0
    if (sweep == 0 || sweep >= kTwoPi || kTwoPi - sweep <= closeEnough) return kTwoPi;
    return sweep;
}

// Parameters from `from` to `to` with the ends of the major axis (multiples of a half turn) between. Each
// half of the ellipse is then one smooth stretch whose ends have the highest curvature, so the pieces come
// out symmetric, and a circle comes out as two half-turn arcs.
std::vector<double> EllipseBreaks(double from, double to) {
    const double margin = 1e-9;
    std::vector<double> breaks{from};
    for (double k = std::floor(from / kPi) + 1; k * kPi < to - margin; ++k) {
        if (k * kPi > from + margin) breaks.push_back(k * kPi);
    }
    breaks.push_back(to);
    return breaks;
}

// ---- Splines from control points ----

struct Homogeneous {
    double x = 0, y = 0, w = 0;
};
Homogeneous Blend(const Homogeneous& a, const Homogeneous& b, double alpha) {
    return {(1 - alpha) * a.x + alpha * b.x, (1 - alpha) * a.y + alpha * b.y, (1 - alpha) * a.w + alpha * b.w};
}

// A B-spline, rational or not, with a stretch for each knot span of non-zero length inside its domain.
class BSplineCurve : public SmoothCurve {
public:
    BSplineCurve(int degree, std::vector<double> knots, std::vector<Homogeneous> controls)
        : degree_(static_cast<std::size_t>(degree)), knots_(std::move(knots)), controls_(std::move(controls)) {
        for (std::size_t k = degree_; k < controls_.size(); ++k) {
            if (knots_[k] < knots_[k + 1]) spans_.push_back(k);
        }
    }

    std::size_t StretchCount() const override { return spans_.size(); }
    double StretchStart(std::size_t stretch) const override { return knots_[spans_[stretch]]; }
    double StretchEnd(std::size_t stretch) const override { return knots_[spans_[stretch] + 1]; }

    // De Boor's algorithm on the homogeneous points (x w, y w, w) of the span. The derivative of the
    // homogeneous curve comes from the last two points before the final step; the quotient rule turns it
    // into the derivative of the plane curve.
    void Evaluate(std::size_t stretch, double u, Point2& point, Point2& derivative) const override {
        const std::size_t p = degree_, k = spans_[stretch];
        std::array<Homogeneous, kMaxSplineDegree + 1> d;
        for (std::size_t j = 0; j <= p; ++j) d[j] = controls_[k - p + j];
        Homogeneous slope{};
        for (std::size_t r = 1; r <= p; ++r) {
            if (r == p) {
                const double scale = static_cast<double>(p) / (knots_[k + 1] - knots_[k]);
                slope = {(d[p].x - d[p - 1].x) * scale, (d[p].y - d[p - 1].y) * scale, (d[p].w - d[p - 1].w) * scale};
            }
            for (std::size_t j = p; j >= r; --j) {
                const std::size_t i = j + k - p;
                const double alpha = (u - knots_[i]) / (knots_[i + p - r + 1] - knots_[i]);
                d[j] = Blend(d[j - 1], d[j], alpha);
            }
        }
        point = {d[p].x / d[p].w, d[p].y / d[p].w};
        derivative = {(slope.x - slope.w * point.x) / d[p].w, (slope.y - slope.w * point.y) / d[p].w};
    }

    // The curve's ends: the first or last control point itself where the knots are clamped there (the end
    // knot repeated exactly `degree` times inside the domain, so the curve passes through that point), else
    // the evaluated point.
    Point2 Start(const std::vector<Point2>& controlPoints) const {
        if (knots_[1] == knots_[degree_] && knots_[degree_] < knots_[degree_ + 1]) return controlPoints.front();
        Point2 point, derivative;
        Evaluate(0, StretchStart(0), point, derivative);
        return point;
    }
    Point2 End(const std::vector<Point2>& controlPoints) const {
        const std::size_t n = controls_.size();
        if (knots_[n] == knots_[n + degree_ - 1] && knots_[n - 1] < knots_[n]) return controlPoints.back();
        Point2 point, derivative;
        Evaluate(spans_.size() - 1, StretchEnd(spans_.size() - 1), point, derivative);
        return point;
    }

    // Whether the curve is continuous at every knot inside its domain (a knot repeated more often than the
    // degree can break it), to within `gap`.
    bool IsContinuous(double gap) const {
        for (std::size_t s = 0; s + 1 < spans_.size(); ++s) {
            Point2 left, right, derivative;
            Evaluate(s, StretchEnd(s), left, derivative);
            Evaluate(s + 1, StretchStart(s + 1), right, derivative);
            if (!(Distance(left, right) <= gap)) return false;
        }
        return true;
    }

private:
    std::size_t degree_;
    std::vector<double> knots_;
    std::vector<Homogeneous> controls_;
    std::vector<std::size_t> spans_;  // indices k of the knot spans [knots[k], knots[k + 1]] that are used
};

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}
bool AllSane(const std::vector<Point2>& points) { return std::all_of(points.begin(), points.end(), IsSane); }

std::optional<BSplineCurve> MakeBSpline(const SplineData& spline) {
    const std::vector<Point2>& points = spline.controlPoints;
    const std::vector<double>& knots = spline.knots;
    const std::vector<double>& weights = spline.weights;
    if (spline.degree < 1 || spline.degree > kMaxSplineDegree) return std::nullopt;
    const std::size_t p = static_cast<std::size_t>(spline.degree), n = points.size();
    if (n < p + 1 || knots.size() != n + p + 1) return std::nullopt;
    if (!weights.empty() && weights.size() != n) return std::nullopt;
    if (!AllSane(points) || !AllFinite(knots) || !AllFinite(weights)) return std::nullopt;
    if (!std::is_sorted(knots.begin(), knots.end())) return std::nullopt;
    if (!(knots[p] < knots[n]) || !std::isfinite(knots.back() - knots.front())) return std::nullopt;
    // Weights far outside any drawing's range would overflow the homogeneous coordinates.
    for (const double w : weights) {
        if (!(w > 0) || w > 1e100 || w < 1e-100) return std::nullopt;
    }
    std::vector<Homogeneous> controls(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double w = weights.empty() ? 1.0 : weights[i];
        controls[i] = {points[i].x * w, points[i].y * w, w};
    }
    return BSplineCurve(spline.degree, knots, std::move(controls));
}

std::vector<CurvePiece> FitControlSpline(const SplineData& spline, double tolerance) {
    const std::optional<BSplineCurve> curve = MakeBSpline(spline);
    if (!curve || !curve->IsContinuous(tolerance * 1e-3)) return {};
    const Point2 start = curve->Start(spline.controlPoints);
    Point2 end = curve->End(spline.controlPoints);
    if (!IsFinite(start) || !IsFinite(end)) return {};
    if (spline.closed && Distance(start, end) <= tolerance * 1e-3) end = start;
    return FitCurve(*curve, start, end, tolerance, Extent(spline.controlPoints));
}

// ---- Splines through fit points ----

// Solves the tridiagonal system sub[i] x[i-1] + diag[i] x[i] + super[i] x[i+1] = rhs[i] (Thomas algorithm;
// the systems here are diagonally dominant, so no pivoting is needed).
template <typename Value>
std::vector<Value> SolveTridiagonal(const std::vector<double>& sub, std::vector<double> diag,
                                    const std::vector<double>& super, std::vector<Value> rhs) {
    const std::size_t n = diag.size();
    for (std::size_t i = 1; i < n; ++i) {
        const double m = sub[i] / diag[i - 1];
        diag[i] -= m * super[i - 1];
        rhs[i] = rhs[i] - rhs[i - 1] * m;
    }
    std::vector<Value> x(n);
    x[n - 1] = rhs[n - 1] * (1 / diag[n - 1]);
    for (std::size_t i = n - 1; i-- > 0;) x[i] = (rhs[i] - x[i + 1] * super[i]) * (1 / diag[i]);
    return x;
}

// The same with the corner entries of a closed row: `corner` links the last unknown into the first row and
// `cornerLast` the first unknown into the last row (Sherman-Morrison on the tridiagonal part).
std::vector<Point2> SolveCyclic(const std::vector<double>& sub, std::vector<double> diag,
                                const std::vector<double>& super, double corner, double cornerLast,
                                const std::vector<Point2>& rhs) {
    const std::size_t n = diag.size();
    const double gamma = -diag[0];
    diag[0] -= gamma;
    diag[n - 1] -= cornerLast * corner / gamma;
    const std::vector<Point2> x = SolveTridiagonal(sub, diag, super, rhs);
    std::vector<double> u(n, 0.0);
    u[0] = gamma;
    u[n - 1] = cornerLast;
    const std::vector<double> z = SolveTridiagonal(sub, diag, super, u);
    const Point2 factor = (x[0] + x[n - 1] * (corner / gamma)) * (1 / (1 + z[0] + corner * z[n - 1] / gamma));
    std::vector<Point2> result(n);
    for (std::size_t i = 0; i < n; ++i) result[i] = x[i] - factor * z[i];
    return result;
}

// The C2 cubic through fit points q[0..m-1] is found as its derivatives at the points, per unit of chord
// length (the parameter grows by h[i] = |q[i + 1] - q[i]| from q[i] to q[i + 1]). Each stretch between two
// points is then the cubic with those end points and derivatives, and one linear system makes the second
// derivatives agree at every inner point. This is the same curve as the cubic B-spline through the points with
// one knot at each point's chord-length parameter, solved for in a form whose system is diagonally dominant:
// its derivatives stay within a few ulps however unevenly the points are spaced, where the B-spline's control
// points, solved for directly, lose digits in proportion to the ratio of the longest chord to the shortest.
struct CubicSystem {
    std::vector<double> sub, diag, super;
    std::vector<Point2> rhs;
};

// The system with the C2 condition at each point that chord `before` reaches and chord i leaves (for a closed
// curve, h ends with the closing chord and q[0] follows the last point). Rows without one stay zero.
CubicSystem InnerRows(const std::vector<Point2>& q, const std::vector<double>& h, bool closed) {
    const std::size_t m = q.size();
    CubicSystem system{std::vector<double>(m, 0.0), std::vector<double>(m, 0.0), std::vector<double>(m, 0.0),
                       std::vector<Point2>(m)};
    for (std::size_t i = closed ? 0 : 1; i < (closed ? m : m - 1); ++i) {
        const std::size_t before = (i + m - 1) % m, after = (i + 1) % m;
        const double hb = h[before], ha = h[i];
        system.sub[i] = ha;
        system.diag[i] = 2 * (hb + ha);
        system.super[i] = hb;
        system.rhs[i] = ((q[i] - q[before]) * (ha / hb) + (q[after] - q[i]) * (hb / ha)) * 3;
    }
    return system;
}

// Derivatives of the open C2 cubic through `q` (two points or more) that leaves q[0] along the unit direction
// `startTangent` and arrives at the last point along `endTangent`, each end at unit speed in chord length.
std::vector<Point2> OpenCubicDerivatives(const std::vector<Point2>& q, const std::vector<double>& h,
                                         Point2 startTangent, Point2 endTangent) {
    CubicSystem system = InnerRows(q, h, false);
    const std::size_t last = q.size() - 1;
    system.diag[0] = 1;
    system.rhs[0] = startTangent;
    system.diag[last] = 1;
    system.rhs[last] = endTangent;
    return SolveTridiagonal(system.sub, std::move(system.diag), system.super, std::move(system.rhs));
}

// Derivatives of the closed C2 cubic through `q` (three points or more), which runs on from the last point to
// the first and is C2 there too; h has the closing chord as its last entry.
std::vector<Point2> ClosedCubicDerivatives(const std::vector<Point2>& q, const std::vector<double>& h) {
    CubicSystem system = InnerRows(q, h, true);
    const double corner = system.sub[0], cornerLast = system.super[q.size() - 1];
    return SolveCyclic(system.sub, std::move(system.diag), system.super, corner, cornerLast, system.rhs);
}

// The direction the curve leaves `end` in when the drawing gives none, from the end point, its neighbour
// `next` and the point after that, `third`: that of the parabola through the three at equally spaced
// parameters, 4 next - 3 end - third, as CAD programs estimate it (so a curve drawn with the same points looks
// the same there). Along the chord to `next` when there is no third point, or when the parabola stands still
// at the end (three points in line, the third four times as far as the second).
Point2 EstimatedEndTangent(Point2 end, Point2 next, std::optional<Point2> third) {
    const Point2 chord = next - end;
    if (!third) return Unit(chord);
    const Point2 onward = *third - next;
    const Point2 parabola = chord * 3 - onward;
    // Below this, what is left of 3 chord - onward is rounding, not a direction.
    if (Length(parabola) <= 1e-9 * (3 * Length(chord) + Length(onward))) return Unit(chord);
    return Unit(parabola);
}

// A cubic through points, one Hermite stretch per chord, each over the local parameter 0..1. A stretch
// evaluated at 0 and 1 gives its two points exactly, so the pieces pass through the fit points.
class HermiteCurve : public SmoothCurve {
public:
    // `points` holds the closing copy of the first point at the end for a closed curve; `slopes` has one
    // derivative per entry of `points`, in units of the chord length `h[i]` of each stretch.
    HermiteCurve(std::vector<Point2> points, const std::vector<Point2>& slopes, const std::vector<double>& h)
        : points_(std::move(points)) {
        for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
            legs_.push_back({slopes[i] * h[i], slopes[i + 1] * h[i]});
        }
    }

    std::size_t StretchCount() const override { return legs_.size(); }
    double StretchStart(std::size_t) const override { return 0; }
    double StretchEnd(std::size_t) const override { return 1; }
    void Evaluate(std::size_t stretch, double s, Point2& point, Point2& derivative) const override {
        const Point2 p0 = points_[stretch], p1 = points_[stretch + 1];
        const Point2 m0 = legs_[stretch].first, m1 = legs_[stretch].second;
        const double s2 = s * s, s3 = s2 * s;
        point = p0 * (2 * s3 - 3 * s2 + 1) + m0 * (s3 - 2 * s2 + s) + p1 * (-2 * s3 + 3 * s2) + m1 * (s3 - s2);
        derivative = p0 * (6 * s2 - 6 * s) + m0 * (3 * s2 - 4 * s + 1) + p1 * (-6 * s2 + 6 * s) + m1 * (3 * s2 - 2 * s);
    }

private:
    std::vector<Point2> points_;
    std::vector<std::pair<Point2, Point2>> legs_;  // derivatives per unit of local parameter at both ends
};

// The fit points with repeats (consecutive points closer than `same`) removed; for a closed curve also a last
// point that repeats the first.
std::vector<Point2> DistinctPoints(const std::vector<Point2>& points, bool closed, double same) {
    std::vector<Point2> distinct;
    for (const Point2& p : points) {
        if (distinct.empty() || Distance(p, distinct.back()) > same) distinct.push_back(p);
    }
    if (closed && distinct.size() > 1 && Distance(distinct.back(), distinct.front()) <= same) distinct.pop_back();
    return distinct;
}

// A given tangent as a unit direction; none for a missing or zero one. Sets `bad` for a non-finite one.
std::optional<Point2> UsableTangent(const std::optional<Point2>& tangent, bool& bad) {
    if (!tangent) return std::nullopt;
    if (!IsSane(*tangent)) {
        bad = true;
        return std::nullopt;
    }
    const Point2 unit = Unit(*tangent);
    if (SamePoint(unit, Point2{})) return std::nullopt;
    return unit;
}

std::vector<CurvePiece> FitThroughPoints(const SplineData& spline, double tolerance) {
    if (!AllSane(spline.fitPoints)) return {};
    bool badTangent = false;
    const std::optional<Point2> givenStart = UsableTangent(spline.startTangent, badTangent);
    const std::optional<Point2> givenEnd = UsableTangent(spline.endTangent, badTangent);
    if (badTangent) return {};
    const double scale = Extent(spline.fitPoints);
    std::vector<Point2> q = DistinctPoints(spline.fitPoints, spline.closed, scale * 1e-12);
    if (q.size() < (spline.closed ? 3u : 2u)) return {};

    if (spline.closed) q.push_back(q.front());  // the closing chord, back to the first point exactly
    std::vector<double> h(q.size() - 1);
    for (std::size_t i = 0; i + 1 < q.size(); ++i) h[i] = Distance(q[i], q[i + 1]);
    std::vector<Point2> slopes;
    if (spline.closed) {
        slopes = ClosedCubicDerivatives(std::vector<Point2>(q.begin(), q.end() - 1), h);
        slopes.push_back(slopes.front());
    } else {
        const std::size_t n = q.size();
        const Point2 startTangent =
            givenStart ? *givenStart : EstimatedEndTangent(q[0], q[1], n > 2 ? std::optional(q[2]) : std::nullopt);
        const Point2 endTangent = givenEnd ? *givenEnd
                                           : -EstimatedEndTangent(q[n - 1], q[n - 2],
                                                                  n > 2 ? std::optional(q[n - 3]) : std::nullopt);
        slopes = OpenCubicDerivatives(q, h, startTangent, endTangent);
    }
    for (const Point2& slope : slopes) {
        if (!IsFinite(slope)) return {};
    }
    const Point2 start = q.front(), end = q.back();
    const HermiteCurve curve(std::move(q), slopes, h);
    return FitCurve(curve, start, end, tolerance, scale);
}

}  // namespace

std::vector<CurvePiece> FitEllipse(Point2 centre, Point2 major, double ratio, double t0, double t1,
                                   double tolerance) {
    if (!IsUsableTolerance(tolerance) || !IsSane(centre) || !IsSane(major)) return {};
    if (!std::isfinite(ratio) || !(ratio > 0) || !std::isfinite(t0) || !std::isfinite(t1)) return {};
    const Point2 minor = LeftNormal(major) * ratio;
    const double majorLength = Length(major);
    const double largest = std::max(majorLength, Length(minor));
    if (!(majorLength > 0) || !IsSane(minor) || !(largest <= kMaxCoordinate)) return {};
    if (!std::isfinite(t1 - t0)) return {};

    // Parameter moves the point by at most `largest` per radian, so this closes only gaps within tolerance.
    const double sweep = EllipseSweep(t0, t1, std::min(1e-6, tolerance * 1e-3 / largest));
    const bool whole = sweep == kTwoPi;
    const double from = std::fmod(t0, kTwoPi);
    const EllipseCurve curve(centre, major, minor, EllipseBreaks(from, from + sweep));
    const Point2 start = curve.At(t0);
    const Point2 end = whole ? start : curve.At(t1);
    return FitCurve(curve, start, end, tolerance, largest);
}

std::vector<CurvePiece> FitSpline(const SplineData& spline, double tolerance) {
    if (!IsUsableTolerance(tolerance)) return {};
    if (!spline.controlPoints.empty()) {
        std::vector<CurvePiece> pieces = FitControlSpline(spline, tolerance);
        if (!pieces.empty() || spline.fitPoints.empty()) return pieces;
    }
    return FitThroughPoints(spline, tolerance);
}

}  // namespace zorvan
