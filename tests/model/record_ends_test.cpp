// Record end points, reversal and the start point of a record list.
#include "model/record_ends.h"

#include <gtest/gtest.h>

namespace zorvan {
namespace {

TEST(RecordEnds, EndPointsOfEveryRecordType) {
    const std::string line = "1 2 0 3 4 0 D", arc = "0 0 0 1 0 90 + 1 0 .5 1 A", circle = "5 5 0 2 + 3 5 K";
    EXPECT_EQ(startX(line), 1);
    EXPECT_EQ(startY(line), 2);
    EXPECT_EQ(endX(line), 3);
    EXPECT_EQ(endY(line), 4);
    EXPECT_EQ(startX(arc), 1);
    EXPECT_EQ(endX(arc), 0.5);
    EXPECT_EQ(endY(arc), 1);
    EXPECT_EQ(startX(circle), 3);
    EXPECT_EQ(endX(circle), startX(circle));  // a circle closes on itself
    EXPECT_EQ(endY(circle), startY(circle));
    EXPECT_EQ(startX("1 2 3"), 0);
    EXPECT_EQ(endY(""), 0);
    EXPECT_EQ(startX("1 2 0 3 D"), 1);  // a short record: missing fields read as 0
    EXPECT_EQ(endY("1 2 0 3 D"), 0);
}

TEST(RecordEnds, ReversalOfEveryRecordType) {
    EXPECT_EQ(INVERT_A("0 0 0 1 0 90 + 1 0 0 1 A"), "0 0 0 1 90 0 - 0 1 1 0 A");
    EXPECT_EQ(INVERT_A("0 0 7 1 0 90 x 1 0 0 1 A"), "0 0 0 1 90 0 + 0 1 1 0 A");  // z written 0; odd sense -> "+"
    EXPECT_EQ(INVERT_D(".5 -.25 1 3 4 5 D"), "3 4 5 0.5 -0.25 1 D");
    EXPECT_EQ(INVERT_D(INVERT_D(".5 -.25 1 3 4 5 D")), "0.5 -0.25 1 3 4 5 D");  // normalised, otherwise the same
    EXPECT_EQ(INVERT_K("5 5 0 2 + 3 5 K"), "5 5 0 2 - 3 5 K");
    EXPECT_EQ(INVERT_K(INVERT_K("5 5 0 2 + 3 5 K")), "5 5 0 2 + 3 5 K");
    EXPECT_EQ(invert_IT("1 2 0 3 4 0 D"), "3 4 0 1 2 0 D");
    EXPECT_EQ(invert_IT("0 0 0 1 0 90 + 1 0 0 1 A"), "0 0 0 1 90 0 - 0 1 1 0 A");
    EXPECT_EQ(invert_IT("5 5 0 2 - 3 5 K"), "5 5 0 2 + 3 5 K");
    EXPECT_EQ(invert_IT("1 2 3"), "");
    EXPECT_EQ(invert_IT(""), "");
}

TEST(RecordEnds, StartPointsOfARecordList) {
    EXPECT_EQ(startPoints("5 5 0 2 + 3 5 K|"), "3 5 3 5");
    EXPECT_EQ(startPoints(".5 2 0 3 4 0 D|3 4 0 0 0 0 D|"), "0.5 2 0.5 2");
    EXPECT_EQ(startPoints("0 0 0 1 0 90 + 1 0 0 1 A|"), "1 0 1 0");
    EXPECT_EQ(startPoints("1 2 3|"), "0 0 0 0");
    EXPECT_EQ(startPoints(""), "0 0 0 0");
}

}  // namespace
}  // namespace zorvan
