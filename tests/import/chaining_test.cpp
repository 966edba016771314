// Contour chaining on hand-made record sets: the worked square, tolerance edges, ties, lone records, circles.
#include "import/chaining.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/record_text.h"

namespace zorvan {
namespace {

std::string Line(double x1, double y1, double x2, double y2) { return MakeLineRecord(x1, y1, 0, x2, y2, 0); }

// Chains `records` in a fresh program, as a load leaves them in the store.
class ChainingTest : public ::testing::Test {
protected:
    std::string Chain(const std::vector<std::string>& records) {
        for (size_t i = 0; i < records.size(); ++i) program->store.LetDATA(records[i], static_cast<int32_t>(i));
        program->store.n = static_cast<int32_t>(records.size()) - 1;
        ChainRecords(*program);
        return program->contourChain;
    }
    int32_t LinkAtStart(int32_t i) const { return program->chain.linkAtStart[static_cast<size_t>(i)]; }
    int32_t LinkAtEnd(int32_t i) const { return program->chain.linkAtEnd[static_cast<size_t>(i)]; }

    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(ChainingTest, SquareWalksAgainstTheDirectionOfItsFirstRecord) {
    const std::vector<std::string> square = {Line(0, 0, 1, 0), Line(1, 0, 1, 1), Line(1, 1, 0, 1), Line(0, 1, 0, 0)};
    EXPECT_EQ(Chain(square), "0|3|2|1|:");
    EXPECT_EQ(LinkAtStart(0), 3);
    EXPECT_EQ(LinkAtEnd(0), 1);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(program->chain.chained[static_cast<size_t>(i)], -1);

    std::vector<std::string> withLoneLine = square;
    withLoneLine.push_back(Line(5, 5, 6, 6));
    EXPECT_EQ(Chain(withLoneLine), "0|3|2|1|:4|:");
}

TEST_F(ChainingTest, ToleranceIsStrictInEachDirection) {
    EXPECT_EQ(Chain({Line(-1, 0, 0, 0), Line(0.001, 0, 1, 0)}), "0|:1|:");
    EXPECT_EQ(Chain({Line(-1, 0, 0, 0), Line(0.000999, 0, 1, 0)}), "0|1|:");
    EXPECT_EQ(Chain({Line(-1, 0, 0, 0), Line(0, -0.001, 1, 0)}), "0|:1|:");
    EXPECT_EQ(Chain({Line(-1, 0, 0, 0), Line(0.0009, 0.0009, 1, 0)}), "0|1|:");
}

TEST_F(ChainingTest, OpenChainNumberedFromTheMiddleLeavesALoneRecord) {
    // Records 1 - 0 - 2 joined end to start: the walk from 0 takes its start link first.
    EXPECT_EQ(Chain({Line(1, 0, 2, 0), Line(0, 0, 1, 0), Line(2, 0, 3, 0)}), "0|1|:2|:");
}

TEST_F(ChainingTest, HighestNumberedRecordWinsWhereSeveralEndsMeet) {
    // Four lines from the origin outwards: at the origin every record links to the highest other one.
    const std::vector<std::string> star = {Line(0, 0, 1, 0), Line(0, 0, 0, 1), Line(0, 0, -1, 0), Line(0, 0, 0, -1)};
    // The walk 0, 3, 2 finds 1 only through links to records already taken: 1 is left as a lone record.
    EXPECT_EQ(Chain(star), "0|3|2|:1|:");
    EXPECT_EQ(LinkAtStart(0), 3);
    EXPECT_EQ(LinkAtStart(1), 3);
    EXPECT_EQ(LinkAtStart(3), 2);
    EXPECT_EQ(LinkAtStart(2), 3);
    EXPECT_EQ(LinkAtEnd(0), -1);
}

TEST_F(ChainingTest, ChainedRecordWithAnUnchainedNeighbourRepeatsItselfFirst) {
    // Record 2 duplicates record 0. The walk from 0 goes 0, 2 (start link), 1 and stops; record 2's end
    // still touches the unchained record 3, so the walk from 2 starts a second list with 2 itself.
    const std::vector<std::string> records = {Line(0, 0, 2, 0), Line(0, 0, 1, 1), Line(0, 0, 2, 0), Line(1, 0, 2, 0)};
    EXPECT_EQ(Chain(records), "0|2|1|:2|3|:");
}

TEST_F(ChainingTest, ClosedLoopOfTwoRecordsLinksBothEndsToTheOther) {
    const std::vector<std::string> records = {Line(0, 0, 2, 0),
                                              MakeArcRecord(1, 0, 1, 0, 180, '+', 2, 0, 0, 0)};
    EXPECT_EQ(Chain(records), "0|1|:");
    EXPECT_EQ(LinkAtStart(0), 1);
    EXPECT_EQ(LinkAtEnd(0), 1);
    EXPECT_EQ(program->chain.recStartX[1], 2);
    EXPECT_EQ(program->chain.recEndX[1], 0);
}

TEST_F(ChainingTest, CirclesAreContoursOfTheirOwnEvenWhenTouchingALineEnd) {
    // The circle's leftmost point (4, 5) is where the line ends.
    EXPECT_EQ(Chain({Line(0, 5, 4, 5), MakeCircleRecord(5, 5, 1), Line(4, 5, 4, 9)}), "0|2|:1|:");
    EXPECT_EQ(LinkAtStart(1), -1);
    EXPECT_EQ(LinkAtEnd(1), -1);
    EXPECT_EQ(LinkAtEnd(0), 2);
    EXPECT_EQ(program->chain.recStartX[1], 4);
    EXPECT_EQ(program->chain.recEndY[1], 5);
    EXPECT_EQ(Chain({MakeCircleRecord(0, 0, 1)}), "0|:");
    EXPECT_EQ(Chain({MakeCircleRecord(0, 0, 1), MakeCircleRecord(0, 0, 1)}), "0|:1|:");
}

TEST_F(ChainingTest, EmptyDrawingAndRecordsWithoutATypeLetter) {
    EXPECT_EQ(Chain({}), "");
    // Text with no type letter keeps -100, -100 and can only meet other such records.
    EXPECT_EQ(Chain({"1 2 3", "4 5 6", Line(-100, -100, 0, 0)}), "0|2|1|:");
    EXPECT_EQ(program->chain.recStartX[0], -100);
}

TEST_F(ChainingTest, NextInChainPrefersTheStartLinkAndSkipsChainedRecords) {
    ChainTables tables(3);
    tables.linkAtStart = {1, -1, -1};
    tables.linkAtEnd = {2, -1, -1};
    EXPECT_EQ(NextInChain(tables, 0), 1);
    EXPECT_EQ(tables.chained[0], -1);
    EXPECT_EQ(tables.chained[1], -1);
    EXPECT_EQ(NextInChain(tables, 0), 2);
    EXPECT_EQ(NextInChain(tables, 0), -2);
}

}  // namespace
}  // namespace zorvan
