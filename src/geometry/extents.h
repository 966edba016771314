// Extents of records and of the planned parts: circles whole, lines by their ends, arcs by the vertices of
// their chords.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/program.h"
#include "model/record.h"

namespace zorvan {

// Extents grown point by point: a value below the minimum replaces it, one at or above the maximum replaces
// it. They start at 100000 (minimum) and -100000 (maximum).
class ExtentBuilder {
public:
    void Include(double x, double y) {
        IncludeOne(x, minX, maxX);
        IncludeOne(y, minY, maxY);
    }
    void IncludeX(double x) { IncludeOne(x, minX, maxX); }
    void IncludeY(double y) { IncludeOne(y, minY, maxY); }

    double minX = 100000, maxX = -100000, minY = 100000, maxY = -100000;

private:
    static void IncludeOne(double v, double& minimum, double& maximum) {
        if (v < minimum) minimum = v;
        if (v >= maximum) maximum = v;
    }
};

// Takes one record into the extents: a circle whole, a line by its ends, an arc by the first points of the
// chords of ArcToChords with 8 divisions (the arc's last point is not included).
void IncludeRecord(double PI, std::string_view record, ExtentBuilder& extents);
void IncludeRecord(double PI, const RecordValues& record, ExtentBuilder& extents);

// The extents of parts 0..partCount-1 (deleted ones too) into extMinX .. extMaxY.
// Widens `extents` to exactly what the record covers: a line's ends, a circle's square, an arc's ends and
// the points of its circle straight left, right, above and below the centre that lie on it. Sheet mode sizes
// drawings this way; the arcs of fitted curves may belong to very large circles.
void IncludeRecordTightly(const RecordValues& record, ExtentBuilder& extents);

void ComputePartExtents(Program& program, int32_t partCount);

}  // namespace zorvan
