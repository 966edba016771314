// Pass 3 of the DXF reader: entity texts become line, arc and circle records.
//
// The last coordinates used (start x/y/z and end x/y/z) carry over from one entity to the next within a
// load: a LINE starts them at 0, and a polyline vertex that lacks a coordinate keeps the one used before.
#include <algorithm>
#include <array>
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

// The tokens of an entity text after its "NAME:" prefix, as the text reads with every "|" taken for a blank:
// the words between blanks, empty ones skipped.
template <typename Visit>
void ForEachToken(std::string_view body, Visit visit) {
    size_t start = 0;
    for (size_t pos = 0; pos <= body.size(); ++pos) {
        if (pos < body.size() && body[pos] != '|' && body[pos] != ' ') continue;
        if (pos > start) visit(body.substr(start, pos - start));
        start = pos + 1;
    }
}

// The number a tagged token carries, such as "XS10" -> 10 (it starts at the third character).
double TaggedNumber(std::string_view token) { return LenientParse(token.size() > 2 ? token.substr(2) : ""); }

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

// A coordinate as the records use it: the number worked with, and its text in the record.
struct Coordinate {
    Coordinate() = default;
    // A value read from the drawing: worked with as it is, written as its 15-digit text.
    explicit Coordinate(double raw) : value(raw), text(raw) {}
    // A polyline vertex: its vertex list holds the 15-digit text, so that is also the value worked with.
    static Coordinate OfVertex(double raw) {
        Coordinate c(raw);
        c.value = c.text.Value();
        return c;
    }
    double value = 0;
    NumberText text;
};

// One polyline vertex: the coordinates and bulge its tokens gave; a coordinate it lacks keeps the value last
// used.
struct Vertex {
    Coordinate x, y, z;
    double bulge = 0;
    bool hasX = false, hasY = false, hasZ = false;
};

class RecordBuilder {
public:
    RecordBuilder(double PI, Extents& extents, BuiltRecords& records) : PI_(PI), extents_(extents), records_(records) {}

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

    // Room for one more record; false (and the drawing refused) when the store is full.
    bool Room() {
        if (tooMany_ || outOfRange_) return false;
        if (records_.size() >= static_cast<size_t>(kMaxRecords)) tooMany_ = true;
        return !tooMany_;
    }

    template <typename Append>
    void Store(Append append) {
        if (!Room()) return;
        std::string& bytes = records_.texts.Bytes();
        const size_t begin = bytes.size();
        records_.values.push_back(append(bytes));
        records_.texts.CloseRow(begin);
    }

    void WidenX(double x) { WidenExtent(x, extents_.minX, extents_.maxX); }
    void WidenY(double y) { WidenExtent(y, extents_.minY, extents_.maxY); }
    void WidenCircle(double cx, double cy, double r) {
        WidenX(cx - r);
        WidenX(cx + r);
        WidenY(cy - r);
        WidenY(cy + r);
    }

    // The vertices of a polyline's tokens. Every X starts a vertex; the tokens before the first X form a
    // vertex too, less the very first token (whose letter the vertex list loses), so a list that does not
    // start with X still gives that vertex.
    void ReadVertices(std::string_view body) {
        vertices_.clear();
        bool first = true;
        ForEachToken(body, [&](std::string_view token) {
            const std::string_view tag = token.substr(0, 2);
            const bool isX = tag == "XS", isY = tag == "YS", isZ = tag == "ZS", isBulge = tag == "PP";
            if (!isX && !isY && !isZ && !isBulge) return;
            const double raw = TaggedNumber(token);
            if (isX) WidenX(raw);
            if (isY) WidenY(raw);
            const bool leading = first;
            first = false;
            if (isX || leading) vertices_.emplace_back();
            if (leading && !isX) return;  // the first token's letter is lost
            Vertex& v = vertices_.back();
            if (isX) v.x = Coordinate::OfVertex(raw), v.hasX = true;
            if (isY) v.y = Coordinate::OfVertex(raw), v.hasY = true;
            if (isZ) v.z = Coordinate::OfVertex(raw), v.hasZ = true;
            if (isBulge) v.bulge = RoundedTo15Digits(raw);
        });
    }

    // Every polyline is closed: segments 0-1, 1-2, ..., m-0, whatever its flags say.
    void Polyline(std::string_view body) {
        ReadVertices(body);
        if (vertices_.empty()) return;  // no vertex at all: nothing to cut
        for (size_t c = 1; c < vertices_.size(); ++c) Segment(vertices_[c - 1], vertices_[c]);
        Segment(vertices_.back(), vertices_.front());
    }

    void Segment(const Vertex& from, const Vertex& to) {
        if (from.hasX) x1_ = from.x;
        if (from.hasY) y1_ = from.y;
        if (from.hasZ) z1_ = from.z;
        if (to.hasX) x2_ = to.x;
        if (to.hasY) y2_ = to.y;
        if (to.hasZ) z2_ = to.z;
        if (from.bulge != 0 && BulgeArc(from.bulge)) return;
        StoreLine();
    }

    void StoreLine() {
        if (!Holdable({x1_.value, y1_.value, z1_.value, x2_.value, y2_.value, z2_.value})) return;
        Store([this](std::string& out) {
            std::array<double, 11> at{};
            const Coordinate* fields[] = {&x1_, &y1_, &z1_, &x2_, &y2_, &z2_};
            for (size_t k = 0; k < 6; ++k) {
                out.append(fields[k]->text.Text()).push_back(' ');
                at[k] = fields[k]->text.Value();
            }
            out.push_back('D');
            return RecordValues::Of(RecordKind::Line, at, 0);
        });
    }

