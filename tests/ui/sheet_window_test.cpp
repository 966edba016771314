// Sheet mode in the main window's logic: a sheet is planned on opening, "Calculate Lead Ins" keeps every
// lead-in in the scrap, a transform keeps it there, and "Move Lead In" will not put one into a part.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "import/dxf_reader.h"
#include "planning/scrap_lead_ins.h"
#include "planning/sheet_plan.h"
#include "support/temp_folder.h"
#include "support/dxf_text.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"
#include "draw/view.h"

namespace zorvan {
namespace {

// Two 40 x 30 plates side by side, each with a hole of radius 3 made of two arcs (the default lead-in of 5
// from such a hole pierces the plate) and a round hole of radius 2.
std::string TwoPlates() {
    testing::DxfText dxf;
    for (const double x : {0.0, 50.0}) {
        dxf.LwPolyline({{x, 0}, {x + 40, 0}, {x + 40, 30}, {x, 30}}).Arc(x + 20, 15, 3, 0, 180).Arc(x + 20, 15, 3, 180, 360)
            .Circle(x + 8, 8, 2);
    }
    return dxf.Build();
}

class SheetWindowTest : public ::testing::Test {
protected:
    void Open() {
        ReadOptions options;
        options.mode = ReadMode::Sheet;
        ASSERT_EQ(LoadDxfText(*program, TwoPlates(), options).outcome, DxfReadOutcome::Loaded);
        FitView(*program, picture, program->extMinX, program->extMaxY, program->extMaxX, program->extMinY, true);
        form.FillContourList();
        form.PrepareParts();
        form.Text6 = "5";
        form.Command32_Click();
    }
    LeadInCheck Check() const { return CheckLeadIns(*program); }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

TEST_F(SheetWindowTest, LeadInsStayInTheScrapThroughCalculationAndTransforms) {
    Open();
    ASSERT_EQ(form.List2.ListCount(), 6);
    EXPECT_TRUE(Check().Clean());
    EXPECT_NE(form.StatusLine.find("2 outside cuts, 4 holes, 6 pierces"), std::string::npos) << form.StatusLine;
    form.Text4 = "30";  // turned, the round holes start afresh without a lead-in: they are given one again
    form.Command25_Click();
    for (int32_t i = 0; i < form.List2.ListCount(); ++i) {
        const auto header = SplitFields(PartFields(program->partList[static_cast<size_t>(i)]).header);
        EXPECT_NE(FieldAt(header, 1), FieldAt(header, 3)) << "part " << i << " has no lead-in";
    }
    EXPECT_TRUE(Check().Clean());
    EXPECT_EQ(form.StatusLine.find("Lead-ins that"), std::string::npos) << form.StatusLine;
    form.Command17_Click();  // two outside cuts are a sheet's right, not a fault
    EXPECT_TRUE(toolkit.Messages().empty());
}

TEST_F(SheetWindowTest, MoveLeadInIsRefusedWherePartMaterialWouldBePierced) {
    Open();
    const std::string before = program->partList[0].Text();
    ASSERT_TRUE(program->partList[0].Records().front().IsCircle());  // the round hole nearest the corner
    const CircleValues hole = program->partList[0].Records().front().Circle();
    form.OptionOn = Tool::MoveLeadIn;
    // Into the plate 1.5 above the hole (a click picks within 1.62 of a contour): refused, said, and the
    // entry kept.
    form.Picture1_MouseDown(hole.cx, hole.cy + 3.5);
    form.Picture1_MouseUp(hole.cx, hole.cy + 3.5);
    EXPECT_EQ(program->partList[0].Text(), before);
    EXPECT_EQ(form.StatusLine, "Lead-in of part 0 not moved: there it would pierce part material or cross a contour.");
    form.Picture1_MouseDown(hole.cx, hole.cy + 1);  // inside the hole: moved
    form.Picture1_MouseUp(hole.cx, hole.cy + 1);
    EXPECT_NE(program->partList[0].Text(), before);
    EXPECT_TRUE(Check().Clean());
}

// The kerf box's width is checked after every command that changes the plan: holes of radius 2 are too small
// for a kerf of 5 (so are those of radius 3 for its lead-ins: they keep one in the scrap all the same), and
// a lead-in moved to within half the kerf of its start is named, not refused.
TEST_F(SheetWindowTest, TheKerfIsCheckedAfterEveryChangeOfThePlan) {
    Open();
    EXPECT_NE(form.StatusLine.find("kerf not given: no kerf checks"), std::string::npos) << form.StatusLine;
    form.KerfText = "5";
    form.Command32_Click();
    EXPECT_TRUE(Check().Clean());
    EXPECT_NE(form.StatusLine.find("; kerf 5. With a kerf of 5 the controller would refuse: "), std::string::npos)
        << form.StatusLine;
    EXPECT_NE(form.StatusLine.find("lead-ins not longer than half the kerf: parts 0, 3"), std::string::npos)
        << form.StatusLine;  // pierced in their middle, 2 from the contour: the first thing the controller refuses
    form.KerfText = "1";
    form.Command32_Click();
    EXPECT_EQ(form.StatusLine.find("would refuse"), std::string::npos) << form.StatusLine;
    const PartLeadIn leadIn = LeadInOf(program->partList[2]);
    form.OptionOn = Tool::MoveLeadIn;
    const Point2 near = leadIn.start + (leadIn.pierce - leadIn.start) * (0.4 / Distance(leadIn.pierce, leadIn.start));
    form.Picture1_MouseDown(near.x, near.y);
    form.Picture1_MouseUp(near.x, near.y);
    EXPECT_NE(form.StatusLine.find("lead-ins not longer than half the kerf: part 2."), std::string::npos) << form.StatusLine;
}

// The cut-quality boxes shape the lead-ins when "Calculate Lead Ins" works them out, and Undo takes the style
// back with them; a box that refuses its text is named, in a message and in the status line, and changes nothing.
TEST_F(SheetWindowTest, CutQualityBoxesShapeTheLeadInsAndRefusedTextsChangeNothing) {
    Open();
    const auto parts = [this] {
        return std::vector<std::string>(program->partList.begin(), program->partList.begin() + program->partCount);
    };
    const std::vector<std::string> lines = parts();
    const CutStyle plain = program->cutStyle;
    ASSERT_EQ(plain.outline, LeadInStyle::Line);
    form.OutlineLeadIn = form.HoleLeadIn = LeadInStyle::Arc;
    form.OvercutBox = "0.5";
    form.LeadOut = LeadOutStyle::Line;
    form.SmallHolesBox = " 5 ";
    form.SmallHoleFeedBox = "900";
    form.Command32_Click();
    ASSERT_EQ(toolkit.Messages(), std::vector<std::string>{});
    // The lead-out as long as the lead-in, the box being empty.
    const CutStyle arcs{LeadInStyle::Arc, LeadInStyle::Arc, 0, 0.5, LeadOutStyle::Line, 5, 5, 900, false, {}};
    EXPECT_EQ(program->cutStyle, arcs);
    EXPECT_NE(program->partList[program->partCount - 1].Text().find(" ARC "), std::string::npos)
        << program->partList[program->partCount - 1].Text();
    for (const std::string& part : parts()) EXPECT_NE(part.find(" OVERCUT 0.5"), std::string::npos) << part;
    form.Undo();
    EXPECT_EQ(program->cutStyle, plain);
    EXPECT_EQ(parts(), lines);

    const struct {
        std::string Form1::*box;
        std::string text, refusal;
    } refused[] = {
        {&Form1::ArcRadiusBox, "r2", "The arc radius box holds \"r2\", which is not a number."},
        {&Form1::OvercutBox, "-1", "The overcut box holds \"-1\": the overcut must be 0 or more."},
        {&Form1::LeadOutLengthBox, "0", "The lead-out length box holds \"0\": the lead-out length must be above 0 "
                                        "(empty: the lead-in's length)."},
        {&Form1::SmallHoleFeedBox, "150%", "The small-hole feed box holds \"150%\": the small holes' feed is a share of "
                                           "the cutting feed, above 0% and up to 100% (such as 60%), or an F value "
                                           "above 0 (such as 900)."},
        {&Form1::SmallHoleFeedBox, "inf", "The small-hole feed box holds \"inf\": the small holes' feed is a share of "
                                          "the cutting feed, above 0% and up to 100% (such as 60%), or an F value "
                                          "above 0 (such as 900)."},
    };
    for (const auto& [box, text, refusal] : refused) {
        const std::string before = form.*box;
        form.*box = text;
        toolkit.events.clear();
        form.Command32_Click();
        EXPECT_EQ(toolkit.Messages(), std::vector<std::string>{refusal + " Nothing was changed."});
        EXPECT_EQ(program->cutStyle, plain);
        EXPECT_EQ(parts(), lines);
        EXPECT_EQ(form.CutQualityRefusal(box), refusal);
        form.CutQuality_Change();
        EXPECT_EQ(form.StatusLine, refusal + " Nothing was changed.");
        form.*box = before;
    }
}

// The default mode writes the drawing's numbers as they stand: an inch drawing under a header that sets
// millimetres is warned about in the status line.
TEST_F(SheetWindowTest, AnInchDrawingUnderAMillimetreHeaderIsWarnedAbout) {
    const std::filesystem::path templates = testing::FreshTestFolder("units");
    std::ofstream(templates / "0_HEADER.TXT") << "G21 (millimetres)\r\n";
    program->templateFolder = templates.string();
    const std::string inches = "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$INSUNITS\r\n70\r\n1\r\n0\r\nENDSEC\r\n" + TwoPlates();
    ASSERT_EQ(LoadDxfText(*program, inches).outcome, DxfReadOutcome::Loaded);
    form.FillContourList();
    form.PrepareParts();
    EXPECT_NE(form.StatusLine.find("The drawing is in inches; the header sets millimetres (G21): the parts would "
                                   "come out 25.4 times too small. Sheet mode converts."),
              std::string::npos)
        << form.StatusLine;
    std::filesystem::remove_all(templates);
}

}  // namespace
}  // namespace zorvan
