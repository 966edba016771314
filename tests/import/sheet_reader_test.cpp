// Sheet mode's reading, checked geometry against geometry: the records of ellipses, splines and inserted
// blocks are sampled and compared, both ways, with the true curves computed here from their definitions.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "import/dxf_reader.h"
#include "model/record.h"
#include "support/dxf_text.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

struct Pt {
    double x, y;
};
using Path = std::vector<Pt>;
using Transform = std::function<Pt(Pt)>;

constexpr double kPi = std::numbers::pi;

// `count` + 1 points of f(t) for t from t0 to t1.
Path Sample(const std::function<Pt(double)>& f, double t0, double t1, int count = 2000) {
    Path path;
    for (int i = 0; i <= count; ++i) path.push_back(f(t0 + (t1 - t0) * i / count));
    return path;
}

Path Ellipse(Pt c, Pt major, double ratio, double t0, double t1, double normalZ = 1) {
    const Pt minor{-normalZ * major.y * ratio, normalZ * major.x * ratio};
    return Sample([=](double t) {
        return Pt{c.x + major.x * std::cos(t) + minor.x * std::sin(t), c.y + major.y * std::cos(t) + minor.y * std::sin(t)};
    }, t0, t1);
}

// The cubic Bezier curve with control points b.
Path Bezier(const std::array<Pt, 4>& b) {
    return Sample([=](double t) {
        const double s = 1 - t, w[] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
        return Pt{w[0] * b[0].x + w[1] * b[1].x + w[2] * b[2].x + w[3] * b[3].x,
                  w[0] * b[0].y + w[1] * b[1].y + w[2] * b[2].y + w[3] * b[3].y};
    }, 0, 1);
}

