// The main window's logic without a toolkit: its list boxes and text boxes as plain data, one method per
// command. The window shows this data and forwards its events here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/list_box.h"
#include "ui/plan_history.h"
#include "import/dxf_reader.h"
#include "model/program.h"
#include "draw/surface.h"
#include "ui/toolkit.h"

namespace zorvan {

// The tabs of SSTab1, in their order.
enum class Tab { Files, Edit, CuttingOrder, Nest };

// What a nested sheet's program is cut with: the lead-in, kerf and cut-quality boxes as sheet mode reads them.
struct SheetCutting {
    std::string leadIn;
    double kerf = 0;
    bool kerfInProgram = false;
    CutStyle style;
};

// The mouse tools of the option buttons Option1 .. Option9, in their order; None when no option is on.
enum class Tool { None, Select, Deselect, Delete, Undelete, Edit, Inside, Outside, MoveLeadIn, Zoom };

// The status line's text after a drawing was read: the mode, the units, and what was left out.
//   "Sheet mode. Units: inches, read as millimetres. Not cut: 1 3D POLYLINE."
std::string ReadStatus(const Program& program, const ReadReport& report);

class Form1 {
public:
    Form1(Program& program, Toolkit& toolkit, Surface& picture1)
        : program_(program), toolkit_(toolkit), Picture1(picture1) {}

    // The record listing of every contour, the cutting order (one part entry per row, equal to partList row
    // for row where the steps say so) and the contour list (equal to contourList).
    ListBox List1, List2, List11;

    // The window's caption: the product name until a drawing is opened or a cutting-order row is clicked.
    std::string Caption = "ZORVAN";
    // The path box of "OPEN".
    std::string Text1;
    // The operator's cutting sequence: part rows each followed by "|", in picking order.
    std::string Text2;
    // The tab of SSTab1 showing.
    Tab SSTab1Tab = Tab::Files;
    // The tool whose option is on.
    Tool OptionOn = Tool::None;

    // The "Files" tab's "Sheet mode" box: drawings opened while it is ticked are read as a CAD user means them
    // and planned as a sheet of parts. It takes effect at the next open.
    bool SheetMode = false;
    // The status line under the picture: how the drawing on hand was read, its units, what was left out; once
    // it is planned, the job summary and the warnings of the lead-in check.
    std::string StatusLine;

    // The "Files" tab: the drive chosen, the folder shown with the folders inside it (the first row ".."
    // except at the root), and the drawings of that folder.
    std::string Drive1;
    std::string Dir1Path;
    ListBox Dir1;
    std::string File1Path;
    ListBox File1;

    // The zoom band between press and release.
    bool zoomDragging = false;
    double zoomStartX = 0, zoomStartY = 0, zoomEndX = 0, zoomEndY = 0;
    // The part row the contour editor shows.
    int16_t editPartIndex = 0;

    // Start-up: PI, the first tab, the folder list at `startFolder` (failures ignored), the templates (the
    // default files created where missing).
    void Form_Load(const std::string& startFolder);
    // The main window is closing: a changed plan is not dropped without a question (ConfirmDropPlan); false
    // when the operator cancelled, and the window stays. Then the About window.
    bool Form_QueryUnload();
    // Before anything drops the plan on hand (close, open, drop, a recent drawing): when it changed since it
    // was opened or last saved, asks "Save the program" / Discard / Cancel; true when the plan may go.
    bool ConfirmDropPlan();
    // Whether the plan changed since the drawing was opened, the program saved or the job saved or opened.
    bool PlanChanged() const { return planChanged_; }

