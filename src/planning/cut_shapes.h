// The torch's path round a part beyond its contour: how it enters (a straight lead-in, or a straight entry
// and a quarter arc tangent to the contour), and after the contour closes how far it runs on along it
// (overcut) and how it leaves into the scrap (a lead-out line or arc). A part's header carries the shape
// (ReadCutShape); the geometry follows from it, the contour and the side the scrap lies on.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "geometry/arrangement.h"
#include "geometry/compensation.h"
#include "model/program.h"
#include "planning/outlines.h"

namespace zorvan {

// Where a circle's two half turns end, as the program writes them: the point opposite its start, then its
// start. A circle that starts at its leftmost point (or whose start is not on it) turns to its rightmost
// point and back, as it always has.
std::pair<Point2, Point2> CircleHalfTurnEnds(const CircleValues& circle);

// A contour's records as pieces, head to tail as the program cuts them (a circle as two half turns).
std::vector<Piece> ContourPieces(const RecordList& records);

// The unit direction a piece runs at its start or its end.
Point2 DirectionAt(const Piece& piece, bool atStart);

// The unit normal towards the scrap for a path running along `direction`: to its left for G41.
Point2 ScrapNormal(Point2 direction, CompensationSide side);

// An arc lead-in onto `start`, where the contour runs along `direction` with the scrap towards `normal`
// (unit vectors): a straight entry of length `entry` along the normal towards the contour, then a quarter
// arc of `radius`, tangent to the entry and to the contour. The pierce is the entry's start.
std::vector<Piece> ArcLeadInPieces(Point2 start, Point2 direction, Point2 normal, double radius, double entry);

// The lead-in of part `part` from its pierce point to its start: a line, or, where its header says ARC and
// the part has a side, the straight entry and the arc. Nothing for a part pierced on its contour.
std::vector<Piece> LeadInPieces(const Program& program, int32_t part);

// The first `length` of `path` (pieces head to tail), at most all of it.
std::vector<Piece> PathStart(const std::vector<Piece>& path, double length);

// A lead-out from `end`, where the path runs along `direction` with the scrap towards `normal`: a line of
// `length` at 45 degrees into the scrap, or a quarter arc of radius `length` turning into it.
std::vector<Piece> LeadOutPieces(Point2 end, Point2 direction, Point2 normal, double length, bool arc);

// What follows a contour as its header says: the overcut along `path` (the contour as cut, or the offset
// path the torch's centre runs), then the lead-out from where the overcut ends. Nothing for a part without
// a side (an open contour).
struct CutFinish {
    std::vector<Piece> overcut, leadOut;
};
CutFinish FinishOf(const Program& program, int32_t part, const std::vector<Piece>& path);
// The same along the part's contour.
CutFinish FinishOf(const Program& program, int32_t part);

// Moves for the program's path checks, in order.
void AppendPieceMoves(const std::vector<Piece>& pieces, std::vector<PathMove>& moves);

// Whether `pieces` come into touch with a contour of `index` anywhere but at their first point, which lies on
// the contour of part `own`; arcs are followed in chords of at most 15 degrees. The first chord of an arc
// that starts them is not tested against that contour: leaving it along a tangent, it stays within the
// contour's flattening for a while without crossing it.
bool PiecesTouch(const OutlineIndex& index, const std::vector<Piece>& pieces, int32_t own);

// The lead-out length that is clear of every contour for part `part` (index over the plan's outlines): the
// asked length, else 3/4, 1/2 or 1/4 of it; 0 when none is (the cut then stops on the contour).
double ClearLeadOut(const Program& program, const OutlineIndex& index, int32_t part, double length, bool arc);

// Whether part `part` is a small hole: a hole ("II") that closes, whose diameter (a circle's, else the
// larger side of its box) is below the style's small-hole diameter.
bool IsSmallHole(const Program& program, int32_t part);

// Pieces moved `distance` to `side` of themselves, looking along them: lines shifted, arcs about the same
// centre with the radius changed.
std::vector<Piece> OffsetPieces(const std::vector<Piece>& pieces, double distance, CompensationSide side);

// The F value small holes are cut at: their share of the known cutting feed, or their own; nothing when the
// share has no feed to be taken of.
std::optional<double> SmallHoleFeedValue(const CutStyle& style);

// The box round a contour's pieces (arcs sampled at sixteenths).
Box BoxOfPieces(const std::vector<Piece>& pieces);

// The length of pieces.
double LengthOf(const std::vector<Piece>& pieces);

}  // namespace zorvan
