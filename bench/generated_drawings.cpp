// The generated drawings.
#include "generated_drawings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "model/record_text.h"

namespace zorvan::bench {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vertex {
    double x, y;
};

// A regular polygon around (cx, cy), counter-clockwise from angle 0.
std::vector<Vertex> RegularPolygon(double cx, double cy, double radius, int32_t sides) {
    std::vector<Vertex> vertices;
    vertices.reserve(static_cast<size_t>(sides));
    for (int32_t j = 0; j < sides; ++j) {
        const double angle = 2 * kPi * j / sides;
        vertices.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
    }
    return vertices;
}

// `count` polygons of `sides` sides in rows, far enough apart never to touch, with sides never shorter
// than about 0.06 so that no two vertices of one polygon meet either.
std::vector<std::vector<Vertex>> PolygonGrid(int32_t count, int32_t sides) {
    const double radius = std::max(4.0, sides * 0.01);
    const double pitch = 2.5 * radius;
    const auto columns = static_cast<int32_t>(std::ceil(std::sqrt(static_cast<double>(count))));
    std::vector<std::vector<Vertex>> polygons;
    polygons.reserve(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        polygons.push_back(RegularPolygon(pitch * (k % columns + 1), pitch * (k / columns + 1), radius, sides));
    }
    return polygons;
}

int32_t PolygonCount(int32_t records, int32_t sides) {
    if (sides < 3 || records % sides != 0) throw std::invalid_argument("records must be a multiple of sides >= 3");
    return records / sides;
}

// Builds DXF text pair by pair, group codes right-aligned in three columns as DXF writers do.
class DxfText {
public:
    DxfText() { Pair(0, "SECTION").Pair(2, "ENTITIES"); }

    DxfText& Pair(int code, std::string_view value) {
        char digits[8];
        const auto result = std::to_chars(digits, digits + sizeof digits, code);
        const auto width = static_cast<size_t>(result.ptr - digits);
        text_.append(width < 3 ? 3 - width : 0, ' ').append(digits, result.ptr).append("\r\n");
        text_.append(value).append("\r\n");
        return *this;
    }

    DxfText& Pair(int code, double value) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);  // shortest exact form
        return Pair(code, std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
    }

    DxfText& Line(Vertex from, Vertex to) {
        Pair(0, "LINE").Pair(8, "CUT");
        Pair(10, from.x).Pair(20, from.y).Pair(30, 0.0);
        return Pair(11, to.x).Pair(21, to.y).Pair(31, 0.0);
    }

    DxfText& ClosedLwPolyline(const std::vector<Vertex>& vertices) {
        Pair(0, "LWPOLYLINE").Pair(8, "CUT").Pair(90, std::to_string(vertices.size())).Pair(70, "1");
        for (const Vertex& v : vertices) Pair(10, v.x).Pair(20, v.y);
        return *this;
    }

    std::string Finish() {
        Pair(0, "ENDSEC").Pair(0, "EOF");
        return std::move(text_);
    }

private:
    std::string text_;
};

}  // namespace

std::string LimitDrawingDxf() {
    constexpr int32_t kHoles = 498, kColumns = 23, kRows = 22, kSides = 200;
    constexpr double kPitch = 10, kRadius = 4;
    DxfText dxf;
    const double width = kPitch * (kColumns + 1), height = kPitch * (kRows + 1);
    dxf.ClosedLwPolyline({{0, 0}, {width, 0}, {width, height}, {0, height}});
    for (int32_t k = 0; k < kHoles; ++k) {
        dxf.ClosedLwPolyline(RegularPolygon(kPitch * (k % kColumns + 1), kPitch * (k / kColumns + 1), kRadius, kSides));
    }
    return dxf.Finish();
}

std::string LinePolygonsDxf(int32_t records, int32_t sides) {
    DxfText dxf;
    for (const auto& polygon : PolygonGrid(PolygonCount(records, sides), sides)) {
        for (size_t j = 0; j < polygon.size(); ++j) dxf.Line(polygon[j], polygon[(j + 1) % polygon.size()]);
    }
    return dxf.Finish();
}

std::string LwPolylinePolygonsDxf(int32_t records, int32_t sides) {
    DxfText dxf;
    for (const auto& polygon : PolygonGrid(PolygonCount(records, sides), sides)) dxf.ClosedLwPolyline(polygon);
    return dxf.Finish();
}

std::string ScalingDrawingDxf(int32_t records) {
    if (records <= 4 * 1001) return LinePolygonsDxf(records, 4);
    if (records <= 20001) return LinePolygonsDxf(records, 20);
    return LwPolylinePolygonsDxf(records, records);
}

std::vector<std::string> PolygonRecordTexts(int32_t records, int32_t sides) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(records));
    for (const auto& polygon : PolygonGrid(PolygonCount(records, sides), sides)) {
        for (size_t j = 0; j < polygon.size(); ++j) {
            const Vertex& from = polygon[j];
            const Vertex& to = polygon[(j + 1) % polygon.size()];
            texts.push_back(MakeLineRecord(from.x, from.y, 0, to.x, to.y, 0));
        }
    }
    return texts;
}

}  // namespace zorvan::bench
