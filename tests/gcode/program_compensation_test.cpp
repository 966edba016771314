// The program that allows for the kerf itself: no G41/G42, every contour written half a kerf towards the
// scrap, checked by geometry on the rows as written, and run by rs274 with no kerf in its tool table.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gcode/main_job.h"
#include "gcode/templates.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "model/text_file.h"
#include "planning/kerf_check.h"
#include "planning/outlines.h"
#include "planning/sheet_plan.h"
#include "support/dxf_text.h"
#include "support/rs274.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

// The points a row's move passes through, from `at` on: a line's ends and middle, an arc at eighths.
std::vector<Point2> MovePoints(const std::vector<std::string_view>& words, Point2& at) {
    // "G1 X x Y y" or "G2|G3 I cx  J cy X x Y y" (the double blank makes an empty word).
    std::vector<Point2> points;
    if (words[0] == "G1") {
        const Point2 to{LenientParse(words[2]), LenientParse(words[4])};
        points = {at + (to - at) * 0.5, to};
        at = to;
    } else {
        const Point2 centre{LenientParse(words[2]), LenientParse(words[5])}, to{LenientParse(words[7]), LenientParse(words[9])};
        const double r = Distance(at, centre), from = std::atan2(at.y - centre.y, at.x - centre.x);
        double sweep = std::atan2(to.y - centre.y, to.x - centre.x) - from;
        if (words[0] == "G3" && sweep <= 0) sweep += 2 * M_PI;
        if (words[0] == "G2" && sweep >= 0) sweep -= 2 * M_PI;
        for (int k = 1; k <= 8; ++k) {
            const double a = from + sweep * k / 8;
            points.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
        at = to;
    }
    return points;
}

TEST(ProgramCompensation, EveryContourRunsHalfAKerfIntoTheScrapAndRs274RunsItWithoutAKerf) {
    constexpr double kKerf = 1.5;
    int checkedPoints = 0;
    for (const char* sample : {"plate_holes_slot", "bracket_lwpolyline", "gusset_lf", "sheet_brackets_inch"}) {
        SCOPED_TRACE(sample);
        auto program = std::make_unique<Program>();
        program->templateFolder = (fs::path(ZORVAN_SOURCE_DIR) / "presets" / "linuxcnc").string();
        LoadTemplates(*program);
        program->kerf = kKerf;
        program->kerfInProgram = true;
        JobOptions options;
        options.leadIn = "5";
        options.read.mode = ReadMode::Sheet;
        auto text = ReadWholeFile((fs::path(ZORVAN_SOURCE_DIR) / "samples" / (std::string(sample) + ".dxf")).string());
        ASSERT_TRUE(text);
        const JobResult job = RunMainJob(*program, std::move(*text), options);
        ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
        EXPECT_EQ(job.programText.find("G41"), std::string::npos);
        EXPECT_EQ(job.programText.find("G42"), std::string::npos);
        EXPECT_TRUE(job.kerf.Clean());
        const OutlineIndex outlines = PartOutlines(*program);

        std::istringstream rows(job.programText);
        std::string row;
        int part = -1;
        bool leadIn = false;
        Point2 at;
        while (std::getline(rows, row)) {
            if (!row.empty() && row.back() == '\r') row.pop_back();
            if (row.starts_with("(------------------- ")) {
                part = static_cast<int>(LenientParse(row.substr(21)));
                leadIn = true;
                continue;
            }
            const auto words = SplitFields(row);
            if (part < 0 || words.size() < 5) continue;
            if (words[0] == "G0") {
                at = {LenientParse(words[2]), LenientParse(words[4])};
                continue;
            }
            if (words[0] != "G1" && words[0] != "G2" && words[0] != "G3") continue;
            const std::vector<Point2> points = MovePoints(words, at);
            if (leadIn) {  // the lead-in, from the pierce to where the offset path starts
                leadIn = false;
                continue;
            }
            const PartEntry& entry = program->partList[static_cast<size_t>(part)];
            const bool hole = PartFields(entry).header.starts_with("II");
            for (const Point2 p : points) {
                double distance = INFINITY;
                for (const RecordValues& record : entry.Records()) distance = std::min(distance, DistanceToRecord(p, record));
                EXPECT_NEAR(distance, kKerf / 2, 2e-6) << "part " << part << ": " << row;
                // The scrap: inside a hole, outside a part's outline.
                const std::vector<int32_t> holding = outlines.Containing(p);
                const bool insideOwn = std::find(holding.begin(), holding.end(), part) != holding.end();
                EXPECT_EQ(insideOwn, hole) << "part " << part << ": " << row;
                ++checkedPoints;
            }
        }
        if (!testing::Rs274Path()) continue;
        for (const auto& [number, verdict] : testing::RunRs274OnProgram(job.programText, testing::ToolForKerf(0))) {
            EXPECT_TRUE(verdict.accepted) << "part " << number << ": " << verdict.message << verdict.trouble;
        }
    }
    EXPECT_GT(checkedPoints, 1000);
}

// A hole smaller than the kerf leaves nothing to cut: it is not cut wrong but left out, said in the program
// and by the kerf check.
TEST(ProgramCompensation, AHoleNarrowerThanTheKerfIsLeftOutAndNamed) {
    auto program = std::make_unique<Program>();
    program->kerf = 1.5;
    program->kerfInProgram = true;
    JobOptions options;
    options.leadIn = "5";
    options.read.mode = ReadMode::Sheet;
    const std::string drawing = testing::DxfText().LwPolyline({{0, 0}, {40, 0}, {40, 30}, {0, 30}}).Circle(10, 10, 0.5).Build();
    const JobResult job = RunMainJob(*program, drawing, options);
    ASSERT_EQ(job.read.outcome, DxfReadOutcome::Loaded);
    EXPECT_NE(job.programText.find("(not cut: nothing is left of the contour offset by 0.75"), std::string::npos)
        << job.programText;
    EXPECT_EQ(job.kerf.narrowSlots, std::vector<int32_t>{0});
    EXPECT_EQ(KerfWarning(job.kerf), "With a kerf of 1.5 the offset path cannot follow, so these parts are not cut: "
                                     "slots or notches narrower than the kerf: part 0.");
}

}  // namespace
}  // namespace zorvan
