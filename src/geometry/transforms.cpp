// Transforms of the drawing.
#include "geometry/transforms.h"

#include <cmath>
#include <functional>
#include <vector>

#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

using PointFunction = std::function<std::pair<double, double>(double, double)>;

// Angles wrapped once: above 360 lose 360, then below 0 gain 360.
void WrapAngles(double& start, double& end) {
    if (start > 360) start -= 360;
    if (end > 360) end -= 360;
    if (start < 0) start += 360;
    if (end < 0) end += 360;
}

// A record with its points through `point`, its radius times `radiusFactor` and its angles turned by
// `turnDegrees`. A circle's start point follows `circleStart` (its own point, or the new leftmost point).
std::string TransformRecord(std::string_view record, const PointFunction& point, double radiusFactor,
                            double turnDegrees, bool restartCircleAtLeft) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    const auto inv = [](double v) { return InvariantNumber(v); };
    if (IsArcRecord(record)) {
        const auto [cx, cy] = point(n(0), n(1));
        const auto [sx, sy] = point(n(7), n(8));
        const auto [ex, ey] = point(n(9), n(10));
        double start = n(4) + turnDegrees, end = n(5) + turnDegrees;
        WrapAngles(start, end);
        return JoinFields({inv(cx), inv(cy), inv(n(2)), inv(n(3) * radiusFactor), inv(start), inv(end),
                     std::string(TrimBlanks(FieldAt(f, 6))), inv(sx), inv(sy), inv(ex), inv(ey), "A"});
    }
    if (IsCircleRecord(record)) {
        const auto [cx, cy] = point(n(0), n(1));
        const double r = n(3) * radiusFactor;
        const auto [sx, sy] = restartCircleAtLeft ? std::pair{cx - r, cy} : point(n(5), n(6));
        return JoinFields({inv(cx), inv(cy), inv(n(2)), inv(r), std::string(TrimBlanks(FieldAt(f, 4))), inv(sx), inv(sy), "K"});
    }
    if (IsLineRecord(record)) {
        const auto [x1, y1] = point(n(0), n(1));
        const auto [x2, y2] = point(n(3), n(4));
        return JoinFields({inv(x1), inv(y1), inv(n(2)), inv(x2), inv(y2), inv(n(5)), "D"});
    }
    return std::string(record);
}

std::string TransformContour(std::string_view contour, const std::function<std::string(std::string_view)>& record) {
    std::string result;
    const auto records = SplitFields(contour, '|');
    for (size_t i = 0; i + 1 < records.size(); ++i) result += record(records[i]) + "|";
    return result;
}

std::string TransformHeader(std::string_view header, const PointFunction& point) {
    const auto f = SplitFields(header);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    const auto [sx, sy] = point(n(1), n(2));
    const auto [lx, ly] = point(n(3), n(4));
    return JoinFields({std::string(FieldAt(f, 0)), DefaultNumber(sx), DefaultNumber(sy), DefaultNumber(lx), DefaultNumber(ly)});
}

}  // namespace

std::pair<double, double> MoveRotatePoint(double x, double y, double tx, double ty, double px, double py,
                                          double theta) {
    const double dx = x - px, dy = y - py;
    return {std::cos(theta) * dx - std::sin(theta) * dy + px + tx, dy * std::cos(theta) + dx * std::sin(theta) + py + ty};
}

std::pair<double, double> ScalePoint(const Program& program, double x, double y, double f) {
    return {(x - program.extMinX) * f + program.extMinX, (y - program.extMinY) * f + program.extMinY};
}

std::string MoveRotateRecord(double PI, std::string_view record, double tx, double ty, double px, double py,
                             double theta) {
    const PointFunction point = [=](double x, double y) { return MoveRotatePoint(x, y, tx, ty, px, py, theta); };
    return TransformRecord(record, point, 1, theta * 180 / PI, true);
}

std::string MoveRotateContour(double PI, std::string_view contour, double tx, double ty, double px, double py,
                              double theta) {
    return TransformContour(contour, [=](std::string_view r) { return MoveRotateRecord(PI, r, tx, ty, px, py, theta); });
}

std::string MoveRotateHeader(std::string_view header, double tx, double ty, double px, double py, double theta) {
    return TransformHeader(header, [=](double x, double y) { return MoveRotatePoint(x, y, tx, ty, px, py, theta); });
}

std::string ScaleRecord(const Program& program, std::string_view record, double f) {
    const PointFunction point = [&program, f](double x, double y) { return ScalePoint(program, x, y, f); };
    return TransformRecord(record, point, f, 0, false);
}

std::string ScaleContour(const Program& program, std::string_view contour, double f) {
    return TransformContour(contour, [&program, f](std::string_view r) { return ScaleRecord(program, r, f); });
}

std::string ScaleHeader(const Program& program, std::string_view header, double f) {
    return TransformHeader(header, [&program, f](double x, double y) { return ScalePoint(program, x, y, f); });
}

namespace {

void RewriteParts(Program& program, int32_t n,
                  const std::function<std::pair<std::string, std::string>(const PartFields&)>& transform) {
    for (int32_t i = 0; i < n && i < kMaxContours; ++i) {
        std::string& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const auto [header, contour] = transform(part);
        entry = header + ":" + contour + ":" + std::string(part.marks);
    }
}

}  // namespace

void MoveParts(Program& program, double dx, double dy, int32_t n) {
    const double PI = program.PI;
    RewriteParts(program, n, [=](const PartFields& part) {
        return std::pair{MoveRotateHeader(part.header, dx, dy, 0, 0, 0), MoveRotateContour(PI, part.records, dx, dy, 0, 0, 0)};
    });
}

void RotateParts(Program& program, double theta, int32_t n) {
    const double PI = program.PI;
    const double px = (program.extMinX + program.extMaxX) / 2, py = (program.extMinY + program.extMaxY) / 2;
    RewriteParts(program, n, [=](const PartFields& part) {
        std::string header = MoveRotateHeader(part.header, 0, 0, px, py, theta);
        std::string contour = MoveRotateContour(PI, part.records, 0, 0, px, py, theta);
        if (IsCircleRecord(contour)) {
            const auto f = SplitFields(contour);
            const double r = LenientParse(FieldAt(f, 3));
            const std::string sx = DefaultNumber(LenientParse(FieldAt(f, 0)) - r), sy = DefaultNumber(LenientParse(FieldAt(f, 1)));
            header = std::string(FieldAt(SplitFields(part.header), 0)) + " " + sx + " " + sy + " " + sx + " " + sy;
        }
        return std::pair{header, contour};
    });
}

void ScaleParts(Program& program, double f, int32_t n) {
    RewriteParts(program, n, [&program, f](const PartFields& part) {
        return std::pair{ScaleHeader(program, part.header, f), ScaleContour(program, part.records, f)};
    });
}

}  // namespace zorvan
