// Inside the nesting folder only: copies of one part paired before the search, where two of them, the second
// turned, take much less room together than apart (combs whose teeth interlock, L shapes that close into a
// frame, arcs that stack). A pair is nested as one shape, its outline closed over the gap between the two, and
// split into its two copies again in the result.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "nesting/nest.h"

namespace zorvan::nesting {

struct PairOf {
    int32_t item = 0;       // the item of the job whose copies are paired
    int32_t firstCopy = 0;  // pair k stands for copies firstCopy + 2k and firstCopy + 2k + 1
    double turn = 0;        // the second copy's turn in the pair, degrees
    Point2 offset;          // the second copy's point p lies at Turn(p, turn) + offset in the first's frame
};

struct PairedJob {
    NestJob job;                // the job's items (with the paired copies taken out), then one item per pairing
    std::vector<PairOf> pairs;  // per item of `job` beyond the job's own; empty where nothing is paired
};

// The job with the copies of a part paired where a pair's box takes at most kPairShare of two copies' boxes
// and still fits the sheet. The work is bounded by the parts' points, not by time, so that the same job is
// always paired alike.
inline constexpr double kPairShare = 0.85;
PairedJob PairCopies(const NestJob& job, double tolerance);

// `result`, a nest of `paired.job`, told as a nest of `job`: each placed pair as its two copies.
void SplitPairs(const NestJob& job, const PairedJob& paired, NestResult& result);

}  // namespace zorvan::nesting
