// Transforms of the drawing: each record's numbers taken from what it reads as, moved, and written again with
// the numbers the new text reads as kept beside it.
#include "geometry/transforms.h"

#include <cmath>
#include <vector>

#include "model/cut_style.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// Angles wrapped once: above 360 lose 360, then below 0 gain 360.
void WrapAngles(double& start, double& end) {
    if (start > 360) start -= 360;
    if (end > 360) end -= 360;
    if (start < 0) start += 360;
    if (end < 0) end += 360;
}

// Writes each number in the invariant form followed by a blank, keeping what it reads as at `at[k]`.
template <size_t N>
void AppendNumbers(std::string& out, std::array<double, 11>& at, const std::array<std::pair<size_t, double>, N>& numbers) {
    for (const auto& [k, value] : numbers) {
        at[k] = AppendInvariantNumber(out, value);
        out += ' ';
    }
}

// One record with its points through `point`, its radius times `radiusFactor` and its angles turned by
// `turnDegrees`; a circle starts again at its new leftmost point or keeps its own start point moved.
template <typename Point>
RecordValues TransformRecord(std::string& out, std::string_view record, const RecordValues& v, const Point& point,
                             double radiusFactor, double turnDegrees, bool restartCircleAtLeft) {
    std::array<double, 11> at{};
    switch (v.kind()) {
        case RecordKind::Arc: {
            const auto [cx, cy] = point(v.At(0), v.At(1));
            const auto [sx, sy] = point(v.At(7), v.At(8));
            const auto [ex, ey] = point(v.At(9), v.At(10));
            double start = v.At(4) + turnDegrees, end = v.At(5) + turnDegrees;
            WrapAngles(start, end);
            AppendNumbers<6>(out, at, {{{0, cx}, {1, cy}, {2, v.At(2)}, {3, v.At(3) * radiusFactor}, {4, start}, {5, end}}});
            out.append(TrimBlanks(RecordFieldTexts(record).at[6])).push_back(' ');
            AppendNumbers<4>(out, at, {{{7, sx}, {8, sy}, {9, ex}, {10, ey}}});
            out += 'A';
            return RecordValues::Of(RecordKind::Arc, at, v.Sense());
        }
        case RecordKind::Circle: {
            const auto [cx, cy] = point(v.At(0), v.At(1));
            const double r = v.At(3) * radiusFactor;
            const auto [sx, sy] = restartCircleAtLeft ? std::pair{cx - r, cy} : point(v.At(5), v.At(6));
            AppendNumbers<4>(out, at, {{{0, cx}, {1, cy}, {2, v.At(2)}, {3, r}}});
            out.append(TrimBlanks(RecordFieldTexts(record).at[4])).push_back(' ');
            AppendNumbers<2>(out, at, {{{5, sx}, {6, sy}}});
            out += 'K';
            return RecordValues::Of(RecordKind::Circle, at, v.Sense());
        }
        case RecordKind::Line: {
            const auto [x1, y1] = point(v.At(0), v.At(1));
            const auto [x2, y2] = point(v.At(3), v.At(4));
            AppendNumbers<6>(out, at, {{{0, x1}, {1, y1}, {2, v.At(2)}, {3, x2}, {4, y2}, {5, v.At(5)}}});
            out += 'D';
            return RecordValues::Of(RecordKind::Line, at, 0);
        }
        case RecordKind::None: break;
    }
    out.append(record);
    return v;
}

// Every record of a part's contour transformed, followed by "|"; the values of the new records into `values`.
template <typename Point>
std::string TransformContour(std::string_view contour, const RecordList& records, const Point& point,
                             double radiusFactor, double turnDegrees, bool restartCircleAtLeft,
                             RecordList& values) {
    std::string result;
    result.reserve(contour.size() + contour.size() / 4);
    values.clear();
    values.reserve(records.size());
    size_t k = 0;
    ForEachRecord(contour, [&](std::string_view record) {
        values.push_back(TransformRecord(result, record, records[k++], point, radiusFactor, turnDegrees, restartCircleAtLeft));
        result += '|';
    });
    return result;
}

// The header's points moved; its shape words (an arc lead-in's radius, overcut, lead-out) go with the part,
// their lengths times `lengthFactor`.
template <typename Point>
std::string TransformHeader(std::string_view header, const Point& point, double lengthFactor) {
    const auto f = SplitFields(header);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    const auto [sx, sy] = point(n(1), n(2));
    const auto [lx, ly] = point(n(3), n(4));
    std::string text =
        JoinFields({std::string(FieldAt(f, 0)), DefaultNumber(sx), DefaultNumber(sy), DefaultNumber(lx), DefaultNumber(ly)});
    CutShape shape = ReadCutShape(header);
    if (shape.Plain()) return text;
    shape.arcRadius *= lengthFactor;
    shape.overcut *= lengthFactor;
    shape.leadOut *= lengthFactor;
    return text + CutShapeWords(shape);
}

