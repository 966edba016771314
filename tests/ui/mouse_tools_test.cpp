// The mouse on the main window's picture: picking a part, the tools, the zoom band and the cutting-order
// picks; and the edit window that the "Edit " tool opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "geometry/point.h"
#include "model/part_entry.h"
#include "support/part_list.h"
#include "support/scripted_toolkit.h"
#include "ui/form1.h"
#include "ui/form3.h"
#include "draw/recording_surface.h"

namespace zorvan {
namespace {

using Lines = std::vector<std::string>;

// Remembers, when the edit window opens, which part it was given and how far the picture's log had got.
struct EditWindowToolkit : testing::ScriptedToolkit {
    void ShowModal(ModalWindow window) override {
        if (window == ModalWindow::Edit) shownAt = {form->editPartIndex, picture->Log().size()};
        ScriptedToolkit::ShowModal(window);
    }
    const Form1* form = nullptr;
    const RecordingSurface* picture = nullptr;
    std::pair<int16_t, size_t> shownAt{-1, 0};
};

// Three parts side by side: contour starts (0, 0), (20, 0), (40, 0), lead-in starts elsewhere.
const std::string kP0 = "II 0 0 1 1:0 0 0 10 0 0 D|:NOTS NOTD 0:";
const std::string kP1 = "II 20 0 21 1:20 0 0 30 0 0 D|:NOTS NOTD 0:";
const std::string kP2 = "OO 40 0 39 -1:40 0 0 50 0 0 D|:NOTS NOTD 0:";

class MouseToolsTest : public ::testing::Test {
protected:
    MouseToolsTest() {
        toolkit.form = &form;
        toolkit.picture = &picture;
        Parts({kP0, kP1, kP2});
        // 80 drawing units over the picture's 800 pixels: a click picks within 1.2 units of a contour.
        program->viewLeft = -10, program->viewTop = 30, program->viewRight = 70, program->viewBottom = -30;
    }
    void Parts(std::initializer_list<std::string> entries) { testing::SetParts(*program, form.List2, entries); }
    void Click(double x, double y) {
        form.Picture1_MouseDown(x, y);
        form.Picture1_MouseUp(x, y);
    }
    void Drag(double x1, double y1, double x2, double y2) {
        form.Picture1_MouseDown(x1, y1);
        form.Picture1_MouseMove((x1 + x2) / 2, (y1 + y2) / 2);
        form.Picture1_MouseMove(x2, y2);
        form.Picture1_MouseUp(x2, y2);
    }
    Lines PartListRows() const {
        return Lines(program->partList.begin(), program->partList.begin() + form.List2.ListCount());
    }
    template <typename Match>
    long CountIf(Match match) const { return std::count_if(picture.Log().begin(), picture.Log().end(), match); }
    long Count(const std::string& line) const { return CountIf([&line](const std::string& l) { return l == line; }); }
    long Scales() const { return CountIf([](const std::string& l) { return l.starts_with("scale"); }); }
    Lines LogTail(long count) const { return Lines(picture.Log().end() - count, picture.Log().end()); }
    std::array<double, 4> View() const {
        return {program->viewLeft, program->viewTop, program->viewRight, program->viewBottom};
    }

