// Inside the nesting folder only: copies of one part grouped before the search, where together they take much
// less room than apart. A pair: two copies, the second maybe turned (combs whose teeth interlock, shapes that
// close into a frame). A stack: many copies unturned, each nested in the last at the same step (L shapes one
// inside the next, arcs one on the next). A group is nested as one shape, its outline closed over the gaps
// between its copies, and split into its copies again in the result.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/nest.h"

namespace zorvan::nesting {

struct GroupOf {
    int32_t item = 0;       // the item of the job whose copies are grouped
    int32_t firstCopy = 0;  // group g stands for copies firstCopy + count * g + k, k from 0 to count - 1
    int32_t count = 2;      // copies in a group: two for a pair, more for a stack
    double turn = 0;        // the second copy's turn in a pair, degrees; 0 in a stack
    Point2 offset;          // copy k's point p lies at Turn(p, k * turn) + k * offset in the first's frame
};

struct GroupedJob {
    NestJob job;                  // the job's items (with the grouped copies taken out), then one item per grouping
    std::vector<GroupOf> groups;  // per item of `job` beyond the job's own; empty where nothing is grouped
};

// A group's box takes at most this share of its copies' boxes.
inline constexpr double kGroupShare = 0.85;
// A stack only where its box takes at most this share of its copies' boxes: stacks that save less (a column of
// copies one above the next) make the fill much slower for little.
inline constexpr double kStackShare = 0.7;
// Stacks: at most this many copies, and this many steps looked at (the corners of one copy's forbidden
// positions for the next); the tightest steps that fit the sheet tried in turn, at most kStackTries.
inline constexpr int32_t kMostStacked = 64;
inline constexpr size_t kMostStackSteps = 50'000;
inline constexpr size_t kStackTries = 16;

// The job with the copies of a part grouped where a group's box takes at most kGroupShare of its copies' boxes
// (a stack kStackShare) and still fits the sheet: the pair or the stack whose box takes the smaller share. The
// work is bounded by the parts' points, not by time, so that the same job is always grouped alike.
GroupedJob GroupCopies(const NestJob& job, double tolerance);

// `result`, a nest of `grouped.job`, told as a nest of `job`: each placed group as its copies.
void SplitGroups(const NestJob& job, const GroupedJob& grouped, NestResult& result);

}  // namespace zorvan::nesting
