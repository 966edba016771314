// The last sheet made shorter by resolving overlaps: see compaction.h.
#include "nesting/compaction.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "nesting/random.h"

namespace zorvan::nesting {

namespace {

// Searches run from their own seeds, whatever the number of threads, so that the result does not depend on it.
constexpr int kSearches = 2;
// A sheet of more copies is left as the fill made it: the weights between copies take their square.
constexpr size_t kMostCopies = 1000;
// The no-fit regions a search keeps, in points; past it its cache starts again.
constexpr size_t kMostCachedPoints = 4'000'000;
// Positions tried per orientation when a copy moves: half near where it lies, half anywhere on the sheet.
constexpr int kSamples = 12;
// A shorter sheet is given up after this many rounds of moves without the overlap falling by a fiftieth.
constexpr int kStaleRounds = 60;
// How much shorter each try makes the sheet, as a share of its length: the first step, and the least before
// the steps start again from the first.
constexpr double kFirstStep = 0.005, kLeastStep = 0.0005;
// Edges of a region's ring looked at together: a run whose box lies away from the question is passed over.
constexpr size_t kRunEdges = 16;

struct RegionKey {
    int32_t fixedItem, fixedO, movingItem, movingO;
    bool operator==(const RegionKey&) const = default;
};

struct RegionKeyHash {
    size_t operator()(const RegionKey& k) const {
        uint64_t h = static_cast<uint32_t>(k.fixedItem);
        for (const int32_t v : {k.fixedO, k.movingItem, k.movingO}) h = h * 0x100000001B3ULL ^ static_cast<uint32_t>(v);
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

// The positions one orientation of a part forbids another (relative to the first's reference), with the
// boxes that let most questions be answered without looking at its points.
struct Region {
    std::shared_ptr<const IntPaths> paths;
    IntBox box;
    std::vector<IntBox> boxes;  // per ring
    std::vector<char> outer;    // per ring: it runs counter-clockwise (holes run clockwise)
    std::vector<std::vector<IntBox>> runs;  // per ring, the boxes of its runs of kRunEdges edges
};

void Extend(IntBox& box, IntPoint p) {
    box = {std::min(box.left, p.X), std::min(box.bottom, p.Y), std::max(box.right, p.X), std::max(box.top, p.Y)};
}

bool Within(const IntBox& box, IntPoint q) { return q.X > box.left && q.X < box.right && q.Y > box.bottom && q.Y < box.top; }

// The squared distance from q to the box (0 inside it).
double BoxDistance2(const IntBox& box, IntPoint q) {
    const double dx = std::max({static_cast<double>(box.left - q.X), 0.0, static_cast<double>(q.X - box.right)});
    const double dy = std::max({static_cast<double>(box.bottom - q.Y), 0.0, static_cast<double>(q.Y - box.top)});
    return dx * dx + dy * dy;
}

// The edge from ring[e] to the next point.
struct Edge {
    IntPoint a, b;
};

Edge EdgeOf(const IntPath& ring, size_t e) { return {ring[e], ring[e + 1 == ring.size() ? 0 : e + 1]}; }

Region RegionFrom(std::shared_ptr<const IntPaths> paths) {
    Region region;
    region.paths = std::move(paths);
    for (const IntPath& ring : *region.paths) {
        const IntBox& box = region.boxes.emplace_back(BoxOf(ring));
        std::vector<IntBox>& runs = region.runs.emplace_back();
        for (size_t e = 0; e < ring.size(); e += kRunEdges) {
            IntBox& run = runs.emplace_back(IntBox{ring[e].X, ring[e].Y, ring[e].X, ring[e].Y});
            for (size_t k = e; k < std::min(ring.size(), e + kRunEdges); ++k) Extend(run, EdgeOf(ring, k).b);
        }
        region.outer.push_back(ClipperLib::Orientation(ring) ? 1 : 0);
        if (region.boxes.size() == 1) region.box = box;
        Extend(region.box, {box.left, box.bottom});
        Extend(region.box, {box.right, box.top});
    }
    return region;
}

// Whether q lies inside the ring (1), outside it (0) or on its edge (-1): the edges crossing the ray from q
// towards +x counted, exactly on the grid, the runs that cannot cross it passed over.
int InsideRing(const IntPath& ring, const std::vector<IntBox>& runs, IntPoint q) {
    bool inside = false;
    for (size_t r = 0; r < runs.size(); ++r) {
        const IntBox& box = runs[r];
        if (box.top < q.Y || box.bottom > q.Y || box.right < q.X) continue;
        const size_t end = std::min(ring.size(), (r + 1) * kRunEdges);
        for (size_t e = r * kRunEdges; e < end; ++e) {
            const auto [a, b] = EdgeOf(ring, e);
            const cInt cross = (b.X - a.X) * (q.Y - a.Y) - (b.Y - a.Y) * (q.X - a.X);
            if (cross == 0 && std::min(a.X, b.X) <= q.X && q.X <= std::max(a.X, b.X) && std::min(a.Y, b.Y) <= q.Y &&
                q.Y <= std::max(a.Y, b.Y)) {
                return -1;
            }
            if ((a.Y > q.Y) != (b.Y > q.Y) && (b.Y > a.Y ? cross > 0 : cross < 0)) inside = !inside;
        }
    }
    return inside ? 1 : 0;
}

// The squared distance from q to the nearest edge of the ring, where nearer than `best`.
double NearestEdge2(const IntPath& ring, const std::vector<IntBox>& runs, IntPoint q, double best) {
    const auto scan = [&](size_t r) {
        const size_t end = std::min(ring.size(), (r + 1) * kRunEdges);
        for (size_t e = r * kRunEdges; e < end; ++e) {
            const auto [a, b] = EdgeOf(ring, e);
            best = std::min(best, DistanceToSegment2(static_cast<double>(q.X), static_cast<double>(q.Y), a, b));
        }
    };
    // The nearest run first, so that the others are mostly passed over.
    size_t nearest = 0;
    double least = std::numeric_limits<double>::infinity();
    for (size_t r = 0; r < runs.size(); ++r) {
        const double d = BoxDistance2(runs[r], q);
        if (d < least) least = d, nearest = r;
    }
    if (least < best) scan(nearest);
    for (size_t r = 0; r < runs.size(); ++r) {
        if (r != nearest && BoxDistance2(runs[r], q) < best) scan(r);
    }
    return best;
}

// How deep q lies in the region: the distance to its edge, in grid units; 0 outside it or on its edge.
double Depth(const Region& region, IntPoint q) {
    if (!Within(region.box, q)) return 0;
    int winding = 0;
    const IntPaths& paths = *region.paths;
    for (size_t k = 0; k < paths.size(); ++k) {
        if (!Within(region.boxes[k], q)) continue;
        const int in = InsideRing(paths[k], region.runs[k], q);
        if (in < 0) return 0;
        if (in > 0) winding += region.outer[k] ? 1 : -1;
    }
    if (winding <= 0) return 0;
    double best = std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < paths.size(); ++k) {
        if (BoxDistance2(region.boxes[k], q) < best) best = NearestEdge2(paths[k], region.runs[k], q, best);
    }
    return std::sqrt(best);
}

class Clock {
public:
    double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

struct Copy {
    int32_t copy = 0, item = 0, o = 0;
    IntPoint at;
};

// Where the reference of (item, o) may lie: within the sheet, and the part no farther along x than `length`.
struct Range {
    cInt left = 0, bottom = 0, right = 0, top = 0;
    IntPoint Clamped(IntPoint p) const { return {std::clamp(p.X, left, right), std::clamp(p.Y, bottom, top)}; }
};

// A search's budget and what it found: the shortest sound nest, and the moves it made.
struct Budget {
    const CompactionLimits& limits;
    double seconds = 0;
    int64_t mostMoves = 0;  // 0: no such bound
    std::mutex& told;       // held while limits.progress is told
};

struct Found {
    std::vector<Copy> best;
    double length = 0;
    int64_t moves = 0;
};

// One search: its own random numbers, weights and cache of regions.
class Search {
public:
    Search(const Prepared& prepared, const Budget& budget, std::vector<Copy> start, double length, uint64_t seed)
        : prepared_(prepared), budget_(budget), random_(seed), copies_(std::move(start)), length_(length) {
        weights_.assign(copies_.size() * copies_.size(), 1.0F);
        shapes_.resize(prepared_.job().items.size());
        found_ = {copies_, length_, 0};
    }

