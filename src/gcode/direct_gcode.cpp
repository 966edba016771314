// The direct G-code listing.
#include "gcode/direct_gcode.h"

#include <cmath>
#include <vector>

#include "gcode/gcode_numbers.h"
#include "import/part_entries.h"
#include "model/record.h"
#include "planning/cut_order.h"

namespace zorvan {

namespace {

void AppendRow(std::string& out, const std::string& row) {
    out += row;
    out += "\r\n";
}

std::string G(double value) { return GcodeNumber(value); }

// The moves of one record from its start on. A circle starts at its leftmost point (cx - r, cy), where
// chaining joins it, and is cut counter-clockwise through its rightmost point and back.
void AppendMoves(std::string& out, const RecordValues& record) {
    switch (record.kind()) {
        case RecordKind::Line: AppendRow(out, "G01 X" + G(record.At(3)) + " Y" + G(record.At(4))); break;
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            const std::string centre = " I" + G(c.cx) + " J" + G(c.cy);
            AppendRow(out, "G03 X " + G(c.cx + c.r) + " Y" + G(c.cy) + centre);
            AppendRow(out, "G03 X " + G(c.cx - c.r) + " Y" + G(c.cy) + centre);
            break;
        }
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const std::string code = a.sense == '+' ? "G03" : "G02";
            AppendRow(out, code + " X" + G(a.x2) + " Y" + G(a.y2) + " I" + G(a.cx) + " J" + G(a.cy));
            break;
        }
        case RecordKind::None: break;
    }
}

bool PointsMeet(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) <= kOrderTolerance && std::fabs(ay - by) <= kOrderTolerance;
}

bool EndMeetsStart(const RecordValues& from, const RecordValues& to) {
    return PointsMeet(from.EndX(), from.EndY(), to.StartX(), to.StartY());
}

// The records of a contour that move the torch, running head to tail: the first is turned when the second
// meets it at neither of its ends, each later one when its start misses the end of the one before (as the
// cut ordering turns them). A contour of one record runs as stored.
std::vector<RecordValues> HeadToTail(const Program& program, const std::vector<int32_t>& numbers) {
    std::vector<RecordValues> records;
    records.reserve(numbers.size());
    for (const int32_t number : numbers) {
        const RecordValues record = program.store.Values(number);
        if (record.kind() != RecordKind::None) records.push_back(record);
    }
    if (records.size() >= 2 && !EndMeetsStart(records[0], records[1]) &&
        !PointsMeet(records[0].EndX(), records[0].EndY(), records[1].EndX(), records[1].EndY())) {
        records[0] = records[0].Reversed();
    }
    for (size_t k = 1; k < records.size(); ++k) {
        if (!EndMeetsStart(records[k - 1], records[k])) records[k] = records[k].Reversed();
    }
    return records;
}

// One contour: the rapid move to its start with the torch off, the cut with the torch on.
void AppendContour(std::string& out, const std::vector<RecordValues>& records) {
    const RecordValues& first = records.front();
    const double startX = first.IsCircle() ? first.Circle().cx - first.Circle().r : first.StartX();
    const double startY = first.IsCircle() ? first.Circle().cy : first.StartY();
    AppendRow(out, "");
    AppendRow(out, "G00 X" + G(startX) + " Y" + G(startY));
    AppendRow(out, "G00 Z-0.5");
    AppendRow(out, "TORCHON");
    for (const RecordValues& record : records) AppendMoves(out, record);
    AppendRow(out, "TORCHOFF");
    AppendRow(out, "G00 Z0.5");
}

}  // namespace

std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer) {
    std::string out(header);
    bool raised = false;
    for (const std::string& contour : ChainContours(program.contourChain)) {
        const std::vector<RecordValues> records = HeadToTail(program, ContourRecordNumbers(contour));
        if (records.empty()) continue;
        if (!raised) AppendRow(out, "G00 Z0.5");
        raised = true;
        AppendContour(out, records);
    }
    AppendRow(out, "G00 X0 Y0");
    out += footer;
    return out;
}

}  // namespace zorvan
