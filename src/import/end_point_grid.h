// A grid of record end points in 0.001-unit cells, answering for every end point "which other record touching
// this point has the highest number" by looking only at the cells around it.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <vector>

namespace zorvan {

// The grid key of a coordinate: floor(1000 v) where doubles are finer than 0.001; where they are coarser
// (|v| of 2^43 and more) two values join only when equal, and the key then follows the value's bit pattern,
// so no two distinct values share a cell there. Keys never decrease as v grows, and fit in 64 bits for every
// double.
int64_t GridCellIndex(double v);

class EndPointGrid {
public:
    struct EndPoint {
        double x, y;
        int32_t record;
        int32_t tag;  // the caller's own mark, handed back with the answer (say, start or end)
    };

    // The grid of `count` end points, point k given by `pointAt(k)`.
    template <typename PointAt>
    EndPointGrid(size_t count, PointAt pointAt) {
        points_.reserve(count);
        for (size_t k = 0; k < count; ++k) {
            const EndPoint p = pointAt(k);
            points_.push_back({GridCellIndex(p.x), GridCellIndex(p.y), p.x, p.y, p.record, p.tag});
        }
        Index();
    }

    // `found(record, tag, highest)` for every end point of the grid, in no particular order, with the highest
    // other record that has a point within tolerance, or -1. The points are visited cell by cell, so the
    // neighbouring cells are reached by cursors that only move forward.
    template <typename Found>
    void ForEachHighestMatch(Found found) const;

    // The highest record other than `self` with a point strictly within 0.001 of (x, y) in X and in Y, or -1.
    int32_t HighestMatch(double x, double y, int32_t self) const { return SearchRange(x, y, self); }

private:
    struct Point {
        int64_t kx, ky;
        double x, y;
        int32_t record, tag;
    };

    // Sorts the points by cell, the highest record first within a cell, and marks where each cell begins.
    void Index();
    int64_t CellX(size_t cell) const { return points_[cellStart_[cell]].kx; }
    int64_t CellY(size_t cell) const { return points_[cellStart_[cell]].ky; }
    // Best match for (x, y) among the points of cell `cell` (the cell's highest records first).
    int32_t ScanCell(size_t cell, double x, double y, int32_t self, int32_t best) const;
    // The general search: every present cell in the key range, found by binary search.
    int32_t SearchRange(double x, double y, int32_t self) const;
    size_t FirstCellAtOrAfter(int64_t kx, int64_t ky) const;
    // The answer for point `i`, which lies in cell `cell`, with the cursors of the cell walk.
    int32_t MatchInNeighbourhood(size_t cell, size_t i, std::array<size_t, 5>& cursors) const;

    std::vector<Point> points_;       // sorted by (kx, ky), the highest record first within a cell
    std::vector<uint32_t> cellStart_;  // the first point of each cell, and the end of the last
};

template <typename Found>
void EndPointGrid::ForEachHighestMatch(Found found) const {
    // cursors[d] is the first cell not before (kx + d - 2, ky - 2) for the last query that used it.
    std::array<size_t, 5> cursors{};
    for (size_t cell = 0; cell + 1 < cellStart_.size(); ++cell) {
        for (uint32_t i = cellStart_[cell]; i < cellStart_[cell + 1]; ++i) {
            found(points_[i].record, points_[i].tag, MatchInNeighbourhood(cell, i, cursors));
        }
    }
}

}  // namespace zorvan
