// A grid of record end points in 0.001-unit cells, answering for every end point "which other record touching
// this point has the highest number" by looking only at the cells around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorvan {

class EndPointGrid {
public:
    struct EndPoint {
        double x, y;
        int32_t record;
        int32_t tag;  // the caller's own mark, handed back with the answer (say, start or end)
    };

    struct Match {
        int32_t record;  // the end point's record and tag
        int32_t tag;
        int32_t highest;  // the highest other record with a point within tolerance, or -1
    };

    explicit EndPointGrid(const std::vector<EndPoint>& points);

    // The answer for every end point of the grid, in no particular order. The points are visited cell by
    // cell, so the neighbouring cells are reached by cursors that only move forward.
    std::vector<Match> AllHighestMatches() const;

    // The highest record other than `self` with a point strictly within 0.001 of (x, y) in X and in Y, or -1.
    int32_t HighestMatch(double x, double y, int32_t self) const;

private:
    struct Point {
        double x, y;
        int32_t record, tag;
    };
    struct Cell {
        int64_t kx, ky;
        uint32_t begin, end;  // range in points_, highest record first
    };

    // Best match for (x, y) among the points of cells_[cell] (the cell's highest records first).
    int32_t ScanCell(size_t cell, double x, double y, int32_t self, int32_t best) const;
    // The general search: every present cell in the key range, found by binary search.
    int32_t SearchRange(double x, double y, int32_t self) const;
    size_t FirstCellAtOrAfter(int64_t kx, int64_t ky) const;

    std::vector<Point> points_;
    std::vector<Cell> cells_;  // sorted by (kx, ky)
};

// The grid key of a coordinate: floor(1000 v) where doubles are finer than 0.001; where they are coarser
// (|v| of 2^43 and more) two values join only when equal, and the key then follows the value's bit pattern,
// so no two distinct values share a cell there. Keys never decrease as v grows, and fit in 64 bits for every
// double.
int64_t GridCellIndex(double v);

}  // namespace zorvan
