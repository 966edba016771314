// The nesting engine: every nest checked by the test's own geometry (nest_check.h), what must fit where it
// fits, what cannot fit named, the same seed giving the same nest, and bad orders refused.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "nesting/compaction.h"
#include "nesting/nest.h"
#include "nesting/groups.h"
#include "nesting/shelf.h"
#include "nesting/nest_check.h"

namespace zorvan {
namespace {

using testing::NestFaults;

Ring Rect(double w, double h, double x = 0, double y = 0) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

Ring Polygon(double r, int n, double cx = 0, double cy = 0) {
    Ring ring;
    for (int k = 0; k < n; ++k) ring.push_back({cx + r * std::cos(2 * M_PI * k / n), cy + r * std::sin(2 * M_PI * k / n)});
    return ring;
}

Ring LShape() { return {{0, 0}, {80, 0}, {80, 20}, {20, 20}, {20, 60}, {0, 60}}; }

NestShape Shape(Ring outline, std::vector<Ring> holes = {}) { return {std::move(outline), std::move(holes)}; }

const std::vector<double> kQuarterTurns = {0, 90, 180, 270};

NestItem Item(NestShape shape, int32_t copies, std::vector<double> angles = kQuarterTurns, bool mirror = false) {
    NestItem item;
    item.shape = std::move(shape);
    item.copies = copies;
    item.angles = std::move(angles);
    item.mirror = mirror;
    return item;
}

NestLimits Evaluations(int64_t count, uint64_t seed = 7, int threads = 2) {
    NestLimits limits;
    limits.seconds = 120;
    limits.mostEvaluations = count;
    limits.seed = seed;
    limits.threads = threads;
    return limits;
}

struct Case {
    const char* what;
    NestJob job;
    int32_t sheets;                   // the sheets the nest must use; -1: any
    size_t notPlaced;                 // copies left off
    std::vector<int32_t> fitNoSheet;  // items that fit no sheet
};

NestJob Job(std::vector<NestItem> items, double width, double height, double spacing, int32_t mostSheets = 0) {
    NestJob job;
    job.items = std::move(items);
    job.sheetWidth = width, job.sheetHeight = height, job.spacing = spacing, job.mostSheets = mostSheets;
    return job;
}

TEST(NestTest, NestsAreSoundAndPlaceWhatFits) {
    const NestShape frame = Shape(Rect(200, 200), {Rect(150, 150, 25, 25)});
    const Case cases[] = {
        // Three across and three up fit a sheet with the spacing all round: twelve need two sheets.
        {"rectangles on two sheets", Job({Item(Shape(Rect(100, 60)), 12)}, 330, 210, 5), 2, 0, {}},
        {"a small part in the large one's hole", Job({Item(frame, 1), Item(Shape(Rect(60, 60)), 2)}, 212, 212, 5, 1), 1, 0, {}},
        {"a hole too tight for the spacing", Job({Item(frame, 1), Item(Shape(Rect(142, 142)), 1)}, 212, 212, 5, 1), 1, 1, {}},
        {"a long part turned to fit", Job({Item(Shape(Rect(300, 20)), 3)}, 100, 400, 4), 1, 0, {}},
        {"a long part that may not turn", Job({Item(Shape(Rect(300, 20)), 3, {0}), Item(Shape(Rect(20, 20)), 2, {0})}, 100, 400, 4), 1, 3, {0}},
        {"a part larger than the sheet", Job({Item(Shape(Rect(500, 500)), 2), Item(Shape(Rect(50, 40)), 4)}, 330, 210, 5), 1, 2, {0}},
        {"mirrored L shapes among discs", Job({Item(Shape(LShape()), 9, {0, 180}, true), Item(Shape(Polygon(25, 48)), 6)}, 300, 200, 3), -1, 0, {}},
        {"more than the sheets allowed hold", Job({Item(Shape(Rect(100, 60)), 12)}, 330, 210, 5, 1), 1, 3, {}},
        // A hole drawn across the part's edge is cut where it is drawn: the parts keep away from all of it.
        {"a hole drawn across the outline", Job({Item(Shape(Rect(100, 100), {Rect(20, 20, 90, 40)}), 4)}, 500, 120, 5), 1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NestResult result = NestParts(c.job, Evaluations(9));
        ASSERT_EQ(result.refusal, "");
        EXPECT_EQ(NestFaults(c.job, result), std::vector<std::string>());
        if (c.sheets >= 0) {
            EXPECT_EQ(result.status.sheets, c.sheets);
        }
        EXPECT_EQ(result.notPlaced.size(), c.notPlaced);
        EXPECT_EQ(result.fitNoSheet, c.fitNoSheet);
    }
}

// Copies that take much less room together are nested as one shape, then split: two turned into each other
// (a pair), or many unturned, each nested in the last (a stack, as many as fit the sheet). Each copy must come
// out in an allowed turn, mirrored as its group, the spacing kept from the others of its group and every other
// part; copies of a group left off are all named.
TEST(NestTest, GroupedCopiesComeOutAsSoundCopies) {
    // Teeth at 0, 30 and 60 along a base 80 long: turned half round, the teeth fall into the gaps.
    const Ring comb = {{0, 0}, {80, 0}, {80, 10}, {70, 10}, {70, 30}, {60, 30}, {60, 10}, {40, 10}, {40, 30}, {30, 30}, {30, 10}, {10, 10}, {10, 30}, {0, 30}};
    const Ring thinL = {{0, 0}, {100, 0}, {100, 8}, {8, 8}, {8, 70}, {0, 70}};
    // An arc of a ring: copies stack one on the next.
    Ring arc;
    for (int k = 0; k <= 24; ++k) arc.push_back({160 * std::cos(M_PI * (0.3 + 0.4 * k / 24)), 160 * std::sin(M_PI * (0.3 + 0.4 * k / 24))});
    for (int k = 24; k >= 0; --k) arc.push_back({140 * std::cos(M_PI * (0.3 + 0.4 * k / 24)), 140 * std::sin(M_PI * (0.3 + 0.4 * k / 24))});
    struct Grouping {
        const char* what;
        NestJob job;
        int32_t count;      // copies in a group
        size_t notPlaced;   // copies left off
    };
    const Grouping cases[] = {
        {"L shapes, quarter turns: one stack", Job({Item(Shape(thinL), 9), Item(Shape(Rect(30, 20)), 3)}, 400, 300, 3), 9, 0},
        {"L shapes half turns, mirrored: one stack", Job({Item(Shape(thinL), 6, {0, 180}, true)}, 400, 300, 3), 6, 0},
        // Seven fit the sheet: two stacks of six, one sheet holds one of them.
        {"L shapes on a sheet too small for one stack", Job({Item(Shape(thinL), 12)}, 200, 150, 3, 1), 6, 6},
        {"arcs: one stack", Job({Item(Shape(arc), 8)}, 400, 300, 2), 8, 0},
        {"combs with a hole, quarter turns: pairs", Job({Item(Shape(comb, {Rect(6, 3, 20, 4)}), 7)}, 300, 200, 2), 2, 0},
    };
    for (const Grouping& c : cases) {
        SCOPED_TRACE(c.what);
        const nesting::GroupedJob grouped = nesting::GroupCopies(c.job, 0.01);
        ASSERT_FALSE(grouped.groups.empty());
        EXPECT_EQ(grouped.groups.back().count, c.count);
        EXPECT_EQ(grouped.job.items.back().parts, c.count);
        NestResult result = NestParts(grouped.job, Evaluations(5));
        ASSERT_EQ(result.refusal, "");
        nesting::SplitGroups(c.job, grouped, result);
        EXPECT_EQ(NestFaults(c.job, result), std::vector<std::string>());
        EXPECT_EQ(result.notPlaced.size(), c.notPlaced);
    }
}

// Copies laid in a row along a strip, far from each other: the compaction must move them into each other (two
// rows of squares; L shapes, one turned half round, closing into each other) and leave no two overlapping.
TEST(NestTest, CompactionMovesPlacedCopiesIntoEachOther) {
    struct Compaction {
        const char* what;
        NestItem item;
        double height, width;  // of the strip, and of one copy in the row
        double most;           // the length the compacted copies may reach at most
    };
    const Compaction cases[] = {
        {"squares stacked two high", Item(Shape(Rect(10, 10)), 4), 20.5, 10, 21},
        {"L shapes closing into each other", Item(Shape(LShape()), 2, {0, 180}), 60.5, 80, 101},
    };
    for (const Compaction& c : cases) {
        SCOPED_TRACE(c.what);
        NestJob job;
        job.strip = true;
        job.sheetHeight = c.height;
        job.items = {c.item};
        const nesting::Prepared prepared(job, 0.01);
        std::vector<nesting::PlacedCopy> row;
        for (int32_t k = 0; k < c.item.copies; ++k) {
            const Point2 at = Point2{c.width / 2 + 1 + k * (c.width + 2), c.height / 2} * prepared.scale();
            row.push_back({k, 0, 0, {std::llround(at.x), std::llround(at.y)}});
        }
        nesting::CompactionLimits limits;
        limits.seconds = 60, limits.mostMoves = 20000;
        const nesting::Compacted compacted = nesting::Compact(prepared, row, limits);
        EXPECT_LE(compacted.length, c.most);
        limits.threads = 1;  // the searches one after the other: the same moves, the same nest
        const nesting::Compacted alone = nesting::Compact(prepared, row, limits);
        EXPECT_EQ(alone.length, compacted.length);
        EXPECT_EQ(alone.moves, compacted.moves);
        NestResult result;
        result.status.sheets = 1;
        for (const nesting::PlacedCopy& copy : compacted.copies) result.placed.push_back(nesting::PlacementOf(prepared, copy));
        EXPECT_EQ(NestFaults(job, result, compacted.length), std::vector<std::string>());
    }
}

// The overlap the compaction resolves: how deep a point lies in a forbidden region, a ring with a hole and a
// ring of many wiggles (whose edges it looks at run by run), against the test's own point-in-ring count and
// distance to every edge.
TEST(NestTest, CompactionMeasuresOverlapAsTheDepthInTheForbiddenRegion) {
    const auto ring = [](std::vector<std::pair<long long, long long>> points) {
        nesting::IntPath path;
        for (const auto& [x, y] : points) path.push_back({x, y});
        return path;
    };
    const nesting::IntPaths frame = {ring({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), ring({{30, 30}, {30, 70}, {70, 70}, {70, 30}})};
    const struct {
        long long x, y;
        double depth;
    } points[] = {{10, 50, 10}, {50, 15, 15}, {50, 50, 0}, {30, 50, 0}, {0, 0, 0}, {100, 40, 0}, {-5, 50, 0}, {25, 50, 5}};
    for (const auto& p : points) EXPECT_EQ(nesting::DepthIn(frame, {p.x, p.y}), p.depth) << p.x << ", " << p.y;

    nesting::IntPath star;
    for (int k = 0; k < 200; ++k) {
        const double r = k % 2 ? 400 : 1000, a = 2 * M_PI * k / 200;
        star.push_back({std::llround(r * std::cos(a)), std::llround(r * std::sin(a))});
    }
    const auto reference = [&](nesting::IntPoint q) {
        if (ClipperLib::PointInPolygon(q, star) != 1) return 0.0;
        double best = 1e300;
        for (size_t i = 0, j = star.size() - 1; i < star.size(); j = i++) {
            const double ax = static_cast<double>(star[j].X), ay = static_cast<double>(star[j].Y);
            const double dx = static_cast<double>(star[i].X) - ax, dy = static_cast<double>(star[i].Y) - ay;
            const double t = std::clamp(((static_cast<double>(q.X) - ax) * dx + (static_cast<double>(q.Y) - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            best = std::min(best, std::hypot(static_cast<double>(q.X) - ax - t * dx, static_cast<double>(q.Y) - ay - t * dy));
        }
        return best;
    };
    for (long long x = -1000; x <= 1000; x += 37) {
        for (long long y = -1000; y <= 1000; y += 41) EXPECT_NEAR(nesting::DepthIn({star}, {x, y}), reference({x, y}), 1e-9) << x << ", " << y;
    }
}

// What the operator watches: the strip told after every generation and every cut the compaction tries, never
// longer than before, and the last thing told is the nest returned.
TEST(NestTest, TheProgressToldNeverGrowsAndEndsAtTheNestReturned) {
    NestJob job;
    job.strip = true;
    job.sheetHeight = 100;
    job.items = {Item(Shape(LShape()), 6), Item(Shape({{0, 0}, {60, 0}, {0, 40}}), 6)};
    struct Told : NestProgress {
        std::vector<NestStatus> statuses;
        void Report(const NestStatus& status) override { statuses.push_back(status); }
    } told;
    const NestResult nest = NestParts(job, Evaluations(200), &told);
    ASSERT_GT(told.statuses.size(), 2u);
    for (size_t k = 1; k < told.statuses.size(); ++k) {
        EXPECT_LE(told.statuses[k].length, told.statuses[k - 1].length);
        EXPECT_NEAR(told.statuses[k].utilisation * told.statuses[k].length, told.statuses[0].utilisation * told.statuses[0].length, 1e-6);
    }
    EXPECT_EQ(told.statuses.back().length, nest.status.length);
    EXPECT_EQ(told.statuses.back().utilisation, nest.status.utilisation);
    EXPECT_LT(nest.status.length, told.statuses.front().length);
    EXPECT_EQ(NestFaults(job, nest, nest.status.length), std::vector<std::string>());
}

TEST(NestTest, PartsInAHoleAndTurnedPartsLieWhereTheyMust) {
    const NestJob inHole = Job({Item(Shape(Rect(200, 200), {Rect(150, 150, 25, 25)}), 1), Item(Shape(Rect(60, 60)), 1)}, 212, 212, 5, 1);
    const NestResult result = NestParts(inHole, Evaluations(1));
    ASSERT_EQ(result.placed.size(), 2u);
    const Placement& small = result.placed[0].item == 1 ? result.placed[0] : result.placed[1];
    const Point2 corner = PlacePoint(small, {0, 0});
    EXPECT_GT(corner.x, 25 + 5 - 1e-6);  // inside the hole, the spacing from its edge
    EXPECT_GT(corner.y, 25 + 5 - 1e-6);

    const NestJob turned = Job({Item(Shape(Rect(300, 20)), 1)}, 100, 400, 4);
    const NestResult turn = NestParts(turned, Evaluations(1));
    ASSERT_EQ(turn.placed.size(), 1u);
    EXPECT_TRUE(turn.placed[0].angle == 90 || turn.placed[0].angle == 270);
}

TEST(NestTest, TheSameSeedGivesTheSameNestOnAnyNumberOfThreads) {
    const NestJob job = Job({Item(Shape(LShape()), 7, kQuarterTurns, true), Item(Shape(Polygon(18, 20)), 5), Item(Shape(Rect(70, 30)), 4)}, 260, 180, 3);
    const NestResult one = NestParts(job, Evaluations(21, 11, 1));
    const NestResult two = NestParts(job, Evaluations(21, 11, 2));
    ASSERT_EQ(one.placed.size(), two.placed.size());
    for (size_t k = 0; k < one.placed.size(); ++k) {
        const Placement &a = one.placed[k], &b = two.placed[k];
        EXPECT_TRUE(a.item == b.item && a.copy == b.copy && a.sheet == b.sheet && a.angle == b.angle && a.mirrored == b.mirrored &&
                    a.offset.x == b.offset.x && a.offset.y == b.offset.y)
            << "placement " << k;
    }
    EXPECT_EQ(one.status.evaluations, two.status.evaluations);
    EXPECT_LE(one.status.evaluations, 21);
    EXPECT_EQ(NestFaults(job, one), std::vector<std::string>());
}

TEST(NestTest, TheSearchKeepsTheBestNestAndStopsWhenAsked) {
    const NestJob job = Job({Item(Shape(LShape()), 10), Item(Shape(Rect(50, 30)), 10)}, 400, 200, 2);
    const NestResult first = NestParts(job, Evaluations(1));
    const NestResult searched = NestParts(job, Evaluations(41));
    EXPECT_LE(searched.status.sheets, first.status.sheets);
    if (searched.status.sheets == first.status.sheets) {
        EXPECT_LE(searched.status.length, first.status.length);
    }

    // Stopped once the first nest is made: that nest, whole. Stopped before: nothing placed, all named.
    struct StopAfterFirst : NestProgress {
        std::atomic<bool> stop{false};
        void Report(const NestStatus&) override { stop = true; }
    } progress;
    NestLimits limits = Evaluations(1000);
    limits.stop = &progress.stop;
    const NestResult stopped = NestParts(job, limits, &progress);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.status.evaluations, 1);
    EXPECT_EQ(stopped.placed.size(), 20u);
    EXPECT_EQ(NestFaults(job, stopped), std::vector<std::string>());
    const NestResult none = NestParts(job, limits);
    EXPECT_TRUE(none.placed.empty());
    EXPECT_EQ(none.notPlaced.size(), 20u);
}

TEST(NestTest, OrdersBeyondTheBoundsAreRefusedWithNothingPlaced) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        NestJob job;
        const char* refusal;
    } cases[] = {
        {"too many copies", Job({Item(Shape(Rect(1, 1)), static_cast<int32_t>(kMostNestCopies) + 1)}, 100, 100, 1),
         "more than 5000 copies to nest"},
        {"a point that is not a number", Job({Item(Shape({{0, 0}, {nan, 0}, {1, 1}}), 1)}, 100, 100, 1), ": a point that is not a number"},
        {"a sheet of no size", Job({Item(Shape(Rect(1, 1)), 1)}, 0, 100, 1), "the sheet has no size"},
        {"a negative count", Job({Item(Shape(Rect(1, 1)), -1)}, 100, 100, 1), ": a negative number of copies"},
        {"an outline of too many points", Job({Item(Shape(Polygon(10, static_cast<int>(kMostRingPoints) + 1)), 1)}, 100, 100, 1),
         ": more than 20000 points in its outline and holes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NestResult result = NestParts(c.job, Evaluations(3));
        EXPECT_EQ(result.refusal, c.refusal);
        EXPECT_TRUE(result.placed.empty());
    }
}

TEST(NestTest, OutlinesOfThousandsOfWigglesAreNestedInBoundedWork) {
    // A comb of 1,500 teeth (6,000 points): summed edge by edge with itself it would take millions of edges;
    // the sum of its hull is taken instead, which only forbids more.
    Ring comb = {{0, 0}, {16500, 0}};
    for (int tooth = 1499; tooth >= 0; --tooth) {
        const double x = 11.0 * tooth;
        for (const Point2 p : {Point2{x + 11, 20}, Point2{x + 1, 20}, Point2{x + 1, 30}, Point2{x, 30}}) comb.push_back(p);
    }
    const NestJob job = Job({Item(Shape(comb), 2, {0, 180})}, 16600, 100, 2);
    const auto start = std::chrono::steady_clock::now();
    const NestResult result = NestParts(job, Evaluations(1));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 30);  // sanitizers included
    EXPECT_EQ(result.placed.size(), 2u);
    EXPECT_EQ(NestFaults(job, result), std::vector<std::string>());
}

TEST(NestTest, StripPackingBeatsTheShelfFloor) {
    NestJob job;
    job.strip = true;
    job.sheetHeight = 100;
    job.items = {Item(Shape({{0, 0}, {60, 0}, {0, 40}}), 8), Item(Shape(LShape()), 4), Item(Shape(Rect(30, 10)), 6)};
    const NestResult nest = NestParts(job, Evaluations(13));
    EXPECT_EQ(NestFaults(job, nest, nest.status.length), std::vector<std::string>());
    double area = 0;
    for (const NestItem& item : job.items) area += ShapeArea(item.shape) * item.copies;
    EXPECT_NEAR(nest.status.utilisation, area / (job.sheetHeight * nest.status.length), 1e-9);
    const ShelfNest shelf = ShelfPack(job);
    EXPECT_EQ(shelf.placed, 18);
    EXPECT_LT(nest.status.length, shelf.length);

    // Boxes that stack exactly: two columns of two.
    NestJob boxes;
    boxes.strip = true;
    boxes.sheetHeight = 20;
    boxes.items = {Item(Shape(Rect(10, 10)), 4)};
    EXPECT_EQ(ShelfPack(boxes).length, 20);
    EXPECT_EQ(ShelfPack(boxes).utilisation, 1);
}

}  // namespace
}  // namespace zorvan