    std::unique_ptr<Program> program = std::make_unique<Program>();
    RecordingSurface picture{800, 600};
    EditWindowToolkit toolkit;
    Form1 form{*program, toolkit, picture};
};

// A click picks the part whose contour passes nearest, within the pick distance (12 pixels, 1.2 units here),
// however far its start is; beyond it, nothing. An arc counts only along its sweep, a circle all round.
TEST_F(MouseToolsTest, APartIsPickedNearItsContourOnlyAndTheEarlierRowWinsATie) {
    EXPECT_DOUBLE_EQ(form.PickDistance(), 1.2);
    Parts({kP0, kP1, kP2, "II 65 10 65 10:60 10 0 5 + 65 10 K|:NOTS NOTD 0:",
           "II 5 20 5 20:0 20 0 5 0 90 + 5 20 0 25 A|:NOTS NOTD 0:", "II 10 0 10 0:10 0 0 10 5 0 D|:NOTS NOTD 0:"});
    const std::pair<Point2, std::optional<int32_t>> clicks[] = {
        {{48, 1}, 2},      // near the far end of part 2, 8 from its start
        {{38, 0}, std::nullopt},  // 2 short of part 2's line
        {{10, 3}, 5},      // on the upright line from part 0's end ...
        {{10, 0}, 0},      // ... and where the two meet, the earlier row wins
        {{5, 5}, std::nullopt},   // in the middle of nowhere: a stray click
        {{60, 14.5}, 3},   // on the circle's top, far from its start
        {{0, 25.5}, 4},    // on the quarter arc's end
        {{-5, 20}, std::nullopt},  // on the arc's circle, outside its sweep
    };
    for (const auto& [at, row] : clicks) EXPECT_EQ(form.PickPart(at.x, at.y), row) << at.x << "," << at.y;
}

TEST_F(MouseToolsTest, AClickFarFromEveryPartDoesNothingAndSaysSo) {
    for (const Tool option : {Tool::Delete, Tool::Edit, Tool::MoveLeadIn}) {
        form.OptionOn = option;
        Click(25, 20);
        EXPECT_EQ(PartListRows(), (Lines{kP0, kP1, kP2}));
        EXPECT_TRUE(form.StatusLine.starts_with("no part here")) << form.StatusLine;
        EXPECT_FALSE(form.CanUndo());
    }
    EXPECT_TRUE(toolkit.events.empty());  // no edit window
}

TEST_F(MouseToolsTest, EachToolChangesItsMarkInThePickedEntryOnlyAndRedraws) {
    const std::string line = "20 0 20 0:20 0 0 30 0 0 D|:";
    const std::tuple<Tool, std::string, std::string> tools[] = {
        {Tool::Select, "II " + line + "NOTS NOTD 0:", "II " + line + "SEL NOTD 0:"},
        {Tool::Deselect, "II " + line + "SEL NOTD 0:", "II " + line + "NOTS NOTD 0:"},
        {Tool::Delete, "II " + line + "SEL NOTD 0:", "II " + line + "SEL DEL 0:"},
        {Tool::Undelete, "II " + line + "NOTS DEL 0:", "II " + line + "NOTS NOTD 0:"},
        {Tool::Inside, "OO " + line + "NOTS NOTD 0:", "II " + line + "NOTS NOTD 0:"},
        {Tool::Outside, "II " + line + "NOTS NOTD 0:", "OO " + line + "NOTS NOTD 0:"},
    };
    for (const auto& [option, before, after] : tools) {
        SCOPED_TRACE(static_cast<int>(option));
        Parts({kP0, before, kP2});
        picture.ClearLog();
        form.OptionOn = option;
        Click(21, 0.5);
        EXPECT_EQ(PartListRows(), (Lines{kP0, after, kP2}));
        EXPECT_EQ(Count("clear"), 1);
        EXPECT_EQ(form.Text2, "");
    }
    EXPECT_TRUE(toolkit.events.empty());
}

TEST_F(MouseToolsTest, MoveLeadInRewritesOnlyTheLeadInAndTheRedrawShowsTheMarks) {
    Parts({kP0, "II 10 10 9.75 10:10 10 0 20 10 0 D|:SEL NOTD 50:", kP2});
    form.OptionOn = Tool::MoveLeadIn;
    Click(12.5, 9);
    const PartFields moved(program->partList[1]);
    EXPECT_EQ(moved.header, "II 10 10 12.5 9");
    EXPECT_EQ(moved.records, "10 10 0 20 10 0 D|");
    EXPECT_EQ(moved.marks, "SEL NOTD 50");
    EXPECT_EQ(program->partList[0], kP0);
    EXPECT_EQ(Count("line 10 10 20 10 #FFFF00"), 1);   // selected: yellow
    EXPECT_EQ(Count("line 10 10 12.5 9 #0000FF"), 1);  // the header's lead-in line
    EXPECT_EQ(Count("label 11.2 11.2 #000000 1"), 1);  // its number, up and right of its start

    form.OptionOn = Tool::Delete;
    picture.ClearLog();
    Click(1, 0);
    // Deleted: dashed grey and thin, so it cannot pass for a part that is cut.
    const auto at = std::find(picture.Log().begin(), picture.Log().end(), "line 0 0 10 0 #808080");
    ASSERT_NE(at, picture.Log().end());
    EXPECT_EQ(Lines(at - 2, at + 3), (Lines{"dashed", "width 1", "line 0 0 10 0 #808080", "width 1", "solid"}));
}

TEST_F(MouseToolsTest, EditToolOpensTheEditWindowOnThePickedPartThenRedraws) {
    form.OptionOn = Tool::Edit;
    Click(41, 1);
    EXPECT_EQ(form.editPartIndex, 2);
    EXPECT_EQ(toolkit.events, Lines{"show Edit"});
    EXPECT_EQ(toolkit.shownAt, (std::pair<int16_t, size_t>{2, 0}));  // the part known, nothing drawn yet
    EXPECT_EQ(Count("clear"), 1);
    EXPECT_EQ(PartListRows(), (Lines{kP0, kP1, kP2}));
}

// A part is picked into the sequence once: a second click on it, or a click on a deleted part, is refused in
// the status line.
TEST_F(MouseToolsTest, CuttingOrderTabPicksExtendTheSequenceInGreenOncePerPart) {
    program->partList[1] = "II 20 0 21 1:20 0 0 30 0 0 D|:NOTS DEL 0:";
    form.SSTab1Tab = Tab::CuttingOrder;
    form.OptionOn = Tool::Select;
    Click(41, 0.5);
    Click(-1, 0);
    EXPECT_EQ(form.StatusLine, "Sequence: 2 of 3 parts picked. \"Show Path\" shows it and offers to save it.");
    Click(45, -0.3);
    EXPECT_EQ(form.StatusLine, "Part 2 is in the sequence already: a second click is ignored.");
    Click(25, 0);
    EXPECT_EQ(form.StatusLine, "Part 1 is deleted: it is not cut, so it takes no place in the sequence.");
    EXPECT_EQ(form.Text2, "2|0|");
    EXPECT_EQ(picture.Log(), (Lines{"width 3", "line 40 0 50 0 #00FF00", "width 1", "width 3", "line 0 0 10 0 #00FF00",
                                    "width 1"}));
    EXPECT_TRUE(toolkit.events.empty());
}

TEST_F(MouseToolsTest, ZoomBandIsDrawnInvertedWhileDraggingThenZoomsWithAMargin) {
    form.OptionOn = Tool::Zoom;
    form.Picture1_MouseDown(10, 40);
    form.Picture1_MouseMove(30, 20);
    form.Picture1_MouseMove(50, 10);
    EXPECT_EQ(picture.Log(), (Lines{"mode invert", "rect 10 40 10 40 #000000", "rect 10 40 30 20 #000000",
                                    "mode invert", "rect 10 40 30 20 #000000", "rect 10 40 50 10 #000000"}));
    picture.ClearLog();
    form.Picture1_MouseUp(50, 10);
    // 40 x 30 plus 10 % on every side: (6, 43)-(54, 7), already 4:3.
    EXPECT_EQ(Lines(picture.Log().begin(), picture.Log().begin() + 4),
              (Lines{"mode normal", "rect 10 40 50 10 #000000", "scale 6 43 54 7", "clear"}));
    EXPECT_EQ(View(), (std::array<double, 4>{6, 43, 54, 7}));
    EXPECT_FALSE(form.zoomDragging);
    EXPECT_EQ(PartListRows(), (Lines{kP0, kP1, kP2}));
}

TEST_F(MouseToolsTest, ZoomFramesWhatWasDraggedInAnyDirectionAndAClickKeepsTheView) {
    form.OptionOn = Tool::Zoom;
    const std::array<double, 4> drags[] = {{50, 10, 10, 40}, {10, 10, 50, 40}, {50, 40, 10, 10}};
    for (const auto& [x1, y1, x2, y2] : drags) {
        program->viewLeft = program->viewTop = program->viewRight = program->viewBottom = 0;
        picture.ClearLog();
        Drag(x1, y1, x2, y2);
        EXPECT_EQ(View(), (std::array<double, 4>{6, 43, 54, 7})) << x1 << "," << y1 << " to " << x2 << "," << y2;
        EXPECT_EQ(Count("scale 6 43 54 7"), 1);
    }
    picture.ClearLog();
    Click(5, 5);
    Drag(0, 5, 30, 5);  // no height either
    EXPECT_EQ(View(), (std::array<double, 4>{6, 43, 54, 7}));
    EXPECT_EQ(Scales(), 0);
}

TEST_F(MouseToolsTest, ZoomInTheCuttingOrderTabAlsoPicksThePart) {
    form.SSTab1Tab = Tab::CuttingOrder;
    form.OptionOn = Tool::Zoom;
    Drag(10, 40, 50, 10);  // released 10 above part 2: zoomed, nothing picked
    EXPECT_EQ(form.Text2, "");
    EXPECT_EQ(View(), (std::array<double, 4>{6, 43, 54, 7}));
    Drag(30, 20, 50, 0.1);  // released on it
    EXPECT_EQ(form.Text2, "2|");
    EXPECT_EQ(LogTail(3), (Lines{"width 3", "line 40 0 50 0 #00FF00", "width 1"}));  // after the redraw
    EXPECT_EQ(Count("clear"), 2);
}

TEST_F(MouseToolsTest, ReleaseWithoutPartsChangesNothing) {
    Parts({});
    for (const Tab tab : {Tab::Files, Tab::CuttingOrder}) {
        form.SSTab1Tab = tab;
        for (const Tool option : {Tool::Select, Tool::Edit, Tool::MoveLeadIn}) {
            form.OptionOn = option;
            Click(3, 3);
        }
    }
    EXPECT_TRUE(picture.Log().empty());
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(form.Text2, "");
    EXPECT_EQ(form.List2.ListCount(), 0);
}

// The edit window on row 1 of the part list.
class EditWindowTest : public MouseToolsTest {
protected:
    void Edit(const std::string& entry) {
        program->partList[1] = entry;
        picture.ClearLog();
        edit.Form_Activate();
    }
    void ShowRecord(int32_t row) {
        picture.ClearLog();
        edit.List1.selected = row;
        edit.List1_Click();
    }
    Form3 edit{*program, picture, 1};
};

const std::string kSquare =
    "II 0 0 0 0:0 0 0 10 0 0 D|10 0 0 10 10 0 D|10 10 0 0 10 0 D|0 10 0 0 0 0 D|:SEL NOTD -100:";

TEST_F(EditWindowTest, PartIsListedAndDrawnToFillThePictureWithoutClearing) {
    Edit(kSquare);
    EXPECT_EQ(edit.List1.rows, (Lines{"line  (0, 0) to (10, 0)", "line  (10, 0) to (10, 10)", "line  (10, 10) to (0, 10)",
                                      "line  (0, 10) to (0, 0)"}));
    EXPECT_EQ(edit.Caption, "Edit part 1: hole, 10 x 10, selected");
    EXPECT_EQ(picture.Log().front(), "scale -1 11 15 -1");  // (-1, 11)-(11, -1) with the margin, widened to 4:3
    edit.Command1_Click();
    EXPECT_EQ(Count("scale -1 11 15 -1"), 2);
    EXPECT_EQ(Count("line 10 10 0 10 #0000FF"), 2);
    EXPECT_EQ(Count("clear"), 0);
    EXPECT_EQ(program->partList[1], kSquare);
}

TEST_F(EditWindowTest, SelectedRecordIsShownYellowWithItsDirectionOverTheBluePart) {
    Edit(kSquare);
    ShowRecord(2);
    EXPECT_EQ(picture.Log().front(), "clear");
    EXPECT_EQ(CountIf([](const std::string& l) { return l.ends_with("#0000FF"); }), 4 + 3);  // records, header
    EXPECT_EQ(LogTail(8), (Lines{"width 1", "line 10 10 0 10 #FFFF00", "width 1", "line 0.5 10.5 0 10 #FFFF00",
                                 "line 0.5 9.5 0 10 #FFFF00", "width 5", "dot 0 10 #FFFF00", "width 1"}));
    ShowRecord(-1);
    EXPECT_EQ(Count("line 10 10 0 10 #0000FF"), 1);
    EXPECT_EQ(CountIf([](const std::string& l) { return l.ends_with("#FFFF00"); }), 0);
}

TEST_F(EditWindowTest, CircleShowsItsStartDotAndAFlatPartKeepsTheScale) {
    Edit("II 10 15 10 15:15 15 0 5 + 10 15 K|:NOTS NOTD -78.5:");
    ASSERT_EQ(edit.List1.rows, Lines{"circle  centre (15, 15)  r 5"});
    EXPECT_EQ(edit.Caption, "Edit part 1: hole, Ø 10");
    ShowRecord(0);
    EXPECT_EQ(LogTail(6),
              (Lines{"width 1", "circle 15 15 5 #FFFF00", "width 1", "width 3", "dot 10 15 #FFFF00", "width 1"}));

    program->viewLeft = 7;
    Edit("II 0 5 0 5:0 5 0 10 5 0 D|:NOTS NOTD 0:");
    EXPECT_EQ(Count("line 0 5 10 5 #0000FF"), 1);
    EXPECT_EQ(Scales(), 0);
    EXPECT_EQ(program->viewLeft, 7);
}

TEST_F(EditWindowTest, RowOutsideThePartTableShowsNothing) {
    for (const int16_t row : {int16_t{-1}, int16_t{kMaxContours}}) {
        Form3 outside(*program, picture, row);
        outside.Form_Activate();
        outside.List1.selected = 0;
        outside.List1_Click();
        EXPECT_EQ(outside.List1.ListCount(), 0);
        EXPECT_EQ(outside.Caption, "Edit");
    }
}

}  // namespace
}  // namespace zorvan