    // "OPEN": reads the drawing named in the path box and does what a click in the file list does after a
    // good read: lists its contours, plans its parts, redraws, and names it in the caption and as the opened
    // drawing. A file that cannot be opened is named in a message with the reason; a refused drawing leaves
    // everything but the path box as it was.
    void Command1_Click();
    // Normalises `path` in place, says "Not a DXF file" when it does not end in ".DXF", and otherwise reads
    // the drawing (busy cursor meanwhile) and fits the picture to it. True only when a drawing was read and
    // replaced the previous one; a refusal is told in a message and changes nothing else.
    bool LoadDrawing(std::string& path);
    // "Choose File": puts the chosen drawing's path into the path box; OPEN then opens it.
    void Command3_Click();
    // Ctrl+O: the chosen drawing opened at once.
    void ChooseAndOpen();
    // The "Sheet mode" box changed: the status line says the change waits for the next open.
    void SheetMode_Click();
    // The folder list moves to the chosen drive; "Error reading file!" when it cannot be read.
    void Drive1_Change();
    // The file list follows the folder list.
    void Dir1_Change();
    // A row of the folder list was opened: into that folder, or up for "..".
    void Dir1_Open(int32_t row);
    // A drawing in the file list was clicked: its path put into the path box and opened as OPEN opens it.
    void File1_Click();
    // "Command30": the folder list back at the program's own folder.
    void Command30_Click();
    // The picture took a new size: fitted to the extents again (an earlier zoom is lost) and redrawn.
    void Form_Resize();
    // Points the folder list at `folder` and refreshes both lists; false (nothing changed) when it cannot be
    // read.
    bool SetDir1Path(const std::string& folder);
    // A drawing named from outside the window (the program's argument, a drop, the recent list): the folder
    // list on its folder, its row selected, and opened as OPEN opens it. True when it was read.
    bool OpenDrawingFile(const std::string& path);
    // A drawing held in memory (a nested sheet's) opened in sheet mode as OPEN opens a file: the unsaved plan
    // on hand is not dropped without the question, and a refused drawing changes nothing. `caption` names it
    // in the caption; `proposedPath` is where the save dialogs propose to put its program. Such a drawing is
    // no file, so it is not offered for a job (SaveJob_Click says so). True when it was read and planned.
    // `edge`, where given, is the sheet the parts lie on: lead-ins calculated on the plan stay on it.
    bool OpenDrawingText(const std::string& caption, const std::string& proposedPath, const std::string& text,
                         std::optional<SheetEdge> edge = std::nullopt);
    // Whether the drawing on hand was read from program.openedDrawingPath (not from memory).
    bool DrawingIsAFile() const { return !drawingInMemory_; }

    // The lead-in length, read when "Calculate Lead Ins" runs.
    std::string Text6 = "0.25";
    // The "Kerf" box: the torch's kerf width in drawing units, empty or 0 when not given. Read when the
    // drawing is planned, by "Calculate Lead Ins" and by "G CODE"; the lead-ins and the drawing's features
    // are then checked against it, and sheet mode's lead-ins suit it.
    std::string KerfText;
    // The "Kerf in program" box: the program allows for the kerf itself, each closed contour written half the
    // kerf towards the scrap and no G41/G42 (for controllers without cutter compensation). Read with the kerf.
    bool KerfInProgram = false;
    // The "Cut quality" boxes, for sheet mode: the lead-in of outside cuts and of holes (line or arc), an arc
    // lead-in's radius (empty: half the lead-in), the overcut (empty: none), the lead-out (none, line or arc)
    // and its length (empty: the lead-in's), the diameter below which a hole is small (empty: none) and the
    // small holes' feed ("60%" of the cutting feed, or an F value such as "900"; empty: 60%). They are read
    // where sheet mode works the lead-ins out afresh (an open, Command9, "Calculate Lead Ins"); the plan keeps
    // the style it was worked out with (program.cutStyle) through transforms, undo and job files. The default
    // mode keeps its lead-ins of lines.
    LeadInStyle OutlineLeadIn = LeadInStyle::Line;
    LeadInStyle HoleLeadIn = LeadInStyle::Line;
    std::string ArcRadiusBox;
    std::string OvercutBox;
    LeadOutStyle LeadOut = LeadOutStyle::None;
    std::string LeadOutLengthBox;
    std::string SmallHolesBox;
    std::string SmallHoleFeedBox = "60%";
    // A cut-quality box changed: the status line says why its text is refused, or when the change takes effect.
    void CutQuality_Change();
    // Why the cut-quality box `box` (one of the text boxes above) refuses its text; empty when it takes it.
    std::string CutQualityRefusal(std::string Form1::*box) const;
    // What a nested sheet is cut with: the lead-in box (a number of 0 or more), the kerf boxes and the
    // cut-quality boxes, whatever the mode of the drawing on hand (the feed the templates'). Nothing after a
    // message naming the box that refuses its text.
    std::optional<SheetCutting> SheetCuttingFromBoxes();

