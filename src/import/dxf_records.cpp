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

// The tokens of an entity text's values, as the text reads with every "|" taken for a blank: the words
// between blanks, empty ones skipped.
template <typename Visit>
void ForEachToken(std::string_view body, Visit visit) {
    size_t start = 0;
    for (size_t pos = 0; pos <= body.size(); ++pos) {
        if (pos < body.size() && body[pos] != '|' && body[pos] != ' ') continue;
        if (pos > start) visit(body.substr(start, pos - start));
        start = pos + 1;
    }
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

// What kind of entity a name starts, as pass 3 dispatches its text ("LWPOLYLINE" is read as POLYLINE).
enum class EntityKind { Other, Polyline, Line, Circle, Arc };

EntityKind KindOfEntity(std::string_view name) {
    if (name == "LWPOLYLINE" || name == "POLYLINE") return EntityKind::Polyline;
    if (name == "LINE") return EntityKind::Line;
    if (name == "CIRCLE") return EntityKind::Circle;
    if (name == "ARC") return EntityKind::Arc;
    return EntityKind::Other;
}

class RecordBuilder {
public:
    RecordBuilder(double PI, const std::vector<Plane>& planes, Extents& extents, BuiltRecords& records)
        : PI_(PI), planes_(planes), out_(extents, records) {}

    bool TooMany() const { return out_.TooMany(); }
    bool OutOfRange() const { return out_.OutOfRange(); }

    void Begin(std::string_view name) {
        kind_ = KindOfEntity(name);
        // An entity in the mirror image of the drawing's plane is read in world coordinates: its x values
        // change sign, its bulges too, and an arc's angles become 180 - end and 180 - start.
        mirrored_ = !name.empty() && nextPlane_ < planes_.size() && planes_[nextPlane_] == Plane::Mirrored;
        if (!name.empty()) ++nextPlane_;
        fields_ = {};
        polylineStarted_ = false;
        vertexCount_ = 0;
    }

    // One kept pair: its tokens as the entity text holds them, the tag and value run together and every blank
    // or "|" in the value splitting it further.
    void Value(std::string_view tag, std::string_view value) {
        const size_t firstEnd = std::min(value.find_first_of(" |"), value.size());
        Token(tag, value.substr(0, firstEnd));
        ForEachToken(value.substr(firstEnd), [this](std::string_view token) {
            Token(token.substr(0, 2), token.size() > 2 ? token.substr(2) : std::string_view());
        });
    }

    void End() {
        switch (kind_) {
            case EntityKind::Polyline: EndPolyline(); return;
            case EntityKind::Line: Line(); return;
            case EntityKind::Circle: Circle(); return;
            case EntityKind::Arc: Arc(); return;
            case EntityKind::Other: return;
        }
    }

private:
    // The values a line, circle or arc takes from its tokens; a later token of a tag wins.
    struct Fields {
        double xs = 0, ys = 0, zs = 0, xe = 0, ye = 0, ze = 0, rr = 0, sa = 0, ea = 0;
    };

    void Token(std::string_view tag, std::string_view number) {
        if (kind_ == EntityKind::Polyline) return PolylineToken(tag, number);
        if (kind_ == EntityKind::Other) return;
        const double value = LenientParse(number);
        const bool widens = kind_ == EntityKind::Line;  // a line widens the extents by its points as it reads them
        if (tag == "XS") {
            fields_.xs = value;
            if (widens) WidenX(value);
        } else if (tag == "YS") {
            fields_.ys = value;
            if (widens) WidenY(value);
        } else if (tag == "ZS") {
            fields_.zs = value;
        } else if (tag == "XE") {
            fields_.xe = value;
            if (widens) WidenX(value);
        } else if (tag == "YE") {
            fields_.ye = value;
            if (widens) WidenY(value);
        } else if (tag == "ZE") {
            fields_.ze = value;
        } else if (tag == "RR") {
            fields_.rr = value;
        } else if (tag == "SA") {
            fields_.sa = value;
        } else if (tag == "EA") {
            fields_.ea = value;
        }
    }

    bool Holdable(std::initializer_list<double> values) { return out_.Holdable(values); }
    template <typename Append>
    void Store(Append append) { out_.Store(append); }
    void WidenX(double x) { out_.WidenX(x); }
    void WidenY(double y) { out_.WidenY(y); }
    void WidenCircle(double cx, double cy, double r) { out_.WidenCircle(cx, cy, r); }

    // A polyline's vertices, as its vertex list holds them, streamed: every X starts a vertex; the tokens before
    // the first X form a vertex too, less the very first token (whose letter the vertex list loses). Segments
    // join each vertex to the one before as soon as it is complete, and the last to the first at the end, so
    // every polyline is closed, whatever its flags say.
    void PolylineToken(std::string_view tag, std::string_view number) {
        const bool isX = tag == "XS", isY = tag == "YS", isZ = tag == "ZS", isBulge = tag == "PP";
        if (!isX && !isY && !isZ && !isBulge) return;
        const double read = LenientParse(number);
        const double raw = mirrored_ && (isX || isBulge) ? -read : read;
        if (isX) WidenX(raw);
        if (isY) WidenY(raw);
        if (!polylineStarted_) {
            polylineStarted_ = true;
            current_ = Vertex{};
            if (!isX) return;  // the first token's letter is lost
        } else if (isX) {
            FinishVertex();
            current_ = Vertex{};
        }
        if (isX) current_.x = Coordinate::OfVertex(raw), current_.hasX = true;
        if (isY) current_.y = Coordinate::OfVertex(raw), current_.hasY = true;
        if (isZ) current_.z = Coordinate::OfVertex(raw), current_.hasZ = true;
        if (isBulge) current_.bulge = RoundedTo15Digits(raw);
    }

    void FinishVertex() {
        if (vertexCount_++ == 0) {
            first_ = current_;
        } else {
            Segment(previous_, current_);
        }
        previous_ = current_;
    }

    void EndPolyline() {
        if (!polylineStarted_) return;  // no vertex at all: nothing to cut
        FinishVertex();
        Segment(previous_, first_);
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
            out_.MarkOutOfRange();
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

    void Line() {
        const Fields& f = fields_;
        x1_ = Coordinate(f.xs), y1_ = Coordinate(f.ys), z1_ = Coordinate(f.zs);
        x2_ = Coordinate(f.xe), y2_ = Coordinate(f.ye), z2_ = Coordinate(f.ze);
        if (f.xs == f.xe && f.ys == f.ye) return;  // a point, not a cut
        StoreLine();
    }

    void Circle() {
        const double r = fields_.rr, cx = mirrored_ ? -fields_.xs : fields_.xs, cy = fields_.ys;
        WidenCircle(cx, cy, r);
        if (Holdable({cx - r, cx + r, cy - r, cy + r})) {
            Store([&](std::string& out) { return AppendCircleRecord(out, cx, cy, r); });
        }
    }

    // DXF arcs always run counter-clockwise from the start angle to the end angle.
    void Arc() {
        const double r = fields_.rr, cx = mirrored_ ? -fields_.xs : fields_.xs, cy = fields_.ys;
        const double startDeg = mirrored_ ? 180 - fields_.ea : fields_.sa;
        const double endDeg = mirrored_ ? 180 - fields_.sa : fields_.ea;
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
    const std::vector<Plane>& planes_;
    size_t nextPlane_ = 0;
    bool mirrored_ = false;
    RecordOutput out_;
    EntityKind kind_ = EntityKind::Other;
    Fields fields_;
    bool polylineStarted_ = false;
    size_t vertexCount_ = 0;
    Vertex current_, previous_, first_;
    // The coordinates last used, shared by LINE and polyline segments within one load.
    Coordinate x1_, y1_, z1_, x2_, y2_, z2_;
};

}  // namespace

BuildStop BuildRecords(double PI, const TextTable& pairs, const std::vector<Plane>& planes, Extents& extents,
                       BuiltRecords& records) {
    // Room for the records at once, as near as the pairs tell (room reserved and never written costs no
    // memory): a record takes at least two pairs, and its text seldom more than twice their bytes.
    const size_t bytes = pairs.Bytes().size();
    const size_t count = std::min(pairs.size() / 2 + 1, static_cast<size_t>(kMaxRecords));
    records.values.reserve(count);
    records.texts.reserve(count, 2 * bytes + 64);
    RecordBuilder builder(PI, planes, extents, records);
    BuildStop stop = BuildStop::Finished;
    GroupPairs(
        pairs, [&](std::string_view name) { builder.Begin(name); },
        [&](std::string_view tag, std::string_view value) { builder.Value(tag, value); },
        [&] {
            if (stop != BuildStop::Finished) return;
            builder.End();
            if (builder.TooMany()) stop = BuildStop::TooManyRecords;
            if (builder.OutOfRange()) stop = BuildStop::OutOfRange;
        });
    return stop;
}

}  // namespace dxf
}  // namespace zorvan
