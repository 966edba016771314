// The job made ready for placement, and the bottom-left fill.
#include "nesting/placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zorvan::nesting {

namespace {

// The grid: the largest length of the job takes 2^28 units, so that sums of two coordinates stay within the
// range Clipper works fastest in.
constexpr double kGridSpan = 268'435'456.0;
// The no-fit regions kept at most, in points (16 bytes each); past it the cache starts again.
constexpr size_t kMostCachedPoints = 16'000'000;
// Forbidden regions taken out of a free region at once, and merged at once when there are many: a few at a
// time keeps Clipper's work in proportion, since the regions of neighbours overlap much.
constexpr size_t kBatch = 8, kChunk = 12;

struct Bounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

Bounds BoxOfRing(const Ring& ring) {
    Bounds box{ring.front().x, ring.front().y, ring.front().x, ring.front().y};
    for (const Point2& p : ring) {
        box.minX = std::min(box.minX, p.x), box.maxX = std::max(box.maxX, p.x);
        box.minY = std::min(box.minY, p.y), box.maxY = std::max(box.maxY, p.y);
    }
    return box;
}

Ring Moved(const Ring& ring, Point2 by) {
    Ring moved = ring;
    for (Point2& p : moved) p = p - by;
    return moved;
}

double StripLength(const NestJob& job) {
    double length = job.spacing;
    for (const NestItem& item : job.items) {
        if (item.shape.outline.empty()) continue;
        const Bounds box = BoxOfRing(item.shape.outline);
        length += (std::max(box.maxX - box.minX, box.maxY - box.minY) * 1.5 + job.spacing) * std::max(item.copies, 0);
    }
    return length;
}

}  // namespace

Prepared::Prepared(const NestJob& job, double tolerance, const std::atomic<bool>* stop) : job_(job), stop_(stop) {
    double span = std::max(job.sheetHeight, job.strip ? StripLength(job) : job.sheetWidth);
    for (size_t i = 0; i < job.items.size(); ++i) {
        const NestItem& item = job.items[i];
        const Ring& outline = item.shape.outline;
        const Bounds box = outline.empty() ? Bounds{} : BoxOfRing(outline);
        centres_.push_back({(box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2});
        NestShape centred{Moved(outline, centres_.back()), {}};
        for (const Ring& hole : item.shape.holes) centred.holes.push_back(Moved(hole, centres_.back()));
        centred_.push_back(std::move(centred));
        areas_.push_back(item.area > 0 ? item.area : ShapeArea(item.shape));
        span = std::max(span, 2 * std::hypot(box.maxX - box.minX, box.maxY - box.minY));
        std::vector<Orientation> orientations;
        for (const double angle : item.angles.empty() ? std::vector<double>{0} : item.angles) {
            orientations.push_back({angle, false});
            if (item.mirror) orientations.push_back({angle, true});
        }
        offsets_.push_back(shapes_.size());
        shapes_.resize(shapes_.size() + orientations.size());
        orientations_.push_back(std::move(orientations));
        for (int32_t c = 0; c < item.copies; ++c) copies_.push_back({static_cast<int32_t>(i), c});
    }
    clearance_.scale = kGridSpan / span;
    clearance_.grow = job.spacing / 2 + tolerance;
    clearance_.simplify = tolerance / 2;
    const double length = job.strip ? StripLength(job) : job.sheetWidth;
    width_ = std::llround(length * clearance_.scale);
    height_ = std::llround(job.sheetHeight * clearance_.scale);
    edge_ = std::llround(job.spacing / 2 * clearance_.scale);
}

std::vector<int32_t> Prepared::Tried(int32_t item, int32_t o) const {
    const NestItem& it = job_.items[static_cast<size_t>(item)];
    const int32_t mirrors = it.mirror ? 2 : 1;
    const auto angles = static_cast<int32_t>(OrientationCount(item) / mirrors);
    const int32_t angle = o / mirrors, side = o % mirrors;
    int32_t turns = 1, step = angles;
    if (angles <= 4) {
        turns = angles, step = 1;
    } else if (angles % 4 == 0) {
        turns = 4, step = angles / 4;
    } else if (angles % 2 == 0) {
        turns = 2, step = angles / 2;
    }
    std::vector<int32_t> tried;
    for (int32_t k = 0; k < turns; ++k) tried.push_back(((angle + k * step) % angles) * mirrors + side);
    return tried;
}

std::shared_ptr<const ClearanceShape> Prepared::Shape(int32_t item, int32_t o) const {
    const size_t index = Index(item, o);
    {
        const std::lock_guard lock(mutex_);
        if (shapes_[index]) return shapes_[index];
    }
    const Orientation& orientation = OrientationOf(item, o);
    auto shape = std::make_shared<const ClearanceShape>(
        MakeClearanceShape(centred_[static_cast<size_t>(item)], orientation.angle, orientation.mirrored, clearance_));
    const std::lock_guard lock(mutex_);
    if (!shapes_[index]) shapes_[index] = std::move(shape);
    return shapes_[index];
}

std::shared_ptr<const IntPaths> Prepared::Forbidden(int32_t fixedItem, int32_t fixedO, int32_t movingItem,
                                                    int32_t movingO) const {
    const uint64_t key = static_cast<uint64_t>(Index(fixedItem, fixedO)) * shapes_.size() + Index(movingItem, movingO);
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = forbidden_.find(key); found != forbidden_.end()) return found->second;
    }
    auto region = std::make_shared<const IntPaths>(ForbiddenPositions(*Shape(fixedItem, fixedO), *Shape(movingItem, movingO)));
    const std::lock_guard lock(mutex_);
    if (forbiddenPoints_ > kMostCachedPoints) {
        forbidden_.clear();
        forbiddenPoints_ = 0;
    }
    const auto [at, inserted] = forbidden_.emplace(key, std::move(region));
    if (inserted) forbiddenPoints_ += PointCount(*at->second);
    return at->second;
}

