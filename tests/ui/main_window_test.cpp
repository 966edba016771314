// The main window's contour reordering, the operator's cutting sequence (simulate, show and save the path)
// and the buttons that only open a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "import/dxf_reader.h"
#include "support/dxf_text.h"
#include "support/part_list.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

using Lines = std::vector<std::string>;

// Remembers how far the picture's log had got when each message box came up.
struct MarkingToolkit : testing::ScriptedToolkit {
    explicit MarkingToolkit(const RecordingSurface& surface) : picture(surface) {}
    void ShowMessage(const std::string& text) override {
        messageAt.push_back(static_cast<long>(picture.Log().size()));
        ScriptedToolkit::ShowMessage(text);
    }
    const RecordingSurface& picture;
    std::vector<long> messageAt;
};

// Three parts side by side: contour starts (0, 0), (20, 0), (40, 0), lead-in starts (1, 1), (21, 1), (39, -1).
const std::string kP0 = "II 0 0 1 1:0 0 0 10 0 0 D|:NOTS NOTD 0:";
const std::string kP1 = "II 20 0 21 1:20 0 0 30 0 0 D|:NOTS NOTD 0:";
const std::string kP2 = "OO 40 0 39 -1:40 0 0 50 0 0 D|:NOTS NOTD 0:";

class MainWindowTest : public ::testing::Test {
protected:
    void Parts(std::initializer_list<std::string> entries) { testing::SetParts(*program, form.List2, entries); }
    void Contours(std::initializer_list<std::string> rows) {
        form.List11.Clear();
        for (const std::string& row : rows) {
            program->contourList[static_cast<size_t>(form.List11.ListCount())] = row;
            form.List11.AddItem(row);
        }
    }
    Lines ContourListRows() const {
        return Lines(program->contourList.begin(), program->contourList.begin() + form.List11.ListCount());
    }
    Lines PartListRows(long count) const { return Lines(program->partList.begin(), program->partList.begin() + count); }
    long Count(const std::string& line) const { return std::count(picture.Log().begin(), picture.Log().end(), line); }
    // The last `count` lines of the log.
    Lines LogTail(long count) const { return Lines(picture.Log().end() - count, picture.Log().end()); }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture;
    MarkingToolkit toolkit{picture};
    Form1 form{*program, toolkit, picture};
};

TEST_F(MainWindowTest, MoveUpAndDownCarryTheSelectedContourAndSaveChangesWritesTheOrder) {
    Contours({"0|1|", "2|", "3|4|5|"});
    form.List11.selected = 2;
    form.Command6_Click();
    EXPECT_EQ(form.List11.rows, (Lines{"0|1|", "3|4|5|", "2|"}));
    EXPECT_EQ(form.List11.selected, 1);
    form.Command6_Click();
    EXPECT_EQ(form.List11.rows, (Lines{"3|4|5|", "0|1|", "2|"}));
    EXPECT_EQ(form.List11.selected, 0);
    EXPECT_EQ(ContourListRows(), form.List11.rows);
    form.Command8_Click();
    EXPECT_EQ(program->contourChain, "3|4|5||0|1||2||");

    form.Command7_Click();
    EXPECT_EQ(form.List11.rows, (Lines{"0|1|", "3|4|5|", "2|"}));
    EXPECT_EQ(form.List11.selected, 1);
    EXPECT_EQ(ContourListRows(), form.List11.rows);

    // Past either end, or without a selection: nothing moves.
    const Lines rows = form.List11.rows;
    const std::pair<int32_t, bool> moves[] = {{0, true}, {2, false}, {-1, false}, {-1, true}, {3, true}, {5, false}};
    for (const auto& [selected, up] : moves) {
        form.List11.selected = selected;
        up ? form.Command6_Click() : form.Command7_Click();
        EXPECT_EQ(form.List11.rows, rows) << selected << (up ? " up" : " down");
        EXPECT_EQ(form.List11.selected, selected);
        EXPECT_EQ(ContourListRows(), rows);
    }
}

