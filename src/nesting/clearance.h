// Inside the nesting folder only: the shapes the placement works with, on an integer grid, and the positions
// where one would come too near another. Clipper does the polygon work; nothing outside src/nesting sees it.
//
// A clearance shape is a part in one orientation, grown by half the spacing plus the tolerance (its holes
// shrunk by as much), so two clearance shapes that do not overlap keep the true parts the spacing apart. Rings
// are counter-clockwise (positive area) unless said otherwise; the grid's y axis points up, as the drawing's.
#pragma once

#include <polyclipping/clipper.hpp>

#include <cstdint>
#include <vector>

#include "nesting/nest.h"

namespace zorvan::nesting {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using IntPath = ClipperLib::Path;
using IntPaths = ClipperLib::Paths;

struct IntBox {
    cInt left = 0, bottom = 0, right = 0, top = 0;
};

// One part turned (and mirrored) as the placement sees it, its reference the centre of the part's box before
// turning.
struct ClearanceShape {
    IntPath outline;
    IntPaths holes;
    std::vector<double> holeAreas;
    double area = 0;  // of the outline, in grid units squared
    IntBox box;       // of the outline
    IntPoint inside;  // a point well inside the outline
    // The true outline's box about the same reference, in drawing units: where the part itself reaches.
    double trueLeft = 0, trueBottom = 0, trueRight = 0, trueTop = 0;
};

// How far the clearance shape of a part is grown beyond the part (half the spacing plus the tolerance), and
// how far its outline may be simplified within that, both in drawing units; `scale` grid units make one.
struct Clearance {
    double grow = 0;
    double simplify = 0;
    double scale = 1;
};

// `centred` (already moved so that its box's centre is the origin) mirrored, turned by `angle` degrees and
// put on the grid, grown by the clearance. An outline that vanishes (a part of no area) gives an empty one.
ClearanceShape MakeClearanceShape(const NestShape& centred, double angle, bool mirrored, const Clearance& clearance);

// The positions of `moving`'s reference at which `moving` overlaps `fixed`, whose reference lies at the
// origin: their no-fit polygon, less the positions where one lies wholly inside a hole of the other.
IntPaths ForbiddenPositions(const ClearanceShape& fixed, const ClearanceShape& moving);

// The positions of `moving`'s reference at which it lies wholly inside `hole` (a counter-clockwise ring).
IntPaths InsideFit(const IntPath& hole, const ClearanceShape& moving);

// Polygon sets (non-zero fill) combined.
IntPaths Union(const IntPaths& paths);
IntPaths Difference(const IntPaths& subject, const IntPaths& clip);

// The points of `ring` kept by Douglas-Peucker within `tolerance` (grid units): the result strays no farther
// than that from the ring. A ring of fewer than four points comes back as it is.
IntPath SimplifyRing(const IntPath& ring, double tolerance);

// The box of a path's points.
IntBox BoxOf(const IntPath& path);

// The squared distance from (px, py) to the segment from a to b, in grid units.
double DistanceToSegment2(double px, double py, IntPoint a, IntPoint b);

// The number of points of all the paths: the memory they take, for the caches' budgets.
size_t PointCount(const IntPaths& paths);

}  // namespace zorvan::nesting
