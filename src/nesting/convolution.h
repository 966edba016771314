// Inside the nesting folder only: Minkowski sums by convolution. The sum of two polygons is the region of
// non-zero winding number of their convolution: closed paths made of the edges of each moved by the corners
// of the other that turn through the edge's direction, usually not many more edges than the two have
// together. This is far cheaper than joining the sums of every edge with every edge.
#pragma once

#include <optional>
#include <vector>

#include "nesting/clearance.h"

namespace zorvan::nesting {

// The full convolution of two rings (either may be non-convex; `ring` either sense, `other` counter-
// clockwise), as closed paths: every edge of one moved by each vertex of the other whose turn sweeps the
// edge's direction, forwards where that turn is to the left and backwards where it is to the right. Its
// region of non-zero winding number is the Minkowski sum of the two regions. Directions that are equal are
// taken as if `other` were turned a little counter-clockwise, so that the paths close. Nothing when it would
// take more than `mostSteps` edges, or more than twelve times as many pairs of edge and corner to find
// them (rings of many points and small wiggles): the caller then sums something simpler.
std::optional<IntPaths> FullConvolution(const IntPath& ring, const IntPath& other, size_t mostSteps);

// The convex hull of the ring's points, counter-clockwise.
IntPath ConvexHull(IntPath ring);

}  // namespace zorvan::nesting
