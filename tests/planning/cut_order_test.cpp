// Head to tail, the largest contour found, moved to the end and made the outside cut.
#include "planning/cut_order.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/record_text.h"

namespace zorvan {
namespace {

std::string Line(double x1, double y1, double x2, double y2) { return MakeLineRecord(x1, y1, 0, x2, y2, 0) + "|"; }

// A closed square contour of side `side` at (x, y), counter-clockwise.
std::string Square(double x, double y, double side) {
    return Line(x, y, x + side, y) + Line(x + side, y, x + side, y + side) + Line(x + side, y + side, x, y + side) +
           Line(x, y + side, x, y);
}

class CutOrderTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> contours) {
        program->partCount = 0;
        for (const std::string& contour : contours) {
            program->partList[static_cast<size_t>(program->partCount++)] = "II 0 0 0 0:" + contour + ":NOTS NOTD 0";
        }
    }
    const std::string& Part(size_t i) const { return program->partList[i]; }

    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(CutOrderTest, SquareWithItsSecondLineStoredBackwardsRunsHeadToTailWithoutAJump) {
    Parts({Line(0, 0, 1, 0) + Line(1, 1, 1, 0) + Line(1, 1, 0, 1) + Line(0, 1, 0, 0)});
    EXPECT_EQ(SLOZISVE(*program, 0), "0 0 0 1 0 0 D|1 0 0 1 1 0 D|1 1 0 0 1 0 D|0 1 0 0 0 0 D|");
}

TEST_F(CutOrderTest, FirstRecordIsTurnedWhenTheSecondMeetsNeitherOfItsEnds) {
    // The chain walks against the first line: 0 then the record before it.
    Parts({Line(0, 0, 1, 0) + Line(0, 1, 0, 0) + Line(1, 1, 0, 1) + Line(1, 0, 1, 1)});
    EXPECT_EQ(SLOZISVE(*program, 0), "1 0 0 0 0 0 D|0 0 0 0 1 0 D|0 1 0 1 1 0 D|1 1 0 1 0 0 D|");
    // Within 0.001 the ends meet (inclusive); beyond it the record turns.
    Parts({Line(0, 0, 1, 0) + Line(1.001, 0.001, 2, 0)});
    EXPECT_EQ(SLOZISVE(*program, 0), "0 0 0 1 0 0 D|1.001 .001 0 2 0 0 D|");
    Parts({Line(0, 0, 1, 0) + Line(2, 0, 1.0011, 0)});
    EXPECT_EQ(SLOZISVE(*program, 0), "1 0 0 0 0 0 D|1.0011 0 0 2 0 0 D|");
}

TEST_F(CutOrderTest, SingleRecordComparesWithTheEmptyElementAtTheOrigin) {
    Parts({Line(3, 3, 5, 5), Line(3, 3, 0.0005, 0), "0 0 0 1 0 90 + 1 0 0 1 A|"});
    EXPECT_EQ(SLOZISVE(*program, 0), "5 5 0 3 3 0 D|");
    EXPECT_EQ(SLOZISVE(*program, 1), "3 3 0 .0005 0 0 D|");
    EXPECT_EQ(SLOZISVE(*program, 2), "0 0 0 1 90 0 - 0 1 1 0 A|");
}

TEST_F(CutOrderTest, LargestOfFourNineNineIsTheFirstNineAndGoesLast) {
    Parts({Square(0, 0, 2), Square(10, 0, 3), Square(20, 0, 3)});
    const int16_t largest = SLOZIBASSVE(*program);
    EXPECT_EQ(largest, 1);
    EXPECT_EQ(Part(0), "II 0 0 0 0:" + Square(0, 0, 2) + ":NOTS NOTD -4");
    GURNINAJVECINAKRAJ(*program, largest);
    EXPECT_EQ(Part(0), "II 0 0 0 0:" + Square(0, 0, 2) + ":NOTS NOTD -4");
    EXPECT_EQ(Part(1), "II 20 0 20 0:" + Square(20, 0, 3) + ":NOTS NOTD -9");
    EXPECT_EQ(Part(2), "OO 10 0 10 0:" + Square(10, 0, 3) + ":NOTS NOTD -9");
}

TEST_F(CutOrderTest, OrderingRewritesStatusAndHeaderButKeepsCircles) {
    Parts({"5 5 0 2 + 3 5 K|", Square(0, 0, 5)});
    program->partList[0] = "II 3 5 9 9:5 5 0 2 + 3 5 K|:SEL DEL 0";
    program->partList[1] = "II 7 7 8 8:" + Square(0, 0, 5) + ":SEL DEL 0";
    EXPECT_EQ(SLOZIBASSVE(*program), 1);
    EXPECT_EQ(Part(0), "II 3 5 9 9:5 5 0 2 + 3 5 K|:NOTS NOTD -12.566370616");
    EXPECT_EQ(Part(1), "II 0 0 0 0:" + Square(0, 0, 5) + ":NOTS NOTD -25");
}

TEST_F(CutOrderTest, SingleContourEmptyListAndRowsOutsideTheList) {
    Parts({Square(0, 0, 1)});
    GURNINAJVECINAKRAJ(*program, SLOZIBASSVE(*program));
    EXPECT_EQ(Part(0).substr(0, 3), "OO ");

    Parts({});
    EXPECT_EQ(SLOZIBASSVE(*program), 0);
    GURNINAJVECINAKRAJ(*program, 0);
    EXPECT_EQ(program->partCount, 0);

    Parts({Square(0, 0, 1), Square(5, 0, 2)});
    GURNINAJVECINAKRAJ(*program, 1001);  // outside the table: nothing changes
    EXPECT_EQ(Part(1).substr(0, 3), "II ");
    GURNINAJVECINAKRAJ(*program, 7);  // past the list: the order stays, the last is marked
    EXPECT_EQ(Part(0).substr(0, 3), "II ");
    EXPECT_EQ(Part(1), "OO 0 0 0 0:" + Square(5, 0, 2) + ":NOTS NOTD 0");
}

}  // namespace
}  // namespace zorvan
