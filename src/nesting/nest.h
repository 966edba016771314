// Nesting: copies of parts placed on sheets of one size (or along a strip of one height), each copy turned
// by one of its allowed angles and, where allowed, mirrored, no two copies nearer each other than the spacing
// and none nearer the sheet's edge than it. A small part may lie in a large part's hole when it fits there
// with the spacing all round.
//
// Vocabulary. A shape is a part's true outline and holes, flattened to rings of points (a ring is closed: its
// last point is not repeated). A copy's placement maps a point p of its item to Turn(Mirror(p), angle) +
// offset: Mirror changes the sign of x (when mirrored), Turn turns counter-clockwise by the angle in degrees
// about the origin. Sheets lie from (0, 0) to (width, height); a strip from (0, 0) to (length, height).
//
// How: each shape is grown by half the spacing (and the flattening tolerance), its holes shrunk by as much;
// the positions where one copy would overlap another are their no-fit polygon (a Minkowski sum), less the
// positions inside the other's holes; a copy goes to the lowest of the leftmost positions free of every
// placed copy (bottom-left fill), on the first sheet with room. The order of the copies and their angles are
// then improved by a local search, generation after generation, for a quarter of the time or evaluations;
// the best nest so far is kept. In the rest, the last sheet is made shorter by moving its copies into each
// other: cut shorter, overlaps resolved, kept once nothing overlaps (compaction.h).
//
// What is deterministic: the first nest (largest parts first), every generation and every move of the
// compaction follow from the seed alone; the clock only decides how many run. With
// NestLimits::mostEvaluations their number is fixed too (as many compaction moves as the sheet has copies
// count as one evaluation), and the same seed gives the same nest on every run and every machine (whatever
// the number of threads).
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "geometry/point.h"

namespace zorvan {

using Ring = std::vector<Point2>;

struct NestShape {
    Ring outline;             // the part's outside, either sense
    std::vector<Ring> holes;  // its holes, either sense
};

struct NestItem {
    std::string name;          // for the operator: "bracket.dxf, part 2"
    NestShape shape;
    int32_t copies = 1;
    std::vector<double> angles = {0};  // the turns allowed, in degrees
    bool mirror = false;               // copies may also be mirrored
    // What one copy adds to a sheet's tables: contours, and entities of the sheet's drawing.
    int32_t contours = 1;
    int32_t entities = 1;
    // Set by the search where it pairs copies of one part into one shape (callers leave them): the parts one
    // copy stands for, and their area together (0: the shape's own area).
    int32_t parts = 1;
    double area = 0;
};

struct NestJob {
    std::vector<NestItem> items;
    double sheetWidth = 0, sheetHeight = 0;
    // Strip packing: one strip of sheetHeight, as long as the copies need (sheetWidth is not used).
    bool strip = false;
    // The least distance between two copies, and between a copy and the sheet's edge.
    double spacing = 0;
    // At most this many sheets; the copies that do not fit on them are not placed. 0: as many as needed.
    int32_t mostSheets = 0;
    // How far the shapes the placement works with may stray from the true ones (arcs are flattened within
    // it, and outlines simplified); they are grown by it, so the spacing holds. 0: chosen from the sizes.
    double tolerance = 0;
    // A sheet takes copies only while its contours and its drawing's entities stay within these.
    int32_t mostContoursPerSheet = std::numeric_limits<int32_t>::max();
    int32_t mostEntitiesPerSheet = std::numeric_limits<int32_t>::max();
};

// The bounds a hostile or mistaken order cannot stretch: the job is refused beyond them.
inline constexpr int32_t kMostNestItems = 1000;     // parts (item types)
inline constexpr int64_t kMostNestCopies = 5000;    // copies of all parts together
inline constexpr size_t kMostRingPoints = 20'000;   // points of one part's shape, outline and holes
inline constexpr size_t kMostNestPoints = 1'000'000;  // points of all the parts' shapes
inline constexpr int32_t kMostNestSheets = 1000;

struct NestLimits {
    double seconds = 10;          // the search stops after this time (the first nest is always made)
    int64_t mostEvaluations = 0;  // and after this many nests evaluated; 0: no such bound
    uint64_t seed = 1;
    int threads = 2;              // nests evaluated at once
    // Set from elsewhere (a signal handler, the window's Stop button): the search stops and keeps the best
    // nest; stopped while the first nest is made, the copies not yet placed are left out (notPlaced).
    const std::atomic<bool>* stop = nullptr;
};

struct Placement {
    int32_t item = 0, copy = 0, sheet = 0;
    double angle = 0;  // degrees, counter-clockwise
    bool mirrored = false;
    Point2 offset;
};

// Point `p` mirrored (when asked) and turned by `angle` degrees about the origin. Whole quarter turns are
// exact: a part turned by 90 degrees keeps its straight edges straight.
Point2 OrientPoint(Point2 p, double angle, bool mirrored);

// Where the placement puts point `p` of its item.
Point2 PlacePoint(const Placement& placement, Point2 p);

struct NestStatus {
    int32_t sheets = 0;
    int64_t placed = 0, copies = 0;
    double utilisation = 0;  // parts' area / the area of the sheets used (strip: height x length used)
    double length = 0;       // strip: the length used; sheets: the used length of the last sheet
    double secondsLeft = 0;
    int64_t evaluations = 0;
};

// Told of the search's progress: after the first nest and after every generation.
class NestProgress {
public:
    virtual ~NestProgress() = default;
    virtual void Report(const NestStatus& status) = 0;
};

struct NestResult {
    std::string refusal;  // not empty: the job was refused (too many copies, a shape of too many points)
    std::vector<Placement> placed;
    // Copies not placed, as (item, copy): all copies of an item that fits no sheet in any allowed angle, and
    // those beyond NestJob::mostSheets.
    std::vector<std::pair<int32_t, int32_t>> notPlaced;
    std::vector<int32_t> fitNoSheet;  // items that fit no empty sheet in any allowed angle
    NestStatus status;
    int64_t generations = 0;
    double seconds = 0;    // the time the nest took
    bool stopped = false;  // NestLimits::stop ended the search
};

// Nests the copies of `job`. Never throws on bad input: a job beyond the bounds above, or with a sheet of no
// size, comes back with `refusal` set and nothing placed. Items of no area are not placed (notPlaced).
NestResult NestParts(const NestJob& job, const NestLimits& limits, NestProgress* progress = nullptr);

// The parts' area of one copy of each item (outline less holes), as the utilisation counts it.
double ShapeArea(const NestShape& shape);

}  // namespace zorvan
