// The kerf checks: whether the controller, with the torch's kerf in its tool table, can follow each part's
// path as the program writes it. The path is followed as the controller builds its offset path (each piece
// moved half a kerf towards the scrap, neighbours joined or intersected), so a warning here is a refusal
// there, and a part it passes runs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "geometry/compensation.h"
#include "geometry/offset.h"
#include "model/program.h"

namespace zorvan {

// The side the kerf goes to for a part: left of the path (G41) for an outside cut of positive area or an
// inside cut of negative area, right (G42) for the opposite signs; none for an area of 0.
std::optional<CompensationSide> CompensationSideOf(std::string_view marker, double area);

// Whether part `part` is cut with compensation on: a closed contour, or any contour in the default mode,
// whose area gives it a side.
std::optional<CompensationSide> CompensatedSide(const Program& program, int32_t part);

// The path the torch's centre runs for part `part` when the program allows for the kerf: its contour offset
// by half the kerf to its compensation side. Nothing for a part cut without compensation, a contour that does
// not close, or without a kerf.
std::optional<OffsetContour> KerfOffsetPath(const Program& program, int32_t part);

// Adds the moves the program writes for a record (a circle as two half turns) to `moves`.
void AppendRecordMoves(const RecordValues& record, std::vector<PathMove>& moves);

// The moves of part `part` after its rapid, with the numbers the program writes (contour rows at six
// decimals): the lead-in from the pierce point first, then the contour.
std::vector<PathMove> WrittenPath(const Program& program, int32_t part);

struct KerfCheck {
    double kerf = 0;                     // the width checked against; 0 when not given (nothing checked)
    bool inProgram = false;              // the program offsets the contours itself (Program::kerfInProgram)
    std::vector<int32_t> shortLeadIns;   // lead-in not longer than half the kerf: the entry move is refused
    std::vector<int32_t> leadInCorners;  // lead-in meets the contour at a corner the kerf cannot turn
    std::vector<int32_t> smallArcs;      // an arc on the kerf's side with a radius not above half the kerf
    std::vector<int32_t> tightCorners;   // a concave corner whose neighbouring pieces are too short
    std::vector<int32_t> narrowSlots;    // a slot or notch narrower than the kerf
    // Refusals that are no matter of the kerf (an arc whose ends lie at different distances from its centre),
    // with the controller's words.
    std::vector<std::pair<int32_t, CompensationFault>> others;
    bool Clean() const;
    // Whether part `part` is named anywhere above.
    bool Names(int32_t part) const;
};

// Checks every part that is cut with compensation (deleted parts left out) against program.kerf; nothing
// when the kerf is not given (0). Parts are named by their rows, as the program's part comments number them.
KerfCheck CheckKerf(const Program& program);

// What the controller does with part `part` and a kerf of `kerf`.
CompensationVerdict FollowPart(const Program& program, int32_t part, double kerf);

// Whether the controller's refusal `verdict` of the path `moves` (the entry move first) lies
// with the lead-in: the entry move is too short, or the path passes its first corners when led in straight
// along its first piece instead. The controller notices a lead-in it cannot turn from only at the move after
// the first corner, so that is as far as a lead-in is blamed.
bool LeadInIsToBlame(std::span<const PathMove> moves, CompensationSide side, double kerf,
                     const CompensationVerdict& verdict);

// The program units the controller's tolerances are taken in: inches for records in inches.
ProgramUnits UnitsOfRecords(const Program& program);

// The operator's warning for a check; empty when it is clean or the kerf was not given.
//   "With a kerf of 1.5 the controller would refuse: lead-ins not longer than half the kerf: parts 0, 2;
//    arcs smaller than half the kerf: part 3."
std::string KerfWarning(const KerfCheck& check);

// Parts named for the operator: "part 3" or "parts 0, 2, 5"; more than eight by their count, the first three
// and the last: "999 parts: 0, 1, 2 … 998" (the ellipsis is U+2026, one character).
std::string PartNames(const std::vector<int32_t>& parts);

// The kerf for the summary: "1.5" or "not given: no kerf checks"; `named` puts "kerf " before it, for the
// status line.
std::string KerfText(double kerf, bool named);

}  // namespace zorvan
