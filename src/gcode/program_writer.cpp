// The G-code program writer. Rows are built in one reused buffer and handed to a sink: the window keeps
// them as list rows, the main job joins them into the program's text.
#include "gcode/program_writer.h"

#include <array>
#include <cstdio>

#include "gcode/gcode_numbers.h"
#include "gcode/part_file.h"
#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/cut_shapes.h"
#include "planning/kerf_check.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// Where the writer's rows go.
// It also keeps where the torch is, as the rows written so far put it, for arc centres written as offsets
// from an arc's start.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Row(std::string_view row) = 0;

    Point2 at;              // where the last move row ended, as written
    bool relative = false;  // arc centres as offsets from the arc's start (I and J relative)
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

// "G2" for the sense "-", "G3" for anything else.
std::string_view ArcCode(char sense) { return sense == '-' ? "G2" : "G3"; }

// Appends the value in the fixed six-decimal form and gives back the number that text reads as.
double AppendFixed(std::string& row, double value) {
    const size_t begin = row.size();
    if (auto fast = FastFixedSix(value)) {
        row += *fast;
    } else {
        row += FixedNumber(value);
    }
    return LenientParse(std::string_view(row).substr(begin));
}

// "G2|G3 I cx  J cy X x Y y": the centre absolute, or as the offset from where the torch is (the arc's
// start) when the sink writes relative centres. The controller adds the offset to the start it was given,
// so the offset is taken from the start as written.
void ArcRow(std::string& row, std::string_view code, double cx, double cy, double x, double y, RowSink& sink) {
    if (sink.relative) {
        cx -= sink.at.x;
        cy -= sink.at.y;
    }
    row.assign(code).append(" I ");
    AppendFixed(row, cx);
    row.append("  J ");
    AppendFixed(row, cy);
    row.append(" X ");
    sink.at.x = AppendFixed(row, x);
    row.append(" Y ");
    sink.at.y = AppendFixed(row, y);
}

// "G1 X x Y y".
void LineRow(std::string& row, double x, double y, RowSink& sink) {
    row.assign("G1 X ");
    sink.at.x = AppendFixed(row, x);
    row.append(" Y ");
    sink.at.y = AppendFixed(row, y);
}

void ContourRows(const RecordValues& record, std::string& row, RowSink& sink) {
    switch (record.kind()) {
        case RecordKind::Line:
            LineRow(row, record.At(3), record.At(4), sink);
            sink.Row(row);
            return;
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            ArcRow(row, ArcCode(a.sense), a.cx, a.cy, a.x2, a.y2, sink);
            sink.Row(row);
            return;
        }
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            const std::string_view code = ArcCode(c.sense);
            const auto [half, end] = CircleHalfTurnEnds(c);
            ArcRow(row, code, c.cx, c.cy, half.x, half.y, sink);
            sink.Row(row);
            ArcRow(row, code, c.cx, c.cy, end.x, end.y, sink);
            sink.Row(row);
            return;
        }
        case RecordKind::None: return;
    }
}

// Pieces in the contour's row forms, each from where the one before ends.
void PieceRows(const std::vector<Piece>& pieces, std::string& row, RowSink& sink) {
    for (const Piece& piece : pieces) {
        if (!piece.arc) {
            LineRow(row, piece.to.x, piece.to.y, sink);
        } else {
            ArcRow(row, piece.ccw ? "G3" : "G2", piece.centre.x, piece.centre.y, piece.to.x, piece.to.y, sink);
        }
        sink.Row(row);
    }
}

// The lead-in to where the offset path starts (an arc lead-in offset with it, where it meets the path's
// start), then the path, its overcut and lead-out.
void OffsetRows(const Program& program, int32_t part, const OffsetContour& offset, std::string& row, RowSink& sink) {
    const CompensationSide side = *CompensatedSide(program, part);
    std::vector<Piece> leadIn = OffsetPieces(LeadInPieces(program, part), program.kerf / 2, side);
    const Point2 start = offset.path.front().from;
    if (leadIn.size() < 2 || Distance(leadIn.back().to, start) > 1e-6) leadIn = {{start, start, false, {}, true}};
    PieceRows(leadIn, row, sink);
    PieceRows(offset.path, row, sink);
    const CutFinish finish = FinishOf(program, part, offset.path);
    PieceRows(finish.overcut, row, sink);
    PieceRows(finish.leadOut, row, sink);
}

