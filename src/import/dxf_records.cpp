// Pass 3 of the DXF reader: entity texts become line, arc and circle records.
//
// The last coordinates used (start x/y/z and end x/y/z) carry over from one entity to the next within a
// load: a LINE starts them at 0, and a polyline vertex that lacks a coordinate keeps the one used before.
#include <cmath>
#include <initializer_list>

#include "geometry/arc_helpers.h"
#include "import/dxf_passes.h"
#include "import/dxf_reader.h"
#include "model/number_text.h"
#include "model/program.h"
#include "model/record_text.h"

namespace zorvan {

namespace {

// The largest magnitude a drawing may hold: the sum or difference of any two such numbers is still a number,
// so the planning's end-point comparisons, angles and lead-ins stay finite.
constexpr double kLargestCoordinate = 1e307;

// The number a tagged token carries, such as "XS10" -> 10 (it starts at the third character).
double TaggedNumber(std::string_view token) { return LenientParse(token.size() > 2 ? token.substr(2) : ""); }

// The tokens of an entity text after its "NAME:" prefix: every "|" read as a blank, ends trimmed.
std::vector<std::string_view> EntityTokens(std::string_view body, std::string& scratch) {
    scratch.assign(body);
    for (char& c : scratch) {
        if (c == '|') c = ' ';
    }
    return SplitFields(TrimBlanks(scratch));
}

}  // namespace

void VertexXYZ(std::string_view vertex, double& x, double& y, double& z) {
    for (const std::string_view token : SplitFields(vertex)) {
        if (token.empty()) continue;
        const double value = LenientParse(token.substr(1));
        if (token[0] == 'X') x = value;
        if (token[0] == 'Y') y = value;
        if (token[0] == 'Z') z = value;
    }
}

double VertexBulge(std::string_view vertex) {
    double bulge = 0;
    for (const std::string_view token : SplitFields(vertex)) {
        if (!token.empty() && token[0] == 'P') bulge = LenientParse(token.substr(1));
    }
    return bulge;
}

namespace dxf {

namespace {

class RecordBuilder {
public:
    RecordBuilder(double PI, Extents& extents, std::vector<std::string>& records)
        : PI_(PI), extents_(extents), records_(records) {}

    bool TooMany() const { return tooMany_; }
    bool OutOfRange() const { return outOfRange_; }

    void Entity(std::string_view entity) {
        if (entity.starts_with("LWPOLYLINE:")) return Polyline(entity.substr(11));
        if (entity.starts_with("POLYLINE:")) return Polyline(entity.substr(9));
        if (entity.starts_with("LINE:")) return Line(entity.substr(5));
        if (entity.starts_with("CIRCLE:")) return Circle(entity.substr(7));
        if (entity.starts_with("ARC:")) return Arc(entity.substr(4));
    }

private:
    // Whether every value can be written into a record and worked with: finite and at most 1E+307 in
    // magnitude (the 15-digit text of anything above 1.797E+308 would even read back beyond the doubles).
    bool Holdable(std::initializer_list<double> values) {
        for (const double v : values) {
            if (!(std::fabs(v) <= kLargestCoordinate)) outOfRange_ = true;
        }
        return !outOfRange_;
    }

    void Store(std::string record) {
        if (record.empty() || tooMany_ || outOfRange_) return;
        if (static_cast<int32_t>(records_.size()) >= kMaxRecords) {
            tooMany_ = true;
            return;
        }
        records_.push_back(std::move(record));
    }

    void WidenX(double x) { WidenExtent(x, extents_.minX, extents_.maxX); }
    void WidenY(double y) { WidenExtent(y, extents_.minY, extents_.maxY); }
    void WidenCircle(double cx, double cy, double r) {
        WidenX(cx - r);
        WidenX(cx + r);
        WidenY(cy - r);
        WidenY(cy + r);
    }

    // The vertex list "|X0 Y0 |X10 Y0 P1 " of a polyline's tokens; every X starts a new vertex.
    std::string VertexList(const std::vector<std::string_view>& tokens) {
        std::string list;
        const auto append = [&list](std::string_view prefix, double value) {
            list.append(prefix).append(InvariantNumber(value)).push_back(' ');
        };
        for (const std::string_view token : tokens) {
            const std::string_view tag = token.substr(0, 2);
            const double value = TaggedNumber(token);
            if (tag == "XS") {
                WidenX(value);
                append("|X", value);
            } else if (tag == "YS") {
                WidenY(value);
                append("Y", value);
            } else if (tag == "ZS") {
                append("Z", value);
            } else if (tag == "PP") {
                append("P", value);
            }
        }
        return list;
    }

    // Every polyline is closed: segments 0-1, 1-2, ..., m-0, whatever its flags say.
    void Polyline(std::string_view body) {
        const std::string list = VertexList(EntityTokens(body, scratch_));
        if (list.empty()) return;  // no vertex at all: nothing to cut
        const std::vector<std::string_view> vertices = SplitFields(std::string_view(list).substr(1), '|');
        for (size_t c = 1; c < vertices.size(); ++c) Segment(vertices[c - 1], vertices[c]);
        Segment(vertices.back(), vertices.front());
    }

