// The direct G-code listing.
#include "gcode/direct_gcode.h"

#include <vector>

#include "gcode/gcode_numbers.h"
#include "gcode/program_writer.h"
#include "gcode/templates.h"
#include "model/part_entry.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

void AppendRow(std::string& out, std::string_view row) {
    out += row;
    out += "\r\n";
}

void AppendSlots(std::string& out, const Program& program, int first, int last) {
    std::vector<std::string> rows;
    for (int slot = first; slot <= last; ++slot) {
        std::string name = "LINE0" + std::to_string(slot);
        EmitSlot(program, name, rows);
    }
    for (const std::string& row : rows) AppendRow(out, row);
}

// One part: the rapid move to its start with the torch off, the cut between the templates' torch words.
void AppendPart(std::string& out, const Program& program, const PartEntry& entry) {
    const Point2 start = LeadInOf(entry).start;
    AppendRow(out, "");
    AppendRow(out, "G00 X" + GcodeNumber(start.x) + " Y" + GcodeNumber(start.y));
    AppendRow(out, "G00 Z-0.5");
    AppendSlots(out, program, 11, 20);
    std::vector<std::string> moves;
    ForEachRecord(PartFields(entry).records, [&moves](std::string_view record) { AppendContourRows(record, moves); });
    for (const std::string& row : moves) AppendRow(out, row);
    AppendSlots(out, program, 21, 30);
    AppendRow(out, "G00 Z0.5");
}

}  // namespace

std::string GenerateDirectGCode(const Program& program, std::string_view header, std::string_view footer) {
    std::string out(header);
    bool started = false;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (PartFields(entry).IsDeleted() || entry.Records().empty()) continue;
        if (!started) {
            AppendRow(out, "G90.1");
            AppendRow(out, "G00 Z0.5");
            started = true;
        }
        AppendPart(out, program, entry);
    }
    AppendRow(out, "G00 X0 Y0");
    out += footer;
    return out;
}

}  // namespace zorvan
