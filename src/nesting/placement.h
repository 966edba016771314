// Inside the nesting folder only: the job made ready for placement (the copies, each item's orientations,
// clearance shapes and the positions they forbid each other, made once and shared by the threads), and the
// bottom-left fill that turns an order of copies into a nest.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "nesting/clearance.h"
#include "nesting/nest.h"

namespace zorvan::nesting {

struct Orientation {
    double angle = 0;
    bool mirrored = false;
};

struct CopyRef {
    int32_t item = 0, copy = 0;
};

// One copy in the order to place, and the orientation the search chose for it (an index into its item's
// orientations); the fill also tries the other quarter turns of that orientation.
struct Gene {
    int32_t copy = 0;
    int32_t orientation = 0;
};

struct PlacedCopy {
    int32_t copy = 0, orientation = 0, sheet = 0;
    IntPoint at;
};

class Prepared {
public:
    // `job` must outlive this. `tolerance` is the job's, chosen when it gave none. Once `stop` is set, fills
    // place no more copies.
    Prepared(const NestJob& job, double tolerance, const std::atomic<bool>* stop = nullptr);

    bool Stopped() const { return stop_ && stop_->load(); }

    const NestJob& job() const { return job_; }
    const std::vector<CopyRef>& copies() const { return copies_; }
    double scale() const { return clearance_.scale; }
    int32_t OrientationCount(int32_t item) const { return static_cast<int32_t>(orientations_[static_cast<size_t>(item)].size()); }
    const Orientation& OrientationOf(int32_t item, int32_t o) const {
        return orientations_[static_cast<size_t>(item)][static_cast<size_t>(o)];
    }
    // The orientations the fill tries for a copy whose gene says `o`: it and its other quarter turns.
    std::vector<int32_t> Tried(int32_t item, int32_t o) const;
    Point2 Centre(int32_t item) const { return centres_[static_cast<size_t>(item)]; }
    double Area(int32_t item) const { return areas_[static_cast<size_t>(item)]; }

    // Made on first use and kept; safe to call from several threads.
    std::shared_ptr<const ClearanceShape> Shape(int32_t item, int32_t o) const;
    std::shared_ptr<const IntPaths> Forbidden(int32_t fixedItem, int32_t fixedO, int32_t movingItem, int32_t movingO) const;

    // Where the reference of (item, o) may go on an empty sheet: left, bottom, right, top; nothing when the
    // shape does not fit.
    std::optional<IntBox> InnerFit(const ClearanceShape& shape) const;
    // Whether any orientation of the item fits an empty sheet, its contours and entities within a sheet's.
    bool FitsEmptySheet(int32_t item) const;

private:
    size_t Index(int32_t item, int32_t o) const { return offsets_[static_cast<size_t>(item)] + static_cast<size_t>(o); }

    const NestJob& job_;
    const std::atomic<bool>* stop_;
    Clearance clearance_;
    std::vector<CopyRef> copies_;
    std::vector<std::vector<Orientation>> orientations_;
    std::vector<size_t> offsets_;  // of each item's first orientation among all
    std::vector<Point2> centres_;
    std::vector<NestShape> centred_;
    std::vector<double> areas_;
    cInt width_ = 0, height_ = 0, edge_ = 0;

    mutable std::mutex mutex_;
    mutable std::vector<std::shared_ptr<const ClearanceShape>> shapes_;
    mutable std::unordered_map<uint64_t, std::shared_ptr<const IntPaths>> forbidden_;
    mutable size_t forbiddenPoints_ = 0;
};

// A nest as the fill leaves it, and how good it is: fewer parts' area left out first, then fewer sheets, then
// a shorter last sheet (the strip's length).
struct Evaluation {
    std::vector<PlacedCopy> placed;
    std::vector<PlacedCopy> trace;   // per gene, in the order filled; sheet -1 where not placed
    std::vector<int32_t> notPlaced;  // copies
    int32_t sheets = 0;
    double unplacedArea = 0, placedArea = 0;
    double lastLength = 0;  // how far the last sheet's parts reach along x, in drawing units

    bool IsBetterThan(const Evaluation& other) const;
    bool IsNoWorseThan(const Evaluation& other) const { return !other.IsBetterThan(*this); }
};

// How far a placed copy's part reaches along x, in drawing units.
double ReachAlongX(const Prepared& prepared, const PlacedCopy& copy);

// The placed copy as the nest tells it: its item's copy, turned, mirrored and moved in drawing units.
Placement PlacementOf(const Prepared& prepared, const PlacedCopy& copy);

// The other way: the placement as a copy on the grid, `first[item]` the index of the item's first copy among
// the prepared copies. Nothing when its turn (and mirroring) is not one of its item's orientations.
std::optional<PlacedCopy> PlacedCopyOf(const Prepared& prepared, const Placement& placement, const std::vector<int32_t>& first);

// Bottom-left fill: each copy in the order of `genes`, on the first sheet where it fits, at the lowest of the
// leftmost free positions of the orientation tried that lies leftmost. Once the search is told to stop, the
// copies not yet placed are left out. The first `reuse` genes, where they
// are the same as those `parent` was filled from, are placed where the parent placed them, without the work.
Evaluation Fill(const Prepared& prepared, const std::vector<Gene>& genes, const Evaluation* parent = nullptr,
                size_t reuse = 0);

}  // namespace zorvan::nesting
