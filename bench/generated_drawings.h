// Drawings made in memory for the benchmarks: DXF texts (CR LF line ends, an ENTITIES section only) and
// record texts, all of regular polygons that touch nothing but themselves, so every polygon is one contour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvan::bench {

// The largest drawing the tables take: one closed rectangular LWPOLYLINE around 498 closed LWPOLYLINE round
// holes of 200 vertices each (no bulges), on a grid inside it. 99,604 records, 199,707 kept DXF pairs,
// 499 contours.
std::string LimitDrawingDxf();

// `records` segments as closed polygons of `sides` sides each (`records` a multiple of `sides`), one LINE
// entity per segment.
std::string LinePolygonsDxf(int32_t records, int32_t sides);

// The same polygons, one closed LWPOLYLINE each.
std::string LwPolylinePolygonsDxf(int32_t records, int32_t sides);

// A drawing of `records` line segments that the reader accepts whole. LINE squares while the contours fit
// (at most 1,001); then LINE 20-gons while the entities fit (at most 20,001); beyond that a single
// LWPOLYLINE, since every vertex costs two kept pairs and 100,000 vertices already fill the 200,001 pairs.
std::string ScalingDrawingDxf(int32_t records);

// The line records of the polygons of LinePolygonsDxf, written as the reader writes them, for benchmarks of
// the chaining alone.
std::vector<std::string> PolygonRecordTexts(int32_t records, int32_t sides);

}  // namespace zorvan::bench