// The closed cubic B-spline with equal knot steps over control points c (one span per point, span i from
// near c[i] to near c[i + 1]).
Path PeriodicCubic(const std::vector<Pt>& c) {
    const size_t n = c.size();
    return Sample([=](double u) {
        const size_t i = std::min(static_cast<size_t>(u), n - 1);
        const double t = u - static_cast<double>(i), s = 1 - t;
        const double w[] = {s * s * s / 6, (3 * t * t * t - 6 * t * t + 4) / 6,
                            (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6, t * t * t / 6};
        Pt p{0, 0};
        for (size_t k = 0; k < 4; ++k) {
            const Pt q = c[(i + n - 1 + k) % n];
            p = {p.x + w[k] * q.x, p.y + w[k] * q.y};
        }
        return p;
    }, 0, static_cast<double>(n));
}

Path CircleArc(Pt c, double r, double startDeg, double endDeg) {
    return Ellipse(c, {r, 0}, 1, startDeg * kPi / 180, endDeg * kPi / 180);
}

Path Moved(Path path, const Transform& map) {
    for (Pt& p : path) p = map(p);
    return path;
}

std::function<Pt(double)> Around(Pt c, double r) {
    return [=](double t) { return Pt{c.x + r * std::cos(t), c.y + r * std::sin(t)}; };
}

// Enough steps for the chords of an arc to stay within 1e-5 of it.
int Steps(double r, double sweep) { return std::max(8, static_cast<int>(std::ceil(sweep * std::sqrt(r / 8e-5)))); }

// Each record as a dense path, arcs run the way their sense says.
std::vector<Path> RecordPaths(const Program& program) {
    std::vector<Path> paths;
    for (int32_t i = 0; i <= program.store.n; ++i) {
        const RecordValues record = program.store.Values(i);
        if (record.IsLine()) {
            const LineValues l = record.Line();
            paths.push_back(Sample([&](double t) { return Pt{l.x1 + (l.x2 - l.x1) * t, l.y1 + (l.y2 - l.y1) * t}; }, 0, 1, 64));
        } else if (record.IsCircle()) {
            const CircleValues c = record.Circle();
            paths.push_back(Sample(Around({c.cx, c.cy}, c.r), 0, 2 * kPi, Steps(c.r, 2 * kPi)));
        } else if (record.IsArc()) {
            const ArcValues a = record.Arc();
            double sweep = a.endDeg - a.startDeg;
            if (a.sense == '-') sweep = -sweep;
            while (sweep <= 0) sweep += 360;
            const double t0 = a.startDeg * kPi / 180, t1 = (a.startDeg + (a.sense == '-' ? -sweep : sweep)) * kPi / 180;
            paths.push_back(Sample(Around({a.cx, a.cy}, a.r), t0, t1, Steps(a.r, sweep * kPi / 180)));
        }
    }
    return paths;
}

double DistanceToSegment(Pt p, Pt a, Pt b) {
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t = length2 == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// The segments of paths by the cells of a 0.5-unit grid they touch, for distances up to a cell: a point with
// no segment in its own or the eight neighbouring cells is reported as a cell away, far beyond any tolerance.
class SegmentGrid {
public:
    explicit SegmentGrid(const std::vector<Path>& paths) {
        for (const Path& path : paths) {
            for (size_t i = 0; i + 1 < path.size(); ++i) {
                const Pt a = path[i], b = path[i + 1];
                for (long x = Cell(std::min(a.x, b.x)); x <= Cell(std::max(a.x, b.x)); ++x) {
                    for (long y = Cell(std::min(a.y, b.y)); y <= Cell(std::max(a.y, b.y)); ++y) cells_[{x, y}].push_back({a, b});
                }
            }
        }
    }

    double Distance(Pt p) const {
        double best = kCell;
        for (long x = Cell(p.x) - 1; x <= Cell(p.x) + 1; ++x) {
            for (long y = Cell(p.y) - 1; y <= Cell(p.y) + 1; ++y) {
                const auto found = cells_.find({x, y});
                if (found == cells_.end()) continue;
                for (const auto& [a, b] : found->second) best = std::min(best, DistanceToSegment(p, a, b));
            }
        }
        return best;
    }

private:
    static constexpr double kCell = 0.5;
    static long Cell(double v) { return static_cast<long>(std::floor(v / kCell)); }
    std::map<std::pair<long, long>, std::vector<std::pair<Pt, Pt>>> cells_;
};

// The farthest either set of paths strays from the other.
double Deviation(const std::vector<Path>& a, const std::vector<Path>& b) {
    double worst = 0;
    for (const auto& [from, to] : {std::pair(&a, &b), std::pair(&b, &a)}) {
        const SegmentGrid grid(*to);
        for (const Path& path : *from) {
            for (const Pt& p : path) worst = std::max(worst, grid.Distance(p));
        }
    }
    return worst;
}

std::string Drawing(const std::string& header, const DxfText& blocks, const DxfText& entities) {
    return header + blocks.Section("BLOCKS") + entities.Section("ENTITIES") + "  0\r\nEOF\r\n";
}

std::string Units(int code) {
    return "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$INSUNITS\r\n 70\r\n" + std::to_string(code) + "\r\n  0\r\nENDSEC\r\n";
}

DxfText& Block(DxfText& blocks, const std::string& name, Pt base) {
    return blocks.Pair("0", "BLOCK").Pair("8", "0").Pair("2", name).Pair("70", "0").Num("10", base.x).Num("20", base.y).Num("30", 0);
}

DxfText& Insert(DxfText& dxf, const std::string& name, Pt at, double sx, double sy, double degrees) {
    return dxf.Pair("0", "INSERT").Pair("8", "0").Pair("2", name).Num("10", at.x).Num("20", at.y).Num("30", 0)
        .Num("41", sx).Num("42", sy).Num("50", degrees);
}

DxfText Inserting(const std::string& name) {
    DxfText dxf;
    Insert(dxf, name, {0, 0}, 1, 1, 0);
    return dxf;
}

// Block "PLATE": a 40 x 20 plate with two rounded corners, a hole, a quarter arc and an elliptical slot, based
// at (5, 5).
DxfText PlateBlock() {
    DxfText blocks;
    Block(blocks, "PLATE", {5, 5})
        .LwPolyline({{0, 0}, {40, 0, 0.4}, {40, 20}, {0, 20, -0.3}})
        .Circle(10, 10, 4)
        .Arc(30, 10, 5, 0, 90)
        .Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 20).Num("20", 12).Num("11", 6).Num("21", 0).Num("40", 0.5)
        .Pair("0", "ENDBLK");
    return blocks;
}

// The same plate sampled here, for comparison: the bulged segments as arcs through their ends.
std::vector<Path> PlatePaths(const Transform& map) {
    auto bulged = [](Pt a, Pt b, double bulge) {
        const double angle = 4 * std::atan(bulge), chord = std::hypot(b.x - a.x, b.y - a.y);
        const double r = chord / (2 * std::sin(std::abs(angle) / 2));
        const Pt mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
        const double h = r * std::cos(angle / 2) * (bulge > 0 ? 1 : -1);
        const Pt c{mid.x - h * (b.y - a.y) / chord, mid.y + h * (b.x - a.x) / chord};
        const double a0 = std::atan2(a.y - c.y, a.x - c.x);
        return Ellipse(c, {r, 0}, 1, a0, a0 + angle);
    };
    std::vector<Path> paths = {Path{{0, 0}, {40, 0}}, bulged({40, 0}, {40, 20}, 0.4), Path{{40, 20}, {0, 20}},
                               bulged({0, 20}, {0, 0}, -0.3), CircleArc({10, 10}, 4, 0, 360), CircleArc({30, 10}, 5, 0, 90),
                               Ellipse({20, 12}, {6, 0}, 0.5, 0, 2 * kPi)};
    for (Path& path : paths) {
        if (path.size() == 2) path = Sample([&](double t) { return Pt{path[0].x + (path[1].x - path[0].x) * t, path[0].y + (path[1].y - path[0].y) * t}; }, 0, 1, 50);
        path = Moved(path, [&](Pt p) { return map({p.x - 5, p.y - 5}); });
    }
    return paths;
}

// x' = R(degrees) * (sx x, sy y) + at.
Transform Placement(Pt at, double sx, double sy, double degrees) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    return [=](Pt p) { return Pt{at.x + c * sx * p.x - s * sy * p.y, at.y + s * sx * p.x + c * sy * p.y}; };
}