    Found Run() {
        std::vector<Copy> sound = copies_;
        double step = kFirstStep;
        while (!OutOfBudget()) {
            const double target = length_ * (1 - step);
            copies_ = sound;
            ++found_.moves;  // a cut tried counts as a move, so that cuts that cannot be made still end
            bool resolved = false;
            if (Squeeze(target)) {
                resolved = Resolve(target, true);
                // The overlaps would not go: on from where they are, with the weights they earned, given half
                // the cut back.
                if (!resolved && !OutOfBudget()) resolved = Resolve((target + length_) / 2, false);
            }
            if (resolved) {
                sound = copies_;
                length_ = Length();
                found_.best = sound;
                found_.length = length_;
                step = std::min(kFirstStep, step * 1.5);
            } else {
                step = step / 2 < kLeastStep ? kFirstStep : step / 2;
            }
            Tell();
        }
        return std::move(found_);
    }

private:
    bool OutOfBudget() const {
        if (prepared_.Stopped()) return true;
        if (budget_.mostMoves > 0 && found_.moves >= budget_.mostMoves) return true;
        return clock_.Seconds() >= budget_.seconds;
    }

    const ClearanceShape& Shape(int32_t item, int32_t o) {
        auto& shapes = shapes_[static_cast<size_t>(item)];
        if (shapes.empty()) shapes.resize(static_cast<size_t>(prepared_.OrientationCount(item)));
        auto& shape = shapes[static_cast<size_t>(o)];
        if (!shape) shape = prepared_.Shape(item, o);
        return *shape;
    }

