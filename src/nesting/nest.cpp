// Placements as maps of the plane, and the area a shape covers.
#include "nesting/nest.h"

#include <cmath>
#include <numbers>

namespace zorvan {

namespace {

double RingArea(const Ring& ring) {
    if (ring.size() < 3) return 0;
    double twice = 0;
    const Point2 origin = ring.front();  // near the ring, so far-off shapes keep their digits
    for (size_t k = 1; k + 1 < ring.size(); ++k) twice += Cross(ring[k] - origin, ring[k + 1] - origin);
    return twice / 2;
}

}  // namespace

Point2 OrientPoint(Point2 p, double angle, bool mirrored) {
    double cosine = 0, sine = 0;
    const double turns = angle / 90;
    if (turns == std::floor(turns) && std::fabs(turns) < 1e9) {
        const auto quarter = static_cast<int64_t>(turns) % 4;
        switch (quarter < 0 ? quarter + 4 : quarter) {
            case 0: cosine = 1; break;
            case 1: sine = 1; break;
            case 2: cosine = -1; break;
            default: sine = -1; break;
        }
    } else {
        const double radians = angle * std::numbers::pi / 180;
        cosine = std::cos(radians);
        sine = std::sin(radians);
    }
    const double x = mirrored ? -p.x : p.x;
    return {x * cosine - p.y * sine, x * sine + p.y * cosine};
}

Point2 PlacePoint(const Placement& placement, Point2 p) {
    return OrientPoint(p, placement.angle, placement.mirrored) + placement.offset;
}

double ShapeArea(const NestShape& shape) {
    double area = std::fabs(RingArea(shape.outline));
    for (const Ring& hole : shape.holes) area -= std::fabs(RingArea(hole));
    return std::max(area, 0.0);
}

}  // namespace zorvan
