// Extents of records and parts.
#include "geometry/extents.h"

#include <string>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

void IncludeRecord(double PI, const RecordValues& record, ExtentBuilder& extents) {
    switch (record.kind()) {
        case RecordKind::Circle: {
            const double x = record.At(0), y = record.At(1), r = record.At(3);
            extents.IncludeX(x - r);
            extents.IncludeX(x + r);
            extents.IncludeY(y - r);
            extents.IncludeY(y + r);
            return;
        }
        case RecordKind::Line:
            extents.Include(record.At(0), record.At(1));
            extents.Include(record.At(3), record.At(4));
            return;
        case RecordKind::Arc: {
            // The chord vertices as their 15-digit texts read back, as the chord text holds them.
            const ArcValues a = record.Arc();
            ForEachChord(PI, 8, a.cx, a.cy, a.r, a.startDeg, a.endDeg, a.sense == '-',
                         [&extents](double x1, double y1, double, double) {
                             extents.Include(RoundedTo15Digits(x1), RoundedTo15Digits(y1));
                         });
            return;
        }
        case RecordKind::None: return;
    }
}

void IncludeRecord(double PI, std::string_view record, ExtentBuilder& extents) {
    IncludeRecord(PI, RecordValues(record), extents);
}

void ComputePartExtents(Program& program, int32_t partCount) {
    ExtentBuilder extents;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        for (const RecordValues& record : program.partList[static_cast<size_t>(i)].Records()) {
            IncludeRecord(program.PI, record, extents);
        }
    }
    program.extMinX = extents.minX;
    program.extMaxX = extents.maxX;
    program.extMinY = extents.minY;
    program.extMaxY = extents.maxY;
}

}  // namespace zorvan
