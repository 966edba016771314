// The search over orders and orientations: a first nest with the largest parts first, then generation after
// generation four changed orders filled at once (on the threads asked for), the best of them kept when it is
// no worse than the best so far. Every generation's changes come from the seed and the generation's number alone, so
// which thread fills which order changes nothing.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <new>
#include <numeric>
#include <thread>

#include "nesting/compaction.h"
#include "nesting/groups.h"
#include "nesting/nest.h"
#include "nesting/placement.h"
#include "nesting/random.h"

namespace zorvan {

namespace {

using namespace nesting;

// Orders filled per generation, whatever the number of threads, so that the nest does not depend on it.
constexpr int kCandidates = 4;

double DefaultTolerance(const NestJob& job) {
    const double size = job.strip ? job.sheetHeight : std::max(job.sheetWidth, job.sheetHeight);
    return size * 5e-5;
}

bool Finite(const Ring& ring) {
    return std::all_of(ring.begin(), ring.end(), [](Point2 p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

// Why the job cannot be nested; empty when it can.
std::string Refusal(const NestJob& job) {
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(job.sheetHeight) || (!job.strip && !positive(job.sheetWidth))) return "the sheet has no size";
    if (!std::isfinite(job.spacing) || job.spacing < 0) return "the spacing is not a length of 0 or more";
    if (!std::isfinite(job.tolerance) || job.tolerance < 0) return "the tolerance is not a length of 0 or more";
    if (job.items.size() > static_cast<size_t>(kMostNestItems)) {
        return "more than " + std::to_string(kMostNestItems) + " different parts to nest";
    }
    int64_t copies = 0;
    size_t points = 0;
    for (const NestItem& item : job.items) {
        if (item.copies < 0) return item.name + ": a negative number of copies";
        copies += item.copies;
        size_t own = item.shape.outline.size();
        for (const Ring& hole : item.shape.holes) own += hole.size();
        points += own;
        if (own > kMostRingPoints) {
            return item.name + ": more than " + std::to_string(kMostRingPoints) + " points in its outline and holes";
        }
        if (!Finite(item.shape.outline) || !std::all_of(item.shape.holes.begin(), item.shape.holes.end(), Finite)) {
            return item.name + ": a point that is not a number";
        }
        if (!std::all_of(item.angles.begin(), item.angles.end(), [](double a) { return std::isfinite(a); })) {
            return item.name + ": an angle that is not a number";
        }
    }
    if (copies > kMostNestCopies) return "more than " + std::to_string(kMostNestCopies) + " copies to nest";
    if (points > kMostNestPoints) return "more than " + std::to_string(kMostNestPoints) + " points in the parts' outlines and holes";
    return {};
}

// The copies that can be placed, largest first; the orientation each gene starts with is the item's first.
std::vector<Gene> FirstOrder(const Prepared& prepared, const std::vector<int32_t>& copies) {
    std::vector<Gene> genes;
    for (const int32_t copy : copies) genes.push_back({copy, 0});
    std::stable_sort(genes.begin(), genes.end(), [&](const Gene& a, const Gene& b) {
        return prepared.Area(prepared.copies()[static_cast<size_t>(a.copy)].item) >
               prepared.Area(prepared.copies()[static_cast<size_t>(b.copy)].item);
    });
    return genes;
}

// Whether the fill could do anything different with the gene's orientation: only where it does not try
// them all anyway.
bool OrientationMatters(const Prepared& prepared, int32_t item) {
    return prepared.Tried(item, 0).size() < static_cast<size_t>(prepared.OrientationCount(item));
}

// One to three small changes, each of which changes the fill: two copies of different parts swapped (often
// neighbours), one moved elsewhere in the order, or one given another orientation.
std::vector<Gene> Mutated(const Prepared& prepared, std::vector<Gene> genes, Random& random) {
    const size_t n = genes.size();
    const auto itemOf = [&](size_t k) { return prepared.copies()[static_cast<size_t>(genes[k].copy)].item; };
    const size_t changes = 1 + random.Below(3);
    for (size_t k = 0, tries = 0; k < changes && tries < 20 * changes; ++tries) {
        const size_t i = random.Below(n);
        const size_t kind = random.Below(OrientationMatters(prepared, itemOf(i)) ? 4 : 3);
        size_t j = kind == 0 ? std::min(n - 1, i + 1 + random.Below(3)) : random.Below(n);
        if (kind < 3 && itemOf(i) == itemOf(j)) continue;  // copies of one part: nothing would change
        switch (kind) {
            case 0:
            case 1: std::swap(genes[i], genes[j]); break;
            case 2: {
                const Gene moved = genes[i];
                genes.erase(genes.begin() + static_cast<std::ptrdiff_t>(i));
                genes.insert(genes.begin() + static_cast<std::ptrdiff_t>(j), moved);
                break;
            }
            default: genes[i].orientation = static_cast<int32_t>(random.Below(static_cast<size_t>(prepared.OrientationCount(itemOf(i)))));
        }
        ++k;
    }
    return genes;
}

uint64_t SeedOf(uint64_t seed, int64_t generation, int candidate) {
    Random mix(seed ^ (static_cast<uint64_t>(generation) * 0x9E3779B97F4A7C15ULL) ^ (static_cast<uint64_t>(candidate) << 56));
    return mix.Next();
}

// How many genes at the start of `child` are those of `parent`.
size_t SamePrefix(const std::vector<Gene>& parent, const std::vector<Gene>& child) {
    size_t k = 0;
    while (k < parent.size() && k < child.size() && parent[k].copy == child[k].copy && parent[k].orientation == child[k].orientation) ++k;
    return k;
}

// The candidates filled, `threads` at a time, each from the parent's placements as far as its order is the
// parent's.
std::vector<Evaluation> FillAll(const Prepared& prepared, const std::vector<std::vector<Gene>>& orders, int threads,
                                const std::vector<Gene>& parentOrder, const Evaluation& parent) {
    std::vector<Evaluation> results(orders.size());
    std::vector<std::exception_ptr> failures(orders.size());
    const auto work = [&](size_t first, size_t step) {
        for (size_t c = first; c < orders.size(); c += step) {
            try {
                results[c] = Fill(prepared, orders[c], &parent, SamePrefix(parentOrder, orders[c]));
            } catch (...) {
                failures[c] = std::current_exception();
            }
        }
    };
    const auto helpers = static_cast<size_t>(std::clamp(threads, 1, static_cast<int>(orders.size())) - 1);
    std::vector<std::thread> running;
    for (size_t t = 0; t < helpers; ++t) running.emplace_back(work, t + 1, helpers + 1);
    work(0, helpers + 1);
    for (std::thread& thread : running) thread.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
    return results;
}

class Clock {
public:
    double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

NestStatus StatusOf(const Prepared& prepared, const Evaluation& best, int64_t evaluations, double secondsLeft) {
    const NestJob& job = prepared.job();
    NestStatus status;
    status.sheets = best.sheets;
    const auto parts = [&](int32_t copy) { return job.items[static_cast<size_t>(prepared.copies()[static_cast<size_t>(copy)].item)].parts; };
    for (const PlacedCopy& copy : best.placed) status.placed += parts(copy.copy);
    for (size_t c = 0; c < prepared.copies().size(); ++c) status.copies += parts(static_cast<int32_t>(c));
    status.length = best.lastLength;
    const double used = job.strip ? job.sheetHeight * best.lastLength : job.sheetWidth * job.sheetHeight * best.sheets;
    status.utilisation = used > 0 ? best.placedArea / used : 0;
    status.secondsLeft = std::max(0.0, secondsLeft);
    status.evaluations = evaluations;
    return status;
}

void Convert(const Prepared& prepared, const Evaluation& best, NestResult& result) {
    for (const PlacedCopy& copy : best.placed) result.placed.push_back(PlacementOf(prepared, copy));
    std::stable_sort(result.placed.begin(), result.placed.end(),
                     [](const Placement& a, const Placement& b) { return a.sheet < b.sheet; });
    for (const int32_t copy : best.notPlaced) {
        const CopyRef ref = prepared.copies()[static_cast<size_t>(copy)];
        result.notPlaced.emplace_back(ref.item, ref.copy);
    }
}

void Search(const Prepared& prepared, const NestLimits& limits, NestProgress* progress, NestResult& result) {
    const Clock clock;
    std::vector<int32_t> placeable;
    for (size_t c = 0; c < prepared.copies().size(); ++c) {
        const CopyRef ref = prepared.copies()[c];
        if (prepared.Area(ref.item) > 0 && prepared.FitsEmptySheet(ref.item)) {
            placeable.push_back(static_cast<int32_t>(c));
        } else {
            result.notPlaced.emplace_back(ref.item, ref.copy);
            if (ref.copy == 0) result.fitNoSheet.push_back(ref.item);
        }
    }
    std::vector<Gene> bestOrder = FirstOrder(prepared, placeable);
    Evaluation best = Fill(prepared, bestOrder);
    int64_t evaluations = 1;
    const auto report = [&] {
        result.status = StatusOf(prepared, best, evaluations, limits.seconds - clock.Seconds());
        if (progress) progress->Report(result.status);
    };
    report();
    for (int64_t generation = 1; bestOrder.size() > 1; ++generation) {
        if (limits.stop && limits.stop->load()) {
            result.stopped = true;
            break;
        }
        if (clock.Seconds() >= limits.seconds) break;
        if (limits.mostEvaluations > 0 && evaluations + kCandidates > limits.mostEvaluations) break;
        std::vector<std::vector<Gene>> orders;
        for (int c = 0; c < kCandidates; ++c) {
            Random random(SeedOf(limits.seed, generation, c));
            orders.push_back(Mutated(prepared, bestOrder, random));
        }
        std::vector<Evaluation> filled = FillAll(prepared, orders, limits.threads, bestOrder, best);
        evaluations += kCandidates;
        result.generations = generation;
        size_t chosen = 0;
        for (size_t c = 1; c < filled.size(); ++c) {
            if (filled[c].IsBetterThan(filled[chosen])) chosen = c;
        }
        if (filled[chosen].IsNoWorseThan(best)) {
            best = std::move(filled[chosen]);
            bestOrder = std::move(orders[chosen]);
        }
        report();
    }
    Convert(prepared, best, result);
    result.seconds = clock.Seconds();
}

}  // namespace

namespace {

// Whether nest `a` is better than `b`: more parts placed, then fewer sheets, then a shorter last sheet.
bool Better(const NestResult& a, const NestResult& b) {
    if (a.status.placed != b.status.placed) return a.status.placed > b.status.placed;
    if (a.status.sheets != b.status.sheets) return a.status.sheets < b.status.sheets;
    return a.status.length < b.status.length;
}

// The progress of the second of two searches, told as one: the time left runs on from the first's, and the
// best nest so far is the better of the first's and the second's.
class SecondSearch : public NestProgress {
public:
    SecondSearch(NestProgress* progress, const NestResult& first, double later)
        : progress_(progress), first_(first), later_(later) {}
    void Report(const NestStatus& status) override {
        if (!progress_) return;
        NestResult now;
        now.status = status;
        NestStatus told = Better(now, first_) ? status : first_.status;
        told.secondsLeft = status.secondsLeft + later_;
        told.evaluations = first_.status.evaluations + status.evaluations;
        progress_->Report(told);
    }

private:
    NestProgress* progress_;
    const NestResult& first_;
    double later_;
};

// The first search's share of the time and the evaluations, and what is left for the second.
NestLimits Share(NestLimits limits, double share) {
    limits.seconds *= share;
    if (limits.mostEvaluations > 0) limits.mostEvaluations = std::max<int64_t>(1, static_cast<int64_t>(static_cast<double>(limits.mostEvaluations) * share));
    return limits;
}

// Reports the first search's progress with the second's time still to come.
class FirstSearch : public NestProgress {
public:
    FirstSearch(NestProgress* progress, double later) : progress_(progress), later_(later) {}
    void Report(const NestStatus& status) override {
        if (!progress_) return;
        NestStatus told = status;
        told.secondsLeft += later_;
        progress_->Report(told);
    }

private:
    NestProgress* progress_;
    double later_;
};

// The share of the time (and of the evaluations) the compaction of the last sheet takes after the search.
constexpr double kCompactionShare = 0.75;

// The index of the copies of `prepared` each (item, copy) is.
std::vector<int32_t> FirstCopies(const Prepared& prepared) {
    std::vector<int32_t> first(prepared.job().items.size(), -1);
    for (size_t c = 0; c < prepared.copies().size(); ++c) {
        int32_t& f = first[static_cast<size_t>(prepared.copies()[c].item)];
        if (f < 0) f = static_cast<int32_t>(c);
    }
    return first;
}

// The copies of the result's last sheet moved into each other so that they reach less far: see compaction.h.
// Takes `limits.seconds` and, where `limits.mostEvaluations` is set, that many fills' worth of moves.
void CompactLastSheet(const Prepared& prepared, const NestLimits& limits, NestProgress* progress, NestResult& result) {
    if (result.placed.empty() || limits.seconds <= 0) return;
    const int32_t last = result.placed.back().sheet;  // the placements are in the order of their sheets
    const std::vector<int32_t> first = FirstCopies(prepared);
    std::vector<PlacedCopy> copies;
    std::vector<size_t> where;
    for (size_t k = 0; k < result.placed.size(); ++k) {
        const Placement& p = result.placed[k];
        if (p.sheet != last) continue;
        const std::optional<PlacedCopy> copy = PlacedCopyOf(prepared, p, first);
        if (!copy) return;  // not an orientation of its part: left as it is
        copies.push_back(*copy);
        where.push_back(k);
    }
    CompactionLimits compaction;
    compaction.seconds = limits.seconds;
    compaction.mostMoves = limits.mostEvaluations > 0 ? limits.mostEvaluations * static_cast<int64_t>(copies.size()) : 0;
    compaction.seed = limits.seed;
    compaction.threads = limits.threads;
    const NestJob& job = prepared.job();
    const NestStatus before = result.status;
    const Clock clock;
    const auto statusAt = [&](double length) {
        NestStatus status = before;
        status.length = length;
        if (job.strip && length > 0) status.utilisation = before.utilisation * before.length / length;
        status.secondsLeft = std::max(0.0, limits.seconds - clock.Seconds());
        return status;
    };
    double shortest = before.length;
    if (progress) {
        compaction.progress = [&](double length) {
            shortest = std::min(shortest, length);
            progress->Report(statusAt(shortest));
        };
    }
    const Compacted compacted = Compact(prepared, copies, compaction);
    result.status.evaluations += compacted.moves / static_cast<int64_t>(copies.size());
    if (compacted.length >= before.length) return;
    for (size_t k = 0; k < copies.size(); ++k) result.placed[where[k]] = PlacementOf(prepared, compacted.copies[k]);
    const int64_t evaluations = result.status.evaluations;
    result.status = statusAt(compacted.length);
    result.status.evaluations = evaluations;
}

}  // namespace

NestResult NestParts(const NestJob& job, const NestLimits& limits, NestProgress* progress) {
    NestResult result;
    result.refusal = Refusal(job);
    if (!result.refusal.empty()) return result;
    try {
        const double tolerance = job.tolerance > 0 ? job.tolerance : DefaultTolerance(job);
        const GroupedJob grouped = GroupCopies(job, tolerance);
        const Prepared singles(job, tolerance, limits.stop);
        // The search, then the compaction of its last sheet in what is left of the time.
        const NestLimits searched = Share(limits, 1 - kCompactionShare);
        if (grouped.groups.empty()) {
            FirstSearch told(progress, limits.seconds - searched.seconds);
            Search(singles, searched, &told, result);
        } else {
            // Groups fill well at first but leave the search fewer moves; the copies alone fill worse but
            // improve more. Half the time each, and the better nest kept: the search gains little from its
            // second half.
            const NestLimits first = Share(searched, 0.5);
            {
                FirstSearch told(progress, limits.seconds - first.seconds);
                Search(singles, first, &told, result);
            }
            if (result.stopped) return result;
            NestLimits second = searched;
            second.seconds = std::max(0.0, searched.seconds - result.seconds);
            if (searched.mostEvaluations > 0) second.mostEvaluations = std::max<int64_t>(1, searched.mostEvaluations - result.status.evaluations);
            NestResult groups;
            {
                SecondSearch told(progress, result, limits.seconds - searched.seconds);
                const Prepared prepared(grouped.job, tolerance, limits.stop);
                Search(prepared, second, &told, groups);
            }
            SplitGroups(job, grouped, groups);
            groups.status.evaluations += result.status.evaluations;
            groups.generations += result.generations;
            groups.seconds += result.seconds;
            const bool stopped = groups.stopped;
            if (Better(groups, result)) {
                result = std::move(groups);
            } else {
                result.status.evaluations = groups.status.evaluations;
                result.generations = groups.generations;
                result.seconds = groups.seconds;
            }
            result.stopped = stopped;
        }
        if (result.stopped) return result;
        NestLimits compacting = limits;
        compacting.seconds = std::max(0.0, limits.seconds - result.seconds);
        if (limits.mostEvaluations > 0) compacting.mostEvaluations = std::max<int64_t>(1, limits.mostEvaluations - result.status.evaluations);
        const double started = result.seconds;
        const Clock clock;
        CompactLastSheet(singles, compacting, progress, result);
        result.seconds = started + clock.Seconds();
        result.stopped = limits.stop && limits.stop->load();
    } catch (const ClipperLib::clipperException& error) {
        result = NestResult{};
        result.refusal = std::string("the shapes could not be worked with (") + error.what() + ")";
    } catch (const std::bad_alloc&) {
        result = NestResult{};
        result.refusal = "not enough memory for the nest: fewer copies, fewer rotations or a smaller order";
    }
    return result;
}

}  // namespace zorvan
