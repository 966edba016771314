// A nest checked by geometry of the test's own, not by the no-fit polygons that made it: every copy placed
// once or named as not placed, in an allowed orientation, inside its sheet by the spacing, and no two copies
// on a sheet nearer than the spacing, a copy in another's hole only where it keeps the spacing from the
// hole's edge.
#pragma once

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "nesting/nest.h"

namespace zorvan::testing {

struct PlacedShape {
    std::vector<std::vector<Point2>> rings;  // the outline first, then the holes
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

// The copy's shape where the placement puts it: mirrored, turned, moved, computed here.
inline PlacedShape Place(const NestShape& shape, const Placement& placement) {
    const double radians = placement.angle * 3.14159265358979323846 / 180;
    const double c = std::cos(radians), s = std::sin(radians);
    PlacedShape placed;
    std::vector<const Ring*> rings = {&shape.outline};
    for (const Ring& hole : shape.holes) rings.push_back(&hole);
    for (const Ring* ring : rings) {
        std::vector<Point2>& out = placed.rings.emplace_back();
        for (const Point2 p : *ring) {
            const double x = placement.mirrored ? -p.x : p.x;
            const Point2 q{x * c - p.y * s + placement.offset.x, x * s + p.y * c + placement.offset.y};
            out.push_back(q);
            placed.minX = std::min(placed.minX, q.x), placed.maxX = std::max(placed.maxX, q.x);
            placed.minY = std::min(placed.minY, q.y), placed.maxY = std::max(placed.maxY, q.y);
        }
    }
    return placed;
}

inline double SegmentPointDistance(Point2 p, Point2 a, Point2 b) {
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

inline double Turn(Point2 o, Point2 a, Point2 b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

inline double SegmentDistance(Point2 a, Point2 b, Point2 c, Point2 d) {
    const double d1 = Turn(a, b, c), d2 = Turn(a, b, d), d3 = Turn(c, d, a), d4 = Turn(c, d, b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return 0;
    return std::min({SegmentPointDistance(a, c, d), SegmentPointDistance(b, c, d), SegmentPointDistance(c, a, b),
                     SegmentPointDistance(d, a, b)});
}

// Even-odd.
inline bool InRing(const std::vector<Point2>& ring, Point2 p) {
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
            p.x < (ring[j].x - ring[i].x) * (p.y - ring[i].y) / (ring[j].y - ring[i].y) + ring[i].x) {
            inside = !inside;
        }
    }
    return inside;
}

// Inside the outline and in none of the holes.
inline bool InMaterial(const PlacedShape& shape, Point2 p) {
    if (!InRing(shape.rings.front(), p)) return false;
    return std::none_of(shape.rings.begin() + 1, shape.rings.end(), [&](const auto& hole) { return InRing(hole, p); });
}

inline double BoundaryDistance(const PlacedShape& a, const PlacedShape& b) {
    double least = 1e300;
    for (const auto& ra : a.rings) {
        for (size_t i = 0; i < ra.size(); ++i) {
            for (const auto& rb : b.rings) {
                for (size_t j = 0; j < rb.size(); ++j) {
                    least = std::min(least, SegmentDistance(ra[i], ra[(i + 1) % ra.size()], rb[j], rb[(j + 1) % rb.size()]));
                }
            }
        }
    }
    return least;
}

// Every fault of the nest; empty when it is sound. `length` is the strip's length used (strips only).
inline std::vector<std::string> NestFaults(const NestJob& job, const NestResult& result, double length = 0) {
    std::vector<std::string> faults;
    const double size = std::max({job.sheetWidth, job.sheetHeight, length}), eps = 1e-7 * size;
    const double width = job.strip ? length : job.sheetWidth;
    std::set<std::pair<int32_t, int32_t>> seen;
    std::vector<std::pair<const Placement*, PlacedShape>> placed;
    for (const Placement& p : result.placed) {
        const std::string name = "item " + std::to_string(p.item) + " copy " + std::to_string(p.copy);
        if (!seen.insert({p.item, p.copy}).second) faults.push_back(name + " placed twice");
        const NestItem& item = job.items[static_cast<size_t>(p.item)];
        if (std::find(item.angles.begin(), item.angles.end(), p.angle) == item.angles.end()) faults.push_back(name + " turned by an angle not allowed");
        if (p.mirrored && !item.mirror) faults.push_back(name + " mirrored");
        if (p.sheet < 0 || p.sheet >= result.status.sheets) faults.push_back(name + " on a sheet not counted");
        PlacedShape shape = Place(item.shape, p);
        if (shape.minX < job.spacing - eps || shape.minY < job.spacing - eps || shape.maxY > job.sheetHeight - job.spacing + eps ||
            (!job.strip && shape.maxX > width - job.spacing + eps) || (job.strip && shape.maxX > length + eps)) {
            faults.push_back(name + " not inside its sheet by the spacing");
        }
        placed.emplace_back(&p, std::move(shape));
    }
    for (const auto& [item, copy] : result.notPlaced) {
        if (!seen.insert({item, copy}).second) faults.push_back("item " + std::to_string(item) + " copy " + std::to_string(copy) + " placed and not placed");
    }
    for (size_t i = 0; i < job.items.size(); ++i) {
        for (int32_t c = 0; c < job.items[i].copies; ++c) {
            if (!seen.count({static_cast<int32_t>(i), c})) faults.push_back("item " + std::to_string(i) + " copy " + std::to_string(c) + " missing");
        }
    }
    for (size_t a = 0; a < placed.size(); ++a) {
        for (size_t b = a + 1; b < placed.size(); ++b) {
            const auto& [pa, sa] = placed[a];
            const auto& [pb, sb] = placed[b];
            if (pa->sheet != pb->sheet) continue;
            if (sa.minX > sb.maxX + job.spacing || sb.minX > sa.maxX + job.spacing || sa.minY > sb.maxY + job.spacing ||
                sb.minY > sa.maxY + job.spacing) {
                continue;
            }
            const std::string pair = "items " + std::to_string(pa->item) + "/" + std::to_string(pa->copy) + " and " +
                                     std::to_string(pb->item) + "/" + std::to_string(pb->copy);
            if (BoundaryDistance(sa, sb) < job.spacing - eps) {
                faults.push_back(pair + " nearer than the spacing");
            } else if (InMaterial(sb, sa.rings.front().front()) || InMaterial(sa, sb.rings.front().front())) {
                faults.push_back(pair + " overlap");
            }
        }
    }
    return faults;
}

}  // namespace zorvan::testing
