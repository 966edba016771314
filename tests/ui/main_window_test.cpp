// The main window's contour reordering, the operator's cutting sequence (simulate, show and save the path)
// and the buttons that only open a window.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(MainWindowTest, ContourListAndPartEntriesRebuiltByHand) {
    Contours({"3|4|", "7|"});
    form.Command8_Click();
    EXPECT_EQ(program->contourChain, "3|4||7||");
    program->contourChain = "3|4|5|:7|:";
    form.Command2_Click();
    EXPECT_EQ(form.List11.rows, (Lines{"3|4|5|", "7|"}));
    EXPECT_EQ(ContourListRows(), form.List11.rows);

    const std::string triangleAndHole =
        testing::DxfText().Line(0, 0, 60, 0).Line(60, 0, 0, 60).Line(0, 60, 0, 0).Circle(15, 15, 5).Build();
    ASSERT_EQ(LoadDxfText(*program, triangleAndHole).outcome, DxfReadOutcome::Loaded);
    form.Command2_Click();
    form.Command9_Click();
    ASSERT_EQ(form.List2.ListCount(), 2);
    EXPECT_EQ(form.List2.rows[1], "II 10 15 10 15:15 15 0 5 + 10 15 K|:NOTS NOTD 0");
    EXPECT_EQ(PartListRows(2), form.List2.rows);
    EXPECT_EQ(form.List1.ListCount(), 3 + 1 + 1 + 1);  // each contour's records, then a separator row
    EXPECT_EQ(form.List1.rows.back(), std::string(24, '='));
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
    EXPECT_EQ(form.List2.rows, (Lines{kP0, kP1, kP2}));
}

TEST_F(MainWindowTest, ShowPathOfTheSequenceAsksAndSavesItAsTheCuttingOrder) {
    Parts({kP0, kP1, kP2});
    form.Text2 = "2|0|";
    form.Command28_Click();  // answered No
    EXPECT_EQ(LogTail(2), (Lines{"move 39 -1", "lineto 1 1 #00FF00"}));
    EXPECT_EQ(toolkit.events, Lines{"question Path: Save This Path"});
    EXPECT_EQ(form.Text2, "2|0|");
    EXPECT_EQ(form.List2.rows, (Lines{kP0, kP1, kP2}));
    EXPECT_EQ(PartListRows(3), (Lines{kP0, kP1, kP2}));

    toolkit.yesNoAnswers.push_back(true);
    form.Command28_Click();
    EXPECT_EQ(form.List2.rows, (Lines{kP2, kP0}));
    EXPECT_EQ(PartListRows(2), (Lines{kP2, kP0}));
    EXPECT_EQ(form.Text2, "");
}

TEST_F(MainWindowTest, RowsThatNameNoPartAreSkippedAndRepeatsAreKept) {
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
    form.SavePath("9|");
    EXPECT_EQ(form.List2.rows, (Lines{kP0, kP1, kP2}));

    toolkit.yesNoAnswers.push_back(true);
    form.Text2 = "1|7|1|0|";
    form.Command28_Click();
    EXPECT_EQ(LogTail(3), (Lines{"move 21 1", "lineto 21 1 #00FF00", "lineto 1 1 #00FF00"}));
    EXPECT_EQ(form.List2.rows, (Lines{kP1, kP1, kP0}));
    EXPECT_EQ(PartListRows(3), (Lines{kP1, kP1, kP0}));
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

TEST_F(MainWindowTest, RowClickShowsItsEntryAsTheCaptionAndSetupButtonsOpenTheirWindows) {
    Parts({kP0, kP1});
    program->partList[1] = "II 20 0 25 0:20 0 0 30 0 0 D|:SEL NOTD 0:";  // the entry, not the row's text
    form.List2.selected = 1;
    form.List2_Click();
    EXPECT_EQ(form.Caption, program->partList[1]);
    form.List2.selected = -1;
    form.List2_Click();
    EXPECT_EQ(form.Caption, program->partList[1]);

    form.Command31_Click();
    form.Command5_Click();
    form.Command4_Click();
    EXPECT_EQ(toolkit.events, (Lines{"show GCodeSetup", "show DirectGCode"}));
    EXPECT_TRUE(picture.Log().empty());
}

}  // namespace
}  // namespace zorvan
