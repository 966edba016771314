// Lead-ins that stay in the scrap.
#include "planning/scrap_lead_ins.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/cut_shapes.h"
#include "planning/kerf_check.h"
#include "planning/lead_ins.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// A pierce makes a crater wider than the kerf: the search keeps it this share of the lead-in's length away
// from every contour, and at least a kerf where the kerf is given.
constexpr double kPierceClearance = 0.25;
// The controller refuses an entry move not longer than half the kerf, and the pierce keeps a kerf from every
// contour, its own start included: with the kerf given, no lead-in tried is shorter than a kerf and a quarter.
constexpr double kShortestLeadInPerKerf = 1.25;
// How many moves after the lead-in decide whether the controller can turn from it onto the contour.
constexpr size_t kEntryMovesFollowed = 4;
// The lengths tried, as shares of the lead-in length, longest first.
constexpr double kLengthShares[] = {1.0, 0.75, 0.5, 0.25};
// Directions tried at a start: the default one, then 15 degrees either side in turn, round to behind it.
constexpr int kAngleSteps = 24;
constexpr double kAngleStep = 15;
// The most corners tried as starts, and how sharply the path must turn there to be a corner.
constexpr size_t kMostCorners = 16;
constexpr double kCornerTurn = 20 * kDegree;
// The straight edges whose middles are tried as starts, longest first.
constexpr size_t kMostEdges = 4;
// Starts spread evenly round a contour, tried last.
constexpr size_t kSpreadStarts = 8;

// The side an arc lead-in of part `part` comes from, where the operator wants one and the part has a side.
std::optional<CompensationSide> ArcLeadInSide(const Program& program, int32_t part) {
    const CutStyle& style = program.cutStyle;
    const bool hole = PartFields(program.partList[static_cast<size_t>(part)]).Marker() == "II";
    if ((hole ? style.hole : style.outline) != LeadInStyle::Arc) return std::nullopt;
    return CompensatedSide(program, part);
}

bool HasLeadIn(const PartLeadIn& leadIn) { return Distance(leadIn.start, leadIn.pierce) > 0; }

// The lead-in line from just off its start to its pierce: the start itself lies on the contour.
bool Crosses(const OutlineIndex& index, Point2 start, Point2 pierce) {
    return index.Touches(start + (pierce - start) * 1e-4, pierce);
}

// How a candidate fares: crossing or in material rules it out; one that is in the scrap but close to a
// contour is taken only when nothing keeps its distance.
enum class Fit { Out, Close, Clear };

Fit Judge(const OutlineIndex& index, Point2 start, Point2 pierce, double kerf) {
    if (Crosses(index, start, pierce) || index.InMaterial(pierce)) return Fit::Out;
    const double clearance = std::max(kPierceClearance * Distance(start, pierce), kerf);
    return index.Near(pierce, clearance) ? Fit::Close : Fit::Clear;
}

// Whether a lead-in of pieces (pierce to start) touches a contour, followed from its start on the contour.
bool LeadInTouches(const OutlineIndex& index, const std::vector<Piece>& leadIn, int32_t part) {
    std::vector<Piece> back;
    for (auto piece = leadIn.rbegin(); piece != leadIn.rend(); ++piece) back.push_back(piece->Reversed());
    return PiecesTouch(index, back, part);
}

// The same as Judge for a lead-in of pieces of part `part`.
Fit Judge(const OutlineIndex& index, const std::vector<Piece>& leadIn, double kerf, int32_t part) {
    const Point2 start = leadIn.back().to, pierce = leadIn.front().from;
    if (LeadInTouches(index, leadIn, part) || index.InMaterial(pierce)) return Fit::Out;
    const double clearance = std::max(kPierceClearance * Distance(start, pierce), kerf);
    return index.Near(pierce, clearance) ? Fit::Close : Fit::Clear;
}

// The kerf a lead-in must suit and the side it falls on; no checks without a kerf or a side.
struct KerfRule {
    double kerf = 0;
    std::optional<CompensationSide> side;
    bool Checks() const { return kerf > 0 && side.has_value(); }
};

// The direction a path runs at the start or the end of a record.
Point2 Tangent(const RecordValues& record, bool atStart) {
    if (record.IsArc()) {
        const ArcValues a = record.Arc();
        const Point2 radius = atStart ? Point2{a.x1 - a.cx, a.y1 - a.cy} : Point2{a.x2 - a.cx, a.y2 - a.cy};
        return a.sense == '-' ? Point2{radius.y, -radius.x} : Point2{-radius.y, radius.x};
    }
    return {record.EndX() - record.StartX(), record.EndY() - record.StartY()};
}

