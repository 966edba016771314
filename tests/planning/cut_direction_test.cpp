// The sense each closed contour is cut in and its compensation word, checked on the written program by
// geometry: G41 puts the tool left of the travel, so a hole must be cut with the kerf inside its contour and
// an outline with the kerf outside. The drawings hold arcs too short for a chord of the area sum, far from
// the origin, where an area that leaves them out has any sign.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "model/part_entry.h"
#include "support/corpus.h"
#include "support/cut_paths.h"
#include "support/dxf_text.h"
#include "support/pen.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

constexpr double kPi = std::numbers::pi;

using testing::Cut;
using testing::Inside;
using testing::KerfInside;
using testing::Pt;
using testing::SignedArea;

// `count` arcs about `c` from `from` degrees over `sweep` as polyline vertices; the vertex where the last one
// ends is the next one added (or the first, for the closing piece).
void AddArcs(std::vector<Vertex>& vertices, Pt c, double r, double from, double sweep, int count) {
    const double step = sweep / count, bulge = std::tan(step / 4 * kPi / 180);
    for (int k = 0; k < count; ++k) {
        const double a = (from + step * k) * kPi / 180;
        vertices.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), bulge});
    }
}

Vertex On(Pt c, double r, double degrees) {
    return {c.x + r * std::cos(degrees * kPi / 180), c.y + r * std::sin(degrees * kPi / 180)};
}

// The same closed polyline run the other way: each piece's bulge moves to its new first vertex, negated.
std::vector<Vertex> Reversed(const std::vector<Vertex>& v) {
    std::vector<Vertex> w;
    for (size_t k = v.size(); k-- > 0;) w.push_back({v[k].x, v[k].y, -v[(k + v.size() - 1) % v.size()].bulge});
    return w;
}

// A plate 300 x 200 at (5000, 5900), its top corners rounded by 45 arcs of 2 degrees each, holding a ring of
// 100 arcs of 3.6 degrees and a slot at 30 degrees whose round ends are 90 arcs of 2 degrees each, all drawn
// one way. Without its arcs the plate's area is its two long sides', of the wrong sign and huge.
constexpr Pt kOnlyInThePlate{5150, 5920};

std::string ShortArcPlate(bool clockwise) {
    std::vector<Vertex> plate{{5000, 5900}, {5300, 5900}}, ring, slot;
    for (const Pt corner : {Pt{5260, 6060}, Pt{5040, 6060}}) {
        const double from = corner.x > 5150 ? 0 : 90;
        AddArcs(plate, corner, 40, from, 90, 45);
        plate.push_back(On(corner, 40, from + 90));
    }
    AddArcs(ring, {5050, 6000}, 40, 0, 360, 100);
    const Pt c1{5130, 5980}, c2{c1.x + 80 * std::cos(kPi / 6), c1.y + 80 * std::sin(kPi / 6)};
    slot.push_back(On(c1, 10, 300));
    AddArcs(slot, c2, 10, 300, 180, 90);
    slot.push_back(On(c2, 10, 120));
    AddArcs(slot, c1, 10, 120, 180, 90);
    DxfText dxf;
    for (const auto* contour : {&plate, &ring, &slot}) dxf.LwPolyline(clockwise ? Reversed(*contour) : *contour);
    return dxf.Build();
}

TEST(CutDirection, ShortArcContoursFarFromTheOriginPutTheKerfInTheScrap) {
    for (const bool clockwise : {false, true}) {
        for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
            SCOPED_TRACE(std::string(clockwise ? "drawn clockwise" : "drawn counter-clockwise") +
                         (mode == ReadMode::Sheet ? ", sheet mode" : ", default mode"));
            auto program = std::make_unique<Program>();
            JobOptions options;
            options.read.mode = mode;
            const JobResult job = RunMainJob(*program, ShortArcPlate(clockwise), options);
            ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
            const std::vector<Cut> cuts = testing::ParseCuts(job.programText);
            ASSERT_EQ(cuts.size(), 3u);
            int outlines = 0;
            for (const Cut& cut : cuts) {
                SCOPED_TRACE("part " + std::to_string(cut.part));
                ASSERT_TRUE(cut.Closed());
                ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
                const bool outline = Inside(cut.path, kOnlyInThePlate);
                outlines += outline ? 1 : 0;
                EXPECT_EQ(KerfInside(cut), !outline);
            }
            EXPECT_EQ(outlines, 1);
        }
    }
}