struct CurveCase {
    const char* what;
    std::string dxf;
    std::vector<Path> expected;
    size_t mostRecords;  // curves are fitted with few pieces
    double tolerance = 0.01;
};

std::vector<CurveCase> CurveCases() {
    std::vector<CurveCase> cases;
    const DxfText none;
    {
        DxfText e;
        e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 10).Num("20", 20).Num("11", 30).Num("21", 10).Num("40", 0.4)
            .Num("41", 0).Num("42", 2 * kPi);
        cases.push_back({"whole turned ellipse", Drawing("", none, e), {Ellipse({10, 20}, {30, 10}, 0.4, 0, 2 * kPi)}, 40});
    }
    {
        DxfText e;  // written with its extrusion pointing down: the minor axis lies to the right of the major
        e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", -5).Num("20", 3).Num("11", 0).Num("21", 50).Num("40", 0.25)
            .Num("41", 1).Num("42", 4).Num("210", 0).Num("220", 0).Num("230", -1);
        cases.push_back({"partial ellipse seen from below", Drawing("", none, e),
                         {Ellipse({-5, 3}, {0, 50}, 0.25, 1, 4, -1)}, 30});
    }
    {
        DxfText e;  // a rational quadratic: exactly a quarter of the circle of radius 25 about (0, 0)
        e.Pair("0", "SPLINE").Pair("8", "0").Pair("70", "12").Pair("71", "2").Pair("72", "6").Pair("73", "3");
        for (double k : {0, 0, 0, 1, 1, 1}) e.Num("40", k);
        e.Num("41", 1).Num("41", std::sqrt(0.5)).Num("41", 1);
        e.Num("10", 25).Num("20", 0).Num("30", 0).Num("10", 25).Num("20", 25).Num("30", 0).Num("10", 0).Num("20", 25).Num("30", 0);
        cases.push_back({"rational spline", Drawing("", none, e), {CircleArc({0, 0}, 25, 0, 90)}, 1});
    }
    {
        DxfText e;  // two fit points with end tangents of any length: one cubic that leaves and arrives along them
                    // at the speed of the chord per unit parameter
        e.Pair("0", "SPLINE").Pair("8", "0").Pair("70", "8").Pair("71", "3").Pair("74", "2").Num("12", 0).Num("22", 3)
            .Num("32", 0).Num("13", 2).Num("23", -2).Num("33", 0);
        e.Num("11", 0).Num("21", 0).Num("31", 0).Num("11", 60).Num("21", 20).Num("31", 0);
        const double third = std::hypot(60.0, 20.0) / 3, across = third * std::sqrt(0.5);
        cases.push_back({"fit points with end tangents", Drawing("", none, e),
                         {Bezier({Pt{0, 0}, Pt{0, third}, Pt{60 - across, 20 + across}, Pt{60, 20}})}, 20});
    }
    {
        DxfText e;  // closed (flag 1) through the corners of a square: the closed cubic with equal knot steps,
                    // whose control points lie half as far again from the centre as the points
        e.Pair("0", "SPLINE").Pair("8", "0").Pair("70", "9").Pair("71", "3").Pair("74", "4");
        for (const Pt p : {Pt{130, 0}, Pt{100, 30}, Pt{70, 0}, Pt{100, -30}}) e.Num("11", p.x).Num("21", p.y);
        cases.push_back({"closed fit-point spline", Drawing("", none, e),
                         {PeriodicCubic({{145, 0}, {100, 45}, {55, 0}, {100, -45}})}, 40});
    }
    {
        DxfText e;
        Insert(e, "PLATE", {100, 50}, -2, 2, 30);
        cases.push_back({"mirrored, scaled, turned insert", Drawing("", PlateBlock(), e),
                         PlatePaths(Placement({100, 50}, -2, 2, 30)), 40});
    }
    {
        DxfText e;  // scaled unevenly: the hole and the arcs become ellipses
        Insert(e, "PLATE", {0, 0}, 3, 1, 0);
        cases.push_back({"unevenly scaled insert", Drawing("", PlateBlock(), e), PlatePaths(Placement({0, 0}, 3, 1, 0)), 100});
    }
    {
        DxfText e;  // one block at two sizes: each fitted within the tolerance at its own size
        Insert(Insert(e, "PLATE", {0, 0}, 1, 1, 0), "PLATE", {100, 0}, 10, 10, 0);
        std::vector<Path> both = PlatePaths(Placement({0, 0}, 1, 1, 0));
        for (Path& path : PlatePaths(Placement({100, 0}, 10, 10, 0))) both.push_back(path);
        cases.push_back({"one block at two sizes", Drawing("", PlateBlock(), e), both, 100});
    }
    {
        DxfText e;  // two columns, three rows
        Insert(e, "PLATE", {0, 0}, 1, 1, 90).Pair("70", "2").Pair("71", "3").Num("44", 60).Num("45", 30);
        std::vector<Path> copies;
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 2; ++column) {
                for (Path& path : PlatePaths(Placement({0, 0}, 1, 1, 90))) {
                    copies.push_back(Moved(path, [&](Pt p) { return Pt{p.x - 30.0 * row, p.y + 60.0 * column}; }));
                }
            }
        }
        cases.push_back({"array insert", Drawing("", PlateBlock(), e), copies, 150});
    }
    {
        DxfText blocks = PlateBlock();  // OUTER holds PLATE turned; the drawing holds OUTER seen from below
        Insert(Block(blocks, "OUTER", {0, 0}), "PLATE", {10, 0}, 1, 1, 45).Pair("0", "ENDBLK");
        DxfText e;
        Insert(e, "OUTER", {7, 0}, 1, 1, 0).Num("210", 0).Num("220", 0).Num("230", -1);
        const Transform inner = Placement({10, 0}, 1, 1, 45);
        cases.push_back({"nested insert seen from below", Drawing("", blocks, e),
                         PlatePaths([&](Pt p) { const Pt q = inner(p); return Pt{-(q.x + 7), q.y}; }), 30});
    }
    {
        DxfText e;  // an inch drawing is written in millimetres; the tolerance stays 0.01 mm
        e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 1).Num("20", 1).Num("11", 2).Num("21", 0).Num("40", 0.5)
            .Num("41", 0).Num("42", 2 * kPi);
        cases.push_back({"inch ellipse", Drawing(Units(1), none, e),
                         {Ellipse({25.4, 25.4}, {50.8, 0}, 0.5, 0, 2 * kPi)}, 45});
    }
    return cases;
}

