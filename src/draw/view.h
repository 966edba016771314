// The drawing view: which rectangle of the drawing a surface shows, the full redraw from partList, and the
// extents of the planned parts.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/program.h"
#include "draw/surface.h"

namespace zorvan {

// Makes the drawing rectangle with left-top corner (left, top) and right-bottom corner (right, bottom) fill
// the surface without distortion: with `addMargin` 10 % of its size is added on every side, then the width
// or the height grows to the surface's proportions (the left-top corner stays). The rectangle applied is
// recorded in viewLeft, viewTop, viewRight, viewBottom. A rectangle of no height, or a surface of no size,
// leaves the view as it was.
void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool addMargin);

// Clears the surface, draws the grey origin marks (0, 0)-(1000, 0) and (0, 0)-(0, 1000), then every part
// 0..partCount-1 in row order: its contour at pen width 1 for an inside cut ("II") and 3 otherwise, in
// `baseColour`, grey when deleted, yellow when selected (selected wins); then its header.
void RedrawView(const Program& program, int32_t partCount, Surface& surface, Colour baseColour);

// The window's picture of the plan, drawn so that what is cut cannot be mistaken for what is not: as
// RedrawView, but deleted parts dashed grey at pen width 1 (yellow when also selected), the open contours
// the plan left out dashed in orange, and every part's row number (as warnings and programs name it) beside
// its contour's start.
void RedrawPlan(const Program& program, Surface& surface);

// The kerf (when given) as a band of its width, in light blue, along the path the torch's centre runs for
// every part that is cut: the offset path half a kerf into the scrap, or the contour where it has none.
void DrawKerfBands(const Program& program, Surface& surface);

// What is cut beyond the contours: arc lead-ins over the straight line the header draws, overcuts and
// lead-outs in magenta, and an orange ring round every small hole.
void DrawCutShapes(const Program& program, Surface& surface);

// Sheet mode's preview: the kerf bands, the parts as RedrawView draws them, the cut shapes and the route.
void RedrawSheetPreview(const Program& program, int32_t partCount, Surface& surface);

// The torch's route over the drawn plan: the travel between cuts dashed (TravelMoves), each pierce point a
// red dot. Sheet mode's preview and picture draw it; the default ones do not.
void DrawRoute(const Program& program, Surface& surface);

// The extents of parts 0..partCount-1 (ComputePartExtents), then the redraw.
void RecomputeExtents(Program& program, int32_t partCount, Surface& surface);

}  // namespace zorvan