double TurnAt(const RecordValues& before, const RecordValues& after) {
    const Point2 a = Tangent(before, false), b = Tangent(after, true);
    return std::fabs(std::atan2(Cross(a, b), Dot(a, b)));
}

// Where a contour may start: record `record` first; with `split`, that line's second half first and its
// first half last.
struct StartChoice {
    size_t record = 0;
    bool split = false;
};

std::vector<StartChoice> StartChoices(const RecordList& records) {
    std::vector<StartChoice> choices{{0, false}};
    const size_t n = records.size();
    if (n < 2) return choices;
    std::vector<std::pair<double, size_t>> corners;
    for (size_t k = 1; k < n; ++k) {
        const double turn = TurnAt(records[k - 1], records[k]);
        if (turn > kCornerTurn) corners.emplace_back(turn, k);
    }
    std::stable_sort(corners.begin(), corners.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t k = 0; k < corners.size() && k < kMostCorners; ++k) choices.push_back({corners[k].second, false});
    std::vector<std::pair<double, size_t>> edges;
    for (size_t k = 0; k < n; ++k) {
        if (records[k].IsLine()) edges.emplace_back(RecordLength(records[k]), k);
    }
    std::stable_sort(edges.begin(), edges.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t k = 0; k < edges.size() && k < kMostEdges; ++k) {
        if (edges[k].first > 0) choices.push_back({edges[k].second, true});
    }
    // A curve without straight edges: starts spread round it instead (a fitted teardrop starts at its tip,
    // where nothing is clear).
    if (edges.empty()) {
        for (size_t k = 1; k < kSpreadStarts; ++k) choices.push_back({n * k / kSpreadStarts, false});
    }
    return choices;
}

Point2 StartPoint(const RecordValues& record, bool split) {
    if (split) return {(record.StartX() + record.EndX()) / 2, (record.StartY() + record.EndY()) / 2};
    return {record.StartX(), record.StartY()};
}

// The direction the default rule leads in at a start, in radians: 135 degrees left of the first record's
// chord for an outside cut, 45 for a hole; circles lead in along the horizontal through their centre.
double DefaultAngle(const RecordValues& first, Point2 start, std::string_view marker) {
    const bool outside = marker == "OO";
    if (first.IsCircle()) return outside ? std::numbers::pi : 0;
    const Point2 end{first.EndX(), first.EndY()};
    const double chord = std::atan2(end.y - start.y, end.x - start.x);
    return chord + (outside ? 135 : 45) * kDegree;
}

struct Found {
    StartChoice choice;
    Point2 pierce;
    double arcRadius = 0;  // an arc lead-in's radius; 0 for a line
};

// The direction the contour runs at a start.
Point2 DirectionAtStart(const RecordValues& first, bool split) {
    if (split) return {first.EndX() - first.StartX(), first.EndY() - first.StartY()};
    const std::vector<Piece> pieces = ContourPieces(RecordList{first});
    return pieces.empty() ? Point2{} : DirectionAt(pieces.front(), true);
}

// An arc lead-in's size for a lead-in `length`: a straight entry and an arc each half of it, or the radius
// the operator set; with a kerf neither at or below half of it, or the controller refuses them.
struct ArcSize {
    double radius, entry;
};
ArcSize ArcSizeFor(double length, double share, double radius, double kerf) {
    const double base = radius > 0 ? radius : length / 2;
    return {std::max(base * share, 0.75 * kerf), std::max(length / 2 * share, 0.75 * kerf)};
}

// The search of one part: the first clear candidate, else the first one merely in the scrap.
class Search {
public:
    Search(const OutlineIndex& index, int32_t part, const RecordList& records, std::string_view marker, KerfRule kerf,
           size_t stopAt)
        : index_(index), part_(part), records_(records), marker_(marker), kerf_(kerf), stopAt_(stopAt) {}

    // The first clear arc lead-in of `radius` (0: half the length) onto the contour from the scrap side
    // `side`, at each start and length in turn.
    std::optional<Found> RunArcs(double length, const std::vector<StartChoice>& choices, CompensationSide side,
                                 double radius) {
        for (const double share : kLengthShares) {
            for (const StartChoice& choice : choices) {
                if (Spent()) return std::nullopt;
                if (TryArc(choice, length, share, side, radius)) return clear_;
            }
        }
        return std::nullopt;
    }

