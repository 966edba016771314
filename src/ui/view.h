// The drawing view: which rectangle of the drawing the surface shows.
#pragma once

#include "model/list_box.h"
#include "model/program.h"
#include "ui/surface.h"

namespace zorvan {

// Makes the drawing rectangle with left-top corner (left, top) and right-bottom corner (right, bottom) the
// surface's user scale and records it in viewLeft, viewTop, viewRight, viewBottom. The margin around the
// rectangle and the correction of its proportions to the surface's come with the full view; until then the
// rectangle is applied as given and `addMargin` is not used.
void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool addMargin);

// Repaints the view from partList: clears the surface and draws the grey origin marks, (0, 0)-(1000, 0) and
// (0, 0)-(0, 1000), at pen width 1. The parts 0..partCount-1 (the rows of List2) are drawn on top once the record strokes exist;
// until then the redraw shows the origin marks alone.
void RedrawView(const Program& program, int32_t partCount, Surface& surface, Colour baseColour);

}  // namespace zorvan