// Sheet mode with open contours cut: these drawings test how curves are read, many of them open.
ReadOptions Sheet() {
    ReadOptions options;
    options.mode = ReadMode::Sheet;
    options.cutOpen = true;
    return options;
}

TEST(SheetReaderTest, CurvesAndInsertsFollowTheirTrueGeometry) {
    for (const CurveCase& c : CurveCases()) {
        SCOPED_TRACE(c.what);
        auto program = std::make_unique<Program>();
        const DxfReadResult result = LoadDxfText(*program, c.dxf, Sheet());
        ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded) << ReadOutcomeMessage(result);
        EXPECT_LE(static_cast<size_t>(program->store.n + 1), c.mostRecords);
        // The sampled curves are chords of the truth, within 1e-4 of it at these densities.
        EXPECT_LE(Deviation(RecordPaths(*program), c.expected), c.tolerance + 1e-4);
        EXPECT_TRUE(result.report.cutGeometry.empty()) << CountList(result.report.cutGeometry);
    }
}

TEST(SheetReaderTest, DeclaredUnitsAreConvertedAndNamed) {
    struct UnitsCase {
        std::string header;
        OutputUnits out;
        double length;  // of the drawing's line 1 unit long
        const char* named;
    };
    const UnitsCase cases[] = {
        {"", OutputUnits::Millimetres, 1, "not declared"},    {Units(0), OutputUnits::Millimetres, 1, "not declared"},
        {Units(1), OutputUnits::Millimetres, 25.4, "millimetres"}, {Units(2), OutputUnits::Millimetres, 304.8, "millimetres"},
        {Units(4), OutputUnits::Millimetres, 1, "millimetres"},  {Units(5), OutputUnits::Millimetres, 10, "millimetres"},
        {Units(6), OutputUnits::Millimetres, 1000, "millimetres"}, {Units(1), OutputUnits::Inches, 1, "inches"},
        {Units(4), OutputUnits::Inches, 1 / 25.4, "inches"},
    };
    for (const UnitsCase& c : cases) {
        SCOPED_TRACE(c.header + " " + c.named);
        auto program = std::make_unique<Program>();
        ReadOptions options = Sheet();
        options.units = c.out;
        ASSERT_EQ(LoadDxfText(*program, Drawing(c.header, {}, DxfText().Line(0, 0, 1, 0)), options).outcome,
                  DxfReadOutcome::Loaded);
        EXPECT_NEAR(program->store.Values(0).Line().x2, c.length, 1e-12 * c.length);
        EXPECT_EQ(program->recordUnits, c.named);
    }
}

