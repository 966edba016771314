// The kerf checks.
#include "planning/kerf_check.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/number_text.h"
#include "planning/cut_order.h"
#include "planning/cut_shapes.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// A contour row's number as the program writes it, six decimals, read back.
double AsWritten(double value) {
    if (!std::isfinite(value)) return value;
    char text[512];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (written.ec != std::errc()) return value;
    double read = value;
    std::from_chars(text, written.ptr, read);
    return read;
}

Point2 Written(double x, double y) { return {AsWritten(x), AsWritten(y)}; }

}  // namespace

void AppendRecordMoves(const RecordValues& record, std::vector<PathMove>& moves) {
    switch (record.kind()) {
        case RecordKind::Line: moves.push_back({PathMove::Kind::Line, Written(record.At(3), record.At(4)), {}}); return;
        case RecordKind::Arc: {
            const ArcValues a = record.Arc();
            const auto kind = a.sense == '-' ? PathMove::Kind::ClockwiseArc : PathMove::Kind::CounterClockwiseArc;
            moves.push_back({kind, Written(a.x2, a.y2), Written(a.cx, a.cy)});
            return;
        }
        case RecordKind::Circle: {
            const CircleValues c = record.Circle();
            const auto kind = c.sense == '-' ? PathMove::Kind::ClockwiseArc : PathMove::Kind::CounterClockwiseArc;
            const auto [half, end] = CircleHalfTurnEnds(c);
            moves.push_back({kind, Written(half.x, half.y), Written(c.cx, c.cy)});
            moves.push_back({kind, Written(end.x, end.y), Written(c.cx, c.cy)});
            return;
        }
        case RecordKind::None: return;
    }
}

namespace {

// The direction a move leaves its start and arrives at its end, as a unit-free vector.
Point2 Heading(Point2 from, const PathMove& move, bool atEnd) {
    if (move.kind == PathMove::Kind::Line) return move.end - from;
    const Point2 radius = (atEnd ? move.end : from) - move.centre;
    return move.kind == PathMove::Kind::ClockwiseArc ? Point2{radius.y, -radius.x} : Point2{-radius.y, radius.x};
}

// The signed turn at the end of move k-1 into move k, in radians (positive to the left).
double TurnInto(Point2 from, const std::vector<PathMove>& moves, size_t k) {
    const Point2 before = k >= 2 ? moves[k - 2].end : from;
    const Point2 a = Heading(before, moves[k - 1], true), b = Heading(moves[k - 1].end, moves[k], false);
    return std::atan2(Cross(a, b), Dot(a, b));
}

// A refused corner at move k that closes a U-turn: the piece before it starts with a turn the same way, and
// the two turns together come near half a turn. Such a corner is a slot or notch the kerf does not fit.
bool ClosesNarrowSlot(Point2 from, const std::vector<PathMove>& moves, size_t k) {
    if (k < 3) return false;
    const double here = TurnInto(from, moves, k), before = TurnInto(from, moves, k - 1);
    constexpr double kNearlyHalfTurn = 0.9 * 3.14159265358979;
    return (here > 0) == (before > 0) && std::fabs(here + before) >= kNearlyHalfTurn;
}

// The moves up to the refused one's successor: as far as a lead-in can matter.
constexpr size_t kLeadInReach = 2;

Point2 PiercePoint(const PartEntry& entry) {
    const auto header = SplitFields(PartFields(entry).header);
    return {LenientParse(FieldAt(header, 3)), LenientParse(FieldAt(header, 4))};
}


std::string Width(double kerf) {
    std::string text;
    AppendDefaultNumber(text, kerf);
    return text;
}

}  // namespace

std::optional<CompensationSide> CompensationSideOf(std::string_view marker, double area) {
    if (area == 0) return std::nullopt;
    const bool outside = marker == "OO";
    return (area > 0) == outside ? CompensationSide::Left : CompensationSide::Right;
}

std::optional<CompensationSide> CompensatedSide(const Program& program, int32_t part) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    if (program.readMode == ReadMode::Sheet && !ContourCloses(entry.Records())) return std::nullopt;
    const PartFields fields(entry);
    return CompensationSideOf(FieldAt(SplitFields(fields.header), 0), fields.StoredArea());
}

