// Lead-ins.
#include "planning/lead_ins.h"

#include <cmath>
#include <string>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "model/record_ends.h"

namespace zorvan {

namespace {

std::string Header(std::string_view marker, double sx, double sy, double lx, double ly) {
    return std::string(marker) + " " + DefaultNumber(sx) + " " + DefaultNumber(sy) + " " + DefaultNumber(lx) + " " +
           DefaultNumber(ly);
}

// The entry of a contour part with its lead-in point set from the first record's chord.
std::string ContourLeadIn(double PI, const PartFields& part, std::string_view marker, double sx0, double sy0,
                          double length) {
    const std::string_view first = part.records.substr(0, part.records.find('|'));
    const double startXValue = startX(first), startYValue = startY(first);
    const double a = PointAngle(PI, endX(first), endY(first), startXValue, startYValue);
    const double theta = marker == "OO" ? a + 135 : a + 45;
    const double t = theta * PI / 180;
    const double lx = startXValue + std::cos(t) * length;
    const double ly = startYValue + std::sin(t) * length;
    return Header(marker, sx0, sy0, lx, ly) + ":" + std::string(part.records) + ":" + std::string(part.marks);
}

// The entry of a circle part: the lead-in on the horizontal through the centre, the sense from the marker.
std::string CircleLeadIn(const PartFields& part, std::string_view marker, double sx0, double sy0, double length) {
    const auto f = SplitFields(part.records);
    const auto number = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    const double cx = number(0), cy = number(1), z = number(2), r = number(3), sx = number(5), sy = number(6);
    const bool isHole = marker == "II";
    const double lx = isHole ? (cx - r) + length : (cx - r) - length;
    const std::string records = DefaultNumber(cx) + " " + DefaultNumber(cy) + " " + DefaultNumber(z) + " " +
                                DefaultNumber(r) + " " + (isHole ? "+" : "-") + " " + DefaultNumber(sx) + " " +
                                DefaultNumber(sy) + " K|";
    return Header(marker, sx0, sy0, lx, cy) + ":" + records + ":" + std::string(part.marks);
}

}  // namespace

void CalculateLeadIns(Program& program, double length) {
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        std::string& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const auto header = SplitFields(part.header);
        const std::string_view marker = FieldAt(header, 0);
        const double sx0 = LenientParse(FieldAt(header, 1)), sy0 = LenientParse(FieldAt(header, 2));
        entry = IsCircleRecord(part.records) ? CircleLeadIn(part, marker, sx0, sy0, length)
                                             : ContourLeadIn(program.PI, part, marker, sx0, sy0, length);
    }
}

}  // namespace zorvan