// A plate drawn in angstroms is a speck: each contour is too small to cut and counted, and the units are
// named as likely not meant.
TEST(SheetReaderTest, UnitsSmallerThanAMicrometreAreNamed) {
    auto program = std::make_unique<Program>();
    const DxfText plate = DxfText().LwPolyline({{0, 0}, {100, 0}, {100, 60}, {0, 60}}).Circle(30, 30, 5);
    const DxfReadResult result = LoadDxfText(*program, Drawing(Units(11), {}, plate), Sheet());
    EXPECT_EQ(result.outcome, DxfReadOutcome::Empty);
    EXPECT_NE(ReadOutcomeMessage(result).find("Not cut: 2 pieces of zero size. The drawing declares its units as "
                                              "angstroms, smaller than a micrometre: check that they are meant."),
              std::string::npos) << ReadOutcomeMessage(result);
}

struct Point3 {
    double x, y, z;
};

// A 3D POLYLINE (flag 8, with 1 when closed) through `points`, each VERTEX with its own height and the bulge
// `bulge`, which a 3D polyline does not have.
DxfText& Polyline3D(DxfText& dxf, const std::vector<Point3>& points, bool closed, double bulge = 0) {
    dxf.Pair("0", "POLYLINE").Pair("8", "0").Pair("66", "1").Pair("70", closed ? "9" : "8");
    for (const Point3& p : points) {
        dxf.Pair("0", "VERTEX").Pair("8", "0").Num("10", p.x).Num("20", p.y).Num("30", p.z).Pair("70", "32");
        if (bulge != 0) dxf.Num("42", bulge);
    }
    return dxf.Pair("0", "SEQEND");
}

