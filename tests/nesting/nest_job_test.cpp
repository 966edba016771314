// Drawings made into nesting parts as sheet planning finds them, and nested sheets cut like any sheet: every
// contour of every copy cut once, lead-ins in the scrap, every cut inside the sheet by the spacing, and the
// controller taking every part with the kerf in its tool table.
#include <gtest/gtest.h>

#include <memory>

#include "gcode/nest_job.h"
#include "import/part_entries.h"
#include "model/text_file.h"
#include "nesting/nest_check.h"
#include "planning/sheet_plan.h"
#include "support/cut_paths.h"
#include "support/dxf_text.h"
#include "support/rs274.h"

namespace zorvan {
namespace {

using testing::DxfText;

std::string Sample(const std::string& name) { return *ReadWholeFile(std::string(ZORVAN_SOURCE_DIR) + "/samples/" + name); }

TEST(NestJobTest, APartIsAnOutsideWithTheHolesRightInsideIt) {
    // A plate with two holes, a washer with its own hole lying in the larger one, and a bend line.
    const std::string dxf = DxfText()
                                .Line(0, 0, 100, 0).Line(100, 0, 100, 80).Line(100, 80, 0, 80).Line(0, 80, 0, 0)
                                .Circle(25, 40, 10).Circle(70, 40, 15)
                                .Circle(70, 40, 10).Circle(70, 40, 4)
                                .Line(5, 5, 20, 5)
                                .Build();
    auto program = std::make_unique<Program>();
    ReadOptions options;
    options.mode = ReadMode::Sheet;
    ASSERT_EQ(LoadDxfText(*program, dxf, options).outcome, DxfReadOutcome::Loaded);
    FillContourList(*program);
    PlanSheet(*program);
    const DrawingParts parts = PartsOfPlannedSheet(*program, 0.01);
    ASSERT_EQ(parts.parts.size(), 2u);
    EXPECT_EQ(parts.openContours, 1);
    const DrawingPart& plate = parts.parts[0].shape.holes.size() == 2 ? parts.parts[0] : parts.parts[1];
    const DrawingPart& washer = &plate == &parts.parts[0] ? parts.parts[1] : parts.parts[0];
    EXPECT_EQ(plate.contours.size(), 3u);
    EXPECT_EQ(plate.records, 6);
    EXPECT_NEAR(ShapeArea(plate.shape), 8000 - M_PI * (100 + 225), 2);  // holes flattened within 0.01
    EXPECT_EQ(washer.contours.size(), 2u);
    EXPECT_NEAR(ShapeArea(washer.shape), M_PI * (100 - 16), 0.5);

    // Few points where arcs are many: flattened more loosely, and says so.
    EXPECT_GT(PartsOfPlannedSheet(*program, 1e-6, 500).flatness, 1e-6);
}

TEST(NestJobTest, NestedSheetsAreCutWholeWithLeadInsInTheScrap) {
    NestOrder order;
    order.drawings = {{"plate_holes_slot.dxf", Sample("plate_holes_slot.dxf"), 3},
                      {"gusset_lf.dxf", Sample("gusset_lf.dxf"), 5},
                      {"bracket_lwpolyline.dxf", Sample("bracket_lwpolyline.dxf"), 2}};
    order.sheetWidth = 330, order.sheetHeight = 240;
    order.job.leadIn = "4";
    order.kerf = 1.5;
    const NestInput input = PrepareNest(order, 3.141592654);
    ASSERT_EQ(input.job.items.size(), 3u);
    EXPECT_EQ(input.spacing, 5.5);  // the kerf and the lead-in
    NestLimits limits;
    limits.mostEvaluations = 5;
    const NestResult nest = NestParts(input.job, limits);
    ASSERT_TRUE(nest.notPlaced.empty());
    EXPECT_EQ(testing::NestFaults(input.job, nest), std::vector<std::string>());
    int32_t copies = 0;
    for (int32_t sheet = 0; sheet < nest.status.sheets; ++sheet) {
        SCOPED_TRACE(sheet);
        auto program = std::make_unique<Program>();
        program->kerf = order.kerf;
        const NestedSheet cut = CutNestedSheet(*program, order, input, nest, sheet);
        ASSERT_EQ(cut.job.read.outcome, DxfReadOutcome::Loaded);
        int32_t contours = 0;
        for (const Placement& p : nest.placed) contours += p.sheet == sheet ? input.job.items[static_cast<size_t>(p.item)].contours : 0;
        EXPECT_EQ(cut.job.partCount, contours);
        EXPECT_EQ(program->closedNotPlannedOnce, 0);
        EXPECT_TRUE(cut.job.leadIns.Clean()) << LeadInWarning(cut.job.leadIns);
        EXPECT_TRUE(cut.job.unclearLeadIns.empty());
        const std::vector<testing::Cut> cuts = testing::ParseCuts(cut.job.programText);
        EXPECT_EQ(static_cast<int32_t>(cuts.size()), contours);
        for (const testing::Cut& c : cuts) {
            for (const testing::Pt p : c.path) {
                EXPECT_TRUE(p.x >= input.spacing - 1e-6 && p.x <= order.sheetWidth - input.spacing + 1e-6 &&
                            p.y >= input.spacing - 1e-6 && p.y <= order.sheetHeight - input.spacing + 1e-6)
                    << "part " << c.part << " cut at " << p.x << " " << p.y;
            }
        }
        if (testing::Rs274Path()) {  // the controller takes every part with the kerf in its tool table
            for (const auto& [part, verdict] : testing::RunRs274OnProgram(cut.job.programText, testing::ToolForKerf(order.kerf))) {
                EXPECT_TRUE(verdict.accepted) << "part " << part << ": " << verdict.message << verdict.trouble;
            }
        }
        for (const int32_t n : cut.copiesByDrawing) copies += n;
        EXPECT_NE(cut.dxf.find("GUSSET_LF"), std::string::npos);
    }
    EXPECT_EQ(copies, 10);
}


TEST(NestJobTest, LeadInsStayOnTheSheetWhenTheSpacingIsTighterThanTheLeadIn) {
    // Parts 1 mm from the edge and 8 mm lead-ins: a lead-in towards the edge would pierce beyond the plate.
    NestOrder order;
    order.drawings = {{"gusset_lf.dxf", Sample("gusset_lf.dxf"), 10}};
    order.sheetWidth = 300, order.sheetHeight = 200;
    order.spacing = 1;
    order.job.leadIn = "8";
    order.kerf = 1.5;
    const NestInput input = PrepareNest(order, 3.141592654);
    NestLimits limits;
    limits.mostEvaluations = 3;
    const NestResult nest = NestParts(input.job, limits);
    ASSERT_TRUE(nest.notPlaced.empty());
    auto program = std::make_unique<Program>();
    program->kerf = order.kerf;
    const NestedSheet cut = CutNestedSheet(*program, order, input, nest, 0);
    const std::vector<testing::Cut> cuts = testing::ParseCuts(cut.job.programText);
    ASSERT_EQ(cuts.size(), 10u * static_cast<size_t>(input.job.items[0].contours));
    const double margin = order.kerf / 2;
    for (const testing::Cut& c : cuts) {
        for (const testing::Pt p : c.leadIn) {
            EXPECT_TRUE(p.x >= margin && p.x <= order.sheetWidth - margin && p.y >= margin && p.y <= order.sheetHeight - margin)
                << "part " << c.part << " enters from " << p.x << " " << p.y;
        }
    }
    EXPECT_TRUE(cut.job.leadIns.Clean()) << LeadInWarning(cut.job.leadIns);
}

}  // namespace
}  // namespace zorvan
