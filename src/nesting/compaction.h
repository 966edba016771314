// Inside the nesting folder only: the copies of a nest's last sheet (the strip) moved into each other so that
// they reach less far along x. A bottom-left fill places each copy once and never moves it again; parts that
// interlock (combs, hooks, bent arms) only find each other when copies already placed move too.
//
// How: the sheet is cut a little shorter, the copies beyond the new end are pushed inside, and the overlaps
// that leaves are resolved one copy at a time: each overlapping copy goes, in any of its tried orientations,
// to where it overlaps the others least. How much two copies overlap is how deep the one's reference lies in
// the positions the other forbids it (their no-fit region): the distance to that region's edge. Pairs that
// keep overlapping weigh more and more, so that the copies around them make room. Once nothing overlaps, the
// shorter sheet is kept and cut again. When the overlaps will not go, the copies go on from where they are
// with half the cut given back; when they still will not, the last sound nest is cut by less.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "nesting/placement.h"

namespace zorvan::nesting {

struct CompactionLimits {
    double seconds = 0;     // the time it may take
    int64_t mostMoves = 0;  // and the moves it may make (of a copy, or a cut tried), all searches together; 0: no bound
    uint64_t seed = 1;
    int threads = 2;        // the searches (each from its own seed) run at once
    // Told after every cut tried, from any search's thread but one at a time: the length of the shortest sound
    // nest that search has found so far (drawing units).
    std::function<void(double)> progress;
};

struct Compacted {
    std::vector<PlacedCopy> copies;  // as given where nothing shorter was found
    double length = 0;               // how far they reach along x, drawing units
    int64_t moves = 0;
};

// The copies moved as above, all on one sheet, so that none overlaps another on the grid the fill uses. The
// result is the shortest sound nest any search found, or the copies as given.
Compacted Compact(const Prepared& prepared, const std::vector<PlacedCopy>& copies, const CompactionLimits& limits);

// How deep q lies in a region (rings as Clipper leaves them: outer ones counter-clockwise, holes clockwise):
// the distance to its edge, in grid units; 0 outside it or on its edge. The overlap the compaction measures.
double DepthIn(const IntPaths& region, IntPoint q);

}  // namespace zorvan::nesting