    std::optional<Found> Run(double length, const std::vector<StartChoice>& choices) {
        for (const double share : kLengthShares) {
            for (const StartChoice& choice : choices) {
                if (Spent()) return close_;
                const RecordValues first = records_[choice.record];
                const Point2 start = StartPoint(first, choice.split);
                const double theta0 = DefaultAngle(first, start, marker_);
                for (int k = 0; k < kAngleSteps; ++k) {
                    const int side = k % 2 == 0 ? k / 2 : -(k + 1) / 2;  // 0, -1, 1, -2, 2 ... -12
                    const double theta = theta0 + side * kAngleStep * kDegree;
                    const double reach = std::max(length * share, kerf_.kerf * kShortestLeadInPerKerf);
                    const Point2 pierce = start + Point2{std::cos(theta), std::sin(theta)} * reach;
                    if (Try(choice, start, pierce)) return clear_;
                }
            }
        }
        return close_;
    }

    std::optional<Found> FromMiddle(Point2 middle, const std::vector<StartChoice>& choices) {
        for (const StartChoice& choice : choices) {
            if (Try(choice, StartPoint(records_[choice.record], choice.split), middle)) return clear_;
        }
        return std::nullopt;
    }

    // Tries the arc lead-in at a start; true when it is clear (and kept).
    bool TryArc(const StartChoice& choice, double length, double share, CompensationSide side, double radius) {
        const RecordValues first = records_[choice.record];
        const Point2 start = StartPoint(first, choice.split);
        const Point2 direction = DirectionAtStart(first, choice.split);
        if (!(Dot(direction, direction) > 0)) return false;
        const Point2 unit = direction * (1 / std::sqrt(Dot(direction, direction)));
        const ArcSize size = ArcSizeFor(length, share, radius, kerf_.kerf);
        const std::vector<Piece> pieces = ArcLeadInPieces(start, unit, ScrapNormal(unit, side), size.radius, size.entry);
        return Try(choice, start, pieces.front().from, pieces);
    }

    // Tries one candidate; true when it is clear (and kept). Once a candidate close to a contour is kept, one
    // whose pierce is close too cannot do better and is passed over after one look at the contours near its
    // pierce: where no lead-in fits the free space (contours closer together than the pierce needs) the
    // search costs little.
    bool Try(const StartChoice& choice, Point2 start, Point2 pierce, const std::vector<Piece>& arc = {}) {
        if (Spent()) return false;
        if (close_ && index_.Near(pierce, std::max(kPierceClearance * Distance(start, pierce), kerf_.kerf))) return false;
        const Fit fit = arc.empty() ? Judge(index_, start, pierce, kerf_.kerf) : Judge(index_, arc, kerf_.kerf, part_);
        if (fit == Fit::Out || !EntryIsFollowed(choice, start, pierce, arc)) return false;
        const double radius = arc.empty() ? 0 : arc.back().Radius();
        if (fit == Fit::Close) {
            if (!close_) close_ = Found{choice, pierce, radius};
            return false;
        }
        clear_ = Found{choice, pierce, radius};
        return true;
    }

    std::optional<Found> close() const { return close_; }

    // Whether the search has looked at all the segments it may.
    bool Spent() const { return index_.SegmentsVisited() >= stopAt_; }

private:
    // Whether the controller, with the kerf, takes the lead-in as its entry move and turns onto the contour.
    bool EntryIsFollowed(const StartChoice& choice, Point2 start, Point2 pierce, const std::vector<Piece>& arc) const {
        if (!kerf_.Checks()) return true;
        std::vector<PathMove> moves{{PathMove::Kind::Line, start, {}}};
        if (!arc.empty()) {
            moves.clear();
            AppendPieceMoves(arc, moves);
        }
        const RecordValues first = records_[choice.record];
        if (choice.split) moves.push_back({PathMove::Kind::Line, {first.EndX(), first.EndY()}, {}});
        for (size_t k = choice.split ? 1 : 0; k < records_.size() && moves.size() < kEntryMovesFollowed; ++k) {
            AppendRecordMoves(records_[(choice.record + k) % records_.size()], moves);
        }
        const CompensationVerdict verdict = FollowCompensatedPath(pierce, moves, *kerf_.side, kerf_.kerf / 2);
        return !LeadInIsToBlame(moves, *kerf_.side, kerf_.kerf, verdict);
    }

