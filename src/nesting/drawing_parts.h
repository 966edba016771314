// The parts of a drawing planned in sheet mode, as nesting takes them: each part's outside contour with its
// holes, as the records that are cut and as the shape the placement works with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/program.h"
#include "model/record.h"
#include "nesting/nest.h"

namespace zorvan {

struct DrawingPart {
    std::vector<RecordList> contours;  // the outside first, then its holes; each head to tail as planned
    NestShape shape;                   // the same contours flattened
    int32_t records = 0;               // of all its contours
};

struct DrawingParts {
    std::vector<DrawingPart> parts;
    int32_t openContours = 0;  // contours that do not close (the plan leaves them out): not parts, not nested
    double flatness = 0;       // how closely the shapes follow the arcs, at most
};

// The points the shapes of one drawing take at most: past it arcs are followed more loosely.
inline constexpr size_t kMostPartPoints = 200'000;

// The parts of `program` as PlanSheet left its part list: every closed contour inside an even number of
// others (none, or a part lying in a hole) is a part, and the closed contours right inside it are its holes.
// Arcs are flattened within `flatness`, or more loosely where the drawing's parts would take more than
// `mostPoints` points (DrawingParts::flatness says how loosely). Deleted parts are left out.
//   A plate with two round holes and a washer lying in one of them gives two parts: the plate with its two
//   holes, and the washer with its own hole.
DrawingParts PartsOfPlannedSheet(const Program& program, double flatness, size_t mostPoints = kMostPartPoints);

}  // namespace zorvan
