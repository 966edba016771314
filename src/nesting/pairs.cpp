// Copies paired before the search.
#include "nesting/pairs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "nesting/clearance.h"
#include "nesting/placement.h"

namespace zorvan::nesting {

namespace {

// Outlines of more points are not paired, and all pairings together look at no more edge pairs than this:
// the convolutions of a pairing grow with the product of the two outlines' points.
constexpr size_t kMostPairPoints = 5'000;
constexpr double kMostPairWork = 1e8;

double Normalised(double angle) {
    angle = std::fmod(angle, 360.0);
    if (angle < 0) angle += 360;
    return angle >= 360 - 1e-9 ? 0 : angle;
}

// The allowed angle equal to `angle` (the list's own value, so that it compares equal), or nothing.
std::optional<double> AllowedAngle(const std::vector<double>& angles, double angle) {
    const double wanted = Normalised(angle);
    for (const double a : angles) {
        const double d = std::fabs(Normalised(a) - wanted);
        if (d < 1e-9 || d > 360 - 1e-9) return a;
    }
    return std::nullopt;
}

// The quarter turns the second copy of a pair may take: those that keep every allowed angle allowed, so that
// the pair may turn as the part may.
std::vector<double> PairTurns(const NestItem& item) {
    std::vector<double> turns;
    for (const double turn : {0.0, 180.0, 90.0, 270.0}) {
        const bool closed = std::all_of(item.angles.begin(), item.angles.end(), [&](double a) {
            return AllowedAngle(item.angles, a + turn) && AllowedAngle(item.angles, a - turn);
        });
        if (closed) turns.push_back(turn);
    }
    return turns;
}

struct Bounds {
    double left = 0, bottom = 0, right = 0, top = 0;
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
};

Bounds TrueBounds(const ClearanceShape& shape, Point2 at) {
    return {shape.trueLeft + at.x, shape.trueBottom + at.y, shape.trueRight + at.x, shape.trueTop + at.y};
}

Bounds Joined(const Bounds& a, const Bounds& b) {
    return {std::min(a.left, b.left), std::min(a.bottom, b.bottom), std::max(a.right, b.right), std::max(a.top, b.top)};
}

// Whether a box of `size` fits the sheet in one of the allowed quarter turns, the spacing kept from the edge.
bool FitsSheet(const NestJob& job, const NestItem& item, const Bounds& size) {
    const double width = job.strip ? std::numeric_limits<double>::infinity() : job.sheetWidth - 2 * job.spacing;
    const double height = job.sheetHeight - 2 * job.spacing;
    for (const double angle : item.angles) {
        const double a = Normalised(angle);
        const bool across = std::fabs(a - 90) < 1e-9 || std::fabs(a - 270) < 1e-9;
        if (!across && std::fabs(a) > 1e-9 && std::fabs(a - 180) > 1e-9) continue;
        const double w = across ? size.Height() : size.Width(), h = across ? size.Width() : size.Height();
        if (w <= width && h <= height) return true;
    }
    return false;
}

struct Pairing {
    double turn = 0;
    Point2 at;  // the second copy's reference from the first's, both centred as the placement centres them
    Bounds box;
};

// The tightest pair of two copies of the job's only item: for each turn, every position where the second
// touches the first (a corner of the positions it may not take), the one whose joint box is smallest.
std::optional<Pairing> TightestPair(const Prepared& prepared, const std::vector<double>& turns) {
    const ClearanceShape& first = *prepared.Shape(0, 0);
    std::optional<Pairing> best;
    double bestArea = std::numeric_limits<double>::infinity();
    for (size_t o = 0; o < turns.size(); ++o) {
        const ClearanceShape& second = *prepared.Shape(0, static_cast<int32_t>(o));
        for (const IntPath& ring : *prepared.Forbidden(0, 0, 0, static_cast<int32_t>(o))) {
            for (const IntPoint& q : ring) {
                const Point2 at{static_cast<double>(q.X) / prepared.scale(), static_cast<double>(q.Y) / prepared.scale()};
                const Bounds box = Joined(TrueBounds(first, {0, 0}), TrueBounds(second, at));
                if (box.Width() * box.Height() < bestArea) {
                    bestArea = box.Width() * box.Height();
                    best = Pairing{turns[o], at, box};
                }
            }
        }
    }
    return best;
}

IntPath OnGrid(const Ring& ring, double scale) {
    IntPath path;
    for (const Point2& p : ring) path.emplace_back(std::llround(p.x * scale), std::llround(p.y * scale));
    if (!ClipperLib::Orientation(path)) ClipperLib::ReversePath(path);
    return path;
}

Ring OffGrid(const IntPath& path, double scale, Point2 by) {
    Ring ring;
    for (const IntPoint& p : path) ring.push_back(Point2{static_cast<double>(p.X) / scale, static_cast<double>(p.Y) / scale} + by);
    return ring;
}

Ring Placed(const Ring& ring, Point2 centre, double turn, Point2 at) {
    Ring placed;
    for (const Point2& p : ring) placed.push_back(OrientPoint(p - centre, turn, false) + at);
    return placed;
}

// The pair's shape in the first copy's frame: the two outlines joined and closed over the gap between them
// (grown by `gap`, then shrunk by as much, and never less than the two), the room they enclose and the
// copies' own holes as its holes. Nothing when the closing does not make them one outline.
std::optional<NestShape> PairShape(const NestShape& shape, Point2 centre, const Pairing& pair, double gap, double scale) {
    const IntPaths outlines = {OnGrid(Placed(shape.outline, centre, 0, {0, 0}), scale),
                               OnGrid(Placed(shape.outline, centre, pair.turn, pair.at), scale)};
    const double delta = gap * scale;
    ClipperLib::ClipperOffset grow(2.0, std::max(1.0, delta / 100));
    grow.AddPaths(outlines, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    IntPaths grown;
    grow.Execute(grown, delta + 2);
    ClipperLib::ClipperOffset shrink(2.0, std::max(1.0, delta / 100));
    shrink.AddPaths(grown, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    IntPaths closed;
    shrink.Execute(closed, -delta);
    closed.insert(closed.end(), outlines.begin(), outlines.end());
    closed = Union(closed);
    std::optional<NestShape> joined;
    for (const IntPath& ring : closed) {
        if (ClipperLib::Orientation(ring)) {
            if (joined) return std::nullopt;  // two outlines: the gap was not closed
            joined = NestShape{OffGrid(ring, scale, centre), {}};
        }
    }
    if (!joined) return std::nullopt;
    const double leastHole = 4.0 * delta * delta;  // slivers the closing left are no room for a part
    for (const IntPath& ring : closed) {
        if (!ClipperLib::Orientation(ring) && std::fabs(ClipperLib::Area(ring)) > leastHole) {
            joined->holes.push_back(OffGrid(ring, scale, centre));
        }
    }
    for (const Ring& hole : shape.holes) {
        joined->holes.push_back(Placed(hole, centre, 0, centre));
        joined->holes.push_back(Placed(hole, centre, pair.turn, pair.at + centre));
    }
    return joined;
}

}  // namespace

PairedJob PairCopies(const NestJob& job, double tolerance) {
    PairedJob paired;
    paired.job = job;
    double work = 0;
    for (size_t i = 0; i < job.items.size(); ++i) {
        const NestItem& item = job.items[i];
        const size_t points = item.shape.outline.size();
        if (item.copies < 2 || points > kMostPairPoints || !(ShapeArea(item.shape) > 0)) continue;
        const std::vector<double> turns = PairTurns(item);
        work += static_cast<double>(points) * static_cast<double>(points) * static_cast<double>(turns.size());
        if (turns.empty() || work > kMostPairWork) continue;
        NestJob one = job;
        one.items = {item};
        one.items[0].angles = turns;
        one.items[0].mirror = false;
        const Prepared prepared(one, tolerance);
        const std::optional<Pairing> pair = TightestPair(prepared, turns);
        if (!pair) continue;
        const ClearanceShape& single = *prepared.Shape(0, 0);
        const Bounds alone = TrueBounds(single, {0, 0});
        if (pair->box.Width() * pair->box.Height() > kPairShare * 2 * alone.Width() * alone.Height()) continue;
        if (!FitsSheet(job, item, pair->box)) continue;
        const Point2 centre = prepared.Centre(0);
        const std::optional<NestShape> shape = PairShape(item.shape, centre, *pair, job.spacing / 2 + 2 * tolerance, prepared.scale());
        if (!shape) continue;
        NestItem two = item;
        two.shape = *shape;
        two.copies = item.copies / 2;
        two.contours = 2 * item.contours;
        two.entities = 2 * item.entities;
        two.parts = 2 * item.parts;
        two.area = 2 * (item.area > 0 ? item.area : ShapeArea(item.shape));
        paired.job.items[i].copies = item.copies % 2;
        // The second copy's point p lies at Turn(p - c, turn) + at + c = Turn(p, turn) + offset.
        const Point2 offset = pair->at + centre - OrientPoint(centre, pair->turn, false);
        paired.pairs.push_back({static_cast<int32_t>(i), item.copies % 2, pair->turn, offset});
        paired.job.items.push_back(std::move(two));
    }
    return paired;
}

void SplitPairs(const NestJob& job, const PairedJob& paired, NestResult& result) {
    const auto own = static_cast<int32_t>(job.items.size());
    std::vector<Placement> placed;
    for (const Placement& p : result.placed) {
        if (p.item < own) {
            placed.push_back(p);
            continue;
        }
        const PairOf& pair = paired.pairs[static_cast<size_t>(p.item - own)];
        Placement first = p;
        first.item = pair.item;
        first.copy = pair.firstCopy + 2 * p.copy;
        Placement second = first;
        second.copy += 1;
        // Mirrored, the pair's turn runs the other way.
        const double angle = p.angle + (p.mirrored ? -pair.turn : pair.turn);
        second.angle = AllowedAngle(job.items[static_cast<size_t>(pair.item)].angles, angle).value_or(Normalised(angle));
        second.offset = p.offset + OrientPoint(pair.offset, p.angle, p.mirrored);
        placed.push_back(first);
        placed.push_back(second);
    }
    result.placed = std::move(placed);
    std::vector<std::pair<int32_t, int32_t>> notPlaced;
    for (const auto& [item, copy] : result.notPlaced) {
        if (item < own) {
            notPlaced.emplace_back(item, copy);
            continue;
        }
        const PairOf& pair = paired.pairs[static_cast<size_t>(item - own)];
        notPlaced.emplace_back(pair.item, pair.firstCopy + 2 * copy);
        notPlaced.emplace_back(pair.item, pair.firstCopy + 2 * copy + 1);
    }
    result.notPlaced = std::move(notPlaced);
    std::vector<int32_t> fitNoSheet;
    for (const int32_t item : result.fitNoSheet) {
        const int32_t own_item = item < own ? item : paired.pairs[static_cast<size_t>(item - own)].item;
        if (std::find(fitNoSheet.begin(), fitNoSheet.end(), own_item) == fitNoSheet.end()) fitNoSheet.push_back(own_item);
    }
    result.fitNoSheet = std::move(fitNoSheet);
}

}  // namespace zorvan::nesting