    void Segment(std::string_view from, std::string_view to) {
        VertexXYZ(from, x1_, y1_, z1_);
        VertexXYZ(to, x2_, y2_, z2_);
        const double bulge = VertexBulge(from);
        if (bulge != 0 && BulgeArc(bulge)) return;
        if (Holdable({x1_, y1_, z1_, x2_, y2_, z2_})) Store(MakeLineRecord(x1_, y1_, z1_, x2_, y2_, z2_));
    }

    // Writes the arc of a bulged segment. A bulge so close to 0 that the arc's radius or centre overflows
    // the doubles is a straight segment, and is left to the caller to write as one.
    bool BulgeArc(double bulge) {
        const double dx = x2_ - x1_, dy = y2_ - y1_;
        if (!std::isfinite(std::sqrt(dx * dx + dy * dy))) {  // a chord beyond the doubles: no arc to compute
            outOfRange_ = true;
            return true;
        }
        double cx = 0, cy = 0, r = 0;
        BulgeArcCentre(PI_, x1_, y1_, x2_, y2_, bulge, cx, cy, r);
        const double a1 = PointAngle(PI_, x1_, y1_, cx, cy);
        const double a2 = PointAngle(PI_, x2_, y2_, cx, cy);
        if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r) || !std::isfinite(a1) ||
            !std::isfinite(a2)) {
            return false;
        }
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r, x1_, y1_, x2_, y2_})) {
            Store(MakeArcRecord(cx, cy, r, a1, a2, bulge > 0 ? '+' : '-', x1_, y1_, x2_, y2_));
        }
        return true;
    }

    void Line(std::string_view body) {
        x1_ = y1_ = x2_ = y2_ = z1_ = z2_ = 0;
        for (const std::string_view token : EntityTokens(body, scratch_)) {
            const std::string_view tag = token.substr(0, 2);
            const double value = TaggedNumber(token);
            if (tag == "XS") { x1_ = value; WidenX(value); }
            if (tag == "YS") { y1_ = value; WidenY(value); }
            if (tag == "ZS") z1_ = value;
            if (tag == "XE") { x2_ = value; WidenX(value); }
            if (tag == "YE") { y2_ = value; WidenY(value); }
            if (tag == "ZE") z2_ = value;
        }
        if (x1_ == x2_ && y1_ == y2_) return;  // a point, not a cut
        if (Holdable({x1_, y1_, z1_, x2_, y2_, z2_})) Store(MakeLineRecord(x1_, y1_, z1_, x2_, y2_, z2_));
    }

    void Circle(std::string_view body) {
        double r = 0, cx = 0, cy = 0;
        for (const std::string_view token : EntityTokens(body, scratch_)) {
            const std::string_view tag = token.substr(0, 2);
            if (tag == "RR") r = TaggedNumber(token);
            if (tag == "XS") cx = TaggedNumber(token);
            if (tag == "YS") cy = TaggedNumber(token);
        }
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r})) Store(MakeCircleRecord(cx, cy, r));
    }

    // DXF arcs always run counter-clockwise from the start angle to the end angle.
    void Arc(std::string_view body) {
        double r = 0, cx = 0, cy = 0, startDeg = 0, endDeg = 0;
        for (const std::string_view token : EntityTokens(body, scratch_)) {
            const std::string_view tag = token.substr(0, 2);
            if (tag == "RR") r = TaggedNumber(token);
            if (tag == "XS") cx = TaggedNumber(token);
            if (tag == "YS") cy = TaggedNumber(token);
            if (tag == "SA") startDeg = TaggedNumber(token);
            if (tag == "EA") endDeg = TaggedNumber(token);
        }
        const double sx = std::cos(PI_ * startDeg / 180) * r + cx;
        const double sy = std::sin(PI_ * startDeg / 180) * r + cy;
        const double ex = std::cos(PI_ * endDeg / 180) * r + cx;
        const double ey = std::sin(PI_ * endDeg / 180) * r + cy;
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r, sx, sy, ex, ey, startDeg, endDeg})) {
            Store(MakeArcRecord(cx, cy, r, startDeg, endDeg, '+', sx, sy, ex, ey));
        }
    }

    double PI_;
    Extents& extents_;
    std::vector<std::string>& records_;
    bool tooMany_ = false;
    bool outOfRange_ = false;
    std::string scratch_;
    // The coordinates last used, shared by LINE and polyline segments within one load.
    double x1_ = 0, y1_ = 0, z1_ = 0, x2_ = 0, y2_ = 0, z2_ = 0;
};

}  // namespace

BuildStop BuildRecords(double PI, const std::vector<std::string>& entities, Extents& extents,
                       std::vector<std::string>& records) {
    RecordBuilder builder(PI, extents, records);
    for (const std::string& entity : entities) {
        builder.Entity(entity);
        if (builder.TooMany()) return BuildStop::TooManyRecords;
        if (builder.OutOfRange()) return BuildStop::OutOfRange;
    }
    return BuildStop::Finished;
}

}  // namespace dxf
}  // namespace zorvan
