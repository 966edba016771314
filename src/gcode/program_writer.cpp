// The G-code program writer. Rows are built in one reused buffer and handed to a sink: the window keeps
// them as list rows, the main job joins them into the program's text.
#include "gcode/program_writer.h"

#include <array>
#include <cstdio>

#include "gcode/gcode_numbers.h"
#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// Where the writer's rows go.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Row(std::string_view row) = 0;
};

class ListingSink : public RowSink {
public:
    explicit ListingSink(std::vector<std::string>& listing) : listing_(listing) {}
    void Row(std::string_view row) override { listing_.emplace_back(row); }

private:
    std::vector<std::string>& listing_;
};

class TextSink : public RowSink {
public:
    explicit TextSink(std::string& text) : text_(text) {}
    void Row(std::string_view row) override {
        text_.append(row).append("\r\n");
        ++rows;
    }
    int64_t rows = 0;

private:
    std::string& text_;
};

// The rows every slot emits, worked out once per program: they do not depend on the part.
using SlotRows = std::array<std::vector<std::string>, 31>;  // [1] .. [30]

SlotRows AllSlotRows(const Program& program) {
    SlotRows rows;
    for (int slot = 1; slot <= 30; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "LINE%03d", slot);
        EmitSlot(program, name, rows[static_cast<size_t>(slot)]);
    }
    return rows;
}

void EmitSlots(const SlotRows& slots, int first, int last, RowSink& sink) {
    for (int slot = first; slot <= last; ++slot) {
        for (const std::string& row : slots[static_cast<size_t>(slot)]) sink.Row(row);
    }
}

// "G2" for the sense "-" (blanks trimmed), "G3" for anything else.
std::string_view ArcCode(std::string_view sense) { return TrimBlanks(sense) == "-" ? "G2" : "G3"; }

void ArcRow(std::string& row, std::string_view code, double cx, double cy, double x, double y) {
    row.assign(code).append(" I ").append(FixedNumber(cx)).append("  J ").append(FixedNumber(cy));
    row.append(" X ").append(FixedNumber(x)).append(" Y ").append(FixedNumber(y));
}

void ContourRows(std::string_view record, std::string& row, RowSink& sink) {
    const auto f = SplitFields(record);
    const auto number = [&f](size_t k) { return LenientParse(FieldAt(f, k)); };
    if (IsLineRecord(record)) {
        row.assign("G1 X ").append(FixedNumber(number(3))).append(" Y ").append(FixedNumber(number(4)));
        sink.Row(row);
    }
    if (IsArcRecord(record)) {
        ArcRow(row, ArcCode(FieldAt(f, 6)), number(0), number(1), number(9), number(10));
        sink.Row(row);
    }
    if (IsCircleRecord(record)) {
        const std::string_view code = ArcCode(FieldAt(f, 4));
        const double cx = number(0), cy = number(1), r = number(3);
        ArcRow(row, code, cx, cy, cx + r, cy);
        sink.Row(row);
        ArcRow(row, code, cx, cy, cx - r, cy);
        sink.Row(row);
    }
}

void WritePart(const Program& program, const SlotRows& slots, int32_t i, std::string& row, RowSink& sink) {
    const PartFields part(program.partList[static_cast<size_t>(i)]);
    const auto header = SplitFields(part.header);
    const auto number = [&header](size_t k) { return LenientParse(FieldAt(header, k)); };

    row.assign("(------------------- ").append(std::to_string(i)).append(" ------------------------)");
    sink.Row(row);
    if (const auto compensation = CompensationLine(FieldAt(header, 0), part.StoredArea())) sink.Row(*compensation);
    EmitSlots(slots, 1, 10, sink);
    row.assign("G0 X ").append(GcodeNumber(number(3))).append(" Y ").append(GcodeNumber(number(4)));
    sink.Row(row);
    EmitSlots(slots, 11, 20, sink);
    row.assign("G1 X ").append(GcodeNumber(number(1))).append(" Y ").append(GcodeNumber(number(2)));
    sink.Row(row);
    for (const std::string_view record : SplitFields(part.records, '|')) ContourRows(record, row, sink);
    EmitSlots(slots, 21, 30, sink);
}

void Write(const Program& program, int32_t cutCount, RowSink& sink) {
    const SlotRows slots = AllSlotRows(program);
    sink.Row(kProgramComment);
    for (const std::string& line : ReadTemplateFileLines(program, kHeaderFile)) sink.Row(line);
    for (int k = 0; k < 3; ++k) sink.Row("");
    std::string row;
    for (int32_t i = 0; i < cutCount && i < kMaxContours; ++i) WritePart(program, slots, i, row, sink);
    for (int k = 0; k < 3; ++k) sink.Row("");
    for (const std::string& line : ReadTemplateFileLines(program, kFooterFile)) sink.Row(line);
}

}  // namespace

std::optional<std::string> CompensationLine(std::string_view marker, double area) {
    if (area == 0) return std::nullopt;
    const bool outside = marker == "OO";
    return (area > 0) == outside ? "G41" : "G42";
}

void AppendContourRows(std::string_view record, std::vector<std::string>& listing) {
    ListingSink sink(listing);
    std::string row;
    ContourRows(record, row, sink);
}

void WriteProgram(const Program& program, int32_t cutCount, std::vector<std::string>& listing) {
    ListingSink sink(listing);
    Write(program, cutCount, sink);
}

ProgramText WriteProgramText(const Program& program, int32_t cutCount) {
    ProgramText result;
    TextSink sink(result.text);
    Write(program, cutCount, sink);
    result.lineCount = sink.rows;
    return result;
}

std::optional<std::pair<double, double>> MarkedPoint(std::string_view row) {
    if (row.find('X') == std::string_view::npos || row.find('Y') == std::string_view::npos) return std::nullopt;
    const auto words = SplitFields(row);
    if (words.size() < 5) return std::nullopt;
    return std::pair{LenientParse(words[2]), LenientParse(words[4])};
}

}  // namespace zorvan
