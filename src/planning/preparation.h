// The preparation that follows every open: the drawing's contours become the planned cutting order.
#pragma once

#include "model/program.h"

namespace zorvan {

// One fresh part entry per listed contour (BuildPartList); each contour head to tail with its area, the
// largest moved to the end as the one outside cut (SLOZIBASSVE, GURNINAJVECINAKRAJ); every part turned to its
// cutting sense (CCW_OR_CW); the areas stored again (ComputePartAreas). Reads contourList, writes partList
// and partCount.
void PlanParts(Program& program);

}  // namespace zorvan
