// The preparation sequence.
#include "planning/preparation.h"

#include "geometry/area.h"
#include "import/part_entries.h"
#include "planning/cut_order.h"

namespace zorvan {

void PlanParts(Program& program) {
    BuildPartList(program);
    const int16_t largest = SLOZIBASSVE(program);
    GURNINAJVECINAKRAJ(program, largest);
    CCW_OR_CW(program);
    ComputePartAreas(program);
}

}  // namespace zorvan
