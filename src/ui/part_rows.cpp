// What the lists and captions say of parts and records.
#include "ui/part_rows.h"

#include <charconv>
#include <cmath>

#include "geometry/extents.h"
#include "model/part_entry.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

std::string Point(double x, double y) { return "(" + ShortNumber(x) + ", " + ShortNumber(y) + ")"; }

// "Ø 6" for a part that is one circle, else the width by the height of its box.
std::string SizeOf(const Program& program, const PartEntry& entry) {
    const RecordList& records = entry.Records();
    if (records.size() == 1 && records.front().IsCircle()) return "Ø " + ShortNumber(2 * records.front().Circle().r);
    ExtentBuilder box;
    for (const RecordValues& record : records) IncludeRecord(program.PI, record, box);
    if (!(box.maxX >= box.minX)) return "empty";
    return ShortNumber(box.maxX - box.minX) + " x " + ShortNumber(box.maxY - box.minY);
}

std::string KindOf(const PartFields& part) {
    return FieldAt(SplitFields(part.header), 0) == "II" ? "hole" : "outside";
}

}  // namespace

std::string ShortNumber(double value) {
    if (!std::isfinite(value)) return "?";
    const double rounded = std::round(value * 1000) / 1000;
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, rounded == 0 ? 0.0 : rounded, std::chars_format::fixed, 3);
    if (error != std::errc()) return "?";
    std::string shown(text, end);
    while (shown.ends_with('0')) shown.pop_back();
    if (shown.ends_with('.')) shown.pop_back();
    return shown;
}

std::string PartRow(const Program& program, int32_t row) {
    const PartEntry& entry = program.partList[static_cast<size_t>(row)];
    const PartFields part(entry);
    const PartLeadIn leadIn = LeadInOf(entry);
    const double length = Distance(leadIn.start, leadIn.pierce);
    std::string text = std::to_string(row) + "  " + KindOf(part) + "  " + SizeOf(program, entry) + "  " +
                       (length > 0 ? "lead-in " + ShortNumber(length) : "no lead-in");
    const auto marks = SplitFields(part.marks);
    if (FieldAt(marks, 0) == "SEL") text += "  selected";
    if (part.IsDeleted()) text += "  deleted";
    return text;
}

std::string PartCaption(const Program& program, int32_t row) {
    const PartEntry& entry = program.partList[static_cast<size_t>(row)];
    return "part " + std::to_string(row) + ": " + KindOf(PartFields(entry)) + ", " + SizeOf(program, entry);
}

std::string RecordRow(const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line:
            return "line  " + Point(record.StartX(), record.StartY()) + " to " + Point(record.EndX(), record.EndY());
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            return "arc  centre " + Point(a.cx, a.cy) + "  r " + ShortNumber(a.r) + "  " + Point(a.x1, a.y1) + " to " +
                   Point(a.x2, a.y2) + (a.sense == '-' ? "  clockwise" : "  counter-clockwise");
        }
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            return "circle  centre " + Point(c.cx, c.cy) + "  r " + ShortNumber(c.r);
        }
        case RecordKind::None: break;
    }
    return "(not a line, arc or circle)";
}

std::string RecordRow(std::string_view record) { return RecordRow(RecordValues(record)); }

}  // namespace zorvan
