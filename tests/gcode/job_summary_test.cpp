// The template words the time estimate reads: feeds and pierce delays, with comments and words that are not
// plain numbers left out.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gcode/job_summary.h"

namespace zorvan {
namespace {

TEST(JobSummaryTest, TemplateWordsGiveFeedAndDelay) {
    struct Case {
        const char* line;
        std::optional<double> feed, delay;
    };
    const Case cases[] = {
        {"G1 F1500 (cutting feed)", 1500, {}},
        {"f2500.5", 2500.5, {}},
        {"(F360 is the machine's name) G21", {}, {}},
        {"G21 ; F900 after a semicolon is a comment", {}, {}},
        {"F#<_hal[plasmac.cut-feed-rate]>", {}, {}},
        {"G04P0.5", {}, 0.5},
        {"g4 p2", {}, 2},
        {"G64 P0.1", {}, {}},  // a path tolerance, not a dwell
        {"G40 G49 G80", {}, {}},
    };
    for (const Case& c : cases) {
        const GcodeWords words = ReadGcodeWords(c.line);
        EXPECT_EQ(words.feed, c.feed) << c.line;
        EXPECT_EQ(words.delay, c.delay) << c.line;
    }
}


// A length or time that is not finite is "not known", never digits.
TEST(JobSummaryTest, QuantitiesThatAreNotFiniteAreNotKnown) {
    JobSummary summary;
    summary.cutLength = HUGE_VAL;
    summary.minutes = HUGE_VAL;
    const std::string text = SummaryText(summary);
    EXPECT_NE(text.find("\nCut length: not known (lead-ins, overcuts and lead-outs included)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nTime: not known\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace zorvan
