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

EndPointGrid::EndPointGrid(const std::vector<EndPoint>& points) {
    // Sorted with the point beside its key, so the comparisons read contiguous memory.
    struct Keyed {
        int64_t kx, ky;
        Point point;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(points.size());
    for (const EndPoint& p : points) {
        keyed.push_back({GridCellIndex(p.x), GridCellIndex(p.y), {p.x, p.y, p.record, p.tag}});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.kx != b.kx) return a.kx < b.kx;
        if (a.ky != b.ky) return a.ky < b.ky;
        return a.point.record > b.point.record;  // the highest record first within a cell
    });

    points_.reserve(keyed.size());
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].kx != keyed[i - 1].kx || keyed[i].ky != keyed[i - 1].ky) {
            cells_.push_back({keyed[i].kx, keyed[i].ky, static_cast<uint32_t>(i), static_cast<uint32_t>(i)});
        }
        points_.push_back(keyed[i].point);
        cells_.back().end = static_cast<uint32_t>(i + 1);
    }
}

int32_t EndPointGrid::ScanCell(size_t cell, double x, double y, int32_t self, int32_t best) const {
    for (uint32_t i = cells_[cell].begin; i < cells_[cell].end; ++i) {
        const Point& p = points_[i];
        if (p.record <= best) break;  // highest first: nothing better follows in this cell
        if (p.record != self && EndsMeet(x, y, p.x, p.y)) return p.record;
    }
    return best;
}

size_t EndPointGrid::FirstCellAtOrAfter(int64_t kx, int64_t ky) const {
    const auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair{kx, ky},
                                     [](const Cell& c, const std::pair<int64_t, int64_t>& key) {
                                         return KeyLess(c.kx, c.ky, key.first, key.second);
                                     });
    return static_cast<size_t>(it - cells_.begin());
}

int32_t EndPointGrid::SearchRange(double x, double y, int32_t self) const {
    const int64_t xFirst = GridCellIndex(x - kReach), xLast = GridCellIndex(x + kReach);
    const int64_t yFirst = GridCellIndex(y - kReach), yLast = GridCellIndex(y + kReach);
    int32_t best = -1;
    size_t cell = FirstCellAtOrAfter(xFirst, yFirst);
    while (cell < cells_.size() && cells_[cell].kx <= xLast) {
        const int64_t column = cells_[cell].kx;
        if (cells_[cell].ky < yFirst) {
            cell = FirstCellAtOrAfter(column, yFirst);
            continue;
        }
        if (cells_[cell].ky > yLast) {
            if (column == std::numeric_limits<int64_t>::max()) break;
            cell = FirstCellAtOrAfter(column + 1, yFirst);
            continue;
        }
        best = ScanCell(cell, x, y, self, best);
        ++cell;
    }
    return best;
}

int32_t EndPointGrid::HighestMatch(double x, double y, int32_t self) const { return SearchRange(x, y, self); }

std::vector<EndPointGrid::Match> EndPointGrid::AllHighestMatches() const {
    std::vector<Match> matches;
    matches.reserve(points_.size());
    // cursors[d] is the first cell not before (kx + d - kSpan, ky - kSpan) for the last query that used it.
    std::array<size_t, 2 * kSpan + 1> cursors{};
    for (size_t cell = 0; cell < cells_.size(); ++cell) {
        const int64_t kx = cells_[cell].kx, ky = cells_[cell].ky;
        for (uint32_t i = cells_[cell].begin; i < cells_[cell].end; ++i) {
            const Point& q = points_[i];
            const int64_t xFirst = GridCellIndex(q.x - kReach), xLast = GridCellIndex(q.x + kReach);
            const int64_t yFirst = GridCellIndex(q.y - kReach), yLast = GridCellIndex(q.y + kReach);
            const bool withinSpan = xFirst >= kx - kSpan && xLast <= kx + kSpan && yFirst >= ky - kSpan &&
                                    yLast <= ky + kSpan;
            if (!withinSpan) {  // only where the fine and the coarse keys meet
                matches.push_back({q.record, q.tag, SearchRange(q.x, q.y, q.record)});
                continue;
            }
            int32_t best = -1;
            for (int64_t column = xFirst; column <= xLast; ++column) {
                size_t& cursor = cursors[static_cast<size_t>(column - kx + kSpan)];
                const int64_t rowStart = ky - kSpan;
                while (cursor < cells_.size() && KeyLess(cells_[cursor].kx, cells_[cursor].ky, column, rowStart)) {
                    ++cursor;
                }
                for (size_t c = cursor; c < cells_.size() && cells_[c].kx == column && cells_[c].ky <= yLast; ++c) {
                    if (cells_[c].ky >= yFirst) best = ScanCell(c, q.x, q.y, q.record, best);
                }
            }
            matches.push_back({q.record, q.tag, best});
        }
    }
    return matches;
}

}  // namespace zorvan
