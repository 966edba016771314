// The Nest tab's logic: what its boxes refuse, the order they make, and a real nest of two samples paged,
// sent to G CODE as the plan on hand and saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "draw/recording_surface.h"
#include "support/scripted_toolkit.h"
#include "support/temp_folder.h"
#include "ui/form1.h"
#include "ui/nest_form.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

class NestFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("nest");
        program->templateFolder = folder.string();
        form1.Form_Load(folder.string());
        for (const char* name : {"bracket_lwpolyline.dxf", "gusset_lf.dxf", "plate_holes_slot.dxf"}) {
            fs::copy_file(fs::path(ZORVAN_SOURCE_DIR) / "samples" / name, folder / name);
        }
    }
    void TearDown() override {
        nest.reset();
        fs::remove_all(folder);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    // Four brackets and ten gussets on 200 x 150 sheets, five nests tried: three sheets.
    void NestTheOrder() {
        ASSERT_TRUE(nest->AddDrawing(Path("bracket_lwpolyline.dxf"), 4));
        ASSERT_TRUE(nest->AddDrawing(Path("gusset_lf.dxf"), 10));
        nest->SheetWidthBox = "200", nest->SheetHeightBox = "150";
        nest->MostEvaluations = 5;
        nest->Nest_Click();
        ASSERT_EQ(nest->State(), NestState::Nesting);
        nest->WaitForNest();
        ASSERT_EQ(nest->State(), NestState::Done) << nest->StatusLine;
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    testing::ScriptedToolkit toolkit;
    Form1 form1{*program, toolkit, picture};
    std::unique_ptr<NestForm> nest = std::make_unique<NestForm>(*program, form1, toolkit);
};

TEST_F(NestFormTest, BoxesRefuseWhatTheyCannotTakeAndSayWhy) {
    struct Case {
        std::string NestForm::*box;
        const char* text;
        const char* refusal;  // empty: taken
    };
    const Case cases[] = {
        {&NestForm::CountBox, "4", ""},
        {&NestForm::CountBox, "0", "whole number from 1 to 5000"},
        {&NestForm::CountBox, "2.5", "whole number from 1 to 5000"},
        {&NestForm::CountBox, "5001", "whole number from 1 to 5000"},
        {&NestForm::CountBox, "four", "which is not a number"},
        {&NestForm::SheetWidthBox, "2500", ""},
        {&NestForm::SheetWidthBox, "0", "above 0 and at most 100000"},
        {&NestForm::SheetHeightBox, "100001", "above 0 and at most 100000"},
        {&NestForm::SheetHeightBox, "1250mm", "which is not a number"},
        {&NestForm::SpacingBox, "", ""},
        {&NestForm::SpacingBox, "0", "must be above 0 (empty: the kerf plus the lead-in"},
        {&NestForm::RotationsBox, "3", ""},
        {&NestForm::RotationsBox, "361", "whole number of equal turns from 1 to 360"},
        {&NestForm::RotationsBox, "1.5", "whole number of equal turns"},
        {&NestForm::SecondsBox, "0", ""},
        {&NestForm::SecondsBox, "-1", "from 0 to 86400 seconds"},
        {&NestForm::SecondsBox, "", "which is not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NestForm fresh(*program, form1, toolkit);
        fresh.*c.box = c.text;
        const std::string refusal = fresh.Refusal(c.box);
        if (*c.refusal == '\0') {
            EXPECT_EQ(refusal, "");
        } else {
            EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
            EXPECT_NE(refusal.find(std::string("\"") + c.text + "\""), std::string::npos) << refusal;
        }
    }
    // Any angle leaves the rotations box out; a refused count leaves the row's count as it was, and NEST says
    // why and starts nothing.
    nest->RotationsBox = "0";
    nest->AnyAngle = true;
    EXPECT_EQ(nest->Refusal(&NestForm::RotationsBox), "");
    ASSERT_TRUE(nest->AddDrawing(Path("gusset_lf.dxf"), 3));
    nest->CountBox = "0";
    nest->Count_Change();
    EXPECT_EQ(nest->Rows[0].count, 3);
    EXPECT_NE(nest->StatusLine.find("Nothing was changed"), std::string::npos);
    nest->Nest_Click();
    EXPECT_EQ(nest->State(), NestState::Idle);
    ASSERT_FALSE(toolkit.Messages().empty());
    EXPECT_NE(toolkit.Messages().back().find("The count box holds \"0\""), std::string::npos);
}

TEST_F(NestFormTest, TheOrderFollowsTheRowsAndBoxes) {
    ASSERT_TRUE(nest->AddDrawing(Path("bracket_lwpolyline.dxf")));
    ASSERT_TRUE(nest->AddDrawing(Path("gusset_lf.dxf")));
    nest->CountBox = "10";  // the selected row: the gusset
    nest->Count_Change();
    ASSERT_TRUE(nest->AddDrawing(Path("bracket_lwpolyline.dxf")));  // already there: selected, not added
    EXPECT_EQ(nest->Drawings.rows, (std::vector<std::string>{"bracket_lwpolyline.dxf  x 1", "gusset_lf.dxf  x 10"}));
    EXPECT_EQ(nest->Drawings.selected, 0);
    EXPECT_FALSE(nest->AddDrawing(Path("missing.dxf")));
    std::ofstream(folder / "notes.txt") << "text";
    EXPECT_FALSE(nest->AddDrawing(Path("notes.txt")));
    EXPECT_EQ(nest->Rows.size(), 2u);

    nest->SheetWidthBox = "2500", nest->SheetHeightBox = "1250", nest->RotationsBox = "3", nest->Mirror = true;
    const SheetCutting cutting{"4", 1.5, false, {}};
    std::optional<NestOrder> order = nest->OrderFromBoxes(cutting);
    ASSERT_TRUE(order);
    EXPECT_EQ(order->sheetWidth, 2500);
    EXPECT_EQ(order->sheetHeight, 1250);
    EXPECT_FALSE(order->spacing);  // empty: the kerf plus the lead-in
    EXPECT_EQ(order->angles, (std::vector<double>{0, 120, 240}));
    EXPECT_TRUE(order->mirror);
    EXPECT_EQ(order->job.leadIn, "4");
    EXPECT_EQ(order->kerf, 1.5);
    ASSERT_EQ(order->drawings.size(), 2u);
    EXPECT_EQ(order->drawings[1].name, Path("gusset_lf.dxf"));
    EXPECT_EQ(order->drawings[1].count, 10);

    nest->SpacingBox = "7", nest->AnyAngle = true;
    order = nest->OrderFromBoxes(cutting);
    ASSERT_TRUE(order);
    EXPECT_EQ(order->spacing, 7.0);
    EXPECT_EQ(order->angles.size(), 360u);
    EXPECT_EQ(order->angles[1], 1.0);

    nest->Remove_Click();  // the bracket
    nest->Remove_Click();
    EXPECT_TRUE(nest->Drawings.rows.empty());
    EXPECT_FALSE(nest->OrderFromBoxes(cutting));
}

TEST_F(NestFormTest, ANestOfTwoSamplesIsPagedSentToGCodeAndSaved) {
    NestTheOrder();
    ASSERT_EQ(nest->SheetCount(), 3);
    int32_t parts = 0;
    for (int32_t sheet = 0; sheet < 3; ++sheet) parts += nest->Facts(sheet).parts;
    EXPECT_EQ(parts, 14);
    EXPECT_NE(nest->StatusLine.find("Nested 14 of 14 parts on 3 sheets"), std::string::npos) << nest->StatusLine;
    EXPECT_EQ(nest->SheetLabel, "Sheet 1 of 3");
    nest->Previous_Click();  // stays on the first
    EXPECT_EQ(nest->ShownSheet(), 0);
    for (int k = 0; k < 3; ++k) nest->Next_Click();  // stops at the last
    EXPECT_EQ(nest->SheetLabel, "Sheet 3 of 3");
    const SheetFacts& last = nest->Facts(2);
    EXPECT_EQ(nest->SheetInfo.find(std::to_string(last.parts) + (last.parts == 1 ? " part" : " parts") + " placed, utilisation"), 0u)
        << nest->SheetInfo;
    // The sheet's edge, then its parts' outlines, every point on the sheet.
    nest->DrawSheet(picture);
    int32_t points = 0;
    for (const std::string& stroke : picture.Log()) {
        double x = 0, y = 0;
        if (std::sscanf(stroke.c_str(), "lineto %lf %lf", &x, &y) != 2) continue;
        ++points;
        EXPECT_TRUE(x > 0 && x < 200 && y > 0 && y < 150) << stroke;
    }
    EXPECT_GT(points, 2 * last.parts * 3);
    EXPECT_NE(std::find(picture.Log().begin(), picture.Log().end(), "rect 0 0 200 150 #808080"), picture.Log().end());

    // A changed plan on hand is not dropped without the question; cancelled, it stays.
    ASSERT_TRUE(form1.OpenDrawingFile(Path("plate_holes_slot.dxf")));
    form1.Text4 = "90";
    form1.Command25_Click();
    const int32_t plateParts = program->partCount;
    toolkit.saveAnswers = {SaveChoice::Cancel, SaveChoice::Discard};
    EXPECT_FALSE(nest->SendToGCode_Click());
    EXPECT_EQ(program->partCount, plateParts);
    ASSERT_TRUE(nest->SendToGCode_Click());
    // The sheet is the plan: every contour of its copies, planned in sheet mode, and the Edit tab shows it.
    EXPECT_EQ(program->readMode, ReadMode::Sheet);
    EXPECT_EQ(form1.SSTab1Tab, Tab::Edit);
    EXPECT_NE(form1.Caption.find("Sheet 3 of 3"), std::string::npos) << form1.Caption;
    EXPECT_GE(program->partCount, last.parts);
    EXPECT_EQ(program->closedNotPlannedOnce, 0);
    ASSERT_TRUE(program->sheetEdge);  // lead-ins calculated on it stay on the sheet
    EXPECT_EQ(program->sheetEdge->right, 200);
    // It has no file, so it is not saved as a job; its program is proposed beside the order's drawings.
    form1.SaveJob_Click();
    EXPECT_NE(toolkit.Messages().back().find("not a file"), std::string::npos);
    EXPECT_EQ(program->openedDrawingPath, Path("sheet3.dxf"));

    // Saved: the program and the drawing beside it; never over a drawing of the order.
    toolkit.fileAnswers = {Path("gusset_lf.nc"), Path("out/sheet3.nc")};
    fs::create_directories(folder / "out");
    EXPECT_FALSE(nest->SaveSheet_Click());
    EXPECT_NE(toolkit.Messages().back().find("a drawing of the order"), std::string::npos);
    ASSERT_TRUE(nest->SaveSheet_Click()) << toolkit.Messages().back();
    const std::string program3 = testing::ReadBytes(folder / "out/sheet3.nc");
    EXPECT_NE(program3.find("\r\n"), std::string::npos);
    EXPECT_NE(testing::ReadBytes(folder / "out/sheet3.dxf").find("EOF"), std::string::npos);
    EXPECT_NE(nest->StatusLine.find("Saved Sheet 3 of 3"), std::string::npos);
}

TEST_F(NestFormTest, WhatIsNotReadOrNotPlacedIsNamed) {
    std::ofstream(folder / "broken.dxf") << "0\nSECTION\n2\nENTITIES\n0\nSPLINE\n";
    ASSERT_TRUE(nest->AddDrawing(Path("broken.dxf")));
    nest->MostEvaluations = 1;
    nest->Nest_Click();
    nest->WaitForNest();
    EXPECT_EQ(nest->State(), NestState::Idle);
    ASSERT_FALSE(toolkit.Messages().empty());
    EXPECT_NE(toolkit.Messages().back().find(Path("broken.dxf")), std::string::npos) << toolkit.Messages().back();

    // The plate fits no 100 x 100 sheet; the gussets do, and are nested.
    nest->Remove_Click();
    ASSERT_TRUE(nest->AddDrawing(Path("plate_holes_slot.dxf"), 2));
    ASSERT_TRUE(nest->AddDrawing(Path("gusset_lf.dxf"), 1));
    nest->SheetWidthBox = "100", nest->SheetHeightBox = "100";
    nest->Nest_Click();
    nest->WaitForNest();
    ASSERT_EQ(nest->State(), NestState::Done) << nest->StatusLine;
    EXPECT_NE(nest->StatusLine.find("Not placed: 2 copies"), std::string::npos) << nest->StatusLine;
    EXPECT_NE(toolkit.Messages().back().find(Path("plate_holes_slot.dxf") + ": 2 copies not placed: it fits no sheet"),
              std::string::npos)
        << toolkit.Messages().back();
}

// A nest's sheets are the search's work: a new nest or the window's close drops those neither saved nor sent
// to G CODE only after a question that names them.
TEST_F(NestFormTest, SheetsNeitherSavedNorSentAreDroppedOnlyAfterAQuestion) {
    NestTheOrder();
    const auto asked = [&] { return toolkit.events.back(); };
    nest->Nest_Click();  // no answer: the question is cancelled and the nest kept
    EXPECT_EQ(asked(), "question Unsaved nest: Sheets 1, 2 and 3 of the last nest are neither saved nor sent to G CODE. "
                       "A new nest drops them. Nest anyway?");
    EXPECT_NE(nest->State(), NestState::Nesting);
    EXPECT_EQ(nest->SheetCount(), 3);
    toolkit.saveAnswers = {SaveChoice::Discard, SaveChoice::Discard};  // each sent sheet replaces the last one sent
    ASSERT_TRUE(nest->SendToGCode_Click());
    nest->Next_Click();
    ASSERT_TRUE(nest->SendToGCode_Click());
    EXPECT_FALSE(nest->ConfirmDropNest("Closing the window", "Close anyway?"));
    EXPECT_EQ(asked(), "question Unsaved nest: Sheet 3 of the last nest is neither saved nor sent to G CODE. Closing the "
                       "window drops it. Close anyway?");
    nest->Next_Click();
    toolkit.fileAnswers = {Path("sheet3.nc")};
    ASSERT_TRUE(nest->SaveSheet_Click()) << toolkit.Messages().back();
    const size_t events = toolkit.events.size();
    EXPECT_TRUE(nest->ConfirmDropNest("Closing the window", "Close anyway?"));
    EXPECT_EQ(toolkit.events.size(), events);
}

TEST_F(NestFormTest, StopEndsALongNestKeepingTheBestAndClosingMidNestJoinsTheWorker) {
    ASSERT_TRUE(nest->AddDrawing(Path("gusset_lf.dxf"), 40));
    nest->SecondsBox = "600";
    nest->Nest_Click();
    ASSERT_EQ(nest->State(), NestState::Nesting);
    nest->Stop_Click();
    const auto start = std::chrono::steady_clock::now();
    nest->WaitForNest();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    // Stopped during the first nest or after it: either way nothing was silently dropped.
    if (nest->State() == NestState::Done) {
        EXPECT_NE(nest->StatusLine.find("(stopped)"), std::string::npos) << nest->StatusLine;
    }

    toolkit.yesNoAnswers = {true};  // the stopped nest's sheets, where it has any, may go
    nest->Nest_Click();
    ASSERT_EQ(nest->State(), NestState::Nesting);
    toolkit.yesNoAnswers.clear();
    EXPECT_FALSE(nest->ConfirmDropNest("Closing the window", "Close anyway?"));
    EXPECT_EQ(toolkit.events.back(), "question Unsaved nest: A nest is under way. Closing the window drops it. Close anyway?");
    nest.reset();  // stops the search and joins its thread
}

}  // namespace
}  // namespace zorvan
