// Sheet mode's reading.
#include "import/sheet_reader.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/affine.h"
#include "geometry/arc_helpers.h"
#include "geometry/curves.h"
#include "import/chaining.h"
#include "import/units.h"
#include "model/record_text.h"

namespace zorvan::dxf {

namespace {

constexpr int kDeepestNesting = 64;
// Block insertions in all (arrays count every copy): beyond, the drawing is refused as too large, so that an
// array of a million copies of an empty block cannot keep the reader busy.
constexpr size_t kMostInsertions = 1000000;
// Entities visited in all, those left out included (points and texts in an arrayed block count every copy),
// and DXF values looked through: a small file cannot keep the reader busy for minutes.
constexpr size_t kMostVisits = 4000000;
constexpr size_t kMostValuesRead = 40000000;
constexpr double kTurn = 2 * std::numbers::pi;
// The largest angles (in degrees) and ellipse parameters (in radians) read: beyond them a double no longer
// tells a thousandth of a degree apart, and no CAD program writes them. Such an entity is left out and named.
constexpr double kLargestDegrees = 1e9;
constexpr double kLargestRadians = 1e7;

// An angle's sweep brought into (0, one turn], however large or small it was: a loop adding turns would
// never end past 1e16, where adding a turn no longer changes the number. Not a number gives 0.
double PositiveSweep(double sweep) {
    if (!std::isfinite(sweep)) return 0;
    sweep = std::fmod(sweep, kTurn);
    return sweep <= 0 ? sweep + kTurn : sweep;
}
// How far apart, in drawing units, the heights of a 3D polyline's vertices may lie for it to be read flat, as
// a 2D polyline: strictly less than the join tolerance, as end points join.
constexpr double kFlatTolerance = kChainTolerance;

// The types whose entities are cut geometry; everything else is counted, not read.
bool IsGeometry(std::string_view type) {
    return type == "LINE" || type == "CIRCLE" || type == "ARC" || type == "LWPOLYLINE" || type == "POLYLINE" ||
           type == "ELLIPSE" || type == "SPLINE" || type == "INSERT";
}

// The map of an entity's object coordinate system onto the drawing's plane: itself, or its mirror image when
// the extrusion direction points down; nothing for a tilted plane.
std::optional<Affine2> PlaneMap(const Entity& entity) {
    switch (PlaneOf(entity.Number(210, 0), entity.Number(220, 0), entity.Number(230, 1))) {
        case Plane::Drawing: return Affine2{};
        case Plane::Mirrored: return Affine2::Scaling(-1, 1);
        case Plane::Tilted: break;
    }
    return std::nullopt;
}

Vector2 ToVector(Point2 p) { return {p.x, p.y}; }
Point2 ToPoint(Vector2 v) { return {v.x, v.y}; }
double Dot(Vector2 a, Vector2 b) { return a.x * b.x + a.y * b.y; }
double Length(Vector2 v) { return std::sqrt(Dot(v, v)); }

// An ellipse given by two conjugate semi-diameters, P(t) = c + u cos t + v sin t, as FitEllipse takes it: its
// major semi-axis, its ratio, the parameter shift (FitEllipse's parameter is t - shift) and whether it runs
// clockwise as t grows.
struct PrincipalAxes {
    Vector2 major;
    double ratio = 1;
    double shift = 0;
    bool clockwise = false;
};

std::optional<PrincipalAxes> Principal(Vector2 u, Vector2 v) {
    const double tau = 0.5 * std::atan2(2 * Dot(u, v), Dot(u, u) - Dot(v, v));
    Vector2 a{u.x * std::cos(tau) + v.x * std::sin(tau), u.y * std::cos(tau) + v.y * std::sin(tau)};
    Vector2 b{-u.x * std::sin(tau) + v.x * std::cos(tau), -u.y * std::sin(tau) + v.y * std::cos(tau)};
    PrincipalAxes axes{a, 0, tau, false};
    if (Length(a) < Length(b)) {  // the other axis is the major one, a quarter turn on
        axes.major = b;
        b = {-a.x, -a.y};
        axes.shift += std::numbers::pi / 2;
    }
    const double major = Length(axes.major);
    if (!(major > 0) || !std::isfinite(major)) return std::nullopt;
    axes.ratio = Length(b) / major;
    axes.clockwise = axes.major.x * b.y - axes.major.y * b.x < 0;
    if (!(axes.ratio > 0)) return std::nullopt;
    return axes;
}

// The layer context of a block's entities: entities on layer "0" take the layer of the insertion.
struct Context {
    std::string_view insertLayer;
    bool topLevel = true;
};

class SheetBuilder {
public:
    SheetBuilder(const Document& document, double PI, const ReadOptions& options, Extents& extents,
                 BuiltRecords& records)
        : document_(document), PI_(PI), options_(options), out_(extents, records), records_(records) {}

