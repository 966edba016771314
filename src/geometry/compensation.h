// A model of the controller's cutter radius compensation: it follows a path move by move as the controller
// does, with the tool one radius to the side, and tells whether (and where) the controller refuses it.
//
// The path is what a cut writes after a rapid move to its pierce point: compensation on (G41 or G42), the
// entry move (normally the lead-in line), the contour's lines and arcs (G90.1: arc centres absolute), then
// compensation off (G40). The controller holds back each compensated move until it has read the next, because
// a concave corner pulls the held move's end back; where that pull-back cannot be done without cutting into
// the part, or the tool does not fit inside an arc, it refuses the whole program. Knowing that before writing
// lets planning choose another lead-in or warn that the kerf is too wide for a feature.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "geometry/point.h"

namespace zorvan {

// The side of the path the tool keeps to, looking along the path: G41 left, G42 right.
enum class CompensationSide { Left, Right };

// The program's length unit (G21 or G20). It sets the controller's tolerances on arc radii.
enum class ProgramUnits { Millimetres, Inches };

// One move of the path, from where the previous one ended. An arc's centre is absolute; an arc that ends
// where it starts is a full circle.
struct PathMove {
    enum class Kind { Line, ClockwiseArc, CounterClockwiseArc, Rapid };  // G1, G2, G3, G0
    Kind kind = Kind::Line;
    Point2 end;
    Point2 centre;  // arcs only
};

// Every refusal the controller can give for such a path, one per message (FaultText).
enum class CompensationFault {
    None,
    ShortEntry,                     // the entry line is not longer than the tool radius
    ShortEntryArc,                  // an entry arc's chord is not longer than the tool radius
    ArcTooSmall,                    // the tool, inside an arc, does not fit: arc radius <= tool radius
    StraightFeedConcaveCorner,      // a corner pulls a line's end back past its start
    StraightTraverseConcaveCorner,  // the same for a rapid move
    ArcConcaveCorner,               // a corner after or before an arc cannot be reached
    ArcToStraightCorner,            // the line after an arc cannot be met by the tool on the arc
    ArcToArcCorner,                 // the arc after an arc cannot be met by the tool on the first
    ArcsShareCentre,                // two arcs of one centre meet at a concave corner
    ZeroRadiusArc,                  // an arc's start or end lies (almost) on its centre
    ArcRadiiDiffer,                 // an arc's start and end are at different distances from its centre
    EntryArcMisfit,                 // the controller's own check on its compensated entry arc failed
    MovedArcMisfit,                 // the controller's own check on a pulled-back arc end failed
};

// Where the controller stops: the fault, and the index of the move it was reading (moves.size() for the G40
// that ends the path, which settles the last held move). None with move 0 when the path is accepted.
struct CompensationVerdict {
    CompensationFault fault = CompensationFault::None;
    size_t move = 0;
    bool operator==(const CompensationVerdict&) const = default;
};

// Follows `moves` as the controller does after a rapid move to `from` and G41 (`side` Left) or G42 (Right),
// with a tool of radius `toolRadius` in the program's units, then G40. moves[0] is the entry move; the rest
// is the contour. Returns the first refusal. A negative radius works as the controller's negative tool
// diameter does (the other side, the positive radius); a radius of 0, or one that is not a number, compensates
// nothing, so only the arcs' own checks remain. Coordinates must be finite for the verdict to mean anything;
// with others the call still returns. Work grows linearly with the number of moves.
//   from (0,0), Left, r 0.75:  G1 (0.5,0)                      -> ShortEntry at move 0
//   from (0,0), Left, r 0.75:  G1 (1,0), G1 (10,0), G1 (10,10)  -> accepted (the concave corner pulls (10,0.75)
//                                                                 back to (9.25,0.75))
//   from (0,0), Left, r 0.75:  G1 (1,0), G1 (0,0.2), G1 (0,5)   -> StraightFeedConcaveCorner at move 2
CompensationVerdict FollowCompensatedPath(Point2 from, std::span<const PathMove> moves, CompensationSide side,
                                          double toolRadius, ProgramUnits units = ProgramUnits::Millimetres);

// The controller's message for `fault` (its opening words where the controller adds numbers after them);
// empty for None.
//   FaultText(CompensationFault::ShortEntry) ==
//       "Length of cutter compensation entry move is not greater than the tool radius"
std::string_view FaultText(CompensationFault fault);

}  // namespace zorvan