// A sign plate 2000 x 400 holding a hairline crescent, a letter "D" and a closed spline as holes, with a
// crescent part above it (support/pen.h), all in one block inserted as drawn and mirrored. The chord sum gives the crescents the
// wrong sense: the hole would be cut clockwise under G41, the kerf in the plate.
std::string SignBlockDrawing() {
    using testing::BulgeVertices;
    DxfText blocks;
    blocks.Pair("0", "BLOCK").Pair("8", "0").Pair("2", "SIGN").Pair("70", "0").Num("10", 0).Num("20", 0).Num("30", 0);
    blocks.LwPolyline({{0, 0}, {2000, 0}, {2000, 400}, {0, 400}});
    blocks.LwPolyline(BulgeVertices<Vertex>(testing::HairlineCrescent({600, 200})));
    blocks.LwPolyline(BulgeVertices<Vertex>(testing::LetterD({1300, 150})));
    blocks.LwPolyline(BulgeVertices<Vertex>(testing::HairlineCrescent({600, 700})));
    // A closed spline shaped like a kidney bean, its waist turning the other way: fitted with arcs that turn
    // both ways.
    const double bean[][2] = {{1600, 200}, {1620, 300}, {1700, 260}, {1780, 300}, {1800, 200},
                              {1780, 100}, {1700, 140}, {1620, 100}, {1600, 200}};
    blocks.Pair("0", "SPLINE").Pair("8", "0").Pair("70", "9").Pair("71", "3").Pair("72", "13").Pair("73", "9").Pair("74", "0");
    for (const double knot : {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 6, 6, 6}) blocks.Num("40", knot);
    for (const auto& p : bean) blocks.Num("10", p[0]).Num("20", p[1]).Num("30", 0);
    blocks.Pair("0", "ENDBLK");
    DxfText entities;
    for (const double scaleX : {1.0, -1.0}) {
        entities.Pair("0", "INSERT").Pair("8", "0").Pair("2", "SIGN").Num("10", scaleX > 0 ? 0 : 5000).Num("20", 0)
            .Num("30", 0).Num("41", scaleX).Num("42", 1).Num("50", 0);
    }
    return blocks.Section("BLOCKS") + entities.Section("ENTITIES") + "  0\r\nEOF\r\n";
}

// Whether a closed cut is a hole: a point of its path lies inside an odd number of the other closed cuts.
bool IsHole(const Cut& cut, const std::vector<Cut>& cuts) {
    const Pt probe{(cut.path[0].x + cut.path[1].x) / 2, (cut.path[0].y + cut.path[1].y) / 2};
    int holders = 0;
    for (const Cut& other : cuts) holders += &other != &cut && other.Closed() && Inside(other.path, probe) ? 1 : 0;
    return holders % 2 == 1;
}

TEST(CutDirection, SheetModeCutsHairlineLetterAndSplineHolesWithTheKerfInside) {
    auto program = std::make_unique<Program>();
    JobOptions options;
    options.read.mode = ReadMode::Sheet;
    const JobResult job = RunMainJob(*program, SignBlockDrawing(), options);
    ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
    const std::vector<Cut> cuts = testing::ParseCuts(job.programText);
    ASSERT_EQ(cuts.size(), 10u);
    int holes = 0;
    for (const Cut& cut : cuts) {
        SCOPED_TRACE("part " + std::to_string(cut.part));
        ASSERT_TRUE(cut.Closed());
        ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
        const bool hole = IsHole(cut, cuts);
        holes += hole ? 1 : 0;
        EXPECT_EQ(KerfInside(cut), hole);
    }
    EXPECT_EQ(holes, 6);
}

// Two holes of this drawing are closed by a bulge arc of half a degree whose radius is 110, next to arcs of
// radius 0.4. (Sheet mode refuses the drawing: its polylines all lie on a tilted plane.)
TEST(CutDirection, CorpusPolylinesWithShortBulgeArcsCutEveryClosedContourTheWayItsMarkerSays) {
    auto program = std::make_unique<Program>();
    const std::string drawing = testing::ReadBytes(testing::ShippedDrawing("r12_polylines_bulges.dxf"));
    const JobResult job = RunMainJob(*program, drawing);
    ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
    int closed = 0;
    for (const Cut& cut : testing::ParseCuts(job.programText)) {
        if (!cut.Closed() || std::fabs(SignedArea(cut.path)) < 1e-6) continue;  // there and back: no side
        SCOPED_TRACE("part " + std::to_string(cut.part));
        ++closed;
        ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
        EXPECT_EQ(KerfInside(cut), PartFields(program->partList[static_cast<size_t>(cut.part)]).Marker() == "II");
    }
    EXPECT_EQ(closed, 26);  // the 14 closed polylines, and open ones whose ends meet
}

}  // namespace
}  // namespace zorvan