TEST_F(MainWindowTest, ContourListRebuiltByHandFromEitherFormOfTheChain) {
    Contours({"3|4|", "7|"});
    form.Command8_Click();
    EXPECT_EQ(program->contourChain, "3|4||7||");
    for (const char* chain : {"3|4|5|:7|:", "3|4|5||7||"}) {
        program->contourChain = chain;
        form.Command2_Click();
        EXPECT_EQ(form.List11.rows, (Lines{"3|4|5|", "7|"})) << chain;
        EXPECT_EQ(ContourListRows(), form.List11.rows);
    }
}

// Command9 plans the parts again as an open does, after SAVE CHANGES and Command2 too, and shows it; parts
// whose contour is unchanged keep their lead-ins and marks. A turn it cannot keep is named in a question first.
TEST_F(MainWindowTest, Command9PlansAgainKeepingTheWorkOnUnchangedPartsOrAsksFirst) {
    form.Dir1Path = (std::filesystem::path(ZORVAN_SOURCE_DIR) / "samples").string();
    form.File1.rows = {"plate_holes_slot.dxf"};
    form.File1.selected = 0;
    form.File1_Click();
    toolkit.events.clear();
    const Lines contours = form.List11.rows, records = form.List1.rows;
    const auto planCount = static_cast<long>(form.List2.rows.size());
    const Lines planned = PartListRows(planCount);
    ASSERT_GE(planned.size(), 3u);
    form.Command32_Click();
    form.OptionOn = Tool::Delete;  // the slot, on its straight edge
    program->viewLeft = 0, program->viewRight = 200;
    form.Picture1_MouseUp(60, 40);
    const Lines worked = PartListRows(planCount);
    ASSERT_NE(worked, planned);
    ASSERT_NE(worked[0].find(":NOTS DEL "), std::string::npos) << worked[0];

    for (const bool saved : {false, true}) {
        SCOPED_TRACE(saved);
        if (saved) {
            form.Command8_Click();
            form.Command2_Click();
            EXPECT_EQ(form.List11.rows, contours);
        }
        picture.ClearLog();
        form.Command9_Click();
        EXPECT_EQ(PartListRows(planCount), worked);
        EXPECT_EQ(form.List1.rows, records);
        EXPECT_EQ(Count("clear"), 1);
    }
    EXPECT_TRUE(toolkit.events.empty());

    form.Command25_Click();  // turned by 15 degrees: planning again would undo it
    const Lines turned = PartListRows(planCount);
    const std::string question = "question Command9: Planning the parts again from the contour list drops the turn, "
                                 "move or scale since the plan, 1 delete mark (the part comes back) and the lead-ins "
                                 "of 4 parts. Plan again?";
    form.Command9_Click();  // answered No
    EXPECT_EQ(toolkit.events, Lines{question});
    EXPECT_EQ(PartListRows(planCount), turned);
    toolkit.yesNoAnswers.push_back(true);
    form.Command9_Click();
    EXPECT_EQ(PartListRows(planCount), planned);
    form.Undo();
    EXPECT_EQ(PartListRows(planCount), turned);
}

TEST_F(MainWindowTest, BoxesThatHoldNoNumberAreRefusedByNameAndChangeNothing) {
    struct Box {
        std::string Form1::*text;
        std::string name;
        void (Form1::*command)();
    };
    const Box boxes[] = {{&Form1::Text6, "lead-in length", &Form1::Command32_Click},
                         {&Form1::Text3, "step", &Form1::Command12_Click},
                         {&Form1::Text4, "angle", &Form1::Command25_Click},
                         {&Form1::Text4, "angle", &Form1::Command26_Click},
                         {&Form1::Text5, "scale factor", &Form1::Command27_Click}};
    const std::string notANumber = "\", which is not a number. Nothing was changed.";
    const std::string notAbove0 = "\": the factor must be greater than 0. Nothing was changed.";
    Parts({kP0, kP1, kP2});
    for (const Box& box : boxes) {
        std::vector<std::pair<std::string, std::string>> refusals;
        for (const char* text : {"", "abc", "0,5", "1.5.", "1E400"}) refusals.emplace_back(text, notANumber);
        if (box.name == "scale factor") refusals.insert(refusals.end(), {{"0", notAbove0}, {" -0.5 ", notAbove0}});
        if (box.name == "lead-in length") refusals.emplace_back("-0.5", "\": the lead-in must be 0 or more. Nothing was changed.");
        for (const auto& [text, reason] : refusals) {
            SCOPED_TRACE(box.name + " " + text);
            toolkit.events.clear();
            picture.ClearLog();
            form.*box.text = text;
            (form.*box.command)();
            EXPECT_EQ(toolkit.events, Lines{"message The " + box.name + " box holds \"" + text + reason});
            EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));
            EXPECT_TRUE(picture.Log().empty());
        }
    }
    // The boxes' first texts are numbers every command takes.
    Form1 fresh(*program, toolkit, picture);
    toolkit.events.clear();
    for (const Box& box : boxes) (fresh.*box.command)();
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_NE(PartListRows(3), (Lines{kP0, kP1, kP2}));
}