// A 3D polyline whose vertices all lie at one height (within 0.001) is read as a 2D one at that height: its
// closing piece only when it says it is closed, straight pieces whatever bulges its vertices carry. One that
// is tilted is left out and named.
TEST(SheetReaderTest, FlatThreeDPolylinesAreReadAndTiltedOnesNamed) {
    struct Flat3DCase {
        const char* what;
        std::vector<Point3> points;
        bool closed;
        double bulge;
        int records;  // 0: refused
    };
    const auto square = [](double z0, double z1) {
        return std::vector<Point3>{{10, 10, z0}, {30, 10, z0}, {30, 30, z1}, {10, 30, z0}};
    };
    const Flat3DCase cases[] = {
        {"closed square at height 0", square(0, 0), true, 0, 4},
        {"closed square at height 5, with bulges", square(5, 5), true, 0.5, 4},
        {"heights 0.0009 apart", square(0, 0.0009), true, 0, 4},
        {"open", square(-2, -2), false, 0, 3},
        {"one vertex at height 1", square(0, 1), true, 0, 0},
        {"heights 0.001 apart", square(0, 0.001), true, 0, 0},
    };
    for (const Flat3DCase& c : cases) {
        SCOPED_TRACE(c.what);
        DxfText e;
        e.Circle(100, 100, 5);
        Polyline3D(e, c.points, c.closed, c.bulge);
        auto program = std::make_unique<Program>();
        const DxfReadResult result = LoadDxfText(*program, Drawing("", {}, e), Sheet());
        ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded);
        ASSERT_EQ(program->store.n, c.records);  // the circle is record 0
        if (c.records == 0) {
            EXPECT_EQ(CountList(result.report.cutGeometry), "1 3D POLYLINE");
            EXPECT_EQ(LeftOutWarning(result.report, ReadMode::Sheet, "--sheet"), "Not cut: 1 3D POLYLINE.");
            continue;
        }
        EXPECT_TRUE(result.report.cutGeometry.empty()) << CountList(result.report.cutGeometry);
        for (int32_t k = 1; k <= c.records; ++k) EXPECT_TRUE(program->store.Values(k).IsLine()) << k;
        if (!c.closed) continue;  // loose lines: joined as the arrangement finds them
        const RecordValues first = program->store.Values(1), last = program->store.Values(c.records);
        EXPECT_EQ(first.StartX(), 10);
        EXPECT_EQ(first.StartY(), 10);
        EXPECT_TRUE(last.EndX() == 10 && last.EndY() == 10);
    }
}