    SheetRead Run() {
        // A tolerance that is no length (0, negative, not a number) would fit nothing: the default serves.
        const double asked = options_.curveTolerance > 0 && std::isfinite(options_.curveTolerance)
                                 ? options_.curveTolerance
                                 : ReadOptions{}.curveTolerance;
        const std::optional<double> millimetres = MillimetresPerUnit(document_.insUnits);
        const double perOutputUnit = options_.units == OutputUnits::Inches ? 25.4 : 1.0;
        Affine2 units;
        if (millimetres) {
            units = Affine2::Scaling(*millimetres / perOutputUnit, *millimetres / perOutputUnit);
            tolerance_ = asked / perOutputUnit;
            result_.recordUnits = options_.units == OutputUnits::Inches ? "inches" : "millimetres";
        } else {
            tolerance_ = asked;  // in drawing units: the drawing declares none
            result_.recordUnits = UnitsName(document_.insUnits);
        }
        Walk(document_.entities, units, Context{}, 0);
        result_.stop = out_.Stop();
        if (insertions_ > kMostInsertions) {
            result_.tooMuchWork = "more than " + Thousands(kMostInsertions) + " block insertions";
        } else if (visits_ > kMostVisits) {
            result_.tooMuchWork = "more than " + Thousands(kMostVisits) + " entities, counting every insertion of a block";
        } else if (valuesRead_ > kMostValuesRead) {
            result_.tooMuchWork = "more than " + Thousands(kMostValuesRead) + " DXF values, counting every insertion of a block";
        }
        return std::move(result_);
    }

private:
    bool Stopped() const {
        return !result_.refusal.empty() || out_.Stop() != BuildStop::Finished || insertions_ > kMostInsertions ||
               visits_ > kMostVisits || valuesRead_ > kMostValuesRead ||
               result_.expandedEntities > static_cast<size_t>(kMaxDxfEntities);
    }

    static std::string Thousands(size_t n) {
        std::string digits = std::to_string(n);
        for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
        return digits;
    }

    bool Hidden(std::string_view layer) const {
        const auto found = document_.layers.find(layer);
        return found != document_.layers.end() && (found->second.off || found->second.frozen);
    }
    bool Frozen(std::string_view layer) const {
        const auto found = document_.layers.find(layer);
        return found != document_.layers.end() && found->second.frozen;
    }

    void Count(const Context& context, std::string_view what) {
        if (context.topLevel) ++result_.report.notRead[std::string(what)];
    }
    void CountCut(const Context& context, std::string what) {
        if (context.topLevel) ++result_.report.cutGeometry[std::move(what)];
    }

    void Walk(const std::vector<Entity>& entities, const Affine2& map, const Context& context, int depth) {
        for (const Entity& entity : entities) {
            if (Stopped()) return;
            Read(entity, map, context, depth);
        }
    }

