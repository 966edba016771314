// Clearance shapes and the positions they forbid each other.
#include "nesting/clearance.h"

#include "nesting/convolution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace zorvan::nesting {

namespace {

// The edges one convolution may take; beyond it simpler shapes are summed.
constexpr size_t kMostSteps = 2'000'000;

using ClipperLib::Clipper;
using ClipperLib::ClipperOffset;

IntPath OnGrid(const Ring& ring, double angle, bool mirrored, double scale) {
    IntPath path;
    path.reserve(ring.size());
    for (const Point2& p : ring) {
        const Point2 q = OrientPoint(p, angle, mirrored);
        path.emplace_back(std::llround(q.x * scale), std::llround(q.y * scale));
    }
    return path;
}

// The rings of `paths` with positive area (the outer boundaries), each simplified within `tolerance` and made
// simple again; tiny slivers left out.
IntPaths Outers(const IntPaths& paths, double tolerance) {
    IntPaths outers;
    for (const IntPath& path : paths) {
        if (!ClipperLib::Orientation(path)) continue;
        IntPaths simple;
        ClipperLib::SimplifyPolygon(SimplifyRing(path, tolerance), simple, ClipperLib::pftNonZero);
        for (IntPath& ring : simple) {
            if (ClipperLib::Orientation(ring) && ClipperLib::Area(ring) > 4) outers.push_back(std::move(ring));
        }
    }
    return outers;
}

IntPaths Offset(const IntPaths& rings, double delta, double arcTolerance) {
    ClipperOffset offset(2.0, std::max(arcTolerance, 0.25));
    offset.AddPaths(rings, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    IntPaths grown;
    offset.Execute(grown, delta);
    return grown;
}

size_t Largest(const IntPaths& paths) {
    size_t largest = 0;
    for (size_t k = 1; k < paths.size(); ++k) {
        if (ClipperLib::Area(paths[k]) > ClipperLib::Area(paths[largest])) largest = k;
    }
    return largest;
}

// The middle of the widest stretch the ring encloses on a line across the middle of its box, half a unit off
// the grid so that it meets no vertex.
IntPoint PointInside(const IntPath& ring, const IntBox& box) {
    const double y = std::floor((static_cast<double>(box.bottom) + static_cast<double>(box.top)) / 2) + 0.5;
    std::vector<double> crossings;
    for (size_t k = 0; k < ring.size(); ++k) {
        const IntPoint a = ring[k], b = ring[(k + 1) % ring.size()];
        const auto ay = static_cast<double>(a.Y), by = static_cast<double>(b.Y);
        if ((ay > y) == (by > y)) continue;
        crossings.push_back(static_cast<double>(a.X) + (y - ay) / (by - ay) * static_cast<double>(b.X - a.X));
    }
    std::sort(crossings.begin(), crossings.end());
    double widest = -1, x = static_cast<double>(box.left + box.right) / 2;
    for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
        if (crossings[k + 1] - crossings[k] > widest) {
            widest = crossings[k + 1] - crossings[k];
            x = (crossings[k] + crossings[k + 1]) / 2;
        }
    }
    return {std::llround(x), static_cast<cInt>(std::floor(y))};
}

void Negate(IntPaths& paths) {
    for (IntPath& path : paths) {
        for (IntPoint& p : path) p = {-p.X, -p.Y};
    }
}

IntPath Negated(const IntPath& path) {
    IntPath negated = path;
    for (IntPoint& p : negated) p = {-p.X, -p.Y};
    return negated;
}

// Douglas-Peucker on the open chain ring[first..last] (indices taken round the ring), marking the points kept.
void KeepWithin(const IntPath& ring, size_t first, size_t last, double tolerance2, std::vector<char>& keep) {
    const size_t n = ring.size();
    std::vector<std::pair<size_t, size_t>> stack = {{first, last}};
    while (!stack.empty()) {
        const auto [from, to] = stack.back();
        stack.pop_back();
        double farthest = -1;
        size_t at = from;
        for (size_t k = from + 1; k < to; ++k) {
            const IntPoint p = ring[k % n];
            const double d = DistanceToSegment2(static_cast<double>(p.X), static_cast<double>(p.Y), ring[from % n], ring[to % n]);
            if (d > farthest) farthest = d, at = k;
        }
        if (farthest <= tolerance2) continue;
        keep[at % n] = 1;
        stack.emplace_back(from, at);
        stack.emplace_back(at, to);
    }
}

}  // namespace

