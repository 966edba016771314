// Extents of records and parts.
#include "geometry/extents.h"

#include <cmath>
#include <numbers>
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

void IncludeRecordTightly(const RecordValues& record, ExtentBuilder& extents) {
    if (!record.IsArc()) {
        IncludeRecord(0, record, extents);  // lines and circles: no angle is worked with
        return;
    }
    const ArcValues a = record.Arc();
    extents.Include(a.x1, a.y1);
    extents.Include(a.x2, a.y2);
    // Counter-clockwise from `from` to `to` ("+"), clockwise otherwise: turned so it runs counter-clockwise.
    const bool ccw = a.sense != '-';
    const double from = std::atan2(ccw ? a.y1 - a.cy : a.y2 - a.cy, ccw ? a.x1 - a.cx : a.x2 - a.cx);
    const double to = std::atan2(ccw ? a.y2 - a.cy : a.y1 - a.cy, ccw ? a.x2 - a.cx : a.x1 - a.cx);
    const double turn = 2 * std::numbers::pi;
    const auto along = [&](double angle) { return std::fmod(std::fmod(angle - from, turn) + turn, turn); };
    const double sweep = along(to) == 0 ? turn : along(to);
    for (int k = 0; k < 4; ++k) {
        const double angle = k * std::numbers::pi / 2;
        if (along(angle) <= sweep) extents.Include(a.cx + a.r * std::cos(angle), a.cy + a.r * std::sin(angle));
    }
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