std::optional<IntBox> Prepared::InnerFit(const ClearanceShape& shape) const {
    if (shape.outline.empty()) return std::nullopt;
    const IntBox fit{edge_ - shape.box.left, edge_ - shape.box.bottom, width_ - edge_ - shape.box.right,
                     height_ - edge_ - shape.box.top};
    if (fit.left >= fit.right || fit.bottom >= fit.top) return std::nullopt;
    return fit;
}

bool Prepared::FitsEmptySheet(int32_t item) const {
    const NestItem& it = job_.items[static_cast<size_t>(item)];
    if (it.contours > job_.mostContoursPerSheet || it.entities > job_.mostEntitiesPerSheet) return false;
    for (int32_t o = 0; o < OrientationCount(item); ++o) {
        if (InnerFit(*Shape(item, o))) return true;
    }
    return false;
}

bool Evaluation::IsBetterThan(const Evaluation& other) const {
    if (unplacedArea != other.unplacedArea) return unplacedArea < other.unplacedArea;
    if (sheets != other.sheets) return sheets < other.sheets;
    return lastLength < other.lastLength;
}

namespace {

// The copies on one sheet, what they fill of its tables, and per orientation of a copy to come, the positions
// its placed copies forbid it (merged, and those still to merge).
class SheetFill {
public:
    SheetFill(const Prepared& prepared, int32_t index) : prepared_(prepared), index_(index) {}

    bool HasRoomFor(const NestItem& item) const {
        const NestJob& job = prepared_.job();
        return contours_ + item.contours <= job.mostContoursPerSheet && entities_ + item.entities <= job.mostEntitiesPerSheet;
    }

