// Fitting the view, the full redraw, the extents, the zoom commands and the window layouts.
#include "draw/view.h"
#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"
#include "support/part_list.h"

namespace zorvan {
namespace {

class ViewTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> entries) { testing::SetParts(*program, form.List2, entries); }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture{800, 600};
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

TEST_F(ViewTest, FitAddsAMarginAndFollowsTheSurfacesProportions) {
    // 100 x 50 with margin: 120 x 60, wider than 4:3, so the height follows: 120 * 600 / 800 = 90.
    FitView(*program, picture, 0, 50, 100, 0, true);
    EXPECT_EQ(picture.Log().back(), "scale -10 55 110 -35");
    EXPECT_EQ(program->viewBottom, -35);
    // Taller than the surface: the width follows.
    FitView(*program, picture, 0, 100, 10, 0, false);
    EXPECT_EQ(picture.Log().back(), "scale 0 100 133.333333333333 0");
}

TEST_F(ViewTest, RectangleWithoutHeightOrSurfaceWithoutSizeLeavesTheView) {
    FitView(*program, picture, 0, 50, 100, 0, true);
    const size_t strokes = picture.Log().size();
    FitView(*program, picture, 0, 5, 100, 5, true);
    FitView(*program, picture, 3, 3, 3, 3, false);
    RecordingSurface empty(800, 0);
    FitView(*program, empty, 0, 50, 100, 0, true);
    EXPECT_EQ(picture.Log().size(), strokes);
    EXPECT_TRUE(empty.Log().empty());
    EXPECT_EQ(program->viewRight, 110);
}

TEST_F(ViewTest, ZoomAllReachesTheOriginAndZoomPartFitsTheExtents) {
    program->extMinX = 50;
    program->extMinY = 50;
    program->extMaxX = 150;
    program->extMaxY = 100;
    form.Command15_Click();
    // (0, 100)-(150, 0) plus 10 %: (-15, 110)-(165, -10), then the height follows 4:3: 180 * 0.75 = 135.
    EXPECT_EQ(picture.Log()[0], "scale -15 110 165 -25");
    EXPECT_EQ(picture.Log()[1], "clear");
    form.Command14_Click();
    EXPECT_EQ(program->viewLeft, 40);
    EXPECT_EQ(program->viewTop, 105);
    picture.ClearLog();
    form.Command13_Click();
    EXPECT_EQ(picture.Log(), std::vector<std::string>{"rect 50 50 150 100 #00FF00"});
}

TEST_F(ViewTest, RedrawColoursAndWidthsFollowTheMarks) {
    Parts({"II 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD -1:", "OO 0 0 0 0:0 0 0 2 0 0 D|:NOTS NOTD 1:",
           "II 0 0 0 0:0 0 0 3 0 0 D|:NOTS DEL -1:", "II 0 0 0 0:0 0 0 4 0 0 D|:SEL DEL -1:",
           "II 0 0 0 0:0 0 0 5 0 0 D|:SEL NOTD -1:"});
    RedrawView(*program, form.List2.ListCount(), picture, kBlue);
    const auto& log = picture.Log();
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"clear", "width 1", "line 0 0 1000 0 #808080", "line 0 0 0 1000 #808080"}));
    const auto strokeOf = [&log](const std::string& line) {
        const auto it = std::find(log.begin(), log.end(), line);
        return it == log.end() ? std::string("(missing)") : *(it - 1);
    };
    EXPECT_EQ(strokeOf("line 0 0 1 0 #0000FF"), "width 1");
    EXPECT_EQ(strokeOf("line 0 0 2 0 #0000FF"), "width 3");
    EXPECT_EQ(strokeOf("line 0 0 3 0 #808080"), "width 1");
    EXPECT_EQ(strokeOf("line 0 0 4 0 #FFFF00"), "width 1");
    EXPECT_EQ(strokeOf("line 0 0 5 0 #FFFF00"), "width 1");
    EXPECT_EQ(std::count(log.begin(), log.end(), "dot 0 0 #00FF00"), 2);  // the outside cut's header
    EXPECT_EQ(picture.PenWidth(), 1);
}

TEST_F(ViewTest, ExtentsFromCirclesLinesAndArcChordVertices) {
    Parts({});
    RecomputeExtents(*program, 0, picture);
    EXPECT_EQ(program->extMinX, 100000);
    EXPECT_EQ(program->extMaxY, -100000);
    EXPECT_EQ(picture.Log().front(), "clear");

    Parts({"II 0 0 0 0:5 5 0 2 + 3 5 K|:NOTS NOTD 0:", "II 0 0 0 0:-1 0 0 9 1 0 D|:NOTS NOTD 0:",
           "II 0 0 0 0:0 0 0 10 0 100 + 10 0 0 10 A|:NOTS NOTD 0:"});
    RecomputeExtents(*program, form.List2.ListCount(), picture);
    EXPECT_EQ(program->extMinX, -1);
    EXPECT_EQ(program->extMaxX, 10);
    EXPECT_EQ(program->extMinY, 0);
    // Only the first points of the chords count: 0, 22.5, 45 and 67.5 degrees; not 90, not the end at 100.
    EXPECT_NEAR(program->extMaxY, 10 * std::sin(67.5 * M_PI / 180), 1e-6);
}

TEST(WindowLayouts, MainAndGCodeWindowArithmetic) {
    const MainWindowLayout main = LayOutMainWindow(12000, 9000, 120, 3000);
    EXPECT_EQ(main.tabWidth, 11700);
    EXPECT_EQ(main.pictureTop, 3220);
    EXPECT_EQ(main.pictureHeight, 5400);
    EXPECT_EQ(main.pictureWidth, 11700);
    const GCodeWindowLayout gcode = LayOutGCodeWindow(10000, 8000, 800);
    EXPECT_EQ(gcode.listWidth, 3900);
    EXPECT_EQ(gcode.pictureWidth, 5650);
    EXPECT_EQ(gcode.pictureLeft, 4150);
    EXPECT_EQ(gcode.frameTop, 6700);
    EXPECT_EQ(gcode.listHeight, 6500);
}

}  // namespace
}  // namespace zorvan