    void Read(const Entity& entity, const Affine2& map, const Context& context, int depth) {
        ++visits_;
        if (context.topLevel && entity.Integer(67) == 1) return Count(context, "in paper space");
        if (entity.Integer(60) == 1) return Count(context, "invisible");
        if (!IsGeometry(entity.type)) return Count(context, entity.type);
        const std::string_view layer =
            entity.Layer() == "0" && !context.insertLayer.empty() ? context.insertLayer : entity.Layer();
        if (entity.type == "INSERT") {
            if (Frozen(layer)) return Count(context, "on hidden layers");
            return Insert(entity, map, context, layer, depth);
        }
        if (Hidden(layer)) return Count(context, "on hidden layers");
        ++result_.expandedEntities;
        valuesRead_ += entity.groups.size();
        for (const Entity& member : entity.members) valuesRead_ += member.groups.size();
        AsEntity(IsClosedEntity(entity), [&] { ReadGeometry(entity, map, context); });
    }

    // Whether the entity is a closed contour by itself, whatever touches it: a closed polyline, a circle, a
    // whole ellipse or a closed spline.
    static bool IsClosedEntity(const Entity& entity) {
        if (entity.type == "CIRCLE") return true;
        if (entity.type == "LWPOLYLINE" || entity.type == "POLYLINE") return (entity.Integer(70) & 1) != 0;
        if (entity.type == "SPLINE") return (entity.Integer(70) & 1) != 0;
        if (entity.type == "ELLIPSE") {
            const double t0 = entity.Number(41, 0), t1 = entity.Number(42, kTurn);
            return std::fabs(std::fabs(t1 - t0) - kTurn) < 1e-9 || std::fabs(t1 - t0) < 1e-12;
        }
        return false;
    }

    void ReadGeometry(const Entity& entity, const Affine2& map, const Context& context) {
        if (entity.type == "LINE") return Line(entity, map);
        if (entity.type == "ELLIPSE") return Ellipse(entity, map, context);
        if (entity.type == "SPLINE") return Spline(entity, map, context);
        if (entity.type == "POLYLINE") {
            const int32_t flags = entity.Integer(70);
            if ((flags & 8) != 0) {
                // A 3D polyline's vertices are drawing coordinates, whatever its extrusion direction says.
                if ((flags & (16 | 64)) != 0 || !LiesFlat(entity)) return CountCut(context, "3D POLYLINE");
                return Polyline(PolylineVertices(entity, false), (flags & 1) != 0, map);
            }
            if ((flags & (16 | 64)) != 0) return CountCut(context, "POLYLINE mesh");
        }
        const std::optional<Affine2> plane = PlaneMap(entity);
        if (!plane) return CountCut(context, std::string(entity.type) + " on a tilted plane");
        const Affine2 local = plane->Then(map);
        if (entity.type == "CIRCLE") return Circle(entity, local);
        if (entity.type == "ARC") return Arc(entity, local, context);
        if (entity.type == "LWPOLYLINE") return LwPolyline(entity, local);
        Polyline(entity, local);
    }

    // ----- Entities ----------------------------------------------------------------------------------------

    void Line(const Entity& entity, const Affine2& map) {
        EmitLine(map.Apply({entity.Number(10), entity.Number(20)}), map.Apply({entity.Number(11), entity.Number(21)}));
    }

    void Circle(const Entity& entity, const Affine2& map) {
        const double cx = entity.Number(10), cy = entity.Number(20), r = entity.Number(40);
        if (!(r > 0)) return;
        if (map.IsIdentity()) return EmitCircle({cx, cy}, r);
        if (map.KeepsCircles()) return EmitCircle(map.Apply({cx, cy}), r * map.Scale());
        EmitEllipse(map.Apply({cx, cy}), map.ApplyLinear({r, 0}), map.ApplyLinear({0, r}), 0, kTurn);
    }