    const OutlineIndex& index_;
    int32_t part_;
    const RecordList& records_;
    std::string_view marker_;
    KerfRule kerf_;
    size_t stopAt_;
    std::optional<Found> clear_, close_;
};

std::string NumberText(double value) {
    std::string text;
    AppendDefaultNumber(text, value);
    return text;
}

// The entry with the lead-in found: the start moved to the chosen record (a split line in two halves), the
// header's lead-in point set. The records keep their direction and the marks their area.
void Apply(PartEntry& entry, const Found& found) {
    const PartFields part(entry);
    const auto header = SplitFields(part.header);
    const std::string_view marker = FieldAt(header, 0);
    const std::string marks(part.marks);
    if (found.choice.record == 0 && !found.choice.split) {
        std::string text = LeadInHeader(marker, FieldAt(header, 1), FieldAt(header, 2), found.pierce.x, found.pierce.y);
        text.append(CutShapeWords({.arcRadius = found.arcRadius}));
        text.append(":").append(part.records).append(":").append(marks);
        RecordList records = entry.Records();
        entry.Set(std::move(text), std::move(records));
        return;
    }
    std::vector<std::string_view> texts;
    ForEachRecord(part.records, [&](std::string_view record) { texts.push_back(record); });
    const RecordList& old = entry.Records();
    const size_t n = texts.size(), first = found.choice.record;
    const RecordValues cutLine = old[first];
    const Point2 start = StartPoint(cutLine, found.choice.split);
    std::string recordsText;
    RecordList records;
    const auto appendHalf = [&](Point2 from, Point2 to) {
        records.push_back(AppendLineRecord(recordsText, from.x, from.y, cutLine.At(2), to.x, to.y, cutLine.At(5)));
        recordsText += '|';
    };
    if (found.choice.split) appendHalf(start, {cutLine.EndX(), cutLine.EndY()});
    for (size_t k = found.choice.split ? 1 : 0; k < n; ++k) {
        const size_t at = (first + k) % n;
        recordsText.append(texts[at]).append("|");
        records.push_back(old[at]);
    }
    if (found.choice.split) appendHalf({cutLine.StartX(), cutLine.StartY()}, start);
    std::string text = LeadInHeader(marker, NumberText(start.x), NumberText(start.y), found.pierce.x, found.pierce.y);
    text.append(CutShapeWords({.arcRadius = found.arcRadius}));
    text.append(":").append(recordsText).append(":").append(marks);
    entry.Set(std::move(text), std::move(records));
}

// A circle's centre; the middle of the outline box of any other part.
Point2 MiddleOf(const OutlineIndex& index, const PartEntry& entry, int32_t part) {
    const RecordList& records = entry.Records();
    if (records.size() == 1 && records.front().IsCircle()) return {records.front().Circle().cx, records.front().Circle().cy};
    const Box& box = index.outlines()[static_cast<size_t>(part)].box;
    return {(box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2};
}

// Whether the records field can be turned round to another start: a closed contour of several records, with
// nothing after its last "|".
bool CanMoveStart(const PartEntry& entry) {
    const RecordList& records = entry.Records();
    return records.size() >= 2 && PartFields(entry).records.ends_with('|') && ContourCloses(records);
}


// The lead-out of part `part` against the outlines, and what its shape lacks of the cut style asked for.
void CheckFinish(const Program& program, const OutlineIndex& index, int32_t part, LeadInCheck& check) {
    const CutFinish finish = FinishOf(program, part);
    if (!finish.leadOut.empty() &&
        (PiecesTouch(index, finish.leadOut, part) || index.InMaterial(finish.leadOut.back().to))) {
        check.leadOutCrossing.push_back(part);
    }
    if (program.readMode != ReadMode::Sheet || !CompensatedSide(program, part)) return;
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    if (!ContourCloses(entry.Records())) return;
    const CutShape shape = ReadCutShape(PartFields(entry).header);
    if (ArcLeadInSide(program, part) && !(shape.arcRadius > 0)) check.lineInsteadOfArc.push_back(part);
    if (program.cutStyle.leadOut != LeadOutStyle::None && !(shape.leadOut > 0)) check.noLeadOut.push_back(part);
}

}  // namespace

