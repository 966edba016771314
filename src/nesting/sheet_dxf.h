// A nested sheet as a DXF drawing (R12, ASCII): every placed copy's contours as LINE, ARC and CIRCLE entities
// on a layer per drawing, so that the nest can be archived, opened in CAD, and read and planned again like
// any drawing. Lines end in CR LF; numbers are the shortest text that reads back as the same double.
#pragma once

#include <string>
#include <vector>

#include "model/record.h"
#include "nesting/nest.h"

namespace zorvan {

struct SheetCopy {
    const std::vector<RecordList>* contours = nullptr;  // the part's contours, as its drawing holds them
    Placement placement;
    size_t layer = 0;  // into SheetDrawing::layers
};

struct SheetDrawing {
    std::vector<std::string> layers;  // layer names (LayerNames), one per drawing
    // The records' units: "millimetres" or "inches" are declared in the header ($INSUNITS), anything else not.
    std::string units;
    double width = 0, height = 0;  // the sheet
    // The sheet's edge as four lines on the layer SHEET, switched off: shown in CAD when switched on, and
    // never read as a part.
    bool outline = true;
};

// The DXF text. `PI` is the program's: arc angles are written with the value the reader turns them back with,
// so an arc's ends come back where the copy's records put them. A placed arc stays an arc (mirrored copies'
// arcs run the other way); a circle stays a circle.
std::string NestedSheetDxf(const SheetDrawing& sheet, const std::vector<SheetCopy>& copies, double PI);

// Layer names for drawings, from their file names: upper case, what R12 allows (letters, digits, "_", "-",
// "$"; anything else "_"), at most 31 characters, each different ("_2", "_3" ... added), never "SHEET" or "0".
//   LayerNames({"/p/bracket.dxf", "gusset 2.DXF", "b/bracket.dxf"}) == {"BRACKET", "GUSSET_2", "BRACKET_2"}
std::vector<std::string> LayerNames(const std::vector<std::string>& drawings);

}  // namespace zorvan
