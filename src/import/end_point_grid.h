// A hash grid of record end points in 0.001-unit cells, answering "which record touching this point has the
// highest number" by looking only at the cells around the point.
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
    };

    // Builds the grid over `points`; several points may belong to one record.
    explicit EndPointGrid(std::vector<EndPoint> points);

    // The highest record number other than `self` with a point strictly within 0.001 of (x, y) in X and in Y,
    // or -1 when there is none.
    int32_t HighestMatch(double x, double y, int32_t self) const;

private:
    struct Cell {
        int64_t kx = 0, ky = 0;
        uint32_t begin = 0, end = 0;  // range in points_
        bool used = false;
    };

    const Cell* Find(int64_t kx, int64_t ky) const;
    size_t Slot(int64_t kx, int64_t ky) const;

    std::vector<EndPoint> points_;  // grouped by cell, highest record first within a cell
    std::vector<Cell> table_;       // open addressing, power-of-two size
    uint64_t mask_ = 0;
};

// The cell index of a coordinate: floor(v / 0.001), held within the 64-bit range for any finite v.
int64_t GridCellIndex(double v);

}  // namespace zorvan