struct MoveRotate {
    std::pair<double, double> operator()(double x, double y) const { return MoveRotatePoint(x, y, tx, ty, px, py, theta); }
    double LengthFactor() const { return 1; }
    double tx, ty, px, py, theta;
};

struct Scale {
    std::pair<double, double> operator()(double x, double y) const { return ScalePoint(program, x, y, f); }
    double LengthFactor() const { return std::fabs(f); }
    const Program& program;
    double f;
};

std::string TransformedRecord(std::string_view record, const auto& point, double radiusFactor, double turnDegrees,
                              bool restartCircleAtLeft) {
    std::string text;
    TransformRecord(text, record, RecordValues(record), point, radiusFactor, turnDegrees, restartCircleAtLeft);
    return text;
}

std::string TransformedContour(std::string_view contour, const auto& point, double radiusFactor, double turnDegrees,
                               bool restartCircleAtLeft) {
    RecordList records, values;
    ForEachRecord(contour, [&records](std::string_view record) { records.emplace_back(record); });
    return TransformContour(contour, records, point, radiusFactor, turnDegrees, restartCircleAtLeft, values);
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
    return TransformedRecord(record, MoveRotate{tx, ty, px, py, theta}, 1, theta * 180 / PI, true);
}

std::string MoveRotateContour(double PI, std::string_view contour, double tx, double ty, double px, double py,
                              double theta) {
    return TransformedContour(contour, MoveRotate{tx, ty, px, py, theta}, 1, theta * 180 / PI, true);
}

std::string MoveRotateHeader(std::string_view header, double tx, double ty, double px, double py, double theta) {
    return TransformHeader(header, MoveRotate{tx, ty, px, py, theta}, 1);
}

std::string ScaleRecord(const Program& program, std::string_view record, double f) {
    return TransformedRecord(record, Scale{program, f}, f, 0, false);
}

std::string ScaleContour(const Program& program, std::string_view contour, double f) {
    return TransformedContour(contour, Scale{program, f}, f, 0, false);
}

std::string ScaleHeader(const Program& program, std::string_view header, double f) {
    return TransformHeader(header, Scale{program, f}, std::fabs(f));
}

namespace {

// Every part 0..n-1 rewritten as "header:contour:marks" with its header and contour transformed. `header`
// may replace the header once the contour is known.
template <typename Point, typename Header>
void RewriteParts(Program& program, int32_t n, const Point& point, double radiusFactor, double turnDegrees,
                  bool restartCircleAtLeft, const Header& header) {
    RecordList values;
    const auto rewrite = [&](PartEntry& entry) {
        const PartFields part(entry);
        const std::string contour =
            TransformContour(part.records, entry.Records(), point, radiusFactor, turnDegrees, restartCircleAtLeft, values);
        std::string text = header(part, contour);
        text.reserve(text.size() + contour.size() + part.marks.size() + 2);
        text.append(":").append(contour).append(":").append(part.marks);
        entry.Set(std::move(text), values);
    };
    for (int32_t i = 0; i < n && i < kMaxContours; ++i) rewrite(program.partList[static_cast<size_t>(i)]);
    for (PartEntry& entry : program.openLeftOut) rewrite(entry);
}

}  // namespace

// A circle keeps its own start point, moved or turned with it, and so its lead-in: a circle started again at
// its leftmost point would leave the lead-in ending where the contour no longer starts.
void MoveParts(Program& program, double dx, double dy, int32_t n) {
    const MoveRotate point{dx, dy, 0, 0, 0};
    RewriteParts(program, n, point, 1, 0, false,
                 [&point](const PartFields& part, const std::string&) { return TransformHeader(part.header, point, point.LengthFactor()); });
}

void RotateParts(Program& program, double theta, int32_t n) {
    const double px = (program.extMinX + program.extMaxX) / 2, py = (program.extMinY + program.extMaxY) / 2;
    const MoveRotate point{0, 0, px, py, theta};
    RewriteParts(program, n, point, 1, theta * 180 / program.PI, false,
                 [&point](const PartFields& part, const std::string&) { return TransformHeader(part.header, point, point.LengthFactor()); });
}

void ScaleParts(Program& program, double f, int32_t n) {
    const Scale point{program, f};
    RewriteParts(program, n, point, f, 0, false,
                 [&point](const PartFields& part, const std::string&) { return TransformHeader(part.header, point, point.LengthFactor()); });
}

}  // namespace zorvan
