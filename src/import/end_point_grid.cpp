// The end point grid.
//
// A coordinate that passes the join test differs from the query's by less than 0.001 plus a rounding error,
// so every point that can match lies in the cells from GridCellIndex(v - kReach) to GridCellIndex(v + kReach):
// keys never reverse the order of two values. For ordinary magnitudes that is the query's own cell and at
// most two on either side. The points are sorted by cell once; the queries are the same points in the same
// order, so for each column offset the first cell to look at only moves forward, and a cursor per offset
// replaces any look-up.
#include "import/end_point_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "import/chaining.h"

namespace zorvan {

namespace {

constexpr double kReach = 0.0010000001;  // the tolerance and a margin for the rounding of the difference
constexpr double kCoarse = 8796093022208.0;  // 2^43: from here on doubles are more than 0.001 apart
constexpr int64_t kCoarseKeyBase = int64_t{1} << 53;  // above every fine key (below 2^43 * 1000)
constexpr int kSpan = 2;  // the widest column offset the cursors serve

bool KeyLess(int64_t ax, int64_t ay, int64_t bx, int64_t by) { return ax != bx ? ax < bx : ay < by; }

}  // namespace

int64_t GridCellIndex(double v) {
    if (std::isnan(v)) return 0;
    if (v >= kCoarse || v <= -kCoarse) {
        const double magnitude = std::min(std::fabs(v), std::numeric_limits<double>::max());
        const auto steps = static_cast<int64_t>(std::bit_cast<uint64_t>(magnitude) - std::bit_cast<uint64_t>(kCoarse));
        return v > 0 ? kCoarseKeyBase + steps : -kCoarseKeyBase - steps;
    }
    return static_cast<int64_t>(std::floor(v * 1000.0));
}

void EndPointGrid::Index() {
    std::sort(points_.begin(), points_.end(), [](const Point& a, const Point& b) {
        if (a.kx != b.kx) return a.kx < b.kx;
        if (a.ky != b.ky) return a.ky < b.ky;
        return a.record > b.record;  // the highest record first within a cell
    });
    cellStart_.clear();
    for (size_t i = 0; i < points_.size(); ++i) {
        if (i == 0 || points_[i].kx != points_[i - 1].kx || points_[i].ky != points_[i - 1].ky) {
            cellStart_.push_back(static_cast<uint32_t>(i));
        }
    }
    cellStart_.push_back(static_cast<uint32_t>(points_.size()));
}

int32_t EndPointGrid::ScanCell(size_t cell, double x, double y, int32_t self, int32_t best) const {
    for (uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
        const Point& p = points_[i];
        if (p.record <= best) break;  // highest first: nothing better follows in this cell
        if (p.record != self && EndsMeet(x, y, p.x, p.y)) return p.record;
    }
    return best;
}

size_t EndPointGrid::FirstCellAtOrAfter(int64_t kx, int64_t ky) const {
    size_t low = 0, high = cellStart_.size() - 1;  // the cells are [0, high)
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (KeyLess(CellX(mid), CellY(mid), kx, ky)) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

int32_t EndPointGrid::SearchRange(double x, double y, int32_t self) const {
    const int64_t xFirst = GridCellIndex(x - kReach), xLast = GridCellIndex(x + kReach);
    const int64_t yFirst = GridCellIndex(y - kReach), yLast = GridCellIndex(y + kReach);
    const size_t cells = cellStart_.size() - 1;
    int32_t best = -1;
    size_t cell = FirstCellAtOrAfter(xFirst, yFirst);
    while (cell < cells && CellX(cell) <= xLast) {
        const int64_t column = CellX(cell);
        if (CellY(cell) < yFirst) {
            cell = FirstCellAtOrAfter(column, yFirst);
            continue;
        }
        if (CellY(cell) > yLast) {
            if (column == std::numeric_limits<int64_t>::max()) break;
            cell = FirstCellAtOrAfter(column + 1, yFirst);
            continue;
        }
        best = ScanCell(cell, x, y, self, best);
        ++cell;
    }
    return best;
}

int32_t EndPointGrid::MatchInNeighbourhood(size_t cell, size_t i, std::array<size_t, 5>& cursors) const {
    const int64_t kx = CellX(cell), ky = CellY(cell);
    const size_t cells = cellStart_.size() - 1;
    const Point& q = points_[i];
    const int64_t xFirst = GridCellIndex(q.x - kReach), xLast = GridCellIndex(q.x + kReach);
    const int64_t yFirst = GridCellIndex(q.y - kReach), yLast = GridCellIndex(q.y + kReach);
    const bool withinSpan = xFirst >= kx - kSpan && xLast <= kx + kSpan && yFirst >= ky - kSpan && yLast <= ky + kSpan;
    if (!withinSpan) return SearchRange(q.x, q.y, q.record);  // only where the fine and the coarse keys meet
    int32_t best = -1;
    for (int64_t column = xFirst; column <= xLast; ++column) {
        size_t& cursor = cursors[static_cast<size_t>(column - kx + kSpan)];
        const int64_t rowStart = ky - kSpan;
        while (cursor < cells && KeyLess(CellX(cursor), CellY(cursor), column, rowStart)) ++cursor;
        for (size_t c = cursor; c < cells && CellX(c) == column && CellY(c) <= yLast; ++c) {
            if (CellY(c) >= yFirst) best = ScanCell(c, q.x, q.y, q.record, best);
        }
    }
    return best;
}

}  // namespace zorvan