    // The move step, the rotation angle in degrees and the scale factor of the transform buttons. A command
    // whose box does not hold a number (or, for the scale, a factor above 0) says so, naming the box and its
    // text, and does nothing else.
    std::string Text3 = "0.5";
    std::string Text4 = "15";
    std::string Text5 = "0.5";

    // The contour list from contourChain ("OPEN" runs it after reading a drawing).
    void FillContourList();
    // Every stored area computed again.
    void ComputePartAreas();
    // What follows every open: fresh entries, each contour head to tail with its area, the largest moved to
    // the end as the one outside cut, every part turned to its cutting sense, the areas stored again, and a
    // redraw. A drawing read in sheet mode is planned as a sheet of parts instead, with its lead-ins of the
    // lead-in box's length searched for in the scrap, as the command line plans it.
    void PrepareParts();
    // "Calculate Lead Ins": every lead-in point at the length in Text6, then a redraw. In sheet mode the
    // lead-ins are searched for in the scrap, and the parts for which none is clear are named.
    void Command32_Click();
    // "G CODE": with at most one outside cut, opens the G-code window for the parts of List2 (their number
    // is kept in cutCount for it); with more, says "you can have just one outside cut!". A sheet holds any
    // number of outside cuts. A plan with nothing to cut is refused, saying why; pierces on the cut line are
    // named in a message before the program shows.
    void Command17_Click();
    // "SAVE PART": the part file of List2's parts under the chosen name (proposed: the drawing's, ".PAR").
    void Command29_Click();
    // "Save job": the whole plan, its kerf and lead-in length under the chosen name (proposed: the drawing's, ".zjob").
    void SaveJob_Click();
    // "Open job": the chosen job file opened by OpenJobFile.
    void OpenJob_Click();
    // The job's drawing read again in the job's mode, then the job's plan put in place; true when opened.
    bool OpenJobFile(const std::string& path);

    // The move pad: by the step of Text3 to the right, up-right, up, up-left, left, down-left, down, down-right.
    void Command12_Click() { MoveByStep(1, 0); }
    void Command18_Click() { MoveByStep(1, 1); }
    void Command19_Click() { MoveByStep(0, 1); }
    void Command20_Click() { MoveByStep(-1, 1); }
    void Command21_Click() { MoveByStep(-1, 0); }
    void Command22_Click() { MoveByStep(-1, -1); }
    void Command23_Click() { MoveByStep(0, -1); }
    void Command24_Click() { MoveByStep(1, -1); }
    // "Move to 0,0": the lower-left corner of the extents to the origin, and the view fitted to the result.
    void Command16_Click();
    // Rotation by the angle of Text4 about the centre of the extents, counter-clockwise and clockwise.
    void Command25_Click();
    void Command26_Click();
    // "Scale": by the factor of Text5 about the lower-left corner of the extents.
    void Command27_Click();
    // A green outline of the extents, drawn over the view.
    void Command13_Click();
    // "Zoom Part": the view fitted to the extents.
    void Command14_Click();
    // "Zoom All": the view fitted to the extents and the origin.
    void Command15_Click();