std::optional<OffsetContour> KerfOffsetPath(const Program& program, int32_t part) {
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    // Only a contour that closes has a side to offset to (the default mode compensates open ones too).
    if (!side || !(program.kerf > 0) || !ContourCloses(program.partList[static_cast<size_t>(part)].Records())) {
        return std::nullopt;
    }
    const std::vector<Piece> pieces = ContourPieces(program.partList[static_cast<size_t>(part)].Records());
    return OffsetClosedContour(pieces, program.kerf / 2, *side == CompensationSide::Left, kOrderTolerance);
}

std::vector<PathMove> WrittenPath(const Program& program, int32_t part) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const PartFields fields(entry);
    const auto header = SplitFields(fields.header);
    std::vector<PathMove> moves;
    moves.reserve(entry.Records().size() + 6);
    // The lead-in: a line to the start, or an entry line and an arc onto it.
    const std::vector<Piece> leadIn = LeadInPieces(program, part);
    if (leadIn.size() > 1) {
        AppendPieceMoves(leadIn, moves);
    } else {
        moves.push_back({PathMove::Kind::Line, {LenientParse(FieldAt(header, 1)), LenientParse(FieldAt(header, 2))}, {}});
    }
    for (const RecordValues& record : entry.Records()) AppendRecordMoves(record, moves);
    // A text after the last "|" is written as a record too.
    const size_t lastBar = fields.records.rfind('|');
    const std::string_view tail = lastBar == std::string_view::npos ? fields.records : fields.records.substr(lastBar + 1);
    if (!tail.empty()) AppendRecordMoves(RecordValues(tail), moves);
    const CutFinish finish = FinishOf(program, part);
    AppendPieceMoves(finish.overcut, moves);
    AppendPieceMoves(finish.leadOut, moves);
    return moves;
}

ProgramUnits UnitsOfRecords(const Program& program) {
    return program.recordUnits == "inches" ? ProgramUnits::Inches : ProgramUnits::Millimetres;
}

CompensationVerdict FollowPart(const Program& program, int32_t part, double kerf) {
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    if (!side || !(kerf > 0)) return {};
    const Point2 pierce = PiercePoint(program.partList[static_cast<size_t>(part)]);
    return FollowCompensatedPath(pierce, WrittenPath(program, part), *side, kerf / 2, UnitsOfRecords(program));
}

bool LeadInIsToBlame(std::span<const PathMove> moves, CompensationSide side, double kerf,
                     const CompensationVerdict& verdict) {
    if (verdict.fault == CompensationFault::ShortEntry) return true;
    if (verdict.fault == CompensationFault::None || verdict.move > kLeadInReach || moves.size() < 2) return false;
    // Led in straight along the first piece, from well over a kerf away: no corner at the start at all.
    const Point2 start = moves[0].end;
    const Point2 along = Heading(start, moves[1], false);
    const double length = std::sqrt(Dot(along, along));
    if (!(length > 0)) return false;
    const Point2 straight = start - along * (2 * kerf / length);
    const CompensationVerdict ideal = FollowCompensatedPath(straight, moves, side, kerf / 2);
    return ideal.fault == CompensationFault::None || ideal.move > kLeadInReach;
}

bool KerfCheck::Clean() const {
    return shortLeadIns.empty() && leadInCorners.empty() && smallArcs.empty() && tightCorners.empty() &&
           narrowSlots.empty() && others.empty();
}

bool KerfCheck::Names(int32_t part) const {
    for (const auto* parts : {&shortLeadIns, &leadInCorners, &smallArcs, &tightCorners, &narrowSlots}) {
        if (std::find(parts->begin(), parts->end(), part) != parts->end()) return true;
    }
    return std::any_of(others.begin(), others.end(), [part](const auto& other) { return other.first == part; });
}

