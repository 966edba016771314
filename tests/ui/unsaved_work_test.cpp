// Work the operator has not saved is never dropped without a question: a changed plan when another drawing is
// opened or the window closes, changed template texts when GCODE SETUP closes. And what a drawing leaves on the
// screen goes with it: its counts, its pierces on the contour.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "draw/recording_surface.h"
#include "model/part_entry.h"
#include "support/dxf_text.h"
#include "support/scripted_toolkit.h"
#include "support/temp_folder.h"
#include "ui/form1.h"
#include "ui/form6.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class UnsavedWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("unsaved");
        program->templateFolder = folder.string();
        // A plate with a round hole, and a sheet drawing that also holds two open lines.
        Write("plate.dxf", testing::DxfText().LwPolyline({{0, 0}, {40, 0}, {40, 30}, {0, 30}}).Circle(10, 10, 3).Build());
        Write("open.dxf", testing::DxfText().LwPolyline({{0, 0}, {40, 0}, {40, 30}, {0, 30}}).Line(50, 0, 60, 0)
                              .Line(50, 10, 60, 10).Build());
    }
    void TearDown() override { fs::remove_all(folder); }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder / name, std::ios::binary) << text; }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    void ChangePlan() {
        form.Text4 = "90";
        form.Command25_Click();
    }

    fs::path folder;
    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture{800, 600};
    testing::ScriptedToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

// Unchanged, a plan goes without a word; changed, the answer decides: Cancel keeps it, Discard drops it, and
// "Save the program" writes it first (a cancelled file dialog cancels the open too).
TEST_F(UnsavedWorkTest, AChangedPlanIsDroppedOnlyAfterAQuestion) {
    ASSERT_TRUE(form.OpenDrawingFile(Path("plate.dxf")));
    ASSERT_TRUE(form.OpenDrawingFile(Path("plate.dxf")));
    EXPECT_EQ(toolkit.events, (Lines{"busy on", "busy off", "busy on", "busy off"}));
    struct Case {
        std::vector<SaveChoice> answers;
        std::optional<std::string> file;
        bool opens;
    };
    const Case cases[] = {{{SaveChoice::Cancel}, {}, false},
                          {{SaveChoice::Save}, std::nullopt, false},
                          {{SaveChoice::Save}, Path("plate.nc"), true},
                          {{SaveChoice::Discard}, {}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answers[0]));
        ChangePlan();
        const std::string turned = program->partList[0];
        toolkit.events.clear();
        toolkit.saveAnswers.assign(c.answers.begin(), c.answers.end());
        if (c.file) toolkit.fileAnswers.push_back(*c.file);
        EXPECT_EQ(form.OpenDrawingFile(Path("plate.dxf")), c.opens);
        ASSERT_FALSE(toolkit.events.empty());
        EXPECT_TRUE(toolkit.events[0].starts_with("question Unsaved plan: The plan of " + Path("plate.dxf")))
            << toolkit.events[0];
        EXPECT_EQ(program->partList[0] == turned, !c.opens);
        if (c.file) {
            EXPECT_NE(testing::ReadBytes(*c.file).find("G3"), std::string::npos);
        }
    }
    // Saved, the plan may go; changed again, closing asks, and Cancel keeps the window open.
    EXPECT_FALSE(form.PlanChanged());
    // "Save the program" writes only what G CODE would: not a plan of two outside cuts.
    ChangePlan();
    program->partList[0] = "OO" + program->partList[0].Text().substr(2);
    toolkit.saveAnswers.assign({SaveChoice::Save});
    toolkit.events.clear();
    EXPECT_FALSE(form.OpenDrawingFile(Path("plate.dxf")));
    EXPECT_EQ(toolkit.events.back(), "message you can have just one outside cut!");  // and no file dialog
    EXPECT_EQ(toolkit.events.size(), 2u);
    toolkit.saveAnswers.assign({SaveChoice::Discard});
    ASSERT_TRUE(form.OpenDrawingFile(Path("plate.dxf")));
    ChangePlan();
    toolkit.events.clear();
    EXPECT_FALSE(form.Form_QueryUnload());
    toolkit.saveAnswers.push_back(SaveChoice::Discard);
    EXPECT_TRUE(form.Form_QueryUnload());
    EXPECT_EQ(toolkit.events.back(), "show About");
}

// Sheet mode plans lead-ins in the scrap on opening; a plan whose contours are pierced on the cut line is
// named before G CODE shows the program; the counts of one drawing do not stay for the next.
TEST_F(UnsavedWorkTest, WhatADrawingLeavesOnScreenBelongsToIt) {
    form.SheetMode = true;
    ASSERT_TRUE(form.OpenDrawingFile(Path("open.dxf")));
    EXPECT_NE(form.StatusLine.find("2 open contours not cut"), std::string::npos) << form.StatusLine;
    EXPECT_EQ(form.StatusLine.find("Pierced on the contour"), std::string::npos) << form.StatusLine;
    form.Command17_Click();
    EXPECT_EQ(toolkit.Messages(), Lines{});
    EXPECT_EQ(program->openLeftOut.size(), 2u);  // drawn dashed

    form.SheetMode = false;
    ASSERT_TRUE(form.OpenDrawingFile(Path("plate.dxf")));
    EXPECT_EQ(form.StatusLine.find("open contours"), std::string::npos) << form.StatusLine;
    EXPECT_TRUE(program->openLeftOut.empty());
    EXPECT_NE(form.StatusLine.find("Pierced on the contour, without a lead-in: parts 0, 1."), std::string::npos)
        << form.StatusLine;
    toolkit.events.clear();
    form.Command17_Click();
    EXPECT_EQ(toolkit.events, (Lines{"message Pierced on the contour, without a lead-in: parts 0, 1. The pierce would "
                                     "leave a blow-out in the cut edge; \"Calculate Lead Ins\" gives them a lead-in.",
                                     "show GCode"}));
}

// GCODE SETUP's CLOSE: unchanged texts close at once; changed ones are asked about, and Save writes them where
// the window says it saves.
TEST_F(UnsavedWorkTest, SetupAsksBeforeDroppingChangedTexts) {
    Form6 setup(*program, toolkit);
    EXPECT_EQ(setup.SaveFolderNote(), "Saves to " + folder.string() + " (0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT)");
    setup.Form_Activate();
    setup.Command2_Click();
    EXPECT_TRUE(setup.closed);
    EXPECT_TRUE(toolkit.events.empty());
    for (const SaveChoice answer : {SaveChoice::Cancel, SaveChoice::Discard, SaveChoice::Save}) {
        SCOPED_TRACE(static_cast<int>(answer));
        setup.closed = false;
        setup.Form_Activate();
        setup.Text1 = "G21\r\n";
        toolkit.saveAnswers.push_back(answer);
        setup.Command2_Click();
        EXPECT_EQ(setup.closed, answer != SaveChoice::Cancel);
        EXPECT_EQ(testing::ReadBytes(folder / "0_HEADER.TXT"), answer == SaveChoice::Save ? "G21\r\n" : "");
    }
    EXPECT_EQ(toolkit.events.size(), 3u);
}

}  // namespace
}  // namespace zorvan