    // The lowest of the leftmost positions where (item, o) lies free of every copy on the sheet.
    std::optional<IntPoint> BottomLeft(int32_t item, int32_t o) {
        const std::shared_ptr<const ClearanceShape> shape = prepared_.Shape(item, o);
        const std::optional<IntBox> fit = prepared_.InnerFit(*shape);
        if (!fit) return std::nullopt;
        if (placed_.empty()) return IntPoint{fit->left, fit->bottom};
        Free& free = free_[static_cast<uint64_t>(item) << 32 | static_cast<uint32_t>(o)];
        if (free.covered == 0) free.region = {{{fit->left, fit->bottom}, {fit->right, fit->bottom}, {fit->right, fit->top}, {fit->left, fit->top}}};
        if (free.covered == 0 && placed_.size() > kBatch) {
            // Everything placed before the first question: merged chunk by chunk into one region first, which
            // stays compact as it covers the sheet from the left.
            IntPaths merged;
            for (size_t k = 0; k < placed_.size(); k += kChunk) {
                IntPaths more = Forbidden(k, std::min(placed_.size(), k + kChunk), item, o);
                more.insert(more.end(), merged.begin(), merged.end());
                merged = Union(more);
            }
            free.region = Difference(free.region, merged);
            free.covered = placed_.size();
        }
        while (free.covered < placed_.size() && !free.region.empty()) {
            const size_t until = std::min(placed_.size(), free.covered + kBatch);
            free.region = Difference(free.region, Forbidden(free.covered, until, item, o));
            free.covered = until;
        }
        if (free.region.empty()) return std::nullopt;  // copies are only ever added: it never fits again
        return Lowest(free.region);
    }

    void Place(const PlacedCopy& copy, const NestItem& item) {
        placed_.push_back(copy);
        contours_ += item.contours;
        entities_ += item.entities;
    }

    int32_t index() const { return index_; }

private:
    // Where a copy of one orientation may still go: shrunk as copies are placed.
    struct Free {
        size_t covered = 0;  // the sheet's copies taken out of it so far
        IntPaths region;
    };

    // The positions the copies `first` up to `until` forbid (item, o), each moved to where its copy lies.
    IntPaths Forbidden(size_t first, size_t until, int32_t item, int32_t o) const {
        IntPaths forbidden;
        for (size_t k = first; k < until; ++k) {
            const PlacedCopy& fixed = placed_[k];
            const int32_t fixedItem = prepared_.copies()[static_cast<size_t>(fixed.copy)].item;
            for (const IntPath& ring : *prepared_.Forbidden(fixedItem, fixed.orientation, item, o)) {
                IntPath& moved = forbidden.emplace_back(ring);
                for (IntPoint& p : moved) p = {p.X + fixed.at.X, p.Y + fixed.at.Y};
            }
        }
        return forbidden;
    }

    static IntPoint Lowest(const IntPaths& free) {
        IntPoint best = free.front().front();
        for (const IntPath& ring : free) {
            for (const IntPoint& p : ring) {
                if (p.X < best.X || (p.X == best.X && p.Y < best.Y)) best = p;
            }
        }
        return best;
    }

    const Prepared& prepared_;
    int32_t index_;
    std::vector<PlacedCopy> placed_;
    int64_t contours_ = 0, entities_ = 0;
    std::unordered_map<uint64_t, Free> free_;
};

struct Choice {
    int32_t orientation = 0;
    IntPoint at;
    cInt left = 0, bottom = 0;
};

// The orientation of those tried whose bottom-left position lies leftmost (then lowest) on the sheet.
std::optional<Choice> Choose(const Prepared& prepared, SheetFill& sheet, int32_t item, const std::vector<int32_t>& tried) {
    std::optional<Choice> best;
    for (const int32_t o : tried) {
        const std::optional<IntPoint> at = sheet.BottomLeft(item, o);
        if (!at) continue;
        const ClearanceShape& shape = *prepared.Shape(item, o);
        const Choice choice{o, *at, at->X + shape.box.left, at->Y + shape.box.bottom};
        if (!best || choice.left < best->left || (choice.left == best->left && choice.bottom < best->bottom)) best = choice;
    }
    return best;
}

}  // namespace

Placement PlacementOf(const Prepared& prepared, const PlacedCopy& copy) {
    const CopyRef ref = prepared.copies()[static_cast<size_t>(copy.copy)];
    const Orientation& orientation = prepared.OrientationOf(ref.item, copy.orientation);
    const Point2 at{static_cast<double>(copy.at.X) / prepared.scale(), static_cast<double>(copy.at.Y) / prepared.scale()};
    const Point2 offset = at - OrientPoint(prepared.Centre(ref.item), orientation.angle, orientation.mirrored);
    return {ref.item, ref.copy, copy.sheet, orientation.angle, orientation.mirrored, offset};
}