namespace {

bool IsCornerFault(CompensationFault fault) {
    switch (fault) {
        case CompensationFault::StraightFeedConcaveCorner:
        case CompensationFault::StraightTraverseConcaveCorner:
        case CompensationFault::ArcConcaveCorner:
        case CompensationFault::ArcToStraightCorner:
        case CompensationFault::ArcToArcCorner:
        case CompensationFault::ArcsShareCentre: return true;
        case CompensationFault::None:
        case CompensationFault::ShortEntry:
        case CompensationFault::ShortEntryArc:
        case CompensationFault::ArcTooSmall:
        case CompensationFault::ZeroRadiusArc:
        case CompensationFault::ArcRadiiDiffer:
        case CompensationFault::EntryArcMisfit:
        case CompensationFault::MovedArcMisfit: return false;
    }
    return false;
}

// Files one part's refusal under what the operator can do about it.
void File(KerfCheck& check, int32_t part, Point2 pierce, const std::vector<PathMove>& moves, CompensationSide side,
          const CompensationVerdict& verdict) {
    if (verdict.fault == CompensationFault::ShortEntry) {
        check.shortLeadIns.push_back(part);
    } else if (verdict.fault == CompensationFault::ArcTooSmall) {
        check.smallArcs.push_back(part);
    } else if (!IsCornerFault(verdict.fault)) {
        check.others.emplace_back(part, verdict.fault);
    } else if (LeadInIsToBlame(moves, side, check.kerf, verdict)) {
        check.leadInCorners.push_back(part);
    } else if (verdict.move < moves.size() && ClosesNarrowSlot(pierce, moves, verdict.move)) {
        check.narrowSlots.push_back(part);
    } else {
        check.tightCorners.push_back(part);
    }
}

}  // namespace

KerfCheck CheckKerf(const Program& program) {
    KerfCheck check;
    if (!(program.kerf > 0)) return check;
    check.kerf = program.kerf;
    check.inProgram = program.kerfInProgram;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        if (program.kerfInProgram) {  // the program's own offset: a feature narrower than the kerf is not cut
            const std::optional<OffsetContour> offset = KerfOffsetPath(program, i);
            if (offset && !offset->problem.empty() && !PartFields(program.partList[static_cast<size_t>(i)]).IsDeleted()) {
                check.narrowSlots.push_back(i);
            }
            continue;
        }
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const std::optional<CompensationSide> side = CompensatedSide(program, i);
        if (PartFields(entry).IsDeleted() || !side) continue;
        const Point2 pierce = PiercePoint(entry);
        const std::vector<PathMove> moves = WrittenPath(program, i);
        const CompensationVerdict verdict =
            FollowCompensatedPath(pierce, moves, *side, program.kerf / 2, UnitsOfRecords(program));
        if (verdict.fault != CompensationFault::None) File(check, i, pierce, moves, *side, verdict);
    }
    return check;
}

std::string KerfWarning(const KerfCheck& check) {
    if (check.kerf <= 0 || check.Clean()) return {};
    std::string text = "With a kerf of " + Width(check.kerf) +
                       (check.inProgram ? " the offset path cannot follow, so these parts are not cut"
                                        : " the controller would refuse");
    bool first = true;
    const auto add = [&text, &first](const std::vector<int32_t>& parts, std::string_view what) {
        if (parts.empty()) return;
        text.append(first ? ": " : "; ").append(what).append(": ").append(PartNames(parts));
        first = false;
    };
    add(check.shortLeadIns, "lead-ins not longer than half the kerf");
    add(check.leadInCorners, "lead-ins meeting the contour at a corner the kerf cannot turn");
    add(check.smallArcs, "arcs smaller than half the kerf");
    add(check.tightCorners, "concave corners whose pieces are too short for the kerf");
    add(check.narrowSlots, "slots or notches narrower than the kerf");
    for (const auto& [part, fault] : check.others) {
        text.append(first ? ": " : "; ").append(FaultText(fault)).append(": part ").append(std::to_string(part));
        first = false;
    }
    return text + ".";
}

std::string PartNames(const std::vector<int32_t>& parts) {
    // Beyond a handful a list only lengthens the line; the first parts and the last show where to look.
    constexpr size_t kMostNamed = 8, kFirstNamed = 3;
    if (parts.size() > kMostNamed) {
        std::string text = std::to_string(parts.size()) + " parts: ";
        for (size_t k = 0; k < kFirstNamed; ++k) text.append(k == 0 ? "" : ", ").append(std::to_string(parts[k]));
        return text + " \u2026 " + std::to_string(parts.back());
    }
    std::string text = parts.size() == 1 ? "part " : "parts ";
    for (size_t k = 0; k < parts.size(); ++k) text.append(k == 0 ? "" : ", ").append(std::to_string(parts[k]));
    return text;
}

std::string KerfText(double kerf, bool named) {
    return (named ? "kerf " : "") + (kerf > 0 ? Width(kerf) : "not given: no kerf checks");
}

}  // namespace zorvan