    // Command2: the contour list rebuilt from contourChain. Command9: the parts planned again from the
    // contour list in its present order, as after an open, so the plan on screen is the one G CODE writes.
    // Parts whose contour is unchanged keep their delete and select marks, their Inside/Outside mark and
    // their lead-in; what cannot be kept (a turn, move or scale since the plan) is named in a question first.
    void Command2_Click() {
        RememberPlan();
        FillContourList();
    }
    void Command9_Click();
    // "MOVE UP" and "MOVE DOWN": the selected contour one row up or down, staying selected.
    void Command6_Click();
    void Command7_Click();
    // "SAVE CHANGES": contourChain rebuilt from the contour list in its new order.
    void Command8_Click();
    // "START OVER": the cutting sequence emptied.
    void Command10_Click();
    // "SIMULATE": each part of the sequence drawn green in turn, an OK between parts.
    void Command11_Click();
    // "Show Path": the travel between pierce points, of the list or of the sequence (then "Save This Path").
    void Command28_Click();
    void DrawListPath();
    void DrawSequencePath();
    // The cutting order replaced by the parts of `sequence`, in its order, each once; the parts not in it
    // that are cut follow in their planned order, deleted ones last. An order that cuts a contour after a
    // contour around it is refused in sheet mode and warned about in the default mode. False when refused.
    bool SavePath(const std::string& sequence);
    // A cutting-order row was clicked: the caption names the part.
    void List2_Click();
    // "GCODE SETUP", "GCODE" (the direct listing of the parts cut, in the planned order, with the templates'
    // torch words) and "REDRAW" (no action).
    void Command31_Click() { toolkit_.ShowModal(ModalWindow::GCodeSetup); }
    void Command5_Click() { toolkit_.ShowModal(ModalWindow::DirectGCode); }
    void Command4_Click() {}

    // The mouse on Picture1, in drawing units: a press starts the zoom band, a drag moves it, a release zooms
    // and then applies the tool (or extends the cutting sequence) to the part under the release point. A
    // release farther than the pick distance from every part does nothing and says "no part here".
    void Picture1_MouseDown(double x, double y);
    void Picture1_MouseMove(double x, double y);
    void Picture1_MouseUp(double x, double y);
    // The row of the part whose contour passes nearest to (x, y), when that is within PickDistance; the
    // earlier row wins a tie.
    std::optional<int32_t> PickPart(double x, double y) const;
    // How far from a contour a click still picks it: kPickPixels on the picture, in drawing units.
    static constexpr double kPickPixels = 12;
    double PickDistance() const;

    // The rows of a cutting sequence that name parts of the list, in order; anything else is skipped.
    std::vector<int32_t> SequenceRows(const std::string& sequence) const;

    // The number of parts when "G CODE" was last pressed.
    int32_t cutCount = 0;

