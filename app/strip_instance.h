// Strip-packing instances in the JSON form of the published nesting benchmarks: items with a demand, the
// orientations allowed (absent: any angle) and a simple polygon each, and the strip's height.
#pragma once

#include <string>
#include <string_view>

#include "nesting/nest.h"

namespace zorvan {

struct StripInstance {
    std::string name;
    NestJob job;        // strip packing, spacing 0
    std::string error;  // not empty: the text is not such an instance, and why
};

// Reads the instance. Anything it cannot use (not JSON, no items, a shape that is not a simple polygon, a
// demand or coordinate that is not a number) gives `error` naming it; it never throws. Any angle is read as
// every whole degree.
//   {"name": "t", "strip_height": 10, "items": [{"id": 0, "demand": 2, "allowed_orientations": [0, 90],
//    "shape": {"type": "simple_polygon", "data": [[0, 0], [4, 0], [4, 3], [0, 3]]}}]}
StripInstance ReadStripInstance(std::string_view text);

}  // namespace zorvan