    const Region& RegionOf(int32_t fixedItem, int32_t fixedO, int32_t movingItem, int32_t movingO) {
        const RegionKey key{fixedItem, fixedO, movingItem, movingO};
        if (const auto found = regions_.find(key); found != regions_.end()) return found->second;
        if (cachedPoints_ > kMostCachedPoints) regions_.clear(), cachedPoints_ = 0;
        Region region = RegionFrom(prepared_.Forbidden(fixedItem, fixedO, movingItem, movingO));
        for (const IntPath& ring : *region.paths) cachedPoints_ += ring.size();
        return regions_.emplace(key, std::move(region)).first->second;
    }

    std::optional<Range> RangeOf(int32_t item, int32_t o, double target) {
        const ClearanceShape& shape = Shape(item, o);
        const std::optional<IntBox> fit = prepared_.InnerFit(shape);
        if (!fit) return std::nullopt;
        const auto right = static_cast<cInt>(std::floor((target - shape.trueRight) * prepared_.scale()));
        const Range range{fit->left, fit->bottom, std::min(fit->right, right), fit->top};
        if (range.right < range.left) return std::nullopt;
        return range;
    }

    double Reach(const Copy& c) { return static_cast<double>(c.at.X) / prepared_.scale() + Shape(c.item, c.o).trueRight; }

    double Length() {
        double length = 0;
        for (const Copy& c : copies_) length = std::max(length, Reach(c));
        return length;
    }

    // How deep copy j and copy i (in orientation o at `at`) lie in each other; 0 when they do not overlap.
    double Overlap(size_t i, int32_t o, IntPoint at, size_t j) {
        const IntBox& a = Shape(copies_[i].item, o).box;
        return Overlap(copies_[i].item, o, at, {at.X + a.left, at.Y + a.bottom, at.X + a.right, at.Y + a.top}, j);
    }

    // The same for a copy of `item` whose box on the sheet is `box`.
    double Overlap(int32_t item, int32_t o, IntPoint at, const IntBox& box, size_t j) {
        const IntBox& b = boxes_[j];
        if (box.right <= b.left || b.right <= box.left || box.top <= b.bottom || b.top <= box.bottom) return 0;
        const Copy& other = copies_[j];
        return Depth(RegionOf(other.item, other.o, item, o), {at.X - other.at.X, at.Y - other.at.Y});
    }

    // The weighted overlap of copy i in orientation o at `at` with all others; once it reaches `bound`, the
    // others are passed over (the spot is no better than one known).
    double Penalty(size_t i, int32_t o, IntPoint at, double bound = std::numeric_limits<double>::infinity()) {
        const int32_t item = copies_[i].item;
        const IntBox& a = Shape(item, o).box;
        const IntBox box{at.X + a.left, at.Y + a.bottom, at.X + a.right, at.Y + a.top};
        const float* weights = &weights_[i * copies_.size()];
        double penalty = 0;
        for (size_t j = 0; j < copies_.size() && penalty < bound; ++j) {
            if (j != i) penalty += weights[j] * Overlap(item, o, at, box, j);
        }
        return penalty;
    }