TEST_F(MainWindowTest, SimulateDrawsEachPartOfTheSequenceGreenWithAPauseBetween) {
    Parts({kP0, kP1, kP2});
    form.Command11_Click();
    EXPECT_EQ(Count("clear"), 2);
    EXPECT_TRUE(toolkit.events.empty());

    picture.ClearLog();
    form.Text2 = "1|0|";
    form.Command11_Click();
    EXPECT_EQ(toolkit.events, (Lines{"message ", "message "}));
    ASSERT_EQ(toolkit.messageAt.size(), 2u);
    const auto& log = picture.Log();
    const auto strokesBefore = [&log](long at) { return Lines(log.begin() + at - 3, log.begin() + at); };
    EXPECT_EQ(strokesBefore(toolkit.messageAt[0]), (Lines{"width 3", "line 20 0 30 0 #00FF00", "width 1"}));
    EXPECT_EQ(strokesBefore(toolkit.messageAt[1]), (Lines{"width 3", "line 0 0 10 0 #00FF00", "width 1"}));
    EXPECT_EQ(log.at(static_cast<size_t>(toolkit.messageAt[1])), "clear");
    EXPECT_EQ(Count("clear"), 2);

    picture.ClearLog();
    form.Command10_Click();  // START OVER
    EXPECT_EQ(form.Text2, "");
    EXPECT_EQ(picture.Log().front(), "clear");
    EXPECT_EQ(Count("line 20 0 30 0 #0000FF"), 1);
}

TEST_F(MainWindowTest, ShowPathWithoutSequenceJoinsTheListsLeadInsInOrder) {
    Parts({kP0, kP1, kP2});
    for (const char* sequence : {"", "   "}) {
        picture.ClearLog();
        form.Text2 = sequence;
        form.Command28_Click();
        EXPECT_EQ(picture.Log().front(), "clear");
        EXPECT_EQ(LogTail(3), (Lines{"move 1 1", "lineto 21 1 #00FF00", "lineto 39 -1 #00FF00"}));
    }
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));
}

TEST_F(MainWindowTest, ShowPathOfTheSequenceAsksAndSavesItAsTheCuttingOrder) {
    Parts({kP0, kP1, kP2});
    form.Text2 = "2|0|";
    form.Command28_Click();  // answered No
    EXPECT_EQ(LogTail(2), (Lines{"move 39 -1", "lineto 1 1 #00FF00"}));
    EXPECT_EQ(toolkit.events, Lines{"question Path: Save This Path"});
    EXPECT_EQ(form.Text2, "2|0|");
    EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));

    // Saved: the part not clicked follows the picks, and the list and status line show the new order.
    toolkit.yesNoAnswers.push_back(true);
    form.Command28_Click();
    EXPECT_EQ(PartListRows(3), (Lines{kP2, kP0, kP1}));
    EXPECT_EQ(form.List2.rows, (Lines{"0  outside  10 x 0  lead-in 1.414", "1  hole  10 x 0  lead-in 1.414",
                                      "2  hole  10 x 0  lead-in 1.414"}));
    EXPECT_TRUE(form.StatusLine.ends_with(" 1 part not clicked follows in the planned order.")) << form.StatusLine;
    EXPECT_EQ(form.Text2, "");
    form.Undo();
    EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));
}