    // DXF arcs run counter-clockwise from the start angle to the end angle, in degrees.
    void Arc(const Entity& entity, const Affine2& map, const Context& context) {
        const double cx = entity.Number(10), cy = entity.Number(20), r = entity.Number(40);
        const double startDeg = entity.Number(50), endDeg = entity.Number(51);
        if (!(r > 0)) return;
        if (!(std::fabs(startDeg) <= kLargestDegrees) || !(std::fabs(endDeg) <= kLargestDegrees)) {
            return CountCut(context, "ARC with angles out of range");
        }
        const Vector2 start{std::cos(PI_ * startDeg / 180) * r + cx, std::sin(PI_ * startDeg / 180) * r + cy};
        const Vector2 end{std::cos(PI_ * endDeg / 180) * r + cx, std::sin(PI_ * endDeg / 180) * r + cy};
        if (map.IsIdentity()) return EmitArc({cx, cy}, r, startDeg, endDeg, '+', start, end);
        if (map.KeepsCircles()) return EmitMappedArc(map, {cx, cy}, r, start, end, true);
        const double sweep = PositiveSweep((endDeg - startDeg) * std::numbers::pi / 180);
        const double t0 = std::fmod(startDeg * std::numbers::pi / 180, kTurn);
        if (!(sweep > 0) || !std::isfinite(t0)) return;
        EmitEllipse(map.Apply({cx, cy}), map.ApplyLinear({r, 0}), map.ApplyLinear({0, r}), t0, t0 + sweep);
    }

    struct Vertex {
        double x = 0, y = 0, bulge = 0;
    };

    void LwPolyline(const Entity& entity, const Affine2& map) {
        std::vector<Vertex> vertices;
        for (const Group& group : entity.groups) {
            if (group.code == 10) vertices.push_back({LenientParse(group.value), 0, 0});
            if (vertices.empty()) continue;
            if (group.code == 20) vertices.back().y = LenientParse(group.value);
            if (group.code == 42) vertices.back().bulge = LenientParse(group.value);
        }
        Polyline(vertices, (entity.Integer(70) & 1) != 0, map);
    }

    void Polyline(const Entity& entity, const Affine2& map) {
        Polyline(PolylineVertices(entity, true), (entity.Integer(70) & 1) != 0, map);
    }

    // The path vertices of a POLYLINE (a spline-fit polyline's frame points left out), with their bulges or
    // without (a 3D polyline has none).
    static std::vector<Vertex> PolylineVertices(const Entity& entity, bool bulges) {
        std::vector<Vertex> vertices;
        for (const Entity& vertex : entity.members) {
            if (!IsPathVertex(vertex)) continue;
            vertices.push_back({vertex.Number(10), vertex.Number(20), bulges ? vertex.Number(42) : 0});
        }
        return vertices;
    }

    static bool IsPathVertex(const Entity& vertex) {
        return vertex.type == "VERTEX" && (vertex.Integer(70) & 16) == 0;
    }

    // Whether the path vertices of a 3D polyline all lie at one height: no two heights kFlatTolerance or more
    // apart (heights that are not numbers never lie flat). Such a polyline is cut as a 2D one.
    static bool LiesFlat(const Entity& entity) {
        double lowest = HUGE_VAL, highest = -HUGE_VAL;
        for (const Entity& vertex : entity.members) {
            if (!IsPathVertex(vertex)) continue;
            const double z = vertex.Number(30);
            if (!std::isfinite(z)) return false;
            lowest = std::min(lowest, z);
            highest = std::max(highest, z);
        }
        return highest - lowest < kFlatTolerance;
    }

    // Segments between consecutive vertices, each straight or, with a bulge, an arc; closed only when the
    // polyline says so.
    void Polyline(const std::vector<Vertex>& vertices, bool closed, const Affine2& map) {
        if (vertices.size() < 2) return;
        for (size_t i = 0; i + 1 < vertices.size(); ++i) Segment(vertices[i], vertices[i + 1], map);
        if (closed) Segment(vertices.back(), vertices.front(), map);
    }