// "{percent}" and "{feed}" in a small-hole slot row replaced by the small holes' share and F value.
std::string SmallHoleRow(std::string row, const CutStyle& style) {
    const std::optional<double> feed = SmallHoleFeedValue(style);
    const std::optional<double> share =
        style.smallHoleFeedIsShare ? std::optional(style.smallHoleFeed)
                                   : (style.feed && *style.feed > 0 ? std::optional(style.smallHoleFeed / *style.feed) : std::nullopt);
    const auto replace = [&row](std::string_view word, const std::optional<double>& value) {
        if (!value) return;
        for (size_t at = row.find(word); at != std::string::npos; at = row.find(word, at)) {
            const std::string text = DefaultNumber(*value);
            row.replace(at, word.size(), text);
            at += text.size();
        }
    };
    replace("{percent}", share ? std::optional(*share * 100) : std::nullopt);
    replace("{feed}", feed);
    return row;
}

// The rows round a small hole: the templates' named slot where GCODES.TXT has it, else an F word (the small
// holes' feed before, the cutting feed after), where the numbers are known.
void SmallHoleRows(const Program& program, std::string_view slot, RowSink& sink) {
    if (HasNamedSlot(program, slot)) {
        for (const std::string& row : NamedSlotRows(program, slot)) sink.Row(SmallHoleRow(row, program.cutStyle));
        return;
    }
    const std::optional<double> feed = slot == kSmallHoleStart ? SmallHoleFeedValue(program.cutStyle) : program.cutStyle.feed;
    if (feed && SmallHoleFeedValue(program.cutStyle)) sink.Row("F" + DefaultNumber(*feed));
}

// A header point in a move row: its default form where that has no exponent, the fixed form where it would.
void AppendGcodeNumber(std::string& row, std::string_view text) {
    const size_t begin = row.size();
    AppendDefaultOfText(row, text);
    if (row.find('E', begin) == std::string::npos) return;
    row.resize(begin);
    row += FixedNumber(LenientParse(text));
}

// "G0 X x Y y" or "G1 X x Y y" to a point of the part's header.
void MoveRow(std::string& row, std::string_view move, std::string_view x, std::string_view y, RowSink& sink) {
    row.assign(move);
    size_t begin = row.size();
    AppendGcodeNumber(row, x);
    sink.at.x = LenientParse(std::string_view(row).substr(begin));
    row.append(" Y ");
    begin = row.size();
    AppendGcodeNumber(row, y);
    sink.at.y = LenientParse(std::string_view(row).substr(begin));
    sink.Row(row);
}

