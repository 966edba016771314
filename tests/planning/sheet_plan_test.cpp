// Sheets of parts planned in sheet mode, checked by geometry on the G-code program itself: the program is
// parsed back into pierce points, lead-ins and cut paths, and every claim is tested with this file's own
// point-in-polygon and segment-crossing routines, not with the planner's.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "planning/lead_ins.h"
#include "planning/outlines.h"
#include "planning/scrap_lead_ins.h"
#include "planning/sheet_plan.h"
#include "support/dxf_text.h"
#include "support/golden.h"
#include "support/cut_paths.h"
#include "support/rs274.h"

namespace zorvan {
namespace {

using testing::DxfText;
using testing::Vertex;

constexpr double kPi = 3.14159265358979323846;

using testing::Cut;
using testing::Holding;
using testing::Inside;
using testing::Pt;
using testing::SignedArea;


double Cross(Pt o, Pt a, Pt b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

bool SegmentsMeet(Pt a, Pt b, Pt c, Pt d) {
    const double d1 = Cross(a, b, c), d2 = Cross(a, b, d), d3 = Cross(c, d, a), d4 = Cross(c, d, b);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}


struct Sheet {
    const char* what;
    std::string dxf;
    int closedParts;                // closed contours the drawing holds
    std::vector<Pt> material, scrap;  // points known to be in a part, and known to be scrap
    double leadIn = 5;
    bool cutOpen = false;
    int openParts = 0;  // open contours cut (with cutOpen)
    const char* golden = nullptr;  // the reviewed program in tests/data, where there is one
};

std::string WithSections(const std::string& header, const DxfText& blocks, const DxfText& entities) {
    return header + blocks.Section("BLOCKS") + entities.Section("ENTITIES") + "  0\r\nEOF\r\n";
}

std::vector<Vertex> Rectangle(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

std::vector<Vertex> Star(Pt c, double outer, double inner, int points) {
    std::vector<Vertex> star;
    for (int k = 0; k < 2 * points; ++k) {
        const double a = kPi * k / points, r = k % 2 == 0 ? outer : inner;
        star.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return star;
}

DxfText& Insert(DxfText& dxf, const std::string& name, Pt at, double sx, double sy, double degrees) {
    return dxf.Pair("0", "INSERT").Pair("8", "0").Pair("2", name).Num("10", at.x).Num("20", at.y).Num("30", 0)
        .Num("41", sx).Num("42", sy).Num("50", degrees);
}

std::vector<Sheet> Sheets() {
    std::vector<Sheet> sheets;
    {
        DxfText e;  // three plates side by side, each with holes, one hole small for the lead-in
        for (int k = 0; k < 3; ++k) {
            const double x = 70.0 * k;
            e.LwPolyline(Rectangle(x, 0, 60, 40)).Circle(x + 15, 20, 8).Circle(x + 45, 20, 2.5).LwPolyline(Rectangle(x + 25, 5, 10, 6));
        }
        sheets.push_back({"plates with holes", e.Build(), 12, {{5, 5}, {75, 35}, {195, 30}}, {{15, 20}, {45, 20}, {65, 20}, {100, 8}}});
    }
    {
        DxfText e;  // a washer in a ring, and a pin in the washer's hole
        e.Circle(0, 0, 50).Circle(0, 0, 40).Circle(0, 0, 30).Circle(0, 0, 10).Circle(0, 0, 4);
        sheets.push_back({"parts in holes", e.Build(), 5, {{45, 0}, {20, 0}, {0, 0}}, {{35, 0}, {7, 0}, {60, 0}}, 5, false, 0,
                          "sheet_parts_in_holes.nc"});
    }
    {
        DxfText e;  // a gear and a star, each with a hole near its teeth; the lead-in is longer than a tooth gap
        e.LwPolyline(Star({0, 0}, 40, 34, 24)).Circle(0, 0, 28).LwPolyline(Star({100, 0}, 40, 15, 5)).Circle(100, 0, 6);
        sheets.push_back({"gear and star", e.Build(), 4, {{0, 31}, {100, 10}, {130, 0}}, {{0, 0}, {100, 0}, {0, 45}, {60, 0}}, 8, false, 0,
                          "sheet_gear_and_star.nc"});
    }
    {
        DxfText blocks;  // a plate block inserted as an array of two by two and once mirrored
        blocks.Pair("0", "BLOCK").Pair("8", "0").Pair("2", "P").Pair("70", "0").Num("10", 0).Num("20", 0).Num("30", 0)
            .LwPolyline({{0, 0}, {30, 0}, {30, 20, 0.5}, {0, 20}}).Circle(10, 10, 3).Pair("0", "ENDBLK");
        DxfText e;
        Insert(e, "P", {0, 0}, 1, 1, 0).Pair("70", "2").Pair("71", "2").Num("44", 45).Num("45", 35);
        Insert(e, "P", {130, 0}, -1, 1, 0);
        sheets.push_back({"blocks", WithSections("", blocks, e), 10, {{20, 5}, {65, 40}, {110, 5}}, {{10, 10}, {55, 45}, {120, 10}, {40, 10}}, 5, false, 0,
                          "sheet_blocks.nc"});
    }
    {
        DxfText e;  // an elliptical part with an elliptical slot, and a closed spline lobe with a round hole
        e.Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 0).Num("20", 0).Num("11", 50).Num("21", 10).Num("40", 0.5)
            .Pair("0", "ELLIPSE").Pair("8", "0").Num("10", 0).Num("20", 0).Num("11", 20).Num("21", 4).Num("40", 0.3)
            .Pair("0", "SPLINE").Pair("8", "0").Pair("70", "11").Pair("71", "3").Pair("72", "10").Pair("73", "6");
        for (const double k : {0, 0, 0, 0, 1, 2, 3, 3, 3, 3}) e.Num("40", k);
        for (const Pt p : {Pt{100, 0}, Pt{140, 0}, Pt{150, 40}, Pt{120, 60}, Pt{90, 40}, Pt{100, 0}}) e.Num("10", p.x).Num("20", p.y).Num("30", 0);
        e.Circle(120, 25, 6);
        sheets.push_back({"ellipses and splines", e.Build(), 4, {{0, 15}, {110, 10}}, {{0, 0}, {120, 25}, {60, 40}}});
    }
    {
        DxfText e;  // a plate with mirrored arcs (extrusion pointing down) rounding its corners, and a mirrored hole
        e.Line(10, 0, 50, 0).Line(60, 10, 60, 30).Line(50, 40, 10, 40).Line(0, 30, 0, 10);
        for (const auto& [cx, cy, a0, a1] : std::vector<std::array<double, 4>>{{-50, 10, 180, 270}, {-50, 30, 90, 180}, {-10, 30, 0, 90}, {-10, 10, 270, 360}}) {
            e.Pair("0", "ARC").Pair("8", "0").Num("10", cx).Num("20", cy).Num("40", 10).Num("50", a0).Num("51", a1).Num("210", 0).Num("220", 0).Num("230", -1);
        }
        e.Pair("0", "CIRCLE").Pair("8", "0").Num("10", -30).Num("20", 20).Num("40", 7).Num("210", 0).Num("220", 0).Num("230", -1);
        sheets.push_back({"mirrored arcs", e.Build(), 2, {{5, 5}, {55, 35}}, {{30, 20}, {-5, 20}}});
    }
    {
        DxfText e;  // an inch drawing: two plates of 2 x 1.5 in with a 0.5 in hole, written in millimetres
        e.LwPolyline(Rectangle(0, 0, 2, 1.5)).Circle(1, 0.75, 0.25).LwPolyline(Rectangle(2.5, 0, 2, 1.5)).Circle(3.5, 0.75, 0.25);
        const std::string inches = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$INSUNITS\r\n 70\r\n1\r\n  0\r\nENDSEC\r\n";
        sheets.push_back({"inch units", inches + e.Section("ENTITIES") + "  0\r\nEOF\r\n", 4, {{5, 5}, {110, 30}}, {{25.4, 19.05}, {88.9, 19.05}, {57, 19}}});
    }
    {
        DxfText e;  // text and a dimension over the part, and an open construction line across it
        e.LwPolyline(Rectangle(0, 0, 80, 50)).Circle(40, 25, 10)
            .Pair("0", "TEXT").Pair("8", "0").Num("10", 5).Num("20", 5).Num("40", 3).Pair("1", "PLATE 1")
            .Pair("0", "DIMENSION").Pair("8", "0").Pair("2", "*D1").Num("10", 0).Num("20", 60).Num("11", 40).Num("21", 60)
            .Line(-20, 25, 100, 25);
        sheets.push_back({"text, dimension, open line", e.Build(), 2, {{5, 45}}, {{40, 30}, {90, 40}}});
        sheets.push_back({"open line cut with --cut-open", e.Build(), 2, {{5, 45}}, {{40, 30}, {90, 40}}, 5, true, 1});
    }
    return sheets;
}

JobResult Plan(Program& program, const Sheet& sheet) {
    JobOptions options;
    options.leadIn = std::to_string(sheet.leadIn);
    options.read.mode = ReadMode::Sheet;
    options.cutOpen = sheet.cutOpen;
    return RunMainJob(program, sheet.dxf, options);
}

TEST(SheetPlanTest, EveryPartIsCutOnceWithKerfAndPiercesInTheScrap) {
    for (const Sheet& sheet : Sheets()) {
        SCOPED_TRACE(sheet.what);
        auto program = std::make_unique<Program>();
        const JobResult job = Plan(*program, sheet);
        ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
        EXPECT_TRUE(job.unclearLeadIns.empty());
        EXPECT_TRUE(job.leadIns.Clean());
        if (sheet.golden != nullptr) testing::ExpectMatchesGolden(sheet.golden, job.programText);
        if (sheet.golden != nullptr && testing::Rs274Path()) {  // the controller refuses what the kerf check names
            program->kerf = 1.5;
            const KerfCheck check = CheckKerf(*program);
            for (const auto& [part, verdict] : testing::RunRs274OnProgram(job.programText, testing::ToolForKerf(1.5))) {
                EXPECT_EQ(check.Names(part), !verdict.accepted) << "part " << part << ": " << verdict.message;
            }
        }
        const std::vector<Cut> cuts = testing::ParseCuts(job.programText);

        // Every closed contour once: as many closed cuts as the drawing has, no two alike.
        std::vector<const Cut*> closed;
        for (const Cut& cut : cuts) {
            if (cut.Closed()) closed.push_back(&cut);
        }
        ASSERT_EQ(static_cast<int>(closed.size()), sheet.closedParts);
        EXPECT_EQ(static_cast<int>(cuts.size()), sheet.closedParts + sheet.openParts);
        for (size_t a = 0; a < closed.size(); ++a) {
            for (size_t b = a + 1; b < closed.size(); ++b) {
                EXPECT_FALSE(std::fabs(SignedArea(closed[a]->path) - SignedArea(closed[b]->path)) < 1e-6 &&
                             std::hypot(closed[a]->path[0].x - closed[b]->path[0].x, closed[a]->path[0].y - closed[b]->path[0].y) < 1e-6);
            }
        }
        // The parts are where the drawing has material, and the scrap where it has none: nothing extra is cut
        // and nothing is missing.
        for (const Pt p : sheet.material) EXPECT_EQ(Holding(cuts, p) % 2, 1) << p.x << ", " << p.y;
        for (const Pt p : sheet.scrap) EXPECT_EQ(Holding(cuts, p) % 2, 0) << p.x << ", " << p.y;

        for (size_t i = 0; i < cuts.size(); ++i) {
            const Cut& cut = cuts[i];
            SCOPED_TRACE("part " + std::to_string(i));
            if (!cut.Closed()) {
                EXPECT_EQ(cut.compensation, "G40");
                EXPECT_TRUE(cut.leadIn.empty());
                EXPECT_GE(i, static_cast<size_t>(sheet.closedParts));  // after every closed contour
                continue;
            }
            // The kerf goes to the scrap side: left of the path for G41, right for G42.
            ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
            EXPECT_EQ(Holding(cuts, testing::KerfSide(cut, 1e-3)) % 2, 0);
            // Holes (and parts lying in them) before the contour around them.
            for (size_t j = i + 1; j < cuts.size(); ++j) {
                if (cuts[j].Closed()) {
                    EXPECT_FALSE(Inside(cut.path, cuts[j].path[0])) << "contour " << j << " is inside";
                }
            }
            // The pierce in the scrap and the lead-in crossing no contour.
            ASSERT_EQ(cut.leadIn.size(), 2u);
            EXPECT_EQ(Holding(cuts, cut.pierce) % 2, 0);
            const Pt start = cut.leadIn[1];
            const Pt nearStart{start.x + (cut.pierce.x - start.x) * 1e-4, start.y + (cut.pierce.y - start.y) * 1e-4};
            for (const Cut& other : cuts) {
                for (size_t k = 0; k + 1 < other.path.size(); ++k) {
                    EXPECT_FALSE(SegmentsMeet(cut.pierce, nearStart, other.path[k], other.path[k + 1]));
                }
            }
        }
    }
}

TEST(SheetPlanTest, DefaultLeadInsInThePartAreWarnedAbout) {
    // A round hole made of two arcs with a lead-in longer than its radius: the default lead-in pierces the
    // plate; sheet mode finds one in the hole.
    DxfText e;
    e.LwPolyline(Rectangle(0, 0, 40, 30)).Arc(20, 15, 3, 0, 180).Arc(20, 15, 3, 180, 360);
    for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
        auto program = std::make_unique<Program>();
        JobOptions options;
        options.leadIn = "5";
        options.read.mode = mode;
        const JobResult job = RunMainJob(*program, e.Build(), options);
        if (mode == ReadMode::Default) {
            EXPECT_EQ(LeadInWarning(job.leadIns), "Lead-ins that pierce part material: part 0. Lead-ins that cross a contour: part 0.");
        } else {
            EXPECT_TRUE(job.leadIns.Clean());
        }
    }
}

}  // namespace
}  // namespace zorvan

namespace zorvan {
namespace {

// Concentric squares 1 apart with lead-ins of 20: no lead-in fits between them. The search gives up within
// its budget of segments looked at, each question looks at a few cells of segments however long the
// outlines, and every part still gets a lead-in (its default one, named as unclear).
TEST(SheetPlanTest, TheLeadInSearchStaysWithinItsBudgetWhereNothingFits) {
    DxfText dxf;
    constexpr int kSquares = 300;
    for (int k = 1; k <= kSquares; ++k) dxf.LwPolyline({{-1.0 * k, -1.0 * k}, {1.0 * k, -1.0 * k}, {1.0 * k, 1.0 * k}, {-1.0 * k, 1.0 * k}});
    auto program = std::make_unique<Program>();
    JobOptions options;
    options.read.mode = ReadMode::Sheet;
    options.leadIn = "0";
    ASSERT_EQ(RunMainJob(*program, dxf.Build(), options).read.outcome, DxfReadOutcome::Loaded);
    CalculateLeadIns(*program, 20);
    const OutlineIndex index = PartOutlines(*program);
    index.Touches({0.5, 0.5}, {0.5, 20.5});
    EXPECT_LT(index.SegmentsVisited(), 4u * kSquares / 2);  // one short question: a few cells, not the sheet
    const size_t before = index.SegmentsVisited();
    EXPECT_FALSE(FindScrapLeadIn(*program, index, kSquares / 2, 20, before + 5000));
    EXPECT_LT(index.SegmentsVisited(), before + 5000 + 4u * kSquares);  // stops within one question of the budget
    const std::vector<int32_t> unclear = CalculateScrapLeadIns(*program, 20);
    EXPECT_EQ(static_cast<int>(unclear.size()), kSquares - 1);  // all but the outermost, whose lead-in is outside
}

}  // namespace
}  // namespace zorvan

namespace zorvan {
namespace {

// A closed polyline of 1,000 nearly whole arcs, each as wide as the drawing: followed at the sheet's fine
// flatness they would take 4 million points; the outlines stay within their budget of points instead.
TEST(SheetPlanTest, OutlinesOfHugeNearlyWholeArcsStayWithinTheirBudgetOfPoints) {
    std::vector<Vertex> vertices;
    for (int k = 0; k < 1000; ++k) vertices.push_back({k % 2 == 0 ? 0.0 : 1000.0, k * 1e-3, -50});
    DxfText dxf;
    dxf.LwPolyline(vertices);
    for (const ReadMode mode : {ReadMode::Default, ReadMode::Sheet}) {
        auto program = std::make_unique<Program>();
        JobOptions options;
        options.read.mode = mode;
        ASSERT_EQ(RunMainJob(*program, dxf.Build(), options).read.outcome, DxfReadOutcome::Loaded);
        size_t points = 0;
        const OutlineIndex index = PartOutlines(*program);
        for (const Outline& outline : index.outlines()) points += outline.points.size();
        EXPECT_GT(points, kMostOutlinePoints / 2);
        EXPECT_LE(points, kMostOutlinePoints + 2);
    }
}

}  // namespace
}  // namespace zorvan