    void Segment(const Vertex& from, const Vertex& to, const Affine2& map) {
        const Vector2 p1{from.x, from.y}, p2{to.x, to.y};
        if (from.bulge == 0 || (p1.x == p2.x && p1.y == p2.y)) return EmitLine(map.Apply(p1), map.Apply(p2));
        double cx = 0, cy = 0, r = 0;
        BulgeArcCentre(PI_, p1.x, p1.y, p2.x, p2.y, from.bulge, cx, cy, r);
        if (!std::isfinite(cx) || !std::isfinite(cy) || !(r > 0) || !std::isfinite(r)) {
            return EmitLine(map.Apply(p1), map.Apply(p2));  // a bulge too small to make an arc
        }
        const bool counterClockwise = from.bulge > 0;
        if (map.IsIdentity()) {
            return EmitArc({cx, cy}, r, PointAngle(PI_, p1.x, p1.y, cx, cy), PointAngle(PI_, p2.x, p2.y, cx, cy),
                           counterClockwise ? '+' : '-', p1, p2);
        }
        if (map.KeepsCircles()) return EmitMappedArc(map, {cx, cy}, r, p1, p2, counterClockwise);
        const double a1 = std::atan2(p1.y - cy, p1.x - cx), a2 = std::atan2(p2.y - cy, p2.x - cx);
        const double sweep = PositiveSweep(counterClockwise ? a2 - a1 : a1 - a2);
        const Vector2 c = map.Apply({cx, cy}), u = map.ApplyLinear({r, 0}), v = map.ApplyLinear({0, r});
        if (counterClockwise) return EmitEllipse(c, u, v, a1, a1 + sweep);
        // Clockwise: the same points run the other way, so the arc from a2 on, read backwards.
        EmitEllipse(c, u, v, a2, a2 + sweep, true);
    }

    void Ellipse(const Entity& entity, const Affine2& map, const Context& context) {
        const double nx = entity.Number(210, 0), ny = entity.Number(220, 0), nz = entity.Number(230, 1);
        if (PlaneOf(nx, ny, nz) == Plane::Tilted) return CountCut(context, "ELLIPSE on a tilted plane");
        const Vector2 centre{entity.Number(10), entity.Number(20)}, major{entity.Number(11), entity.Number(21)};
        const double ratio = entity.Number(40, 1);
        // The minor axis is the major one turned a quarter about the extrusion direction: to the left seen
        // from above, to the right when the direction points down.
        const double sign = nz < 0 ? -1 : 1;
        const Vector2 minor{-sign * major.y * ratio, sign * major.x * ratio};
        if (!(std::fabs(entity.Number(41, 0)) <= kLargestRadians) || !(std::fabs(entity.Number(42, kTurn)) <= kLargestRadians)) {
            return CountCut(context, "ELLIPSE with parameters out of range");
        }
        const double t0 = std::fmod(entity.Number(41, 0), kTurn), t1 = entity.Number(42, kTurn);
        const double given = t1 - entity.Number(41, 0);
        const double sweep = given > 0 ? std::min(given, kTurn) : PositiveSweep(given);
        if (!(sweep > 0) || !std::isfinite(t0)) return CountCut(context, "ELLIPSE that makes no curve");
        if (map.KeepsCircles()) {
            const double tolerance = tolerance_ / map.Scale();
            return EmitPieces(Mapped(Cached(entity, tolerance, [&] {
                return FitConic(centre, major, minor, t0, t0 + sweep, false, tolerance);
            }), map));
        }
        EmitPieces(FitConic(map.Apply(centre), map.ApplyLinear(major), map.ApplyLinear(minor), t0, t0 + sweep, false,
                            tolerance_));
    }