    // Where the copies' boxes lie on the sheet, after they were put or moved.
    void PlaceBoxes() {
        boxes_.resize(copies_.size());
        for (size_t k = 0; k < copies_.size(); ++k) PlaceBox(k);
    }

    void PlaceBox(size_t k) {
        const Copy& c = copies_[k];
        const IntBox& a = Shape(c.item, c.o).box;
        boxes_[k] = {c.at.X + a.left, c.at.Y + a.bottom, c.at.X + a.right, c.at.Y + a.top};
    }

    // The copies reaching beyond `target` pushed back inside it, turned where they do not fit as they are.
    bool Squeeze(double target) {
        for (Copy& c : copies_) {
            if (Reach(c) <= target) continue;
            bool moved = false;
            for (const int32_t o : prepared_.Tried(c.item, c.o)) {
                if (const std::optional<Range> range = RangeOf(c.item, o, target)) {
                    c.o = o;
                    c.at = range->Clamped(c.at);
                    moved = true;
                    break;
                }
            }
            if (!moved) return false;
        }
        return true;
    }

    struct Spot {
        int32_t o = 0;
        IntPoint at;
        double penalty = 0;
    };

    IntPoint Anywhere(const Range& range) {
        return {range.left + static_cast<cInt>(random_.Unit() * static_cast<double>(range.right - range.left)),
                range.bottom + static_cast<cInt>(random_.Unit() * static_cast<double>(range.top - range.bottom))};
    }

    IntPoint Near(IntPoint at, double reach, const Range& range) {
        return range.Clamped({at.X + static_cast<cInt>((random_.Unit() * 2 - 1) * reach),
                              at.Y + static_cast<cInt>((random_.Unit() * 2 - 1) * reach)});
    }

    // Copy i moved to the spot of least weighted overlap found among samples of its orientations, then
    // slid from there while that lowers it.
    void Move(size_t i, double target) {
        Copy& c = copies_[i];
        Spot best{c.o, c.at, Penalty(i, c.o, c.at)};
        if (best.penalty == 0) return;
        ++found_.moves;
        for (const int32_t o : prepared_.Tried(c.item, c.o)) {
            const std::optional<Range> range = RangeOf(c.item, o, target);
            if (!range) continue;
            const IntBox& box = Shape(c.item, o).box;
            const double size = static_cast<double>(std::max(box.right - box.left, box.top - box.bottom));
            const IntPoint here = range->Clamped(c.at);
            Spot spot{o, here, Penalty(i, o, here)};
            for (int k = 0; k < kSamples && spot.penalty > 0; ++k) {
                const IntPoint at = k % 2 ? Near(c.at, size / 2, *range) : Anywhere(*range);
                const double penalty = Penalty(i, o, at, spot.penalty);
                if (penalty < spot.penalty) spot = {o, at, penalty};
            }
            if (spot.penalty > 0) Slide(i, spot, *range);
            if (spot.penalty < best.penalty) best = spot;
            if (best.penalty == 0) break;
        }
        c.o = best.o;
        c.at = best.at;
        PlaceBox(i);
    }

    void Slide(size_t i, Spot& spot, const Range& range) {
        const IntBox& box = Shape(copies_[i].item, spot.o).box;
        double step = static_cast<double>(std::max(box.right - box.left, box.top - box.bottom)) / 8;
        const double least = std::max(1.0, step * 1e-4);
        for (int round = 0; round < 64 && step >= least && spot.penalty > 0; ++round) {
            bool better = false;
            const auto s = static_cast<cInt>(step);
            for (const IntPoint d : {IntPoint{-s, 0}, IntPoint{s, 0}, IntPoint{0, -s}, IntPoint{0, s}}) {
                const IntPoint at = range.Clamped({spot.at.X + d.X, spot.at.Y + d.Y});
                const double penalty = Penalty(i, spot.o, at, spot.penalty);
                if (penalty < spot.penalty) {
                    spot.at = at, spot.penalty = penalty, better = true;
                    break;
                }
            }
            if (!better) step /= 2;
        }
    }

