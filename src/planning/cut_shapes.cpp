// The shapes of a cut beyond its contour: arc lead-ins, overcuts and lead-outs.
#include "planning/cut_shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/kerf_check.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

Point2 Unit(Point2 v) {
    const double length = std::sqrt(Dot(v, v));
    return length > 0 ? v * (1 / length) : Point2{1, 0};
}

Point2 LeftOf(Point2 v) { return {-v.y, v.x}; }

Piece Line(Point2 from, Point2 to) { return {from, to, false, {}, true}; }

// The piece cut short after `length` along it.
Piece PieceStart(const Piece& piece, double length) {
    const double whole = piece.Length();
    if (!(whole > 0) || length >= whole) return piece;
    Piece part = piece;
    part.to = piece.At(length / whole);
    return part;
}

// The lengths a lead-out is tried at, as shares of the one asked for.
constexpr double kLeadOutShares[] = {1.0, 0.75, 0.5, 0.25};
// An arc is checked for contours in chords of at most this angle.
constexpr double kChordTurn = std::numbers::pi / 12;

}  // namespace

std::pair<Point2, Point2> CircleHalfTurnEnds(const CircleValues& c) {
    const Point2 centre{c.cx, c.cy}, start{c.sx, c.sy};
    const bool leftmost = c.sx == c.cx - c.r && c.sy == c.cy;
    const bool onCircle = std::fabs(Distance(start, centre) - c.r) <= 1e-9 * std::max(1.0, c.r);
    if (leftmost || !onCircle) return {{c.cx + c.r, c.cy}, {c.cx - c.r, c.cy}};
    return {centre * 2 - start, start};
}

std::vector<Piece> ContourPieces(const RecordList& records) {
    std::vector<Piece> pieces;
    pieces.reserve(records.size() + 1);
    for (const RecordValues& record : records) {
        switch (record.kind()) {
            case RecordKind::Line:
                pieces.push_back(Line({record.StartX(), record.StartY()}, {record.EndX(), record.EndY()}));
                break;
            case RecordKind::Arc: {
                const ArcValues a = record.Arc();
                pieces.push_back({{a.x1, a.y1}, {a.x2, a.y2}, true, {a.cx, a.cy}, a.sense != '-'});
                break;
            }
            case RecordKind::Circle: {
                const CircleValues c = record.Circle();
                const auto [half, end] = CircleHalfTurnEnds(c);
                const Point2 centre{c.cx, c.cy};
                pieces.push_back({end, half, true, centre, c.sense != '-'});
                pieces.push_back({half, end, true, centre, c.sense != '-'});
                break;
            }
            case RecordKind::None: break;
        }
    }
    return pieces;
}

Point2 DirectionAt(const Piece& piece, bool atStart) {
    if (!piece.arc) return Unit(piece.to - piece.from);
    const Point2 radius = (atStart ? piece.from : piece.to) - piece.centre;
    return Unit(piece.ccw ? LeftOf(radius) : LeftOf(radius) * -1);
}

Point2 ScrapNormal(Point2 direction, CompensationSide side) {
    const Point2 left = LeftOf(Unit(direction));
    return side == CompensationSide::Left ? left : left * -1;
}

std::vector<Piece> ArcLeadInPieces(Point2 start, Point2 direction, Point2 normal, double radius, double entry) {
    const Point2 centre = start + normal * radius;
    const Point2 arcStart = centre - direction * radius;
    // The arc turns towards the scrap side: counter-clockwise when the scrap lies left of the path.
    const bool ccw = Cross(direction, normal) > 0;
    return {Line(arcStart + normal * entry, arcStart), {arcStart, start, true, centre, ccw}};
}

std::vector<Piece> LeadInPieces(const Program& program, int32_t part) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const PartLeadIn leadIn = LeadInOf(entry);
    if (!(Distance(leadIn.start, leadIn.pierce) > 0)) return {};
    const std::vector<Piece> line{Line(leadIn.pierce, leadIn.start)};
    const double radius = ReadCutShape(PartFields(entry).header).arcRadius;
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    if (!(radius > 0) || !side) return line;
    const std::vector<Piece> contour = ContourPieces(entry.Records());
    if (contour.empty()) return line;
    const Point2 direction = DirectionAt(contour.front(), true), normal = ScrapNormal(direction, *side);
    // The straight entry is whatever the pierce lies beyond the arc, along the normal.
    const Point2 arcStart = leadIn.start + normal * radius - direction * radius;
    std::vector<Piece> pieces = ArcLeadInPieces(leadIn.start, direction, normal, radius, 0);
    pieces.front() = Line(leadIn.pierce, arcStart);
    if (!(Distance(leadIn.pierce, arcStart) > 0)) pieces.erase(pieces.begin());
    return pieces;
}

std::vector<Piece> PathStart(const std::vector<Piece>& path, double length) {
    std::vector<Piece> start;
    for (const Piece& piece : path) {
        if (!(length > 0)) break;
        start.push_back(PieceStart(piece, length));
        length -= piece.Length();
    }
    return start;
}

std::vector<Piece> LeadOutPieces(Point2 end, Point2 direction, Point2 normal, double length, bool arc) {
    if (!(length > 0)) return {};
    if (!arc) return {Line(end, end + Unit(direction + normal) * length)};
    const Point2 centre = end + normal * length;
    return {{end, centre + direction * length, true, centre, Cross(direction, normal) > 0}};
}

