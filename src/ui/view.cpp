// Fitting the view to a drawing rectangle.
#include "ui/view.h"

namespace zorvan {

void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool /*addMargin*/) {
    surface.SetScale(left, top, right, bottom);
    program.viewLeft = left;
    program.viewTop = top;
    program.viewRight = right;
    program.viewBottom = bottom;
}

void RedrawView(const Program& /*program*/, int32_t /*partCount*/, Surface& surface, Colour /*baseColour*/) {
    surface.Clear();
    surface.SetPenWidth(1);
    surface.Line(0, 0, 1000, 0, kGrey);
    surface.Line(0, 0, 0, 1000, kGrey);
}

}  // namespace zorvan