    // Moves copies until none overlaps (true), or the overlap stops falling or the budget runs out (false).
    // Fresh, every pair starts at weight 1; else the pairs keep the weights they earned.
    bool Resolve(double target, bool fresh) {
        if (fresh) std::fill(weights_.begin(), weights_.end(), 1.0F);
        PlaceBoxes();
        double least = std::numeric_limits<double>::infinity();
        const size_t n = copies_.size();
        for (int stale = 0;;) {
            double total = 0, deepest = 0;
            std::vector<std::pair<size_t, size_t>> pairs;
            std::vector<double> depths;
            for (size_t i = 0; i < n; ++i) {
                for (size_t j = i + 1; j < n; ++j) {
                    const double d = Overlap(i, copies_[i].o, copies_[i].at, j);
                    if (d <= 0) continue;
                    pairs.emplace_back(i, j);
                    depths.push_back(d);
                    total += d, deepest = std::max(deepest, d);
                }
            }
            if (pairs.empty()) return true;
            if (total < least * 0.98) {
                least = total, stale = 0;
            } else if (++stale > kStaleRounds) {
                return false;
            }
            if (OutOfBudget()) return false;
            std::vector<size_t> moving;
            for (size_t k = 0; k < pairs.size(); ++k) {
                const auto [i, j] = pairs[k];
                const auto grown = static_cast<float>(1 + depths[k] / deepest);
                weights_[i * n + j] *= grown;
                weights_[j * n + i] *= grown;
                moving.push_back(i), moving.push_back(j);
            }
            std::sort(moving.begin(), moving.end());
            moving.erase(std::unique(moving.begin(), moving.end()), moving.end());
            for (size_t k = moving.size(); k > 1; --k) std::swap(moving[k - 1], moving[random_.Below(k)]);
            for (const size_t i : moving) {
                if (OutOfBudget()) return false;
                Move(i, target);
            }
        }
    }

    void Tell() const {
        if (!budget_.limits.progress) return;
        const std::lock_guard lock(budget_.told);
        budget_.limits.progress(found_.length);
    }

    const Prepared& prepared_;
    const Budget& budget_;
    Clock clock_;
    Found found_;
    Random random_;
    std::vector<Copy> copies_;
    double length_;
    std::vector<float> weights_;
    std::vector<IntBox> boxes_;  // per copy, where its clearance shape's box lies
    std::vector<std::vector<std::shared_ptr<const ClearanceShape>>> shapes_;  // per item and orientation
    std::unordered_map<RegionKey, Region, RegionKeyHash> regions_;
    size_t cachedPoints_ = 0;
};

}  // namespace

double DepthIn(const IntPaths& region, IntPoint q) { return Depth(RegionFrom(std::make_shared<const IntPaths>(region)), q); }

Compacted Compact(const Prepared& prepared, const std::vector<PlacedCopy>& copies, const CompactionLimits& limits) {
    Compacted result{copies, 0, 0};
    for (const PlacedCopy& copy : copies) result.length = std::max(result.length, ReachAlongX(prepared, copy));
    if (copies.size() < 2 || copies.size() > kMostCopies || limits.seconds <= 0) return result;
    std::vector<Copy> start;
    for (const PlacedCopy& copy : copies) start.push_back({copy.copy, prepared.copies()[static_cast<size_t>(copy.copy)].item, copy.orientation, copy.at});
    // Each search its share of the moves, and of the time where they run one after another.
    const int threads = std::clamp(limits.threads, 1, kSearches);
    std::mutex told;
    const Budget budget{limits, limits.seconds * threads / kSearches, limits.mostMoves > 0 ? std::max<int64_t>(1, limits.mostMoves / kSearches) : 0, told};
    std::vector<Found> found(kSearches);
    std::vector<std::exception_ptr> failures(kSearches);
    const auto work = [&](int first, int step) {
        for (int s = first; s < kSearches; s += step) {
            try {
                Random mix(limits.seed ^ (0xD1B54A32D192ED03ULL * static_cast<uint64_t>(s + 1)));
                found[static_cast<size_t>(s)] = Search(prepared, budget, start, result.length, mix.Next()).Run();
            } catch (...) {
                failures[static_cast<size_t>(s)] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> running;
    for (int t = 1; t < threads; ++t) running.emplace_back(work, t, threads);
    work(0, threads);
    for (std::thread& thread : running) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
    const Found* shortest = nullptr;
    for (const Found& f : found) {
        result.moves += f.moves;
        if (f.length < (shortest ? shortest->length : result.length)) shortest = &f;
    }
    if (shortest) {
        for (size_t k = 0; k < copies.size(); ++k) {
            result.copies[k].orientation = shortest->best[k].o;
            result.copies[k].at = shortest->best[k].at;
        }
        result.length = shortest->length;
    }
    return result;
}

}  // namespace zorvan::nesting
