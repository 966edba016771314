// The planar arrangement of a drawing's loose pieces: lines and arcs split where they meet, cross or touch,
// their ends joined within a tolerance, and the regions they enclose found. A piece that encloses nothing (a
// bend line, a centre mark, a construction line, or a line between two regions) bounds no region and is left
// over; pieces drawn twice or overlapping are merged first, so every region's boundary is cut once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/point.h"

namespace zorvan {

// A straight line from `from` to `to`, or an arc about `centre` from `from` to `to`, counter-clockwise where
// `ccw`, of the radius |from - centre|. An arc whose ends coincide is a full turn.
struct Piece {
    Point2 from, to;
    bool arc = false;
    Point2 centre;
    bool ccw = true;

    double Radius() const { return Distance(from, centre); }
    // The angle an arc turns through, in (0, 2 pi]; 0 for a line.
    double Sweep() const;
    double Length() const;
    // The point at share `t` (0 to 1) of the way along.
    Point2 At(double t) const;
    // The same piece run the other way.
    Piece Reversed() const;
};

// A piece of a region's boundary, run forwards or backwards.
struct BoundaryPiece {
    size_t piece = 0;
    bool reversed = false;
};
using Boundary = std::vector<BoundaryPiece>;

struct Arrangement {
    std::vector<Piece> pieces;         // the pieces after merging and splitting, their ends joined
    std::vector<Boundary> regions;     // each enclosed region's boundary, counter-clockwise
    std::vector<size_t> leftOver;      // pieces that bound no region
    // Pairs of regions that share a stretch of boundary: parts drawn edge to edge.
    std::vector<std::pair<size_t, size_t>> touching;
    size_t drawnTwice = 0;             // input pieces merged into others because they lay over them
    bool tooMuchWork = false;          // the bound on piece pairs was reached: nothing was arranged
};

// Arranges `pieces` with ends closer than `tolerance` taken as one point. The pairs of pieces compared are
// found through a grid and bounded: past kMostPiecePairs pairs or kMostSplits split points the result says
// tooMuchWork and holds the input unchanged as left over.
inline constexpr size_t kMostPiecePairs = 20'000'000;
// Pieces that cross one another everywhere make as many split points as pairs, and as many pieces as a drawing
// may hold records: past this many, the result says tooMuchWork too.
inline constexpr size_t kMostSplits = 100'000;
Arrangement Arrange(std::vector<Piece> pieces, double tolerance);

// The signed area a boundary encloses (counter-clockwise positive): its chords by the shoelace formula plus
// each arc's circular segment.
double SignedAreaOf(const std::vector<Piece>& pieces, const Boundary& boundary);

}  // namespace zorvan
