// The end point grid.
//
// A point's cell is floor(1000 v). Two coordinates that pass the join test differ by less than 0.001 plus a
// rounding error, so a query looks at the cells from GridCellIndex(v - kReach) to GridCellIndex(v + kReach):
// because rounding and floor never reverse the order of two values, every point that can match lies there,
// even where the doubles are too coarse for 0.001 steps. In practice that is the cell of v and its neighbours.
#include "import/end_point_grid.h"

#include <algorithm>
#include <cmath>

#include "import/chaining.h"

namespace zorvan {

namespace {

constexpr double kReach = 0.0010000001;  // the tolerance and a margin for the rounding of the difference
constexpr double kCellLimit = 4.0e18;    // inside the 64-bit range

uint64_t Mix(int64_t kx, int64_t ky) {
    uint64_t h = static_cast<uint64_t>(kx) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(ky) + 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}

}  // namespace

int64_t GridCellIndex(double v) {
    const double scaled = std::floor(v * 1000.0);
    if (scaled >= kCellLimit) return static_cast<int64_t>(kCellLimit);
    if (scaled <= -kCellLimit) return -static_cast<int64_t>(kCellLimit);
    return static_cast<int64_t>(scaled);
}

EndPointGrid::EndPointGrid(std::vector<EndPoint> points) : points_(std::move(points)) {
    struct Keyed {
        int64_t kx, ky;
        uint32_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(points_.size());
    for (uint32_t i = 0; i < points_.size(); ++i) {
        keyed.push_back({GridCellIndex(points_[i].x), GridCellIndex(points_[i].y), i});
    }
    std::sort(keyed.begin(), keyed.end(), [this](const Keyed& a, const Keyed& b) {
        if (a.kx != b.kx) return a.kx < b.kx;
        if (a.ky != b.ky) return a.ky < b.ky;
        return points_[a.index].record > points_[b.index].record;
    });

    size_t tableSize = 16;
    while (tableSize < 2 * keyed.size()) tableSize *= 2;
    table_.assign(tableSize, Cell{});
    mask_ = tableSize - 1;

    std::vector<EndPoint> grouped;
    grouped.reserve(points_.size());
    for (size_t i = 0; i < keyed.size();) {
        size_t j = i;
        while (j < keyed.size() && keyed[j].kx == keyed[i].kx && keyed[j].ky == keyed[i].ky) {
            grouped.push_back(points_[keyed[j].index]);
            ++j;
        }
        Cell& cell = table_[Slot(keyed[i].kx, keyed[i].ky)];
        cell = Cell{keyed[i].kx, keyed[i].ky, static_cast<uint32_t>(i), static_cast<uint32_t>(j), true};
        i = j;
    }
    points_ = std::move(grouped);
}

size_t EndPointGrid::Slot(int64_t kx, int64_t ky) const {
    size_t slot = Mix(kx, ky) & mask_;
    while (table_[slot].used && (table_[slot].kx != kx || table_[slot].ky != ky)) slot = (slot + 1) & mask_;
    return slot;
}

const EndPointGrid::Cell* EndPointGrid::Find(int64_t kx, int64_t ky) const {
    const Cell& cell = table_[Slot(kx, ky)];
    return cell.used ? &cell : nullptr;
}

int32_t EndPointGrid::HighestMatch(double x, double y, int32_t self) const {
    int32_t best = -1;
    const int64_t xFirst = GridCellIndex(x - kReach), xLast = GridCellIndex(x + kReach);
    const int64_t yFirst = GridCellIndex(y - kReach), yLast = GridCellIndex(y + kReach);
    for (int64_t kx = xFirst; kx <= xLast; ++kx) {
        for (int64_t ky = yFirst; ky <= yLast; ++ky) {
            const Cell* cell = Find(kx, ky);
            if (cell == nullptr) continue;
            for (uint32_t i = cell->begin; i < cell->end; ++i) {
                const EndPoint& p = points_[i];
                if (p.record <= best) break;  // highest first: nothing better follows in this cell
                if (p.record != self && EndsMeet(x, y, p.x, p.y)) {
                    best = p.record;
                    break;
                }
            }
        }
    }
    return best;
}

}  // namespace zorvan
