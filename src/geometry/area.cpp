// Contour areas and the orientation of parts.
#include "geometry/area.h"

#include <cmath>
#include <string>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "model/record_ends.h"

namespace zorvan {

namespace {

double Piece(double x1, double y1, double x2, double y2) { return (y1 + y2) / 2 * (x2 - x1); }

double FieldNumber(const std::vector<std::string_view>& fields, size_t index) {
    return LenientParse(FieldAt(fields, index));
}

}  // namespace

double AREA_ARC(double PI, std::string_view record) {
    const auto f = SplitFields(record);
    const double cx = FieldNumber(f, 0), cy = FieldNumber(f, 1), r = FieldNumber(f, 3);
    const double startDeg = FieldNumber(f, 4), endDeg = FieldNumber(f, 5);
    const std::string sense(TrimBlanks(FieldAt(f, 6)));
    const std::string chords = ArcToChords(PI, 16, cx, cy, r, startDeg, endDeg, sense);

    double area = 0;
    std::string_view lastX, lastY;
    for (const std::string_view chord : SplitFields(chords, '|')) {
        if (chord.empty()) continue;  // the tail after the final "|"
        const auto p = SplitFields(chord);
        area += Piece(FieldNumber(p, 0), FieldNumber(p, 1), FieldNumber(p, 2), FieldNumber(p, 3));
        lastX = FieldAt(p, 2);
        lastY = FieldAt(p, 3);
    }
    if (chords.empty()) return area;

    // Close the gap the chords leave before the end angle, with the end point written as chord ends are.
    const double a1 = ArcSweepOf(PI, 16, startDeg, endDeg, sense).a1;
    const std::string endXText = DefaultNumber(cx + r * std::cos(a1));
    const std::string endYText = DefaultNumber(cy + r * std::sin(a1));
    if (endXText != lastX || endYText != lastY) {
        area += Piece(LenientParse(lastX), LenientParse(lastY), LenientParse(endXText), LenientParse(endYText));
    }
    return area;
}

double KAREA(double PI, std::string_view record) {
    if (IsCircleRecord(record)) {
        const auto f = SplitFields(record);
        const double r = FieldNumber(f, 3);
        const double magnitude = PI * r * r;
        return FieldAt(f, 4) == "-" ? magnitude : -magnitude;
    }
    double area = 0;
    if (IsLineRecord(record)) {
        const auto f = SplitFields(record);
        area = Piece(FieldNumber(f, 0), FieldNumber(f, 1), FieldNumber(f, 3), FieldNumber(f, 4));
    }
    if (IsArcRecord(record)) area = AREA_ARC(PI, record);
    return area;
}

double CalcArea(double PI, std::string_view contour) {
    const auto records = SplitFields(contour, '|');
    double area = 0;
    for (size_t i = 0; i + 1 < records.size(); ++i) area += KAREA(PI, records[i]);
    return std::isfinite(area) ? area : 0;
}

void ReversePath(Program& program, int32_t row) {
    std::string& entry = program.partList[static_cast<size_t>(row)];
    const PartFields part(entry);
    const auto records = SplitFields(part.records, '|');
    std::string reversed;
    for (size_t k = records.size() - 1; k-- > 0;) {
        reversed += invert_IT(records[k]);
        reversed += '|';
    }
    const std::string header = std::string(part.Marker()) + " " + startPoints(reversed);
    entry = header + ":" + reversed + ":" + std::string(part.marks);
}

namespace {

// A circle part rebuilt with the sense its marker needs; unchanged for any other marker.
std::string OrientedCircle(std::string_view marker, std::string_view contour) {
    const char* sense = marker == "II" ? "+" : marker == "OO" ? "-" : nullptr;
    if (sense == nullptr) return std::string(contour);
    const auto f = SplitFields(contour);
    return DefaultNumber(FieldNumber(f, 0)) + " " + DefaultNumber(FieldNumber(f, 1)) + " 0 " +
           DefaultNumber(FieldNumber(f, 3)) + " " + sense + " " + DefaultNumber(FieldNumber(f, 5)) + " " +
           DefaultNumber(FieldNumber(f, 6)) + " K|";
}

}  // namespace

void CCW_OR_CW(Program& program) {
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        std::string& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const std::string_view marker = part.Marker();
        if (!IsCircleRecord(part.records)) {
            const double storedArea = part.StoredArea();
            if ((marker == "OO" && storedArea < 0) || (marker == "II" && storedArea > 0)) ReversePath(program, i);
            continue;
        }
        entry = std::string(part.header) + ":" + OrientedCircle(marker, part.records) + ":" + std::string(part.marks);
    }
}

}  // namespace zorvan
