// The nesting job: drawings read and planned in sheet mode, their parts nested on sheets (NestParts), and
// each sheet cut like a drawing in sheet mode: its DXF drawing written (every copy's records placed), then
// read, planned, given lead-ins in the scrap and written as a program with the job's templates, kerf and
// lead-in.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "model/program.h"
#include "nesting/drawing_parts.h"
#include "nesting/nest.h"

namespace zorvan {

struct NestDrawing {
    std::string name;  // as the operator gave it
    std::string text;  // the DXF bytes
    int32_t count = 1;  // copies of every part in it
};

struct NestOrder {
    std::vector<NestDrawing> drawings;
    double sheetWidth = 0, sheetHeight = 0;  // in the program's units
    // The least distance between parts and from the sheet's edge; none: the kerf plus the lead-in, at least
    // 2 mm (in the program's units).
    std::optional<double> spacing;
    std::vector<double> angles = {0, 90, 180, 270};
    bool mirror = false;
    int32_t mostSheets = 0;  // 0: as many as the parts need
    // How every drawing and every sheet is read and planned (read.mode is sheet mode whatever it says), and the
    // lead-in. The kerf and the templates are those of the Program each sheet is cut in.
    JobOptions job;
    double kerf = 0;
};

// One drawing of the order as read: its parts, or why it was not read.
struct NestSource {
    DxfReadResult read;
    DrawingParts parts;
    std::string units;  // the records' units ("millimetres", "inches", "not declared")
    std::vector<std::string> warnings;
};

struct NestInput {
    std::vector<NestSource> sources;  // one per drawing of the order
    NestJob job;                      // one item per part of every drawing read
    std::vector<std::pair<int32_t, int32_t>> itemSource;  // per item: (drawing, part)
    std::vector<std::string> layers;  // per drawing
    std::string units;                // the sheets' units: the drawings'
    double spacing = 0;
};

// 2 mm, the least default spacing, in `units` ("inches": 2 / 25.4; any other: millimetres).
double LeastSpacing(const std::string& units);

// Reads every drawing of the order in sheet mode and makes the nesting job of their parts. A drawing that is
// not read (NestSource::read says why) adds no items; one with open contours says so in its warnings.
NestInput PrepareNest(const NestOrder& order, double PI);

struct NestedSheet {
    std::string dxf;        // the sheet's drawing, as archived (the sheet's edge on a layer switched off)
    JobResult job;          // its program
    std::vector<int32_t> copiesByDrawing;  // parts placed on it, per drawing of the order
    double partsArea = 0;
};

// The drawing of sheet `sheet` of `nest`, as archived (the sheet's edge on a layer switched off).
std::string NestedSheetDrawing(const NestOrder& order, const NestInput& input, const NestResult& nest, int32_t sheet,
                               double PI);

// Cuts sheet `sheet` of `nest` in `program` (whose templates, kerf and compensation are the job's): the
// sheet's drawing made, then run as the main job in sheet mode.
NestedSheet CutNestedSheet(Program& program, const NestOrder& order, const NestInput& input, const NestResult& nest,
                           int32_t sheet);

}  // namespace zorvan
