// Moving, rotating and scaling the whole drawing: every part of the cutting order rewritten in place, record
// by record and header by header. The drawing store is not touched; the stored areas are kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "model/program.h"

namespace zorvan {

// A point turned by `theta` radians (counter-clockwise for positive) about (px, py), then moved by (tx, ty).
std::pair<double, double> MoveRotatePoint(double x, double y, double tx, double ty, double px, double py,
                                          double theta);

// A point scaled by `f` about (extMinX, extMinY).
std::pair<double, double> ScalePoint(const Program& program, double x, double y, double f);

// One record moved and turned: points through MoveRotatePoint; an arc's angles turn with it and are wrapped
// once into 0..360; a circle starts again at its leftmost point. Numbers in the invariant number form.
std::string MoveRotateRecord(double PI, std::string_view record, double tx, double ty, double px, double py,
                             double theta);
std::string MoveRotateContour(double PI, std::string_view contour, double tx, double ty, double px, double py,
                              double theta);
// The header's two points moved and turned, in the default number form: "marker sx sy lx ly".
std::string MoveRotateHeader(std::string_view header, double tx, double ty, double px, double py, double theta);

// One record scaled about (extMinX, extMinY): points through ScalePoint, radius times `f`.
std::string ScaleRecord(const Program& program, std::string_view record, double f);
std::string ScaleContour(const Program& program, std::string_view contour, double f);
std::string ScaleHeader(const Program& program, std::string_view header, double f);

// Parts 0..n-1 moved by (dx, dy), their start and lead-in points with them (a circle's too).
void MoveParts(Program& program, double dx, double dy, int32_t n);
// Parts 0..n-1 turned by `theta` radians about the centre of the extents, their start and lead-in points with
// them (a circle's too).
void RotateParts(Program& program, double theta, int32_t n);
// Parts 0..n-1 scaled by `f` about (extMinX, extMinY).
void ScaleParts(Program& program, double f, int32_t n);

}  // namespace zorvan
