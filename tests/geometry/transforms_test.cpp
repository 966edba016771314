// Moving, rotating and scaling every part of the drawing through the main window's buttons.
#include "geometry/transforms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/part_entry.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"
#include "draw/view.h"
#include "support/part_list.h"

namespace zorvan {
namespace {

constexpr double kPI = 3.141592654;

class TransformsTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> entries) {
        testing::SetParts(*program, form.List2, entries);
        RecomputeExtents(*program, form.List2.ListCount(), picture);
    }
    const std::string& Part(size_t i) const { return program->partList[i]; }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

TEST_F(TransformsTest, MovePadMovesEveryPointByTheStep) {
    Parts({"II 1 2 1.25 2:1 2 0 3 4 0 D|:NOTS NOTD -1:", "OO 0 0 0 0:5 5 0 2 + 3 5 K|:NOTS NOTD 12:"});
    form.Command18_Click();
    EXPECT_EQ(Part(0), "II 1.5 2.5 1.75 2.5:1.5 2.5 0 3.5 4.5 0 D|:NOTS NOTD -1");
    EXPECT_EQ(Part(1), "OO 0.5 0.5 0.5 0.5:5.5 5.5 0 2 + 3.5 5.5 K|:NOTS NOTD 12");
    form.Command22_Click();
    EXPECT_EQ(Part(0), "II 1 2 1.25 2:1 2 0 3 4 0 D|:NOTS NOTD -1");
    form.Text3 = "2";
    form.Command21_Click();
    EXPECT_EQ(Part(0).substr(0, 14), "II -1 2 -0.75 ");
    EXPECT_EQ(program->extMinX, -1);  // the extents follow every move
    const auto& log = picture.Log();
    EXPECT_NE(std::find(log.rbegin(), log.rend(), "line -1 2 -0.75 2 #0000FF"), log.rend());  // redrawn
}

TEST_F(TransformsTest, MoveToTheOriginRefitsTheView) {
    Parts({"OO 12.5 -3 12.5 -3:12.5 -3 0 22.5 -3 0 D|22.5 -3 0 22.5 7 0 D|22.5 7 0 12.5 -3 0 D|:NOTS NOTD 50:"});
    EXPECT_EQ(program->extMinX, 12.5);
    EXPECT_EQ(program->extMinY, -3);
    form.Command16_Click();
    EXPECT_EQ(Part(0), "OO 0 0 0 0:0 0 0 10 0 0 D|10 0 0 10 10 0 D|10 10 0 0 0 0 D|:NOTS NOTD 50");
    EXPECT_EQ(program->extMinX, 0);
    EXPECT_EQ(program->extMinY, 0);
    EXPECT_EQ(program->viewLeft, -1);  // fitted with its margin to the new extents
    EXPECT_EQ(program->viewTop, 11);
}

TEST_F(TransformsTest, RotatedArcAnglesWrapOnce) {
    EXPECT_EQ(MoveRotateRecord(kPI, "0 0 0 1 350 20 + 1 0 0 1 A", 0, 0, 0, 0, 15 * kPI / 180).substr(0, 14), "0 0 0 1 5 35 +");
    EXPECT_EQ(MoveRotateRecord(kPI, "0 0 0 1 10 50 + 1 0 0 1 A", 0, 0, 0, 0, -15 * kPI / 180).substr(0, 16), "0 0 0 1 355 35 +");
    // A plain move wraps too.
    EXPECT_EQ(MoveRotateRecord(kPI, "0 0 0 1 370 -5 - 1 0 0 1 A", 1, 0, 0, 0, 0), "1 0 0 1 10 355 - 2 0 1 1 A");
    EXPECT_EQ(MoveRotateRecord(kPI, "1 2 3", 1, 1, 0, 0, 0), "1 2 3");  // no type letter: as it was
}

TEST_F(TransformsTest, RotatingThereAndBackRestoresASymmetricDrawing) {
    const std::string square = "OO 0 0 0 0:0 0 0 0 4 0 D|0 4 0 4 4 0 D|4 4 0 4 0 0 D|4 0 0 0 0 0 D|:NOTS NOTD 16:";
    Parts({square, "II 1 2 1.5 2:2 2 0 1 + 1 2 K|:NOTS NOTD -3:"});
    form.Command25_Click();
    // The circle in the middle turns with its start and its lead-in, so the lead-in still ends where the
    // cut starts.
    const auto circle = SplitFields(PartFields(Part(1)).records);
    const auto header = SplitFields(PartFields(Part(1)).header);
    EXPECT_EQ(FieldAt(header, 1), FieldAt(circle, 5));
    EXPECT_EQ(FieldAt(header, 2), FieldAt(circle, 6));
    EXPECT_NEAR(LenientParse(FieldAt(header, 2)), 2 - std::sin(15 * kPI / 180), 1e-9);
    EXPECT_NEAR(LenientParse(FieldAt(header, 4)), 2 - 0.5 * std::sin(15 * kPI / 180), 1e-9);
    EXPECT_NE(Part(0).substr(0, 8), "OO 0 0 0");
    form.Command26_Click();
    const PartFields part(Part(0));
    const auto records = SplitFields(part.records, '|');
    const double expected[][4] = {{0, 0, 0, 4}, {0, 4, 4, 4}, {4, 4, 4, 0}, {4, 0, 0, 0}};
    for (size_t i = 0; i < 4; ++i) {
        const auto f = SplitFields(records[i]);
        EXPECT_NEAR(LenientParse(f[0]), expected[i][0], 1e-9);
        EXPECT_NEAR(LenientParse(f[1]), expected[i][1], 1e-9);
        EXPECT_NEAR(LenientParse(f[3]), expected[i][2], 1e-9);
        EXPECT_NEAR(LenientParse(f[4]), expected[i][3], 1e-9);
    }
}

TEST_F(TransformsTest, ScalingByTwoAboutTheLowerLeftCorner) {
    Parts({"OO 1 1 1 1:1 1 0 3 1 0 D|:NOTS NOTD 0:", "II 2 2 2 2:3 2 0 1 + 2 2 K|:NOTS NOTD -3:",
           "II 0 0 0 0:3 3 0 1 0 90 + 4 3 3 4 A|:NOTS NOTD 0:"});
    ASSERT_EQ(program->extMinX, 1);
    ASSERT_EQ(program->extMinY, 1);
    form.Text5 = "2";
    form.Command27_Click();
    EXPECT_EQ(Part(0), "OO 1 1 1 1:1 1 0 5 1 0 D|:NOTS NOTD 0");
    EXPECT_EQ(Part(1), "II 3 3 3 3:5 3 0 2 + 3 3 K|:NOTS NOTD -3");
    EXPECT_EQ(Part(2), "II -1 -1 -1 -1:5 5 0 2 0 90 + 7 5 5 7 A|:NOTS NOTD 0");
}

TEST_F(TransformsTest, EmptyListStillUpdatesTheExtentsAndRedraws) {
    Parts({});
    picture.ClearLog();
    form.Command25_Click();
    EXPECT_EQ(program->extMinX, 100000);
    EXPECT_EQ(std::count(picture.Log().begin(), picture.Log().end(), "clear"), 2);
}

}  // namespace
}  // namespace zorvan

namespace zorvan {
namespace {

// An arc lead-in, overcut and lead-out go with their part: a turn keeps their sizes, a scale scales them.
TEST(TransformHeaders, CutShapeWordsTravelWithThePart) {
    const std::string header = "OO 10 0 5 -5 ARC 2.5 OVERCUT 1 ARCOUT 3";
    const CutShape turned = ReadCutShape(MoveRotateHeader(header, 1, 2, 0, 0, 0.3));
    EXPECT_EQ(turned.arcRadius, 2.5);
    EXPECT_EQ(turned.overcut, 1);
    EXPECT_TRUE(turned.leadOutArc);
    Program program;
    program.extMinX = program.extMinY = 0;
    const CutShape scaled = ReadCutShape(ScaleHeader(program, header, 2));
    EXPECT_EQ(scaled.arcRadius, 5);
    EXPECT_EQ(scaled.overcut, 2);
    EXPECT_EQ(scaled.leadOut, 6);
    EXPECT_EQ(ScaleHeader(program, "OO 10 0 5 -5", 2), "OO 20 0 10 -10");  // a plain header stays plain
}

}  // namespace
}  // namespace zorvan