void PlanFinish(Program& program, const OutlineIndex& index, int32_t part) {
    PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const PartFields fields(entry);
    CutShape shape = ReadCutShape(fields.header);
    const CutStyle& style = program.cutStyle;
    const bool finished = !fields.IsDeleted() && ContourCloses(entry.Records()) && CompensatedSide(program, part);
    const auto setShape = [&entry](const CutShape& next) {
        const PartFields now(entry);
        std::string text = WithCutShape(now.header, next);
        text.append(":").append(now.records).append(":").append(now.marks);
        RecordList records = entry.Records();
        entry.Set(std::move(text), std::move(records));
    };
    shape.overcut = finished ? style.overcut : 0;
    shape.leadOut = 0;
    setShape(shape);
    if (!finished || style.leadOut == LeadOutStyle::None) return;
    const bool arc = style.leadOut == LeadOutStyle::Arc;
    const double length = ClearLeadOut(program, index, part, style.leadOutLength, arc);
    // With a kerf, a lead-out not longer than half of it is refused by the controller: none is better.
    if (!(length > 0.75 * program.kerf)) return;
    shape.leadOut = length;
    shape.leadOutArc = arc;
    setShape(shape);
}

LeadInCheck CheckLeadIns(const Program& program) { return CheckLeadIns(program, LeadInOutlines(program)); }

LeadInCheck CheckLeadIns(const Program& program, const OutlineIndex& index) {
    LeadInCheck check;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartLeadIn leadIn = LeadInOf(entry);
        if (PartFields(entry).IsDeleted()) continue;
        if (!HasLeadIn(leadIn)) {
            if (index.outlines()[static_cast<size_t>(i)].closed) check.onContour.push_back(i);
            continue;
        }
        if (index.InMaterial(leadIn.pierce)) check.inMaterial.push_back(i);
        if (LeadInTouches(index, LeadInPieces(program, i), i)) check.crossing.push_back(i);
        CheckFinish(program, index, i, check);
    }
    return check;
}

std::string LeadInWarning(const LeadInCheck& check) {
    std::string text;
    const auto add = [&text](const std::vector<int32_t>& parts, std::string_view what) {
        if (parts.empty()) return;
        text += text.empty() ? "" : " ";
        text.append(what).append(PartNames(parts)).append(".");
    };
    add(check.inMaterial, "Lead-ins that pierce part material: ");
    add(check.crossing, "Lead-ins that cross a contour: ");
    add(check.onContour, "Pierced on the contour, without a lead-in: ");
    add(check.leadOutCrossing, "Lead-outs that cross a contour: ");
    add(check.lineInsteadOfArc, "No room for an arc lead-in, led in by a line: ");
    add(check.noLeadOut, "No room for a lead-out, the cut stops on the contour: ");
    return text;
}

bool LeadInIsClear(const Program& program, const OutlineIndex& index, int32_t part) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const PartLeadIn leadIn = LeadInOf(entry);
    return !HasLeadIn(leadIn) || Judge(index, LeadInPieces(program, part), 0, part) != Fit::Out;
}

namespace {

// Whether the controller, with the plan's kerf, takes the lead-in of `part` as its entry move and turns from
// it onto the contour (true without a kerf).
bool LeadInSuitsTheKerf(const Program& program, int32_t part) {
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    if (!side || !(program.kerf > 0)) return true;
    const std::vector<PathMove> moves = WrittenPath(program, part);
    const PartLeadIn leadIn = LeadInOf(program.partList[static_cast<size_t>(part)]);
    const CompensationVerdict verdict = FollowCompensatedPath(leadIn.pierce, moves, *side, program.kerf / 2);
    return !LeadInIsToBlame(moves, *side, program.kerf, verdict);
}

}  // namespace