    // Writes the arc of a bulged segment. A bulge so close to 0 that the arc's radius or centre overflows
    // the doubles is a straight segment, and is left to the caller to write as one.
    bool BulgeArc(double bulge) {
        const double x1 = x1_.value, y1 = y1_.value, x2 = x2_.value, y2 = y2_.value;
        const double dx = x2 - x1, dy = y2 - y1;
        if (!std::isfinite(std::sqrt(dx * dx + dy * dy))) {  // a chord beyond the doubles: no arc to compute
            outOfRange_ = true;
            return true;
        }
        double cx = 0, cy = 0, r = 0;
        BulgeArcCentre(PI_, x1, y1, x2, y2, bulge, cx, cy, r);
        const double a1 = PointAngle(PI_, x1, y1, cx, cy);
        const double a2 = PointAngle(PI_, x2, y2, cx, cy);
        if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r) || !std::isfinite(a1) ||
            !std::isfinite(a2)) {
            return false;
        }
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r, x1, y1, x2, y2})) {
            const char sense = bulge > 0 ? '+' : '-';
            Store([&](std::string& out) { return AppendArcRecord(out, cx, cy, r, a1, a2, sense, x1, y1, x2, y2); });
        }
        return true;
    }

    void Line(std::string_view body) {
        double x1 = 0, y1 = 0, z1 = 0, x2 = 0, y2 = 0, z2 = 0;
        ForEachToken(body, [&](std::string_view token) {
            const std::string_view tag = token.substr(0, 2);
            const double value = TaggedNumber(token);
            if (tag == "XS") { x1 = value; WidenX(value); }
            if (tag == "YS") { y1 = value; WidenY(value); }
            if (tag == "ZS") z1 = value;
            if (tag == "XE") { x2 = value; WidenX(value); }
            if (tag == "YE") { y2 = value; WidenY(value); }
            if (tag == "ZE") z2 = value;
        });
        x1_ = Coordinate(x1), y1_ = Coordinate(y1), z1_ = Coordinate(z1);
        x2_ = Coordinate(x2), y2_ = Coordinate(y2), z2_ = Coordinate(z2);
        if (x1 == x2 && y1 == y2) return;  // a point, not a cut
        StoreLine();
    }

    void Circle(std::string_view body) {
        double r = 0, cx = 0, cy = 0;
        ForEachToken(body, [&](std::string_view token) {
            const std::string_view tag = token.substr(0, 2);
            if (tag == "RR") r = TaggedNumber(token);
            if (tag == "XS") cx = TaggedNumber(token);
            if (tag == "YS") cy = TaggedNumber(token);
        });
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r})) {
            Store([&](std::string& out) { return AppendCircleRecord(out, cx, cy, r); });
        }
    }

    // DXF arcs always run counter-clockwise from the start angle to the end angle.
    void Arc(std::string_view body) {
        double r = 0, cx = 0, cy = 0, startDeg = 0, endDeg = 0;
        ForEachToken(body, [&](std::string_view token) {
            const std::string_view tag = token.substr(0, 2);
            if (tag == "RR") r = TaggedNumber(token);
            if (tag == "XS") cx = TaggedNumber(token);
            if (tag == "YS") cy = TaggedNumber(token);
            if (tag == "SA") startDeg = TaggedNumber(token);
            if (tag == "EA") endDeg = TaggedNumber(token);
        });
        const double sx = std::cos(PI_ * startDeg / 180) * r + cx;
        const double sy = std::sin(PI_ * startDeg / 180) * r + cy;
        const double ex = std::cos(PI_ * endDeg / 180) * r + cx;
        const double ey = std::sin(PI_ * endDeg / 180) * r + cy;
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r, sx, sy, ex, ey, startDeg, endDeg})) {
            Store([&](std::string& out) {
                return AppendArcRecord(out, cx, cy, r, startDeg, endDeg, '+', sx, sy, ex, ey);
            });
        }
    }

    double PI_;
    Extents& extents_;
    BuiltRecords& records_;
    bool tooMany_ = false;
    bool outOfRange_ = false;
    std::vector<Vertex> vertices_;
    // The coordinates last used, shared by LINE and polyline segments within one load.
    Coordinate x1_, y1_, z1_, x2_, y2_, z2_;
};

}  // namespace

BuildStop BuildRecords(double PI, const TextTable& entities, Extents& extents, BuiltRecords& records) {
    // About one record per coordinate pair of the entity texts; the texts a little longer than the values.
    const size_t bytes = entities.Bytes().size();
    records.values.reserve(std::min(bytes / 16 + 1, static_cast<size_t>(kMaxRecords)));
    records.texts.reserve(records.values.capacity(), bytes * 3 / 2);
    RecordBuilder builder(PI, extents, records);
    for (const std::string_view entity : entities) {
        builder.Entity(entity);
        if (builder.TooMany()) return BuildStop::TooManyRecords;
        if (builder.OutOfRange()) return BuildStop::OutOfRange;
    }
    return BuildStop::Finished;
}

}  // namespace dxf
}  // namespace zorvan