    void Spline(const Entity& entity, const Affine2& map, const Context& context) {
        const double nx = entity.Number(210, 0), ny = entity.Number(220, 0), nz = entity.Number(230, 1);
        if (PlaneOf(nx, ny, nz) == Plane::Tilted) return CountCut(context, "SPLINE on a tilted plane");
        SplineData spline;
        const int32_t flags = entity.Integer(70);
        spline.degree = entity.Integer(71, 3);
        spline.closed = (flags & (1 | 2)) != 0;
        Point2 startTangent, endTangent;
        bool hasStart = false, hasEnd = false;
        for (const Group& group : entity.groups) {
            const double value = LenientParse(group.value);
            switch (group.code) {
                case 40: spline.knots.push_back(value); break;
                case 41: spline.weights.push_back(value); break;
                case 10: spline.controlPoints.push_back({value, 0}); break;
                case 20: if (!spline.controlPoints.empty()) spline.controlPoints.back().y = value; break;
                case 11: spline.fitPoints.push_back({value, 0}); break;
                case 21: if (!spline.fitPoints.empty()) spline.fitPoints.back().y = value; break;
                case 12: startTangent.x = value, hasStart = true; break;
                case 22: startTangent.y = value; break;
                case 13: endTangent.x = value, hasEnd = true; break;
                case 23: endTangent.y = value; break;
                default: break;
            }
        }
        if (hasStart) spline.startTangent = startTangent;
        if (hasEnd) spline.endTangent = endTangent;
        std::vector<CurvePiece> pieces;
        if (map.KeepsCircles()) {
            const double tolerance = tolerance_ / map.Scale();
            pieces = Mapped(Cached(entity, tolerance, [&] { return FitSpline(spline, tolerance); }), map);
        } else {
            for (Point2& p : spline.controlPoints) p = ToPoint(map.Apply(ToVector(p)));
            for (Point2& p : spline.fitPoints) p = ToPoint(map.Apply(ToVector(p)));
            if (hasStart) spline.startTangent = ToPoint(map.ApplyLinear(ToVector(startTangent)));
            if (hasEnd) spline.endTangent = ToPoint(map.ApplyLinear(ToVector(endTangent)));
            pieces = FitSpline(spline, tolerance_);
        }
        if (pieces.empty()) return CountCut(context, "SPLINE that makes no curve");
        EmitPieces(pieces);
    }

    // A block inserted: its entities through base point, scale, column and row offset, rotation, insertion
    // point and the insertion's own plane, then the map the insertion itself lies under.
    void Insert(const Entity& entity, const Affine2& map, const Context& context, std::string_view layer, int depth) {
        const std::string_view name = entity.Text(2).value_or("");
        const auto block = document_.blocks.find(name);
        if (block == document_.blocks.end()) return CountCut(context, "INSERT of a missing block");
        for (const std::string_view open : open_) {
            if (!CaseInsensitiveLess{}(open, name) && !CaseInsensitiveLess{}(name, open)) {
                result_.refusal = "The drawing's block \"" + std::string(name) +
                                  "\" inserts itself (directly or through other blocks). It was not loaded; the "
                                  "previous drawing is kept.";
                return;
            }
        }
        if (depth >= kDeepestNesting) {
            result_.refusal = "The drawing's blocks nest more than " + std::to_string(kDeepestNesting) +
                              " deep (at block \"" + std::string(name) +
                              "\"). It was not loaded; the previous drawing is kept.";
            return;
        }
        const std::optional<Affine2> plane = PlaneMap(entity);
        if (!plane) return CountCut(context, "INSERT on a tilted plane");
        const Block& definition = block->second;
        const double sx = entity.Number(41, 1), sy = entity.Number(42, 1);
        // A scale of 0 (or one that is no number, which reads as 0) would shrink the block to a point: every
        // part in it a circle of radius 0. The drawing is refused rather than cut as nothing.
        if (!(std::fabs(sx) > 0) || !(std::fabs(sy) > 0) || !std::isfinite(sx) || !std::isfinite(sy) ||
            !std::isfinite(entity.Number(10)) || !std::isfinite(entity.Number(20))) {
            result_.refusal = "The drawing inserts block \"" + std::string(name) +
                              "\" at a scale of 0 or one that is not a number (" + std::string(entity.Text(41).value_or("1")) +
                              " by " + std::string(entity.Text(42).value_or("1")) +
                              "). It was not loaded; the previous drawing is kept.";
            return;
        }
        const double rotation = entity.Number(50) * std::numbers::pi / 180;
        const int32_t columns = std::max(1, entity.Integer(70, 1)), rows = std::max(1, entity.Integer(71, 1));
        const double columnSpacing = entity.Number(44), rowSpacing = entity.Number(45);
        const Affine2 placed = Affine2::Rotation(rotation)
                                   .Then(Affine2::Translation(entity.Number(10), entity.Number(20)))
                                   .Then(*plane)
                                   .Then(map);
        const Affine2 scaled = Affine2::Translation(-definition.baseX, -definition.baseY).Then(Affine2::Scaling(sx, sy));
        open_.push_back(name);
        const Context inner{layer, false};
        for (int32_t row = 0; row < rows && !Stopped(); ++row) {
            for (int32_t column = 0; column < columns && !Stopped(); ++column) {
                ++insertions_;
                const Affine2 offset = Affine2::Translation(column * columnSpacing, row * rowSpacing);
                Walk(definition.entities, scaled.Then(offset).Then(placed), inner, depth + 1);
            }
        }
        open_.pop_back();
    }

