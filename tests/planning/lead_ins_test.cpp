// Lead-in points for inside and outside contours and circles.
#include "planning/lead_ins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>

#include "model/part_entry.h"
#include "planning/kerf_check.h"
#include "planning/scrap_lead_ins.h"
#include "support/part_list.h"

namespace zorvan {
namespace {

class LeadInsTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> entries) { testing::SetParts(*program, entries); }
    // The lead-in point of part i, to seven decimals.
    std::string LeadIn(size_t i) const {
        const auto header = SplitFields(PartFields(program->partList[i]).header);
        char text[64];
        std::snprintf(text, sizeof text, "(%.7f, %.7f)", LenientParse(header[3]), LenientParse(header[4]));
        return text;
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
};

TEST_F(LeadInsTest, InsideAheadToTheLeftOutsideBehindToTheLeft) {
    Parts({"II 0 0 0 0:0 0 0 1 0 0 D|1 0 0 0 0 0 D|:NOTS NOTD 0:", "OO 0 0 0 0:0 0 0 0 1 0 D|0 1 0 0 0 0 D|:NOTS NOTD 0:"});
    CalculateLeadIns(*program, 0.25);
    EXPECT_EQ(LeadIn(0), "(0.1767767, 0.1767767)");
    EXPECT_EQ(LeadIn(1), "(-0.1767767, -0.1767767)");  // the scrap side of the clockwise outside cut
    EXPECT_EQ(program->partList[0].substr(0, 9), "II 0 0 0.");
    EXPECT_TRUE(program->partList[0].ends_with("D|:NOTS NOTD 0")) << program->partList[0];  // three fields
}

TEST_F(LeadInsTest, StraightDownIs270AndAZeroLengthRecordUsesMinus10000) {
    Parts({"II 0 0 0 0:0 0 0 0 -1 0 D|:NOTS NOTD 0", "II 2 2 2 2:2 2 0 2 2 0 D|:NOTS NOTD 0"});
    CalculateLeadIns(*program, 1);
    // a = 270, theta = 315: right and down.
    EXPECT_EQ(LeadIn(0), "(0.7071068, -0.7071068)");
    // a = -10000, theta = -9955 degrees.
    const double t = -9955 * 3.141592654 / 180;
    char expected[64];
    std::snprintf(expected, sizeof expected, "(%.7f, %.7f)", 2 + std::cos(t), 2 + std::sin(t));
    EXPECT_EQ(LeadIn(1), expected);
}

TEST_F(LeadInsTest, CirclesLeadInOnTheHorizontalThroughTheCentre) {
    Parts({"OO 3 5 3 5:5 5 0 2 + 3 5 K|:NOTS NOTD 12.5:", "II 3 5 3 5:5 5 0 2 - 3 5 K|:NOTS NOTD -12.5:"});
    CalculateLeadIns(*program, 0.25);
    EXPECT_EQ(program->partList[0], "OO 3 5 2.75 5:5 5 0 2 - 3 5 K|:NOTS NOTD 12.5");
    EXPECT_EQ(program->partList[1], "II 3 5 3.25 5:5 5 0 2 + 3 5 K|:NOTS NOTD -12.5");
}

TEST_F(LeadInsTest, ZeroAndNegativeLengthsAndRepeatedRuns) {
    Parts({"II 0 0 9 9:0 0 0 1 0 0 D|:NOTS NOTD 0"});
    CalculateLeadIns(*program, 0);
    EXPECT_EQ(program->partList[0], "II 0 0 0 0:0 0 0 1 0 0 D|:NOTS NOTD 0");
    CalculateLeadIns(*program, -0.25);
    EXPECT_EQ(LeadIn(0), "(-0.1767767, -0.1767767)");
    CalculateLeadIns(*program, 0.25);
    const std::string once = program->partList[0];
    CalculateLeadIns(*program, 0.25);
    EXPECT_EQ(program->partList[0], once);
}

// Long lists of parts in the warnings keep their count, the first three and the last; short ones stay whole.
TEST(PartNamesTest, ListsOfMoreThanEightPartsAreShortened) {
    std::vector<int32_t> parts(999);
    std::iota(parts.begin(), parts.end(), 0);
    EXPECT_EQ(PartNames({3}), "part 3");
    EXPECT_EQ(PartNames({parts.begin(), parts.begin() + 8}), "parts 0, 1, 2, 3, 4, 5, 6, 7");
    EXPECT_EQ(PartNames({parts.begin(), parts.begin() + 9}), "9 parts: 0, 1, 2 \u2026 8");
    EXPECT_EQ(UnclearLeadInWarning(parts), "No clear lead-in found for 999 parts: 0, 1, 2 \u2026 998: they keep the "
                                           "default lead-in.");
}

}  // namespace
}  // namespace zorvan