IntPath SimplifyRing(const IntPath& ring, double tolerance) {
    const size_t n = ring.size();
    if (n < 4 || !(tolerance > 0)) return ring;
    // Split the ring at its first point and the point farthest from it.
    size_t far = 0;
    double farthest = -1;
    for (size_t k = 1; k < n; ++k) {
        const double dx = static_cast<double>(ring[k].X - ring[0].X), dy = static_cast<double>(ring[k].Y - ring[0].Y);
        if (dx * dx + dy * dy > farthest) farthest = dx * dx + dy * dy, far = k;
    }
    std::vector<char> keep(n, 0);
    keep[0] = keep[far] = 1;
    KeepWithin(ring, 0, far, tolerance * tolerance, keep);
    KeepWithin(ring, far, n, tolerance * tolerance, keep);
    IntPath kept;
    for (size_t k = 0; k < n; ++k) {
        if (keep[k]) kept.push_back(ring[k]);
    }
    return kept.size() >= 3 ? kept : ring;
}

namespace {

IntPath CounterClockwise(IntPath ring) {
    if (!ClipperLib::Orientation(ring)) ClipperLib::ReversePath(ring);
    return ring;
}

// Whether some of the hole lies outside the outline: a contour drawn across the part's edge, which the torch
// cuts where it is drawn, outside the part too.
bool Straddles(const IntPath& hole, const IntPath& outline) {
    const IntPaths outside = Difference({hole}, {outline});
    double area = 0;
    for (const IntPath& ring : outside) area += std::fabs(ClipperLib::Area(ring));
    return area > std::max(16.0, 1e-6 * std::fabs(ClipperLib::Area(hole)));
}

}  // namespace

IntBox BoxOf(const IntPath& path) {
    IntBox box{std::numeric_limits<cInt>::max(), std::numeric_limits<cInt>::max(), std::numeric_limits<cInt>::min(),
               std::numeric_limits<cInt>::min()};
    for (const IntPoint& p : path) {
        box.left = std::min(box.left, p.X);
        box.right = std::max(box.right, p.X);
        box.bottom = std::min(box.bottom, p.Y);
        box.top = std::max(box.top, p.Y);
    }
    return box;
}

double DistanceToSegment2(double px, double py, IntPoint a, IntPoint b) {
    const auto ax = static_cast<double>(a.X), ay = static_cast<double>(a.Y);
    const double dx = static_cast<double>(b.X) - ax, dy = static_cast<double>(b.Y) - ay;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = ax + t * dx - px, ey = ay + t * dy - py;
    return ex * ex + ey * ey;
}

ClearanceShape MakeClearanceShape(const NestShape& centred, double angle, bool mirrored, const Clearance& clearance) {
    ClearanceShape shape;
    const double scale = clearance.scale;
    const double grow = clearance.grow * scale;
    const double simplify = clearance.simplify * scale;
    IntPaths body = {CounterClockwise(OnGrid(centred.outline, angle, mirrored, scale))};
    IntPaths inner;
    for (const Ring& hole : centred.holes) {
        IntPath ring = CounterClockwise(OnGrid(hole, angle, mirrored, scale));
        (Straddles(ring, body.front()) ? body : inner).push_back(std::move(ring));
    }
    if (body.size() > 1) body = Union(body);
    IntPaths outers = Outers(Offset(body, grow, simplify / 2), simplify);
    if (outers.empty()) return shape;
    shape.outline = std::move(outers[Largest(outers)]);
    shape.area = ClipperLib::Area(shape.outline);
    shape.box = BoxOf(shape.outline);
    shape.inside = PointInside(shape.outline, shape.box);
    for (const IntPath& hole : inner) {
        // The hole shrunk: a part in it keeps its distance from the hole's edge.
        for (IntPath& ring : Outers(Offset({hole}, -grow, simplify / 2), simplify)) {
            shape.holeAreas.push_back(ClipperLib::Area(ring));
            shape.holes.push_back(std::move(ring));
        }
    }
    // Where the cuts reach: the outline, and a hole drawn across it.
    bool first = true;
    std::vector<const Ring*> rings = {&centred.outline};
    for (const Ring& hole : centred.holes) rings.push_back(&hole);
    for (const Ring* ring : rings) {
        for (const Point2& p : *ring) {
            const Point2 q = OrientPoint(p, angle, mirrored);
            if (first || q.x < shape.trueLeft) shape.trueLeft = q.x;
            if (first || q.x > shape.trueRight) shape.trueRight = q.x;
            if (first || q.y < shape.trueBottom) shape.trueBottom = q.y;
            if (first || q.y > shape.trueTop) shape.trueTop = q.y;
            first = false;
        }
    }
    return shape;
}

