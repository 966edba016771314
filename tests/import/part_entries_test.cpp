// The contour list, fresh part entries and stored areas.
#include "import/part_entries.h"

#include <gtest/gtest.h>

#include <memory>

namespace zorvan {
namespace {

class PartEntriesTest : public ::testing::Test {
protected:
    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(PartEntriesTest, ContourListHasOneRowPerContour) {
    program->contourChain = "3|4|5|:7|:";
    FillContourList(*program);
    EXPECT_EQ(program->contourCount, 2);
    EXPECT_EQ(program->contourList[0], "3|4|5|");
    EXPECT_EQ(program->contourList[1], "7|");
    EXPECT_EQ(ContourRecordNumbers("3|4|5|"), (std::vector<int32_t>{3, 4, 5}));

    program->contourChain = "";
    FillContourList(*program);
    EXPECT_EQ(program->contourCount, 0);
}

TEST_F(PartEntriesTest, FreshEntriesStartAtTheFirstRecordsStart) {
    EXPECT_EQ(BuildPartEntry("10 5 0 2 + 8 5 K|"), "II 8 5 8 5:10 5 0 2 + 8 5 K|:NOTS NOTD 0");
    EXPECT_EQ(BuildPartEntry(".5 1 0 2 2 0 D|"), "II 0.5 1 0.5 1:.5 1 0 2 2 0 D|:NOTS NOTD 0");
    EXPECT_EQ(BuildPartEntry("0 0 0 1 0 90 + 1 0 0 1 A|"), "II 1 0 1 0:0 0 0 1 0 90 + 1 0 0 1 A|:NOTS NOTD 0");
    EXPECT_EQ(BuildPartEntry("1 2 3|"), "II 0 0 0 0:1 2 3|:NOTS NOTD 0");
}

TEST_F(PartEntriesTest, PartListListsEveryContoursRecords) {
    program->store.LetDATA("0 0 0 1 0 0 D", 0);
    program->store.LetDATA("1 0 0 0 0 0 D", 1);
    program->store.LetDATA("5 5 0 1 + 4 5 K", 2);
    program->store.n = 2;
    program->contourChain = "0|1|:2|:";
    FillContourList(*program);
    BuildPartList(*program);
    ASSERT_EQ(program->partCount, 2);
    EXPECT_EQ(program->partList[0], "II 0 0 0 0:0 0 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 0");
    EXPECT_EQ(program->partList[1], "II 4 5 4 5:5 5 0 1 + 4 5 K|:NOTS NOTD 0");

    ComputePartAreas(*program);
    EXPECT_EQ(program->partList[0], "II 0 0 0 0:0 0 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 0:");
    EXPECT_EQ(program->partList[1], "II 4 5 4 5:5 5 0 1 + 4 5 K|:NOTS NOTD -3.141592654:");
}

TEST_F(PartEntriesTest, StoredAreasDropTheOldMarks) {
    program->partCount = 1;
    program->partList[0] = "OO 0 0 0 0:0 0 0 0 1 0 D|0 1 0 1 1 0 D|1 1 0 1 0 0 D|1 0 0 0 0 0 D|:SEL DEL 7";
    ComputePartAreas(*program);
    EXPECT_EQ(program->partList[0], "OO 0 0 0 0:0 0 0 0 1 0 D|0 1 0 1 1 0 D|1 1 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 1:");
}

}  // namespace
}  // namespace zorvan
