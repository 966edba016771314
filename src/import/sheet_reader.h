// Sheet mode's reading: a DXF document as a CAD user means it, made into the same line, arc and circle records
// the default reading makes. Model space only; entities on layers that are off or frozen left out; blocks
// inserted wherever INSERT says, scaled, turned, mirrored and arrayed, nested to any sensible depth; ellipses,
// splines and arcs that scaling made elliptical fitted with arcs and lines within the curve tolerance;
// polylines closed only where they say so, and 3D polylines whose vertices all lie at one height read as 2D
// ones; a drawing that declares its units converted to millimetres (or inches). Text, dimensions, hatches and
// the like are counted, not read; tilted 3D polylines and meshes are counted as not cut.
#pragma once

#include <cstddef>
#include <string>

#include "import/dxf_document.h"
#include "import/dxf_passes.h"
#include "import/dxf_reader.h"

namespace zorvan::dxf {

struct SheetRead {
    BuildStop stop = BuildStop::Finished;
    std::string refusal;         // a block inserting itself, or nested absurdly deep: why the drawing is refused
    size_t curveRecords = 0;     // records made by fitting curves
    size_t expandedEntities = 0;  // entities read, every insertion of a block counting its entities again
    std::string tooMuchWork;      // what there was too much of to read ("more than 1,000,000 block insertions")
    std::string recordUnits;     // the units of the records: "millimetres", "inches", or "not declared"
    ReadReport report;
};

// Adds the records of `document` to `records`, widening `extents`. Arc angles and bulges use the program's PI.
SheetRead BuildSheetRecords(const Document& document, double PI, const ReadOptions& options, Extents& extents,
                            BuiltRecords& records);

}  // namespace zorvan::dxf