    // ----- Records -----------------------------------------------------------------------------------------

    // Runs `emit` with every record it makes marked as one closed entity's, where `closed`.
    template <typename Emit>
    void AsEntity(bool closed, Emit emit) {
        const int32_t outer = group_;
        group_ = closed ? groups_++ : -1;
        emit();
        group_ = outer;
    }

    void MarkGroups() { records_.groups.resize(records_.size(), group_); }

    void EmitLine(Vector2 a, Vector2 b) {
        if (a.x == b.x && a.y == b.y) return;  // no length: nothing to cut
        if (!out_.Holdable({a.x, a.y, b.x, b.y})) return;
        out_.WidenX(a.x), out_.WidenY(a.y), out_.WidenX(b.x), out_.WidenY(b.y);
        out_.Store([&](std::string& text) { return AppendLineRecord(text, a.x, a.y, 0, b.x, b.y, 0); });
        MarkGroups();
    }

    void EmitCircle(Vector2 c, double r) {
        if (!out_.Holdable({c.x - r, c.x + r, c.y - r, c.y + r})) return;
        out_.WidenCircle(c.x, c.y, r);
        out_.Store([&](std::string& text) { return AppendCircleRecord(text, c.x, c.y, r); });
        MarkGroups();
    }

    void EmitArc(Vector2 c, double r, double startDeg, double endDeg, char sense, Vector2 start, Vector2 end) {
        if (!out_.Holdable({c.x - r, c.x + r, c.y - r, c.y + r, start.x, start.y, end.x, end.y, startDeg, endDeg})) return;
        out_.WidenCircle(c.x, c.y, r);
        out_.Store([&](std::string& text) {
            return AppendArcRecord(text, c.x, c.y, r, startDeg, endDeg, sense, start.x, start.y, end.x, end.y);
        });
        MarkGroups();
    }

    // A circular arc under a map that keeps circles: centre, ends and sense mapped (a mirror turns the sense).
    void EmitMappedArc(const Affine2& map, Vector2 centre, double r, Vector2 start, Vector2 end, bool counterClockwise) {
        const Vector2 c = map.Apply(centre), s = map.Apply(start), e = map.Apply(end);
        const bool sense = counterClockwise != map.Mirrors();
        EmitArc(c, r * map.Scale(), PointAngle(PI_, s.x, s.y, c.x, c.y), PointAngle(PI_, e.x, e.y, c.x, c.y),
                sense ? '+' : '-', s, e);
    }

    // The elliptical arc P(t) = c + u cos t + v sin t from t0 to t1 (t1 > t0), fitted with arcs and lines;
    // `backwards` runs it from P(t1) to P(t0).
    void EmitEllipse(Vector2 c, Vector2 u, Vector2 v, double t0, double t1, bool backwards = false) {
        EmitPieces(FitConic(c, u, v, t0, t1, backwards, tolerance_));
    }