CutFinish FinishOf(const Program& program, int32_t part, const std::vector<Piece>& path) {
    CutFinish finish;
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const CutShape shape = ReadCutShape(PartFields(entry).header);
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    if (path.empty() || !side || !ContourCloses(entry.Records())) return finish;
    finish.overcut = PathStart(path, std::min(shape.overcut, LengthOf(path)));
    const Piece& last = finish.overcut.empty() ? path.back() : finish.overcut.back();
    const Point2 direction = DirectionAt(last, false);
    finish.leadOut = LeadOutPieces(last.to, direction, ScrapNormal(direction, *side), shape.leadOut, shape.leadOutArc);
    return finish;
}

CutFinish FinishOf(const Program& program, int32_t part) {
    return FinishOf(program, part, ContourPieces(program.partList[static_cast<size_t>(part)].Records()));
}

void AppendPieceMoves(const std::vector<Piece>& pieces, std::vector<PathMove>& moves) {
    for (const Piece& piece : pieces) {
        if (!piece.arc) {
            moves.push_back({PathMove::Kind::Line, piece.to, {}});
            continue;
        }
        const auto kind = piece.ccw ? PathMove::Kind::CounterClockwiseArc : PathMove::Kind::ClockwiseArc;
        moves.push_back({kind, piece.to, piece.centre});
    }
}

bool PiecesTouch(const OutlineIndex& index, const std::vector<Piece>& pieces, int32_t own) {
    bool first = true;
    for (const Piece& piece : pieces) {
        const int chords = piece.arc ? std::max(1, static_cast<int>(std::ceil(piece.Sweep() / kChordTurn))) : 1;
        for (int k = 0; k < chords; ++k) {
            Point2 a = piece.At(static_cast<double>(k) / chords);
            const Point2 b = piece.At(static_cast<double>(k + 1) / chords);
            if (first) {
                a = a + (b - a) * 1e-4;  // the first point lies on the part's own contour
                // A line leaving the contour between two of its outline's points starts inside the chord
                // there: its first few flatnesses are tested against the other contours only.
                const double length = Distance(a, b), near = 8 * index.flatness();
                if (!piece.arc && length > 0 && near > 0) {
                    const Point2 clear = a + (b - a) * std::min(0.5, near / length);
                    if (index.Touches(a, clear, own)) return true;
                    a = clear;
                }
            }
            if (index.Touches(a, b, first && piece.arc ? own : -1)) return true;
            first = false;
        }
    }
    return false;
}

double ClearLeadOut(const Program& program, const OutlineIndex& index, int32_t part, double length, bool arc) {
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    const std::optional<CompensationSide> side = CompensatedSide(program, part);
    const std::vector<Piece> contour = ContourPieces(entry.Records());
    if (!side || contour.empty() || !(length > 0)) return 0;
    const double overcut = ReadCutShape(PartFields(entry).header).overcut;
    const std::vector<Piece> overcutPieces = PathStart(contour, std::min(overcut, LengthOf(contour)));
    const Piece& last = overcutPieces.empty() ? contour.back() : overcutPieces.back();
    const Point2 direction = DirectionAt(last, false), normal = ScrapNormal(direction, *side);
    for (const double share : kLeadOutShares) {
        const std::vector<Piece> out = LeadOutPieces(last.to, direction, normal, length * share, arc);
        if (!PiecesTouch(index, out, part) && !index.InMaterial(out.back().to)) return length * share;
    }
    return 0;
}

bool IsSmallHole(const Program& program, int32_t part) {
    const double limit = program.cutStyle.smallHoleDiameter;
    const PartEntry& entry = program.partList[static_cast<size_t>(part)];
    if (!(limit > 0) || PartFields(entry).Marker() != "II" || !ContourCloses(entry.Records())) return false;
    const RecordList& records = entry.Records();
    if (records.size() == 1 && records.front().IsCircle()) return 2 * records.front().Circle().r < limit;
    const Box box = BoxOfPieces(ContourPieces(records));
    return std::max(box.maxX - box.minX, box.maxY - box.minY) < limit;
}

std::vector<Piece> OffsetPieces(const std::vector<Piece>& pieces, double distance, CompensationSide side) {
    std::vector<Piece> moved;
    moved.reserve(pieces.size());
    const double toLeft = side == CompensationSide::Left ? distance : -distance;
    for (Piece piece : pieces) {
        if (!piece.arc) {
            const Point2 shift = LeftOf(Unit(piece.to - piece.from)) * toLeft;
            piece.from = piece.from + shift, piece.to = piece.to + shift;
        } else {
            // Left of a counter-clockwise arc is towards its centre.
            const double radius = piece.Radius(), grown = radius + (piece.ccw ? -toLeft : toLeft);
            if (!(radius > 0) || !(grown > 0)) return {};
            piece.from = piece.centre + (piece.from - piece.centre) * (grown / radius);
            piece.to = piece.centre + (piece.to - piece.centre) * (grown / radius);
        }
        moved.push_back(piece);
    }
    return moved;
}

std::optional<double> SmallHoleFeedValue(const CutStyle& style) {
    if (!style.smallHoleFeedIsShare) return style.smallHoleFeed;
    if (style.feed && *style.feed > 0) return *style.feed * style.smallHoleFeed;
    return std::nullopt;
}

Box BoxOfPieces(const std::vector<Piece>& pieces) {
    Box box{1e300, 1e300, -1e300, -1e300};
    for (const Piece& piece : pieces) {
        const int steps = piece.arc ? 16 : 1;
        for (int k = 0; k <= steps; ++k) {
            const Point2 p = piece.At(static_cast<double>(k) / steps);
            box.minX = std::min(box.minX, p.x), box.minY = std::min(box.minY, p.y);
            box.maxX = std::max(box.maxX, p.x), box.maxY = std::max(box.maxY, p.y);
        }
    }
    return box;
}

double LengthOf(const std::vector<Piece>& pieces) {
    double length = 0;
    for (const Piece& piece : pieces) length += piece.Length();
    return length;
}

}  // namespace zorvan
