// The drawing view: which rectangle of the drawing the surface shows.
#pragma once

#include "model/program.h"
#include "ui/surface.h"

namespace zorvan {

// Makes the drawing rectangle with left-top corner (left, top) and right-bottom corner (right, bottom) the
// surface's user scale and records it in viewLeft, viewTop, viewRight, viewBottom. The margin around the
// rectangle and the correction of its proportions to the surface's come with the full view; until then the
// rectangle is applied as given and `addMargin` is not used.
void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool addMargin);

}  // namespace zorvan