    // The pieces of that elliptical arc within `tolerance`, in the order they are cut.
    static std::vector<CurvePiece> FitConic(Vector2 c, Vector2 u, Vector2 v, double t0, double t1, bool backwards,
                                            double tolerance) {
        const std::optional<PrincipalAxes> axes = Principal(u, v);
        if (!axes) return {};
        std::vector<CurvePiece> pieces;
        if (!axes->clockwise) {
            pieces = FitEllipse(ToPoint(c), ToPoint(axes->major), axes->ratio, t0 - axes->shift, t1 - axes->shift,
                                tolerance);
        } else {
            // Clockwise as t grows: the parameter turned round runs counter-clockwise, the other way along.
            pieces = FitEllipse(ToPoint(c), ToPoint(axes->major), axes->ratio, axes->shift - t1, axes->shift - t0,
                                tolerance);
            backwards = !backwards;
        }
        if (backwards) Reverse(pieces);
        return pieces;
    }

    static void Reverse(std::vector<CurvePiece>& pieces) {
        std::reverse(pieces.begin(), pieces.end());
        for (CurvePiece& piece : pieces) {
            std::swap(piece.start, piece.end);
            piece.counterClockwise = !piece.counterClockwise;
        }
    }

    // Pieces under a map that keeps circles. Shared ends map to the same point, so the pieces still join.
    static std::vector<CurvePiece> Mapped(std::vector<CurvePiece> pieces, const Affine2& map) {
        const auto apply = [&map](Point2 p) { return ToPoint(map.Apply(ToVector(p))); };
        for (CurvePiece& piece : pieces) {
            piece.start = apply(piece.start);
            piece.end = apply(piece.end);
            piece.centre = apply(piece.centre);
            piece.radius *= map.Scale();
            piece.counterClockwise = piece.counterClockwise != map.Mirrors();
        }
        return pieces;
    }

    // The fit of a curve entity in its own coordinates, made once per tolerance: a block inserted a thousand
    // times over fits its curves once.
    template <typename Fit>
    const std::vector<CurvePiece>& Cached(const Entity& entity, double tolerance, const Fit& fit) {
        auto& cached = fits_[&entity];
        if (!cached || cached->first != tolerance) cached.emplace(tolerance, fit());
        return cached->second;
    }

    void EmitPieces(const std::vector<CurvePiece>& pieces) {
        const size_t before = out_.Count();
        for (const CurvePiece& piece : pieces) {
            const Vector2 start = ToVector(piece.start), end = ToVector(piece.end);
            if (piece.kind == CurvePiece::Kind::Line) {
                EmitLine(start, end);
                continue;
            }
            const Vector2 c = ToVector(piece.centre);
            EmitArc(c, piece.radius, PointAngle(PI_, start.x, start.y, c.x, c.y), PointAngle(PI_, end.x, end.y, c.x, c.y),
                    piece.counterClockwise ? '+' : '-', start, end);
        }
        result_.curveRecords += out_.Count() - before;
    }

    const Document& document_;
    double PI_;
    const ReadOptions& options_;
    RecordOutput out_;
    BuiltRecords& records_;
    // The closed entity whose records are being made, or -1; and how many there were.
    int32_t group_ = -1, groups_ = 0;
    double tolerance_ = 0.01;
    SheetRead result_;
    std::vector<std::string_view> open_;  // the blocks being inserted, outermost first
    std::unordered_map<const Entity*, std::optional<std::pair<double, std::vector<CurvePiece>>>> fits_;
    size_t insertions_ = 0;
    size_t visits_ = 0;
    size_t valuesRead_ = 0;
};

}  // namespace

SheetRead BuildSheetRecords(const Document& document, double PI, const ReadOptions& options, Extents& extents,
                            BuiltRecords& records) {
    return SheetBuilder(document, PI, options, extents, records).Run();
}

}  // namespace zorvan::dxf