namespace {

// The search of one part under `kerf`: nothing when the lead-in it has is clear (and of the shape the
// operator wants) or nothing is in the scrap. Arc lead-ins are tried first where they are wanted; where none
// is clear, the part is led in by a line.
std::optional<Found> SearchPart(const Program& program, const OutlineIndex& index, int32_t part, double length,
                                KerfRule kerf, size_t stopAt, bool& keep) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const RecordList& records = entry.Records();
    const PartLeadIn now = LeadInOf(entry);
    Search search(index, part, records, now.marker, kerf, stopAt);
    std::optional<Found> found;
    const std::optional<CompensationSide> arcSide = ArcLeadInSide(program, part);
    const bool hasArc = ReadCutShape(PartFields(entry).header).arcRadius > 0;
    if (HasLeadIn(now) && hasArc == arcSide.has_value()) {  // the lead-in it has is clear
        keep = hasArc ? search.Try({}, now.start, now.pierce, LeadInPieces(program, part)) : search.Try({}, now.start, now.pierce);
        if (keep) return std::nullopt;
    }
    const std::vector<StartChoice> choices = CanMoveStart(entry) ? StartChoices(records) : std::vector<StartChoice>{{}};
    if (arcSide) {
        found = search.RunArcs(length, choices, *arcSide, program.cutStyle.arcRadius);
        if (found) return found;
    }
    const RecordValues first = records.front();
    const bool roundHole = records.size() == 1 && first.IsCircle() && now.marker == "II";
    // A round hole the lead-in does not fit is pierced at its centre.
    if (roundHole && first.Circle().r <= length && search.Try({}, now.start, MiddleOf(index, entry, part))) {
        found = Found{{}, MiddleOf(index, entry, part)};
    } else {
        found = search.Run(length, choices);
        // A hole too small for every lead-in tried: pierced in its middle, led in to whichever start is clear.
        if (!found && now.marker == "II") found = search.FromMiddle(MiddleOf(index, entry, part), choices);
        if (!found) found = search.close();
    }
    return found;
}

}  // namespace

bool FindScrapLeadIn(Program& program, const OutlineIndex& index, int32_t part, double length, size_t stopAt) {
    PartEntry& entry = program.partList[static_cast<size_t>(part)];
    if (PartFields(entry).IsDeleted() || entry.Records().empty() || !(length > 0)) return true;
    const KerfRule kerf{program.kerf, CompensatedSide(program, part)};
    const size_t visited = index.SegmentsVisited();
    stopAt = std::min(stopAt, visited + std::min(kMostSegmentsPerPart, SIZE_MAX - visited));
    bool keep = false;
    std::optional<Found> found = SearchPart(program, index, part, length, kerf, stopAt, keep);
    // Where nothing suits the kerf (a hole too small for it), a lead-in in the scrap all the same: the kerf
    // check names the part, and the torch at least pierces no part.
    if (!found && !keep && kerf.Checks()) found = SearchPart(program, index, part, length, {}, stopAt, keep);
    if (keep) return true;
    if (!found) return false;
    Apply(entry, *found);
    return true;
}

std::vector<int32_t> CalculateScrapLeadIns(Program& program, double length) {
    LeadInCheck check;
    return CalculateScrapLeadIns(program, length, check);
}

std::vector<int32_t> CalculateScrapLeadIns(Program& program, double length, LeadInCheck& check) {
    CalculateLeadIns(program, length);
    const OutlineIndex index = LeadInOutlines(program);
    const size_t stopAt = kMostSegmentsPerPlan;
    std::vector<int32_t> unclear;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (!ContourCloses(entry.Records())) {
            Apply(entry, Found{{}, LeadInOf(entry).start});  // an open contour is pierced where it starts
            continue;
        }
        if (!FindScrapLeadIn(program, index, i, length, stopAt)) unclear.push_back(i);
        PlanFinish(program, index, i);
    }
    // Moving a contour's start keeps its path: the outlines still hold for the check.
    check = CheckLeadIns(program, index);
    return unclear;
}

std::vector<int32_t> RepairScrapLeadIns(Program& program, double length) {
    const OutlineIndex index = LeadInOutlines(program);
    const size_t stopAt = index.SegmentsVisited() + kMostSegmentsPerPlan;
    // Once lead-ins were worked out, a closed contour that lost its lead-in (a turned circle starts afresh at
    // its leftmost point) needs one again; before, none has one and none is given.
    bool leadInsOn = false;
    for (int32_t i = 0; i < PartRowCount(program) && !leadInsOn; ++i) {
        leadInsOn = HasLeadIn(LeadInOf(program.partList[static_cast<size_t>(i)]));
    }
    std::vector<int32_t> unclear;
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const bool lost = leadInsOn && !HasLeadIn(LeadInOf(entry)) && ContourCloses(entry.Records());
        PlanFinish(program, index, i);
        if (!lost && LeadInIsClear(program, index, i) && LeadInSuitsTheKerf(program, i)) continue;
        if (!FindScrapLeadIn(program, index, i, length, stopAt)) unclear.push_back(i);
        PlanFinish(program, index, i);
    }
    return unclear;
}

std::string UnclearLeadInWarning(const std::vector<int32_t>& parts) {
    if (parts.empty()) return {};
    return "No clear lead-in found for " + PartNames(parts) + (parts.size() == 1 ? ": it keeps" : ": they keep") +
           " the default lead-in.";
}

}  // namespace zorvan
