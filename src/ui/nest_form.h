// The "Nest" tab's logic: the drawings of an order with their counts, the sheet and search boxes, the nest run
// on a worker thread (the window polls it), and the sheets of the nest paged one by one, each sent to the
// main window as its plan or saved as a program with its drawing.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/surface.h"
#include "gcode/nest_job.h"
#include "model/program.h"
#include "ui/form1.h"
#include "ui/list_box.h"
#include "ui/toolkit.h"

namespace zorvan {

enum class NestState { Idle, Nesting, Done };

// One drawing of the order: its file and the copies of every part in it.
struct NestRow {
    std::string path;
    int32_t count = 1;
};

// The worker thread and what it shares with the window (defined in nest_form.cpp).
struct NestRun;

// One sheet of the finished nest, as the tab shows it.
struct SheetFacts {
    int32_t parts = 0;
    std::vector<int32_t> copiesByDrawing;  // per drawing of the order nested
    double utilisation = 0;                // parts' area / the sheet's area
    bool kept = false;                     // saved, or sent to G CODE as the plan on hand
};

class NestForm {
public:
    NestForm(Program& program, Form1& form1, Toolkit& toolkit);
    // A nest under way is stopped and its thread joined.
    ~NestForm();
    NestForm(const NestForm&) = delete;
    NestForm& operator=(const NestForm&) = delete;

    // The drawings of the order, one row each ("bracket.dxf  x 4"), and their files and counts row for row.
    ListBox Drawings;
    std::vector<NestRow> Rows;
    // The count of the selected row.
    std::string CountBox = "1";
    // The sheet's width and height in the program's units; the spacing (empty: the kerf plus the lead-in, at
    // least 2 mm); the turns allowed as a number of equal steps of the whole turn, or any whole degree; whether
    // parts may be mirrored; how long the search improves the nest, in seconds.
    std::string SheetWidthBox = "2500";
    std::string SheetHeightBox = "1250";
    std::string SpacingBox;
    std::string RotationsBox = "4";
    bool AnyAngle = false;
    bool Mirror = false;
    std::string SecondsBox = "10";
    // The search also stops after this many nests (0: no such bound); the same order then gives the same nest.
    int64_t MostEvaluations = 0;

    // The tab's status line: the progress while nesting, then what the nest placed and what it left off.
    std::string StatusLine;
    // The progress bar, 0 to 100.
    int32_t Progress = 0;
    // "Sheet 2 of 3" and the shown sheet's parts and utilisation; empty before a nest.
    std::string SheetLabel;
    std::string SheetInfo;

    NestState State() const { return state_; }
    int32_t SheetCount() const;
    // The sheet shown, from 0.
    int32_t ShownSheet() const { return shownSheet_; }
    const SheetFacts& Facts(int32_t sheet) const { return facts_.at(static_cast<size_t>(sheet)); }

    // "Add...": a drawing chosen in the file dialog joins the order with one copy (a drawing already in it is
    // selected instead); its row is selected.
    void Add_Click();
    // Adds `path` with `count` copies, as Add does; false (with a message) for a file that is not a drawing
    // that can be read.
    bool AddDrawing(const std::string& path, int32_t count = 1);
    // "Remove": the selected drawing leaves the order.
    void Remove_Click();
    // A row was clicked: the count box shows its count.
    void Drawings_Click();
    // The count box changed: the selected row takes it, or the status line says why not.
    void Count_Change();
    // A box changed: the status line says why its text is refused, or nothing.
    void Box_Change();
    // Why box `box` (CountBox, or one of the sheet and search boxes) refuses its text; empty when it takes it.
    std::string Refusal(std::string NestForm::*box) const;

    // The order the boxes and rows describe (drawings not yet read), with `cutting`'s lead-in and kerf; nothing
    // after a message naming the box that refuses its text or saying the order is empty.
    std::optional<NestOrder> OrderFromBoxes(const SheetCutting& cutting);
    // "NEST": the drawings read, then the order read and nested on a worker thread; the window calls Poll
    // until the state leaves Nesting. Refused (with a message, nothing started) while a nest runs, for a box
    // that refuses its text, for an empty order or for a drawing that cannot be read.
    void Nest_Click();
    // "Stop": the search stops and the best nest so far is kept.
    void Stop_Click();
    // Takes in the worker's progress and, when it has ended, its nest. True when something shown changed.
    bool Poll();
    // Before a nest under way, or sheets neither saved nor sent to G CODE, are dropped: the question, naming
    // them, then `dropping` ("Closing the window") and `question` ("Close anyway?"). True when they may go, or
    // there are none.
    bool ConfirmDropNest(const std::string& dropping, const std::string& question);
    // Polls until the nest has ended (tests, and the window's close).
    void WaitForNest();

    // The previous and next sheet.
    void Previous_Click();
    void Next_Click();
    // The shown sheet drawn on `surface`: the sheet's edge and every part placed on it, fitted with a margin.
    void DrawSheet(Surface& surface) const;
    // "Send to G CODE": the shown sheet's drawing opened in sheet mode as the main window's plan (after the
    // unsaved-work question), so the Edit tab, G CODE and the saves work on it. True when it was opened.
    bool SendToGCode_Click();
    // "Save sheet...": the shown sheet cut with the window's lead-in, kerf, cut-quality boxes and templates,
    // its program saved under the chosen name and its drawing beside it (.dxf). True when both were saved.
    bool SaveSheet_Click();

private:
    void ShowRows();
    void ShowSheet();
    void ShowProgress(const NestStatus& status);
    // The nest ended: its sheets, the status line, and a message naming what was not placed.
    void TakeNest();
    // The drawing of sheet `sheet`, made (and its program cut) with `cutting`.
    NestedSheet CutSheet(int32_t sheet, const SheetCutting& cutting);
    std::string ProposedSheetPath(int32_t sheet, const std::string& ending) const;

    Program& program_;
    Form1& form1_;
    Toolkit& toolkit_;
    NestState state_ = NestState::Idle;
    std::unique_ptr<NestRun> run_;
    // The last nest: its order, the parts as read, and the placements.
    std::unique_ptr<NestOrder> order_;
    std::unique_ptr<NestInput> input_;
    std::unique_ptr<NestResult> nest_;
    double seconds_ = 10;
    std::vector<SheetFacts> facts_;
    int32_t shownSheet_ = 0;
};

}  // namespace zorvan