IntPaths InsideFit(const IntPath& hole, const ClearanceShape& moving) {
    // The positions where the moving shape stays within the hole's box, less those where it meets the
    // material around the hole: the frame (the box grown a little) less the hole, summed with the moving
    // shape turned round. The frame runs counter-clockwise and the hole clockwise, so the material lies on
    // the left of both.
    const IntBox box = BoxOf(hole);
    const IntBox within{box.left - moving.box.left, box.bottom - moving.box.bottom, box.right - moving.box.right,
                        box.top - moving.box.top};
    if (within.left >= within.right || within.bottom >= within.top) return {};
    const IntPath frame = {{box.left - 2, box.bottom - 2}, {box.right + 2, box.bottom - 2}, {box.right + 2, box.top + 2},
                           {box.left - 2, box.top + 2}};
    IntPath reversed = hole;
    ClipperLib::ReversePath(reversed);
    const IntPath turned = Negated(moving.outline);
    std::optional<IntPaths> touching = FullConvolution(frame, turned, kMostSteps);
    const std::optional<IntPaths> more = FullConvolution(reversed, turned, kMostSteps);
    if (!touching || !more) return {};  // too much work: the hole is not used
    touching->insert(touching->end(), more->begin(), more->end());
    const IntPath range = {{within.left, within.bottom}, {within.right, within.bottom}, {within.right, within.top},
                           {within.left, within.top}};
    return Difference({range}, *touching);
}

IntPaths ForbiddenPositions(const ClearanceShape& fixed, const ClearanceShape& moving) {
    if (fixed.outline.empty() || moving.outline.empty()) return {};
    std::optional<IntPaths> cycles = FullConvolution(fixed.outline, Negated(moving.outline), kMostSteps);
    // Outlines of very many wiggles: their convex hulls, which forbid a little more.
    if (!cycles) cycles = FullConvolution(ConvexHull(fixed.outline), ConvexHull(Negated(moving.outline)), kMostSteps);
    const IntPaths sum = Union(cycles.value_or(IntPaths{}));
    if (sum.empty()) return {};
    // Its outer boundary: inside it, wherever the edges do not meet, one shape lies within the other.
    IntPaths forbidden = {sum[Largest(sum)]};
    IntPaths allowed;
    for (size_t h = 0; h < fixed.holes.size(); ++h) {
        if (fixed.holeAreas[h] <= moving.area) continue;
        IntPaths fits = InsideFit(fixed.holes[h], moving);
        allowed.insert(allowed.end(), fits.begin(), fits.end());
    }
    // The fixed shape inside a hole of the moving one: the moving one's reference at minus those positions.
    for (size_t h = 0; h < moving.holes.size(); ++h) {
        if (moving.holeAreas[h] <= fixed.area) continue;
        IntPaths fits = InsideFit(moving.holes[h], fixed);
        Negate(fits);
        allowed.insert(allowed.end(), fits.begin(), fits.end());
    }
    return allowed.empty() ? forbidden : Difference(forbidden, allowed);
}

IntPaths Union(const IntPaths& paths) {
    Clipper clipper;
    clipper.AddPaths(paths, ClipperLib::ptSubject, true);
    IntPaths result;
    clipper.Execute(ClipperLib::ctUnion, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return result;
}

IntPaths Difference(const IntPaths& subject, const IntPaths& clip) {
    Clipper clipper;
    clipper.AddPaths(subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(clip, ClipperLib::ptClip, true);
    IntPaths result;
    clipper.Execute(ClipperLib::ctDifference, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return result;
}

size_t PointCount(const IntPaths& paths) {
    size_t count = 0;
    for (const IntPath& path : paths) count += path.size();
    return count;
}

}  // namespace zorvan::nesting
