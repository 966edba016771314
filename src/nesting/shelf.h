// Bounding-box shelf packing along a strip: the floor a nest is measured against. Each copy is taken as its
// box, in the allowed orientation that makes the box narrowest along the strip (and lets it fit the height);
// the boxes, widest first, are stacked bottom up in columns, each in the first column with room, a column as
// wide as its first box.
#pragma once

#include "nesting/nest.h"

namespace zorvan {

struct ShelfNest {
    double length = 0;       // from the strip's start to the end of the last column
    double utilisation = 0;  // parts' area / (height x length)
    int64_t placed = 0;      // copies whose box fits the height in some orientation
};

ShelfNest ShelfPack(const NestJob& job);

}  // namespace zorvan
