// Offsets of closed line-and-arc contours.
#include "geometry/offset.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace zorvan {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

Point2 Unit(Point2 v) {
    const double length = std::hypot(v.x, v.y);
    return length > 0 ? v * (1 / length) : Point2{};
}

Point2 LeftOf(Point2 v) { return {-v.y, v.x}; }

double Angle(Point2 v) { return std::atan2(v.y, v.x); }

// The angle turned from `from` to `to` in the given sense, in [0, 2 pi).
double Turned(double from, double to, bool ccw) {
    double d = ccw ? to - from : from - to;
    d = std::fmod(d, kTurn);
    return d < 0 ? d + kTurn : d;
}

Point2 TangentAt(const Piece& p, Point2 at) {
    if (!p.arc) return Unit(p.to - p.from);
    const Point2 radial = Unit(at - p.centre);
    return p.ccw ? LeftOf(radial) : Point2{radial.y, -radial.x};
}

// The piece moved `distance` to its left (negative: right); nothing where an arc's radius would not stay above
// `tolerance`.
std::optional<Piece> Shifted(const Piece& p, double distance, double tolerance) {
    if (!p.arc) {
        const Point2 shift = LeftOf(Unit(p.to - p.from)) * distance;
        return Piece{p.from + shift, p.to + shift, false, {}, true};
    }
    // Left of a counter-clockwise arc is towards its centre.
    const double radius = p.Radius() + (p.ccw ? -distance : distance);
    if (!(radius > tolerance)) return std::nullopt;
    const auto onCircle = [&](Point2 q) { return p.centre + Unit(q - p.centre) * radius; };
    return Piece{onCircle(p.from), onCircle(p.to), true, p.centre, p.ccw};
}

// Where the carriers of two pieces (the whole line, the whole circle) meet, the point nearest `near`.
std::optional<Point2> Meet(const Piece& a, const Piece& b, Point2 near) {
    std::vector<Point2> points;
    const auto lineLine = [&](const Piece& l, const Piece& m) {
        const Point2 d1 = l.to - l.from, d2 = m.to - m.from;
        const double denominator = Cross(d1, d2);
        if (std::fabs(denominator) < 1e-15 * Dot(d1, d1) * Dot(d2, d2) || denominator == 0) return;
        const double t = Cross(m.from - l.from, d2) / denominator;
        points.push_back(l.from + d1 * t);
    };
    const auto lineCircle = [&](const Piece& l, Point2 centre, double r) {
        const Point2 d = Unit(l.to - l.from);
        const Point2 f = l.from - centre;
        const double half = Dot(f, d), c = Dot(f, f) - r * r, disc = half * half - c;
        if (disc < 0) return;
        const double root = std::sqrt(disc);
        points.push_back(l.from + d * (-half - root));
        points.push_back(l.from + d * (-half + root));
    };
    const auto circleCircle = [&](Point2 c1, double r1, Point2 c2, double r2) {
        const double d = Distance(c1, c2);
        if (!(d > 0) || d > r1 + r2 || d < std::fabs(r1 - r2)) return;
        const double along = (r1 * r1 - r2 * r2 + d * d) / (2 * d);
        const double h = std::sqrt(std::max(0.0, r1 * r1 - along * along));
        const Point2 u = Unit(c2 - c1), mid = c1 + u * along;
        points.push_back(mid + LeftOf(u) * h);
        points.push_back(mid - LeftOf(u) * h);
    };
    if (!a.arc && !b.arc) lineLine(a, b);
    if (!a.arc && b.arc) lineCircle(a, b.centre, b.Radius());
    if (a.arc && !b.arc) lineCircle(b, a.centre, a.Radius());
    if (a.arc && b.arc) circleCircle(a.centre, a.Radius(), b.centre, b.Radius());
    if (points.empty()) return std::nullopt;
    return *std::min_element(points.begin(), points.end(),
                             [near](Point2 p, Point2 q) { return Distance(p, near) < Distance(q, near); });
}

// Whether trimming `shifted` to run from `from` to `to` turns it round: a line pointing back, an arc wrapping
// past a full turn of what it had.
bool TurnedRound(const Piece& original, Point2 from, Point2 to, double tolerance) {
    if (Distance(from, to) <= tolerance) return false;
    if (!original.arc) return Dot(to - from, original.to - original.from) <= 0;
    const double before = Turned(Angle(original.from - original.centre), Angle(original.to - original.centre), original.ccw);
    const double after = Turned(Angle(from - original.centre), Angle(to - original.centre), original.ccw);
    return before > 0 && after > before + std::numbers::pi / 2 && after > kTurn - std::numbers::pi / 2;
}

struct Offsetting {
    const std::vector<Piece>& contour;
    double side;  // +1 left, -1 right
    double distance, tolerance;
};

// The offset pieces joined in order: each corner rounded (outside) or cut where the pieces meet (inside).
// Pieces that turn round when cut are dropped and their neighbours joined again; each round drops every such
// piece, and after kMostRounds rounds (a cascade no real contour has) the offset is given up, so a hostile
// contour cannot stretch the work past kMostRounds passes over its pieces.
constexpr size_t kMostRounds = 64;

