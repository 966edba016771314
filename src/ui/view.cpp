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

}  // namespace zorvan