void WritePart(const Program& program, const SlotRows& slots, int32_t i, std::string& row, RowSink& sink) {
    const PartEntry& entry = program.partList[static_cast<size_t>(i)];
    const PartFields part(entry);
    const auto header = SplitFields(part.header);

    // Sheet mode cuts a contour that does not close on its line, from its start: no side to compensate to,
    // no lead-in.
    const bool open = program.readMode == ReadMode::Sheet && !ContourCloses(entry.Records());

    row.assign("(------------------- ").append(std::to_string(i)).append(" ------------------------)");
    sink.Row(row);
    // The program's own allowance for the kerf: the offset path instead of G41/G42 and the contour. A part
    // the offset cannot follow (a feature narrower than the kerf) is not cut wrong but left out, and said.
    const std::optional<OffsetContour> offset = program.kerfInProgram ? KerfOffsetPath(program, i) : std::nullopt;
    if (offset && !offset->problem.empty()) {
        sink.Row("(not cut: " + offset->problem + ")");
        return;
    }
    // An open contour's rapid runs with compensation off; a closed one's compensation goes on only at the
    // pierce point, so the lead-in, not the rapid from the last part, is the controller's entry move.
    if (open) sink.Row("G40");
    EmitSlots(slots, 1, 10, sink);
    MoveRow(row, "G0 X ", FieldAt(header, 3), FieldAt(header, 4), sink);  // rapid to the lead-in point
    const bool smallHole = IsSmallHole(program, i);
    if (offset) {
        EmitSlots(slots, 11, 20, sink);
        if (smallHole) SmallHoleRows(program, kSmallHoleStart, sink);
        OffsetRows(program, i, *offset, row, sink);
        if (smallHole) SmallHoleRows(program, kSmallHoleEnd, sink);
        EmitSlots(slots, 21, 30, sink);
        return;
    }
    // Allowing for the kerf in the program, a contour without an offset (one that does not close) is cut on
    // its line: no G41/G42 in such a program.
    if (const auto compensation = CompensationLine(FieldAt(header, 0), part.StoredArea());
        compensation && !open && !(program.kerfInProgram && program.kerf > 0)) {
        sink.Row(*compensation);
    }
    EmitSlots(slots, 11, 20, sink);
    if (smallHole) SmallHoleRows(program, kSmallHoleStart, sink);
    // The lead-in cut to the start: a line, or an entry line and an arc onto the contour.
    if (const std::vector<Piece> leadIn = open ? std::vector<Piece>{} : LeadInPieces(program, i); leadIn.size() > 1) {
        PieceRows(leadIn, row, sink);
    } else if (!open) {
        MoveRow(row, "G1 X ", FieldAt(header, 1), FieldAt(header, 2), sink);
    }
    for (const RecordValues& record : entry.Records()) ContourRows(record, row, sink);
    // A text after the last "|" is written as a record too.
    const size_t lastBar = part.records.rfind('|');
    const std::string_view tail = lastBar == std::string_view::npos ? part.records : part.records.substr(lastBar + 1);
    if (!tail.empty()) ContourRows(RecordValues(tail), row, sink);
    if (!open) {
        const CutFinish finish = FinishOf(program, i);
        PieceRows(finish.overcut, row, sink);
        PieceRows(finish.leadOut, row, sink);
    }
    if (smallHole) SmallHoleRows(program, kSmallHoleEnd, sink);
    EmitSlots(slots, 21, 30, sink);
}

void Write(const Program& program, int32_t cutCount, RowSink& sink) {
    const SlotRows slots = AllSlotRows(program);
    sink.relative = program.arcCentres == ArcCentres::Relative;
    if (const int32_t deleted = CountDeletedParts(program, cutCount); deleted > 0) sink.Row(LeftOutComment(deleted));
    sink.Row(kProgramComment);
    for (const std::string& line : ReadTemplateFileLines(program, kHeaderFile)) sink.Row(line);
    for (int k = 0; k < 3; ++k) sink.Row("");
    std::string row;
    for (int32_t i = 0; i < cutCount && i < kMaxContours; ++i) {
        if (!PartFields(program.partList[static_cast<size_t>(i)]).IsDeleted()) WritePart(program, slots, i, row, sink);
    }
    for (int k = 0; k < 3; ++k) sink.Row("");
    for (const std::string& line : ReadTemplateFileLines(program, kFooterFile)) sink.Row(line);
}

}  // namespace

std::string LeftOutComment(int32_t deletedParts) {
    return "(" + std::to_string(deletedParts) + (deletedParts == 1 ? " deleted part" : " deleted parts") +
           " left out of this program)";
}

std::optional<std::string> CompensationLine(std::string_view marker, double area) {
    const std::optional<CompensationSide> side = CompensationSideOf(marker, area);
    if (!side) return std::nullopt;
    return *side == CompensationSide::Left ? "G41" : "G42";
}

void AppendContourRows(std::string_view record, std::vector<std::string>& listing) {
    ListingSink sink(listing);
    std::string row;
    ContourRows(RecordValues(record), row, sink);
}

void WriteProgram(const Program& program, int32_t cutCount, std::vector<std::string>& listing) {
    ListingSink sink(listing);
    Write(program, cutCount, sink);
}

ProgramText WriteProgramText(const Program& program, int32_t cutCount) {
    ProgramText result;
    // Room for the whole text at once, as near as the parts tell: a row for each record is a little shorter
    // than the record, a circle's two rows a little longer.
    size_t size = 4096;
    for (int32_t i = 0; i < cutCount && i < kMaxContours; ++i) size += program.partList[static_cast<size_t>(i)].size() * 2 / 3 + 512;
    result.text.reserve(size);
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