// Paper space, hidden layers, invisible entities, text and the like, and what cannot be cut are left out and
// counted; open polylines stay open.
TEST(SheetReaderTest, LeavesOutWhatIsNotCutAndSaysWhat) {
    const std::string tables =
        "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nLAYER\r\n"
        "  0\r\nLAYER\r\n  2\r\nOff\r\n 70\r\n0\r\n 62\r\n-7\r\n  0\r\nLAYER\r\n  2\r\nFrozen\r\n 70\r\n1\r\n 62\r\n3\r\n"
        "  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n";
    DxfText e;
    e.Circle(0, 0, 50).Circle(0, 0, 5, "off").Circle(10, 0, 5, "FROZEN").Line(0, 0, 9, 9).Pair("67", "1");
    e.Circle(20, 0, 2).Pair("60", "1");
    e.Pair("0", "TEXT").Pair("8", "0").Pair("1", "Part 7").Pair("0", "DIMENSION").Pair("8", "0").Pair("0", "HATCH");
    Polyline3D(e, {{0, 0, 0}, {5, 0, 0}, {5, 5, 2}}, false);
    e.Circle(30, 0, 3).Num("210", 0.6).Num("220", 0).Num("230", 0.8);
    Insert(e, "MISSING", {0, 0}, 1, 1, 0);
    e.Pair("0", "LWPOLYLINE").Pair("8", "0").Pair("70", "0").Num("10", -20).Num("20", -20).Num("10", -10)
        .Num("20", -20).Num("10", -10).Num("20", -10);
    auto program = std::make_unique<Program>();
    const DxfReadResult result = LoadDxfText(*program, tables + Drawing("", {}, e), Sheet());
    ASSERT_EQ(result.outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(program->store.n + 1, 3);  // the big circle and the open polyline's two lines
    EXPECT_EQ(program->contourChain, "0|:1|2|:");  // the closed contours first
    EXPECT_EQ(CountList(result.report.notRead),
              "1 DIMENSION, 1 HATCH, 1 TEXT, 1 in paper space, 1 invisible, 2 on hidden layers");
    EXPECT_EQ(CountList(result.report.cutGeometry),
              "1 3D POLYLINE, 1 CIRCLE on a tilted plane, 1 INSERT of a missing block");
    EXPECT_EQ(LeftOutWarning(result.report, ReadMode::Sheet, "--sheet"),
              "Not cut: 1 3D POLYLINE, 1 CIRCLE on a tilted plane, 1 INSERT of a missing block. Left out: 1 DIMENSION, "
              "1 HATCH, 1 TEXT, 1 in paper space, 1 invisible, 2 on hidden layers.");
}

// Blocks that insert themselves, nest too deep, are scaled to nothing or make too much work in their copies are
// refused, saying so.
TEST(SheetReaderTest, BlocksThatInsertThemselvesOrNestTooDeepAreRefused) {
    DxfText loop;  // A holds B, B holds A
    Insert(Block(loop, "A", {0, 0}).Circle(0, 0, 1), "B", {5, 0}, 1, 1, 0).Pair("0", "ENDBLK");
    Insert(Block(loop, "B", {0, 0}), "a", {5, 0}, 1, 1, 0).Pair("0", "ENDBLK");
    DxfText deep;  // 70 blocks, each holding the next
    for (int i = 0; i < 70; ++i) Insert(Block(deep, "L" + std::to_string(i), {0, 0}), "L" + std::to_string(i + 1), {1, 0}, 1, 1, 0).Pair("0", "ENDBLK");
    Block(deep, "L70", {0, 0}).Circle(0, 0, 1).Pair("0", "ENDBLK");
    DxfText huge;  // a million copies of a point in one array
    Block(huge, "DOT", {0, 0}).Pair("0", "POINT").Pair("8", "0").Num("10", 0).Num("20", 0).Pair("0", "ENDBLK");
    DxfText points;  // a thousand points, left out but visited, in 4,900 copies
    Block(points, "PTS", {0, 0});
    for (int k = 0; k < 1000; ++k) points.Pair("0", "POINT").Pair("8", "0").Num("10", k).Num("20", 0);
    points.Pair("0", "ENDBLK");
    DxfText noisy;  // a line carrying 20,000 comments, in 2,500 copies
    Block(noisy, "L", {0, 0}).Pair("0", "LINE");
    for (int k = 0; k < 20000; ++k) noisy.Pair("999", "x");
    noisy.Pair("8", "0").Num("10", 0).Num("20", 0).Num("11", 1).Num("21", 0).Pair("0", "ENDBLK");
    DxfText ring;  // a ring inserted at a scale of 0, or of "inf", which reads as 0
    Block(ring, "RING", {0, 0}).Circle(0, 0, 5).Pair("0", "ENDBLK");
    const auto array = [](const char* name, int side) {
        return Inserting(name).Pair("70", std::to_string(side)).Pair("71", std::to_string(side)).Num("44", 3).Num("45", 3);
    };

    auto program = std::make_unique<Program>();
    ASSERT_EQ(LoadDxfText(*program, DxfText().Circle(0, 0, 9).Build()).outcome, DxfReadOutcome::Loaded);
    const std::string before(program->store.GetDATA(0));
    const std::pair<std::string, const char*> refused[] = {
        {Drawing("", loop, Inserting("A")), "\"a\" inserts itself"},
        {Drawing("", deep, Inserting("L0")), "nest more than 64 deep"},
        {Drawing("", huge, array("DOT", 1001)), "too large to read: it holds more than 1,000,000 block insertions"},
        {Drawing("", points, array("PTS", 70)), "more than 4,000,000 entities, counting every insertion of a block"},
        {Drawing("", noisy, array("L", 50)), "more than 40,000,000 DXF values, counting every insertion of a block"},
        {Drawing("", ring, DxfText().Pair("0", "INSERT").Pair("2", "RING").Num("41", 0)),
         "inserts block \"RING\" at a scale of 0 or one that is not a number (0 by 1)"},
        {Drawing("", ring, DxfText().Pair("0", "INSERT").Pair("2", "RING").Pair("42", "inf")), "(1 by inf)"},
    };
    for (const auto& [dxf, message] : refused) {
        SCOPED_TRACE(message);
        const DxfReadResult result = LoadDxfText(*program, dxf, Sheet());
        EXPECT_NE(result.outcome, DxfReadOutcome::Loaded);
        EXPECT_NE(ReadOutcomeMessage(result).find(message), std::string::npos) << ReadOutcomeMessage(result);
        EXPECT_EQ(program->store.n, 0);
        EXPECT_EQ(program->store.GetDATA(0), before);
    }
}

}  // namespace
}  // namespace zorvan