std::optional<PlacedCopy> PlacedCopyOf(const Prepared& prepared, const Placement& placement, const std::vector<int32_t>& first) {
    const auto same = [](double a, double b) {
        const double d = std::fmod(std::fabs(a - b), 360.0);
        return d < 1e-9 || d > 360 - 1e-9;
    };
    for (int32_t o = 0; o < prepared.OrientationCount(placement.item); ++o) {
        const Orientation& orientation = prepared.OrientationOf(placement.item, o);
        if (orientation.mirrored != placement.mirrored || !same(orientation.angle, placement.angle)) continue;
        const Point2 at = (placement.offset + OrientPoint(prepared.Centre(placement.item), placement.angle, placement.mirrored)) * prepared.scale();
        return PlacedCopy{first[static_cast<size_t>(placement.item)] + placement.copy, o, placement.sheet, {std::llround(at.x), std::llround(at.y)}};
    }
    return std::nullopt;
}

double ReachAlongX(const Prepared& prepared, const PlacedCopy& copy) {
    const int32_t item = prepared.copies()[static_cast<size_t>(copy.copy)].item;
    return static_cast<double>(copy.at.X) / prepared.scale() + prepared.Shape(item, copy.orientation)->trueRight;
}

Evaluation Fill(const Prepared& prepared, const std::vector<Gene>& genes, const Evaluation* parent, size_t reuse) {
    const NestJob& job = prepared.job();
    const int32_t mostSheets = job.strip ? 1 : job.mostSheets > 0 ? job.mostSheets : kMostNestSheets;
    std::vector<SheetFill> sheets;
    Evaluation evaluation;
    if (!parent) reuse = 0;
    reuse = std::min({reuse, genes.size(), parent ? parent->trace.size() : size_t{0}});
    for (size_t g = 0; g < genes.size(); ++g) {
        const Gene& gene = genes[g];
        const int32_t item = prepared.copies()[static_cast<size_t>(gene.copy)].item;
        const NestItem& it = job.items[static_cast<size_t>(item)];
        const auto place = [&](SheetFill& sheet, const PlacedCopy& copy) {
            sheet.Place(copy, it);
            evaluation.placed.push_back(copy);
            evaluation.trace.push_back(copy);
            evaluation.placedArea += prepared.Area(item);
        };
        if (g < reuse) {  // the parent's placement, unchanged: the order is the same up to here
            const PlacedCopy& copy = parent->trace[g];
            while (copy.sheet >= static_cast<int32_t>(sheets.size())) sheets.emplace_back(prepared, static_cast<int32_t>(sheets.size()));
            if (copy.sheet >= 0) {
                place(sheets[static_cast<size_t>(copy.sheet)], copy);
                continue;
            }
        } else if (!prepared.Stopped()) {
            const std::vector<int32_t> tried = prepared.Tried(item, gene.orientation);
            const auto tryOn = [&](SheetFill& sheet) {
                if (!sheet.HasRoomFor(it)) return false;
                const std::optional<Choice> choice = Choose(prepared, sheet, item, tried);
                if (!choice) return false;
                place(sheet, {gene.copy, choice->orientation, sheet.index(), choice->at});
                return true;
            };
            if (std::any_of(sheets.begin(), sheets.end(), tryOn)) continue;
            if (static_cast<int32_t>(sheets.size()) < mostSheets) {
                SheetFill fresh(prepared, static_cast<int32_t>(sheets.size()));
                if (tryOn(fresh)) {
                    sheets.push_back(std::move(fresh));
                    continue;
                }
            }
        }
        evaluation.notPlaced.push_back(gene.copy);
        evaluation.trace.push_back({gene.copy, gene.orientation, -1, {}});
        evaluation.unplacedArea += prepared.Area(item);
    }
    evaluation.sheets = static_cast<int32_t>(sheets.size());
    for (const PlacedCopy& copy : evaluation.placed) {
        if (copy.sheet + 1 == evaluation.sheets) evaluation.lastLength = std::max(evaluation.lastLength, ReachAlongX(prepared, copy));
    }
    return evaluation;
}

}  // namespace zorvan::nesting