std::vector<Piece> Join(const Offsetting& o, std::vector<size_t> alive, std::vector<Piece> shifted, int& vanished) {
    const size_t n = o.contour.size();
    for (size_t round = 0; round < kMostRounds && !alive.empty(); ++round) {
        std::vector<Point2> starts(alive.size()), ends(alive.size());
        std::vector<std::optional<Piece>> joins(alive.size());
        for (size_t k = 0; k < alive.size(); ++k) {
            starts[k] = shifted[alive[k]].from;
            ends[k] = shifted[alive[k]].to;
        }
        for (size_t k = 0; k < alive.size(); ++k) {
            const size_t next = (k + 1) % alive.size();
            const Piece& a = o.contour[alive[k]];
            const Piece& b = o.contour[alive[next]];
            const Piece& sa = shifted[alive[k]];
            const Piece& sb = shifted[alive[next]];
            const Point2 ta = TangentAt(a, a.to), tb = TangentAt(b, b.from);
            const double turn = Cross(ta, tb);
            if (Distance(sa.to, sb.from) <= o.tolerance) {
                ends[k] = starts[next] = (sa.to + sb.from) * 0.5;
                continue;
            }
            const bool adjacent = (alive[k] + 1) % n == alive[next];
            if (adjacent && o.side * turn < 0 && Distance(a.to, b.from) <= o.tolerance) {
                // Round the corner: an arc about it from one offset end to the other.
                joins[k] = Piece{sa.to, sb.from, true, a.to, turn > 0};
                continue;
            }
            if (const auto at = Meet(sa, sb, (sa.to + sb.from) * 0.5)) {
                ends[k] = starts[next] = *at;
            } else {
                joins[k] = Piece{sa.to, sb.from, false, {}, true};  // nothing better: straight across
            }
        }
        std::vector<size_t> kept;
        for (size_t k = 0; k < alive.size(); ++k) {
            if (TurnedRound(shifted[alive[k]], starts[k], ends[k], o.tolerance)) continue;
            kept.push_back(k);
        }
        if (kept.size() == alive.size()) {
            std::vector<Piece> path;
            for (size_t k = 0; k < alive.size(); ++k) {
                Piece piece = shifted[alive[k]];
                piece.from = starts[k];
                piece.to = ends[k];
                if (piece.arc || Distance(piece.from, piece.to) > o.tolerance) path.push_back(piece);
                if (joins[k]) path.push_back(*joins[k]);
            }
            return path;
        }
        vanished += static_cast<int>(alive.size() - kept.size());
        std::vector<size_t> survivors;
        for (const size_t k : kept) survivors.push_back(alive[k]);
        alive = std::move(survivors);
    }
    return {};
}

}  // namespace

double DistanceToPiece(Point2 p, const Piece& piece) {
    if (!piece.arc) return DistanceToSegment(p, piece.from, piece.to);
    const double sweep = piece.Sweep();
    const double at = Turned(Angle(piece.from - piece.centre), Angle(p - piece.centre), piece.ccw);
    if (at <= sweep) return std::fabs(Distance(p, piece.centre) - piece.Radius());
    return std::min(Distance(p, piece.from), Distance(p, piece.to));
}

OffsetContour OffsetClosedContour(const std::vector<Piece>& contour, double distance, bool left, double tolerance) {
    OffsetContour result;
    if (contour.empty() || !(distance > 0)) {
        result.path = contour;
        return result;
    }
    const Offsetting o{contour, left ? 1.0 : -1.0, distance, tolerance};
    std::vector<Piece> shifted(contour.size());
    std::vector<size_t> alive;
    for (size_t i = 0; i < contour.size(); ++i) {
        if (const auto piece = Shifted(contour[i], o.side * distance, tolerance)) {
            shifted[i] = *piece;
            alive.push_back(i);
        } else {
            ++result.vanished;
        }
    }
    result.path = Join(o, std::move(alive), std::move(shifted), result.vanished);
    if (result.path.empty()) {
        result.problem = static_cast<size_t>(result.vanished) >= contour.size()
                             ? "nothing is left of the contour offset by " + std::to_string(distance) +
                                   ": it is narrower than twice that everywhere"
                             : "the offset could not be worked out: too many pieces vanish one after another";
        return result;
    }
    // The path must keep the distance from every piece of the contour: where it comes closer, a feature is
    // narrower than the kerf and cutting there would take material off the part.
    // Every sample against every piece: bounded, so a contour of very many pieces is left unchecked and says so.
    constexpr double kMostComparisons = 20e6;
    if (4.0 * static_cast<double>(result.path.size()) * static_cast<double>(contour.size()) > kMostComparisons) {
        result.checked = false;
        return result;
    }
    double closest = std::numeric_limits<double>::infinity();
    for (const Piece& piece : result.path) {
        for (const double t : {0.0, 0.25, 0.5, 0.75}) {
            const Point2 p = piece.At(t);
            for (const Piece& edge : contour) closest = std::min(closest, DistanceToPiece(p, edge));
        }
    }
    if (closest < distance - 10 * tolerance) {
        result.problem = "a feature narrower than " + std::to_string(2 * distance) + ": the offset passes " +
                         std::to_string(closest) + " from the contour";
    }
    return result;
}

}  // namespace zorvan