namespace zorvan {
namespace {

// Angles so large that adding a turn no longer changes them: read at once, never a loop without end; the
// entities are left out and named.
TEST(SheetReaderTest, HugeAnglesAreReadAtOnce) {
    DxfText e;
    e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 0).Num("20", 0).Num("11", 10).Num("21", 0).Num("40", 0.5)
        .Num("41", 0).Num("42", -1e300);
    e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 50).Num("20", 0).Num("11", 10).Num("21", 0).Num("40", 0.5)
        .Num("41", 1e17).Num("42", 1e17 + 1);
    DxfText blocks;
    Block(blocks, "B", {0, 0}).Arc(0, 0, 5, 1e20, 0).Pair("0", "ENDBLK");
    Insert(e, "B", {100, 0}, 2, 1, 0);  // scaled unevenly, so the arc is an ellipse's
    e.Circle(0, 0, 3);
    auto program = std::make_unique<Program>();
    const DxfReadResult result = LoadDxfText(*program, Drawing("", blocks, e), Sheet());
    EXPECT_EQ(result.outcome, DxfReadOutcome::Loaded);
    EXPECT_EQ(CountList(result.report.cutGeometry), "2 ELLIPSE with parameters out of range");
    EXPECT_EQ(program->store.n, 0);  // the circle alone
}

}  // namespace
}  // namespace zorvan
