// The G-code program writer.
#include "gcode/program_writer.h"

#include <cstdio>

#include "gcode/gcode_numbers.h"
#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

void EmitSlots(const Program& program, int first, int last, std::vector<std::string>& listing) {
    for (int slot = first; slot <= last; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "LINE%03d", slot);
        EmitSlot(program, name, listing);
    }
}

void AppendLines(const std::vector<std::string>& lines, std::vector<std::string>& listing) {
    listing.insert(listing.end(), lines.begin(), lines.end());
}

// "G2" for the sense "-" (blanks trimmed), "G3" for anything else.
std::string ArcCode(std::string_view sense) { return TrimBlanks(sense) == "-" ? "G2" : "G3"; }

std::string ArcRow(const std::string& code, double cx, double cy, double x, double y) {
    return code + " I " + FixedNumber(cx) + "  J " + FixedNumber(cy) + " X " + FixedNumber(x) + " Y " + FixedNumber(y);
}

void AppendPart(const Program& program, int32_t i, std::vector<std::string>& listing) {
    const PartFields part(program.partList[static_cast<size_t>(i)]);
    const auto header = SplitFields(part.header);
    const auto number = [&header](size_t k) { return LenientParse(FieldAt(header, k)); };

    listing.push_back("(------------------- " + std::to_string(i) + " ------------------------)");
    if (auto compensation = CompensationLine(FieldAt(header, 0), part.StoredArea())) {
        listing.push_back(std::move(*compensation));
    }
    EmitSlots(program, 1, 10, listing);
    listing.push_back("G0 X " + GcodeNumber(number(3)) + " Y " + GcodeNumber(number(4)));
    EmitSlots(program, 11, 20, listing);
    listing.push_back("G1 X " + GcodeNumber(number(1)) + " Y " + GcodeNumber(number(2)));
    for (const std::string_view record : SplitFields(part.records, '|')) AppendContourRows(record, listing);
    EmitSlots(program, 21, 30, listing);
}

}  // namespace

std::optional<std::string> CompensationLine(std::string_view marker, double area) {
    if (area == 0) return std::nullopt;
    const bool outside = marker == "OO";
    return (area > 0) == outside ? "G41" : "G42";
}

void AppendContourRows(std::string_view record, std::vector<std::string>& listing) {
    const auto f = SplitFields(record);
    const auto number = [&f](size_t k) { return LenientParse(FieldAt(f, k)); };
    if (IsLineRecord(record)) listing.push_back("G1 X " + FixedNumber(number(3)) + " Y " + FixedNumber(number(4)));
    if (IsArcRecord(record)) listing.push_back(ArcRow(ArcCode(FieldAt(f, 6)), number(0), number(1), number(9), number(10)));
    if (IsCircleRecord(record)) {
        const std::string code = ArcCode(FieldAt(f, 4));
        const double cx = number(0), cy = number(1), r = number(3);
        listing.push_back(ArcRow(code, cx, cy, cx + r, cy));
        listing.push_back(ArcRow(code, cx, cy, cx - r, cy));
    }
}

void WriteProgram(const Program& program, int32_t cutCount, std::vector<std::string>& listing) {
    listing.emplace_back(kProgramComment);
    AppendLines(ReadTemplateFileLines(program, kHeaderFile), listing);
    listing.insert(listing.end(), 3, "");
    for (int32_t i = 0; i < cutCount && i < kMaxContours; ++i) AppendPart(program, i, listing);
    listing.insert(listing.end(), 3, "");
    AppendLines(ReadTemplateFileLines(program, kFooterFile), listing);
}

std::optional<std::pair<double, double>> MarkedPoint(std::string_view row) {
    if (row.find('X') == std::string_view::npos || row.find('Y') == std::string_view::npos) return std::nullopt;
    const auto words = SplitFields(row);
    if (words.size() < 5) return std::nullopt;
    return std::pair{LenientParse(words[2]), LenientParse(words[4])};
}

}  // namespace zorvan
