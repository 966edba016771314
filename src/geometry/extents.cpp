// Extents of records and parts.
#include "geometry/extents.h"

#include <string>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

void IncludeRecord(double PI, std::string_view record, ExtentBuilder& extents) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    if (ContainsAfterFirst(record, 'K')) {
        const double x = n(0), y = n(1), r = n(3);
        extents.IncludeX(x - r);
        extents.IncludeX(x + r);
        extents.IncludeY(y - r);
        extents.IncludeY(y + r);
    }
    if (ContainsAfterFirst(record, 'D')) {
        extents.Include(n(0), n(1));
        extents.Include(n(3), n(4));
    }
    if (ContainsAfterFirst(record, 'A')) {
        const std::string sense(TrimBlanks(FieldAt(f, 6)));
        const std::string chords = ArcToChords(PI, 8, n(0), n(1), n(3), n(4), n(5), sense);
        const auto elements = SplitFields(chords, '|');
        for (size_t k = 0; k + 1 < elements.size(); ++k) {
            const auto p = SplitFields(elements[k]);
            extents.Include(LenientParse(FieldAt(p, 0)), LenientParse(FieldAt(p, 1)));
        }
    }
}

void ComputePartExtents(Program& program, int32_t partCount) {
    ExtentBuilder extents;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartFields part(program.partList[static_cast<size_t>(i)]);
        const auto records = SplitFields(part.records, '|');
        for (size_t k = 0; k + 1 < records.size(); ++k) IncludeRecord(program.PI, records[k], extents);
    }
    program.extMinX = extents.minX;
    program.extMaxX = extents.maxX;
    program.extMinY = extents.minY;
    program.extMaxY = extents.maxY;
}

}  // namespace zorvan
