// Copies grouped before the search.
#include "nesting/groups.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "nesting/clearance.h"
#include "nesting/placement.h"

namespace zorvan::nesting {

namespace {

// Outlines of more points are not grouped, and all pairings together look at no more edge pairs than this:
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

// The outline grown by `by` and simplified within it, so that it has fewer points and still holds the
// outline; as it is where `by` is 0.
IntPath Coarse(const IntPath& ring, double by) {
    if (!(by > 0)) return ring;
    ClipperLib::ClipperOffset grow(2.0, by);
    grow.AddPath(ring, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    IntPaths grown;
    grow.Execute(grown, by);
    // Its outer boundary: bays the growing closed are closed for good.
    const auto outer = std::max_element(grown.begin(), grown.end(), [](const IntPath& a, const IntPath& b) { return ClipperLib::Area(a) < ClipperLib::Area(b); });
    if (outer == grown.end()) return ring;
    IntPath simple = SimplifyRing(*outer, by);
    return ClipperLib::Orientation(simple) ? simple : ring;
}

// What a group's shape keeps: the gaps it closes between its copies, the least room a part needs (a room the
// copies enclose that is smaller is closed too), and how far its outline may be grown to have fewer points
// (all in drawing units).
struct GroupRoom {
    double gap = 0;
    double leastPart = 0;
    double coarse = 0;
};

// How far a stack's outline may grow, as a share of one copy's width and height together: the stack is only
// where the search starts, the copies are moved alone after it.
constexpr double kStackCoarse = 0.01;

// One copy of a group in the first copy's frame: turned by `turn`, its reference (centred as the placement
// centres it) at `at`.
struct Member {
    double turn = 0;
    Point2 at;
};

// The group's shape in the first copy's frame: the outlines joined and closed over the gaps between them
// (grown by `gap`, then shrunk by as much, and never less than the copies), the room they enclose and the
// copies' own holes as its holes. Nothing when the closing does not make them one outline.
std::optional<NestShape> GroupShape(const NestShape& shape, Point2 centre, const std::vector<Member>& members, const GroupRoom& room, double scale) {
    const double gap = room.gap;
    IntPaths outlines;
    for (const Member& m : members) outlines.push_back(OnGrid(Placed(shape.outline, centre, m.turn, m.at), scale));
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
            joined = NestShape{OffGrid(Coarse(ring, room.coarse * scale), scale, centre), {}};
        }
    }
    if (!joined) return std::nullopt;
    // Slivers the closing left, and rooms smaller than any part, hold nothing.
    const double leastHole = std::max(4.0 * delta * delta, room.leastPart * scale * scale);
    for (const IntPath& ring : closed) {
        if (!ClipperLib::Orientation(ring) && std::fabs(ClipperLib::Area(ring)) > leastHole) {
            joined->holes.push_back(OffGrid(ring, scale, centre));
        }
    }
    for (const Member& m : members) {
        for (const Ring& hole : shape.holes) joined->holes.push_back(Placed(hole, centre, m.turn, m.at + centre));
    }
    return joined;
}

// Whether q lies inside the region (rings as Clipper leaves them: outer ones counter-clockwise, holes
// clockwise), not on its edge.
bool Inside(const IntPaths& region, IntPoint q) {
    int winding = 0;
    for (const IntPath& ring : region) {
        const int in = ClipperLib::PointInPolygon(q, ring);
        if (in < 0) return false;
        if (in > 0) winding += ClipperLib::Orientation(ring) ? 1 : -1;
    }
    return winding > 0;
}

struct Stacking {
    int32_t count = 0;  // copies in a stack
    Point2 step;        // from one copy's reference to the next's
    Bounds box;         // the stack's
};

// The stack of copies of the job's only item, unturned, each at the same step from the last, whose box is
// smallest: the step a corner of the positions one copy forbids the next, no copy meeting any other, the
// stack fitting the sheet. As many copies as fit the sheet, at most `copies` and kMostStacked; fewer than
// three are no stack.
std::optional<Stacking> TightestStack(const Prepared& prepared, const NestJob& job, const NestItem& item, int32_t copies) {
    const ClearanceShape& shape = *prepared.Shape(0, 0);
    const Bounds alone = TrueBounds(shape, {0, 0});
    const IntPaths& forbidden = *prepared.Forbidden(0, 0, 0, 0);
    std::vector<IntPoint> steps;
    for (const IntPath& ring : forbidden) steps.insert(steps.end(), ring.begin(), ring.end());
    if (steps.size() > kMostStackSteps) return std::nullopt;
    const double scale = prepared.scale();
    const auto boxOf = [&](int32_t count, IntPoint step) {
        const double dx = static_cast<double>(step.X) / scale * (count - 1), dy = static_cast<double>(step.Y) / scale * (count - 1);
        return Bounds{alone.left + std::min(0.0, dx), alone.bottom + std::min(0.0, dy), alone.right + std::max(0.0, dx), alone.top + std::max(0.0, dy)};
    };
    // How many copies a stack of this step may hold before one meets another: k steps apart, for k of 2 or
    // more, the copies must not lie inside the forbidden positions (one step lies on their edge). Each step
    // looked at once, however many stacks are tried.
    std::map<std::pair<cInt, cInt>, int32_t> held;
    const auto holds = [&](IntPoint step) {
        const auto [at, added] = held.try_emplace({step.X, step.Y}, kMostStacked);
        if (added) {
            for (int32_t k = 2; k < kMostStacked; ++k) {
                if (Inside(forbidden, {step.X * k, step.Y * k})) {
                    at->second = k;
                    break;
                }
            }
        }
        return at->second;
    };
    for (int32_t count = std::min(copies, kMostStacked); count >= 3; --count) {
        std::vector<std::pair<double, IntPoint>> ranked;
        for (const IntPoint step : steps) {
            if (step.X == 0 && step.Y == 0) continue;
            const Bounds box = boxOf(count, step);
            if (FitsSheet(job, item, box)) ranked.emplace_back(box.Width() * box.Height(), step);
        }
        const size_t tries = std::min(ranked.size(), kStackTries);
        std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(tries), ranked.end(),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t r = 0; r < tries; ++r) {
            const IntPoint step = ranked[r].second;
            if (holds(step) >= count) {
                return Stacking{count, {static_cast<double>(step.X) / scale, static_cast<double>(step.Y) / scale}, boxOf(count, step)};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

GroupedJob GroupCopies(const NestJob& job, double tolerance) {
    GroupedJob grouped;
    grouped.job = job;
    double work = 0;
    double leastPart = std::numeric_limits<double>::infinity();
    for (const NestItem& item : job.items) {
        if (item.copies > 0) leastPart = std::min(leastPart, ShapeArea(item.shape));
    }
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
        const ClearanceShape& single = *prepared.Shape(0, 0);
        const Bounds alone = TrueBounds(single, {0, 0});
        const double aloneArea = alone.Width() * alone.Height();
        // The pair or the stack whose box takes the smaller share of its copies' boxes.
        double share = kGroupShare;
        int32_t count = 0;
        double turn = 0;
        Point2 step;
        if (const std::optional<Pairing> pair = TightestPair(prepared, turns); pair && FitsSheet(job, item, pair->box)) {
            const double s = pair->box.Width() * pair->box.Height() / (2 * aloneArea);
            if (s <= share) share = s, count = 2, turn = pair->turn, step = pair->at;
        }
        if (const std::optional<Stacking> most = TightestStack(prepared, job, item, item.copies)) {
            // As few stacks as hold the copies, all of one size.
            const int32_t stacks = (item.copies + most->count - 1) / most->count;
            const std::optional<Stacking> stack = TightestStack(prepared, job, item, item.copies / stacks);
            if (stack) {
                const double s = stack->box.Width() * stack->box.Height() / (stack->count * aloneArea);
                if (s < std::min(share, kStackShare)) share = s, count = stack->count, turn = 0, step = stack->step;
            }
        }
        if (count < 2) continue;
        std::vector<Member> members;
        for (int32_t k = 0; k < count; ++k) members.push_back({k * turn, step * static_cast<double>(k)});
        const Point2 centre = prepared.Centre(0);
        GroupRoom room{job.spacing / 2 + 2 * tolerance, leastPart, 0};
        if (count > 2) room.coarse = kStackCoarse * (alone.Width() + alone.Height());
        std::optional<NestShape> shape = GroupShape(item.shape, centre, members, room, prepared.scale());
        if (!shape && count > 2) {
            // Copies that meet the next at a corner only: closed over gaps as wide as the step.
            room.gap = std::max(room.gap, std::hypot(step.x, step.y));
            shape = GroupShape(item.shape, centre, members, room, prepared.scale());
        }
        if (!shape) continue;
        NestItem group = item;
        group.shape = *shape;
        group.copies = item.copies / count;
        group.contours = count * item.contours;
        group.entities = count * item.entities;
        group.parts = count * item.parts;
        group.area = count * (item.area > 0 ? item.area : ShapeArea(item.shape));
        grouped.job.items[i].copies = item.copies % count;
        // The second copy's point p lies at Turn(p - c, turn) + at + c = Turn(p, turn) + offset; copy k of a
        // stack (never turned) at p + k * offset.
        const Point2 offset = step + centre - OrientPoint(centre, turn, false);
        grouped.groups.push_back({static_cast<int32_t>(i), item.copies % count, count, turn, offset});
        grouped.job.items.push_back(std::move(group));
    }
    return grouped;
}

void SplitGroups(const NestJob& job, const GroupedJob& grouped, NestResult& result) {
    const auto own = static_cast<int32_t>(job.items.size());
    std::vector<Placement> placed;
    for (const Placement& p : result.placed) {
        if (p.item < own) {
            placed.push_back(p);
            continue;
        }
        const GroupOf& group = grouped.groups[static_cast<size_t>(p.item - own)];
        for (int32_t k = 0; k < group.count; ++k) {
            Placement copy = p;
            copy.item = group.item;
            copy.copy = group.firstCopy + group.count * p.copy + k;
            // Mirrored, the group's turn runs the other way.
            const double turn = k * group.turn;
            const double angle = p.angle + (p.mirrored ? -turn : turn);
            copy.angle = AllowedAngle(job.items[static_cast<size_t>(group.item)].angles, angle).value_or(Normalised(angle));
            copy.offset = p.offset + OrientPoint(group.offset * static_cast<double>(k), p.angle, p.mirrored);
            placed.push_back(copy);
        }
    }
    result.placed = std::move(placed);
    std::vector<std::pair<int32_t, int32_t>> notPlaced;
    for (const auto& [item, copy] : result.notPlaced) {
        if (item < own) {
            notPlaced.emplace_back(item, copy);
            continue;
        }
        const GroupOf& group = grouped.groups[static_cast<size_t>(item - own)];
        for (int32_t k = 0; k < group.count; ++k) notPlaced.emplace_back(group.item, group.firstCopy + group.count * copy + k);
    }
    result.notPlaced = std::move(notPlaced);
    std::vector<int32_t> fitNoSheet;
    for (const int32_t item : result.fitNoSheet) {
        const int32_t own_item = item < own ? item : grouped.groups[static_cast<size_t>(item - own)].item;
        if (std::find(fitNoSheet.begin(), fitNoSheet.end(), own_item) == fitNoSheet.end()) fitNoSheet.push_back(own_item);
    }
    result.fitNoSheet = std::move(fitNoSheet);
}

}  // namespace zorvan::nesting