TEST_F(MainWindowTest, RowsThatNameNoPartAreSkippedAndRepeatsAreCutOnce) {
    Parts({kP0, kP1, kP2});
    form.Text2 = "7|x|-1| 2 |3|";
    form.Command11_Click();
    EXPECT_EQ(toolkit.events, Lines{"message "});
    EXPECT_EQ(Count("line 40 0 50 0 #00FF00"), 1);
    EXPECT_EQ(Count("line 0 0 10 0 #00FF00") + Count("line 20 0 30 0 #00FF00"), 0);

    toolkit.events.clear();
    form.Text2 = "7|x|-1|";
    form.Command28_Click();
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(form.Text2, "7|x|-1|");
    EXPECT_FALSE(form.SavePath("9|"));
    EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));

    toolkit.yesNoAnswers.push_back(true);
    form.Text2 = "1|7|1|0|";
    form.Command28_Click();
    EXPECT_EQ(Count("move 21 1") + Count("lineto 21 1 #00FF00") + Count("lineto 1 1 #00FF00"), 3);
    EXPECT_EQ(PartListRows(3), (Lines{kP1, kP0, kP2}));
}

// A plate with a hole: the hole must be cut before the plate around it. Picking the plate first is refused in
// sheet mode and warned about in the default mode; deleted parts go last and are never picked.
TEST_F(MainWindowTest, AnOrderCuttingAHoleAfterItsPlateIsRefusedOrWarnedAbout) {
    const std::string plate = "OO 0 0 0 0:0 0 0 40 0 0 D|40 0 0 40 30 0 D|40 30 0 0 30 0 D|0 30 0 0 0 0 D|:NOTS NOTD 0:";
    const std::string hole = "II 8 10 8 10:10 10 0 2 + 8 10 K|:NOTS NOTD 0:";
    const std::string gone = "II 28 10 28 10:30 10 0 2 + 28 10 K|:NOTS DEL 0:";
    for (const ReadMode mode : {ReadMode::Sheet, ReadMode::Default}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Parts({hole, gone, plate});
        program->readMode = mode;
        toolkit.events.clear();
        const bool saved = form.SavePath("2|1|");
        const std::string late = "This order cuts part 1 after part 0 around it: once the outer contour is cut free, "
                                 "the part inside may drop or shift before it is cut.";
        if (mode == ReadMode::Sheet) {
            EXPECT_FALSE(saved);
            EXPECT_EQ(toolkit.Messages(), Lines{late + " The order was not changed."});
            EXPECT_EQ(PartListRows(3), (Lines{hole, gone, plate}));
        } else {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(toolkit.events.empty());
            EXPECT_EQ(PartListRows(3), (Lines{plate, hole, gone}));
            EXPECT_NE(form.StatusLine.find(late), std::string::npos) << form.StatusLine;
        }
    }
}

TEST_F(MainWindowTest, SequenceCommandsOnAnEmptyCuttingOrderDoNothingHarmful) {
    for (const char* sequence : {"", "0|", "0|1|"}) {
        form.Text2 = sequence;
        form.Command28_Click();
        form.Command11_Click();
        form.SavePath(sequence);
        form.List2.selected = 0;
        form.List2_Click();
    }
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(form.List2.ListCount(), 0);
    EXPECT_EQ(form.Caption, "ZORVAN");
    EXPECT_EQ(Count("clear"), 9);  // one redraw for each Show Path, two for each SIMULATE
    EXPECT_EQ(picture.Log().size(), 9u * 4);  // each: clear, pen width, the two origin marks
}

TEST_F(MainWindowTest, RowClickNamesThePartInTheCaptionAndSetupButtonsOpenTheirWindows) {
    Parts({kP0, kP1});
    form.List2.selected = 1;
    form.List2_Click();
    EXPECT_EQ(form.Caption, "ZORVAN - part 1: hole, 10 x 0");
    form.List2.selected = -1;
    form.List2_Click();
    EXPECT_EQ(form.Caption, "ZORVAN - part 1: hole, 10 x 0");

    form.Command31_Click();
    form.Command5_Click();
    form.Command4_Click();
    EXPECT_EQ(toolkit.events, (Lines{"show GCodeSetup", "show DirectGCode"}));
    EXPECT_TRUE(picture.Log().empty());
}

}  // namespace
}  // namespace zorvan
