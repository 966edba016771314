// Sheet mode reads drawings as their designers meant them: tiny gaps, pieces drawn twice, closed entities
// touching others, parts drawn edge to edge, lines that enclose nothing, hidden layers. Each drawing is
// checked on the program by geometry: every region of material cut once, the scrap left, the kerf on the
// scrap side, and what was left out said.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "geometry/arrangement.h"
#include "support/cut_paths.h"
#include "support/dxf_text.h"

namespace zorvan {
namespace {

using testing::Cut;
using testing::DxfText;
using testing::Pt;

struct Drawing {
    const char* what;
    std::string dxf;
    int closedCuts;
    std::vector<Pt> material, scrap;
    const char* warning;  // a part of the reading's warning, or "" where nothing must be said
};

DxfText& Square(DxfText& dxf, double x, double y, double side) {
    return dxf.LwPolyline({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

DxfText& LineSquare(DxfText& dxf, double x, double y, double side) {
    return dxf.Line(x, y, x + side, y).Line(x + side, y, x + side, y + side).Line(x + side, y + side, x, y + side)
        .Line(x, y + side, x, y);
}

std::vector<Drawing> Drawings() {
    std::vector<Drawing> drawings;
    {
        DxfText dxf;  // two vertices a ten-thousandth apart in the outline
        dxf.LwPolyline({{0, 0}, {100, 0}, {100.0001, 0}, {100, 60}, {0, 60}}).Circle(30, 30, 5).Circle(70, 30, 5);
        drawings.push_back({"vertex pair in an outline", dxf.Build(), 3, {{5, 5}, {95, 55}}, {{30, 30}, {70, 30}, {-1, -1}}, ""});
    }
    {
        DxfText dxf;  // a 10 x 10 grid of closed squares touching one another
        std::vector<Pt> centres;
        for (int i = 0; i < 10; ++i) {
            for (int j = 0; j < 10; ++j) {
                Square(dxf, i * 10.0, j * 10.0, 10);
                centres.push_back({i * 10.0 + 5, j * 10.0 + 5});
            }
        }
        drawings.push_back({"touching closed squares", dxf.Build(), 100, centres, {{-1, 5}, {105, 5}}, ""});
    }
    {
        DxfText dxf;  // a hole drawn twice, and a second plate drawn three times: two circles and two arcs
        dxf.LwPolyline({{0, 0}, {50, 0}, {50, 40}, {0, 40}}).Circle(25, 20, 6).Circle(25, 20, 6).Circle(100, 20, 15)
            .Circle(100, 20, 15).Arc(100, 20, 15, 45, 225).Arc(100, 20, 15, 225, 45);
        drawings.push_back({"drawn twice", dxf.Build(), 3, {{5, 5}, {100, 30}}, {{25, 20}, {75, 20}},
                            "Not cut: 3 pieces drawn twice, cut once."});
    }
    {
        DxfText dxf;  // eight strips of lines sharing their long edges; a square of lines drawn twice
        for (int k = 0; k <= 8; ++k) dxf.Line(0, k * 10.0, 100, k * 10.0);
        dxf.Line(0, 0, 0, 80).Line(100, 80, 100, 0);
        LineSquare(dxf, 200, 0, 20);
        LineSquare(dxf, 200, 0, 20);
        std::vector<Pt> strips;
        for (int k = 0; k < 8; ++k) strips.push_back({50, k * 10.0 + 5});
        strips.push_back({210, 10});
        drawings.push_back({"strips edge to edge", dxf.Build(), 9, strips, {{150, 40}, {50, 85}},
                            "8 parts are drawn edge to edge"});
    }
    {
        DxfText dxf;  // a bend line across a plate, and a centre mark through its hole
        dxf.LwPolyline({{0, 0}, {100, 0}, {100, 50}, {0, 50}}).Line(-5, 25, 105, 25).Circle(50, 25, 10)
            .Line(35, 25, 65, 25).Line(50, 10, 50, 40);
        drawings.push_back({"bend line and centre mark", dxf.Build(), 2, {{20, 10}, {20, 40}, {80, 40}},
                            {{45, 20}, {55, 30}}, "open contours inside parts"});
    }
    {
        DxfText dxf;  // a plate of lines holding a hole of lines and a part of arcs in it, lines on a hidden layer
        LineSquare(dxf, 0, 0, 100);
        LineSquare(dxf, 20, 20, 60);
        dxf.Arc(50, 50, 10, 0, 180).Arc(50, 50, 10, 180, 360);
        dxf.Line(0, 0, 100, 100, "HIDDEN");
        std::string text = dxf.Build();
        const std::string layers = "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nLAYER\r\n  0\r\nLAYER\r\n  2\r\n"
                                   "HIDDEN\r\n 70\r\n0\r\n 62\r\n-7\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n";
        drawings.push_back({"nested regions of lines", layers + text, 3, {{10, 10}, {50, 50}}, {{25, 50}, {75, 50}},
                            "Left out: 1 on hidden layers."});
    }
    {
        DxfText dxf;  // a bar of lines with a bump on top whose arc leaves a corner tangent to the leftward edge
        LineSquare(dxf, 0, 0, 10).Line(10, 0, 40, 0).Line(40, 0, 40, 10).Line(40, 10, 10, 10);
        dxf.Arc(22, 12, 2, 180, 270).Line(20, 12, 0, 12).Line(0, 12, 0, 10);
        drawings.push_back({"tangent arc off an edge", dxf.Build(), 3, {{30, 5}, {5, 5}, {5, 11}}, {{30, 11}, {21, 13}},
                            "3 parts are drawn edge to edge"});
    }
    return drawings;
}

TEST(RealDrawingsTest, EveryRegionIsCutOnceWithTheKerfInTheScrapAndWhatIsLeftOutIsSaid) {
    for (const Drawing& drawing : Drawings()) {
        SCOPED_TRACE(drawing.what);
        auto program = std::make_unique<Program>();
        JobOptions options;
        options.read.mode = ReadMode::Sheet;
        const JobResult job = RunMainJob(*program, drawing.dxf, options);
        ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
        const std::vector<Cut> cuts = testing::ParseCuts(job.programText);
        int closed = 0;
        for (const Cut& cut : cuts) {
            if (!cut.Closed()) continue;
            ++closed;
            ASSERT_TRUE(cut.compensation == "G41" || cut.compensation == "G42");
            // The kerf inside a hole (the region just inside the cut is scrap), outside an outline, whatever
            // touches it.
            const bool kerfInside = testing::KerfInside(cut);
            const Pt inward = testing::KerfSide(cut, kerfInside ? 1e-3 : -1e-3);
            EXPECT_EQ(kerfInside, testing::Holding(cuts, inward) % 2 == 0) << "part " << cut.part;
        }
        EXPECT_EQ(closed, drawing.closedCuts);
        EXPECT_EQ(program->closedNotPlannedOnce, 0);
        for (const Pt p : drawing.material) EXPECT_EQ(testing::Holding(cuts, p) % 2, 1) << p.x << ", " << p.y;
        for (const Pt p : drawing.scrap) EXPECT_EQ(testing::Holding(cuts, p) % 2, 0) << p.x << ", " << p.y;
        const std::string warning =
            LeftOutWarning(job.read.report, ReadMode::Sheet, "sheet mode") +
            (program->openContoursLeftOut > 0 ? " open contours" : "") +
            (program->openInsideParts == program->openContoursLeftOut && program->openInsideParts > 0 ? " inside parts" : "");
        if (*drawing.warning == '\0') {
            EXPECT_EQ(warning, "");
        } else {
            EXPECT_NE(warning.find(drawing.warning), std::string::npos) << warning;
        }
    }
}

// Arcs meeting lines at a tangent, an arc crossing a line twice, and a T: the regions come out whole, their
// areas exact.
TEST(RealDrawingsTest, ArrangementFindsTheRegionsOfLinesAndArcs) {
    const double pi = 3.141592653589793;
    // A slot: two lines and two half circles meeting them tangentially; a line across its middle; a stray
    // line hanging off it.
    std::vector<Piece> pieces{{{0, 0}, {10, 0}, false, {}, true},  {{10, 0}, {10, 10}, true, {10, 5}, true},
                              {{10, 10}, {0, 10}, false, {}, true}, {{0, 10}, {0, 0}, true, {0, 5}, true},
                              {{5, -5}, {5, 15}, false, {}, true},  {{20, 5}, {30, 5}, false, {}, true}};
    const Arrangement arranged = Arrange(pieces, 0.001);
    ASSERT_EQ(arranged.regions.size(), 2u);
    double total = 0;
    for (const Boundary& region : arranged.regions) total += SignedAreaOf(arranged.pieces, region);
    EXPECT_NEAR(total, 100 + pi * 25, 1e-9);
    EXPECT_EQ(arranged.touching.size(), 1u);  // the two halves share the line across
    EXPECT_EQ(arranged.leftOver.size(), 3u);  // the line's ends beyond the slot, and the stray line

    // A grid of 400 lines each way crosses itself 160,000 times, more pieces than a drawing may hold: given up
    // at once, the input kept as left over.
    std::vector<Piece> grid;
    for (int k = 0; k < 400; ++k) {
        grid.push_back({{0, k + 0.5}, {400, k + 0.5}, false, {}, true});
        grid.push_back({{k + 0.5, 0}, {k + 0.5, 400}, false, {}, true});
    }
    const Arrangement crossed = Arrange(grid, 0.001);
    EXPECT_TRUE(crossed.tooMuchWork);
    EXPECT_EQ(crossed.leftOver.size(), grid.size());
}

}  // namespace
}  // namespace zorvan