    // Undo and redo of the commands that change the plan (transforms, mouse tools, lead-ins, the contour
    // order, the cutting sequence, Command2 and Command9); an open starts afresh. Each says in the status line
    // when there is nothing to undo or redo.
    void Undo();
    void Redo();
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    // The wheel: the view zoomed by `factor` (below 1 closer) about the drawing point (x, y), which stays
    // under the pointer. The middle button's drag: the view moved by (dx, dy) drawing units.
    void ZoomAbout(double x, double y, double factor);
    void PanBy(double dx, double dy);
    // The picture drawn again from the plan ("REDRAW" and F5).
    void RedrawPicture() { Redraw(); }
    // A program or part file was saved: the status line says where, and how many lines it holds. A saved
    // program (`program` true) holds the plan as it is, so closing or opening another drawing need not ask.
    void NoteSaved(const std::string& note, bool program = false);

private:
    // The parts planned afresh from the contour list (PrepareParts without the lists and the redraw).
    void PlanDrawing();
    // The status line after a change of the plan: how the drawing was read, the job summary, the warnings
    // of the lead-in check and the last save.
    void ShowPlanStatus();
    // The plan as it is, and put back; RememberPlan keeps it for Undo before a command changes it.
    PlanState CapturePlan() const;
    void RestorePlan(PlanState state);
    void RememberPlan() {
        history_.Remember(CapturePlan());
        planChanged_ = true;
    }
    // A cutting-order pick: part `row` added to the sequence once; deleted parts and second picks are refused
    // in the status line.
    void AddToSequence(int32_t row);
    // The program of the plan saved under a name the operator chooses; false when cancelled or failed.
    bool SaveProgram();
    // Why the plan cannot be written as a program (no part, or every part deleted); empty when it can.
    std::string NothingToCut() const;
    // Sheet mode, after a transform: lead-ins that the change made unclear searched for again.
    void KeepLeadInsInScrap();
    bool SheetPlanning() const { return program_.readMode == ReadMode::Sheet; }
    // "OPEN"'s work: true when the path box's drawing was read, listed, planned and named.
    bool OpenPathBox();
    // Reads the drawing at `path` with `options` in place of the one on hand; see LoadDrawing.
    DxfReadResult ReadDrawing(const std::string& path, const ReadOptions& options);
    // After a drawing was read in place of the one on hand: the picture fitted to it, the status line, and a
    // fresh history.
    void TakeNewDrawing(const DxfReadResult& result);
    // The read options of a drawing opened now: the mode given, sheet mode's units as the header sets them.
    ReadOptions OpeningOptions(ReadMode mode) const;
    // The number `text` holds, or nothing after a message naming the box (such as "step") and the text.
    std::optional<double> BoxNumber(std::string_view box, const std::string& text);
    // The lead-in box's length, or nothing after a message: a text that is not a number, or a length below 0
    // or not shorter than the drawing's larger side (LeadInSuits).
    std::optional<double> LeadInLength();
    // Takes the kerf box into the plan: empty is no kerf; a text that is not a number of 0 or more is named
    // in a message, and false is returned with the plan's kerf unchanged.
    bool TakeKerf();
    // The cut style the plan's lead-ins are to be worked out with, for lead-ins of `leadIn`: in sheet mode the
    // boxes' (the feed the templates'), in the default mode the plain style. Nothing after a message naming the
    // box that refuses its text.
    std::optional<CutStyle> CutStyleToUse(double leadIn);
    // The cut-quality boxes' style for lead-ins of `leadIn`, whatever the mode; nothing after a message.
    std::optional<CutStyle> CutStyleOfBoxes(double leadIn);
    // The cut-quality boxes set to show `style`.
    void ShowCutStyle(const CutStyle& style);
    void ZoomToBand();
    // The tool's change to part `row`; true when the plan changed.
    bool ApplyTool(int32_t row, double x, double y);
    // "Move Lead In": the pierce point of part `row` to (x, y); in sheet mode refused, with a word in the
    // status line, where it would not be clear. True when it moved.
    bool MoveLeadIn(int32_t row, double x, double y);
    void SwapContourRows(int32_t a, int32_t b);
    // The cutting-order list brought up to partList, then the view redrawn from it.
    void Redraw();
    // List2 shown equal to partList's rows in use; the selected row stays while it exists.
    void ShowParts();
    // List1: every contour's records, each contour closed by a row of 24 "=".
    void ListContourRecords();

    void MoveByStep(int xSign, int ySign);
    // After every transform: the extents of the moved parts (which redraws), then the redraw.
    void AfterTransform();

    Program& program_;
    Toolkit& toolkit_;
    // How the drawing on hand was read (mode, units, what was left out), the start of every status line.
    std::string readStatus_;
    // Sheet mode: the parts that kept a lead-in that is not clear, since the lead-ins were last worked out.
    std::vector<int32_t> unclearLeadIns_;
    PlanHistory history_;
    std::string lastSave_;
    bool planChanged_ = false;
    // The drawing on hand was read from memory (a nested sheet), not from openedDrawingPath.
    bool drawingInMemory_ = false;
    // Whether the parts were moved, turned or scaled since they were planned (Command9 cannot keep that).
    bool transformedSincePlan_ = false;

public:
    Surface& Picture1;
};

}  // namespace zorvan
