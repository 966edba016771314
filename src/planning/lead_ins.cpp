// Lead-ins.
#include "planning/lead_ins.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "geometry/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

std::string LeadInHeader(std::string_view marker, std::string_view sx, std::string_view sy, double lx, double ly) {
    std::string header(marker);
    header += ' ';
    AppendDefaultOfText(header, sx);
    header += ' ';
    AppendDefaultOfText(header, sy);
    header += ' ';
    AppendDefaultNumber(header, lx);
    header += ' ';
    AppendDefaultNumber(header, ly);
    return header;
}

namespace {

// The entry of a contour part with its lead-in point set from the first record's chord.
void ContourLeadIn(double PI, PartEntry& entry, const PartFields& part, std::string_view marker, std::string_view sx0,
                   std::string_view sy0, double length) {
    const RecordList& records = entry.Records();
    const RecordValues first = records.empty() ? RecordValues(part.records) : records.front();
    const double startXValue = first.StartX(), startYValue = first.StartY();
    const double a = PointAngle(PI, first.EndX(), first.EndY(), startXValue, startYValue);
    const double theta = marker == "OO" ? a + 135 : a + 45;
    const double t = theta * PI / 180;
    const double lx = startXValue + std::cos(t) * length;
    const double ly = startYValue + std::sin(t) * length;
    std::string text = LeadInHeader(marker, sx0, sy0, lx, ly);
    text.reserve(text.size() + part.records.size() + part.marks.size() + 2);
    text.append(":").append(part.records).append(":").append(part.marks);
    entry = std::move(text);
}

// The entry of a circle part: the lead-in on the horizontal through the centre, the sense from the marker.
void CircleLeadIn(PartEntry& entry, const PartFields& part, std::string_view marker, std::string_view sx0,
                  std::string_view sy0, double length) {
    const RecordFieldTexts f(part.records);
    const auto number = [&f](size_t i) { return LenientParse(f.at[i]); };
    const double cx = number(0), cy = number(1), r = number(3);
    const bool isHole = marker == "II";
    const char sense = isHole ? '+' : '-';
    const double lx = isHole ? (cx - r) + length : (cx - r) - length;
    std::string text = LeadInHeader(marker, sx0, sy0, lx, cy);
    text += ':';
    for (const size_t k : {0, 1, 2, 3}) {
        AppendDefaultOfText(text, f.at[k]);
        text += ' ';
    }
    text.append(1, sense).append(" ");
    AppendDefaultOfText(text, f.at[5]);
    text += ' ';
    AppendDefaultOfText(text, f.at[6]);
    text.append(" K|:").append(part.marks);
    const RecordValues circle =
        RecordValues::Of(RecordKind::Circle, {cx, cy, number(2), r, 0, number(5), number(6)}, sense);
    entry.Set(std::move(text), {circle});
}

}  // namespace

void CalculateLeadIns(Program& program, double length) {
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const auto header = SplitFields(part.header);
        const std::string_view marker = FieldAt(header, 0);
        const std::string_view sx0 = FieldAt(header, 1), sy0 = FieldAt(header, 2);
        if (IsCircleRecord(part.records)) {
            CircleLeadIn(entry, part, marker, sx0, sy0, length);
        } else {
            ContourLeadIn(program.PI, entry, part, marker, sx0, sy0, length);
        }
    }
}

std::optional<double> LargerSideOfDrawing(const Program& program) {
    const double width = program.extMaxX - program.extMinX, height = program.extMaxY - program.extMinY;
    if (!(width >= 0 && height >= 0)) return std::nullopt;
    return std::max(width, height);
}

bool LeadInSuits(const Program& program, double length) {
    if (!std::isfinite(length) || length < 0) return false;
    const std::optional<double> side = LargerSideOfDrawing(program);
    return length == 0 || !side || length < *side;
}

}  // namespace zorvan
