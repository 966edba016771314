// The main window's comforts: tooltips, shortcuts, the settings kept between runs, the recent drawings,
// drops and the pointer's position.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QShortcut>

#include "ui/qt/main_window.h"

#include <cmath>

#include "model/number_text.h"
#include "planning/lead_ins.h"

namespace zorvan::qt {

namespace {

constexpr int kMostRecent = 8;

// What each control does, by its name.
struct Tip {
    const char* name;
    const char* text;
};
constexpr Tip kTips[] = {
    {"Text1", "The drawing to open: its full path"},
    {"Command1", "OPEN: read the drawing named in the path box and plan its parts"},
    {"Command3", "Choose File: pick a drawing for the path box; OPEN then opens it (Ctrl+O picks and opens)"},
    {"Command4", "REDRAW: kept as it always was; F5 draws the picture again"},
    {"Command5", "GCODE: a plain listing of the parts cut, holes first, without lead-ins, with the templates' torch words"},
    {"List11", "The contours as they were chained, one row each, in planning order"},
    {"Command6", "MOVE UP: the selected contour one place earlier"},
    {"Command7", "MOVE DOWN: the selected contour one place later"},
    {"Command8", "SAVE CHANGES: keep the contour list's order (Command9 then plans in it)"},
    {"List1", "The records of every contour"},
    {"Command2", "Command2: read the contour list again from the drawing"},
    {"Command9", "Command9: plan the parts again from the contour list, in its order"},
    {"Drive1", "The drive whose folders are listed"},
    {"Dir1", "Folders: open one with a double click"},
    {"File1", "Drawings of the folder: a click opens one"},
    {"Command30", "Command30: list the program's own folder, where the template files are"},
    {"RecentDrawings", "Drawings opened lately: choose one to open it again"},
    {"SaveJob", "Save job: keep the whole plan (order, lead-ins, marks, moves, kerf) in a file to open again later"},
    {"OpenJob", "Open job: the plan of a saved job, on its drawing, as it was saved"},
    {"Command16", "Move to 0,0: the lower-left corner of the parts to the origin"},
    {"Command12", "Move every part right by the step"},
    {"Command18", "Move every part up and right by the step"},
    {"Command19", "Move every part up by the step"},
    {"Command20", "Move every part up and left by the step"},
    {"Command21", "Move every part left by the step"},
    {"Command22", "Move every part down and left by the step"},
    {"Command23", "Move every part down by the step"},
    {"Command24", "Move every part down and right by the step"},
    {"Command25", "Turn every part counter-clockwise by the angle, about the middle of the parts"},
    {"Command26", "Turn every part clockwise by the angle, about the middle of the parts"},
    {"Text3", "The step of the move buttons, in drawing units"},
    {"Text4", "The angle of the turn buttons, in degrees"},
    {"Command13", "Command13: outline the parts' extents in green"},
    {"Command14", "Zoom Part: fit the view to the parts"},
    {"Command15", "Zoom All: fit the view to the parts and the origin (Home)"},
    {"Option1", "Select: mark the part clicked as selected"},
    {"Option2", "Deselect: take the selection mark off the part clicked"},
    {"Option3", "Delete: leave the part clicked out of the program"},
    {"Option4", "Undelete: cut the part clicked again"},
    {"Option5", "Edit: show the records of the part clicked"},
    {"Option6", "Inside: cut the part clicked as a hole"},
    {"Option7", "Outside: cut the part clicked as an outside cut"},
    {"Option8", "Move Lead In: the pierce point of the part you click next to, to where you click"},
    {"Option9", "Zoom Tools: drag a frame to zoom to it (the wheel zooms, the middle button pans)"},
    {"Command32", "Calculate Lead Ins: a lead-in of the length beside it for every part"},
    {"Text6", "The lead-in length, in drawing units"},
    {"Kerf", "The torch's kerf width, in drawing units (empty: not given). Lead-ins and the drawing's features are "
             "checked against it; the controller's tool table holds it for the cut"},
    {"KerfInProgram", "The program allows for the kerf: each contour written half the kerf towards the scrap, no "
                      "G41/G42 (for controllers without cutter compensation)"},
    {"Text5", "The scale factor, above 0"},
    {"CutQuality", "How sheet mode's cuts start and end, and how small holes are cut. A change takes effect at "
                   "the next \"Calculate Lead Ins\" or open"},
    {"OutlineLeadIn", "The outside cuts' lead-in: a line, or an arc that meets the cut smoothly (a line where the "
                      "scrap has no room for the arc)"},
    {"HoleLeadIn", "The holes' lead-in: a line, or an arc that meets the cut smoothly (a line where the hole has no "
                   "room for the arc)"},
    {"ArcRadius", "An arc lead-in's radius, in drawing units (empty: half the lead-in length)"},
    {"Overcut", "How far each cut runs on past its start, so the cut closes cleanly, in drawing units (empty: none)"},
    {"LeadOut", "How each cut leaves its contour: not at all, by a line into the scrap, or by an arc into it"},
    {"LeadOutLength", "The lead-out's length (an arc's radius), in drawing units (empty: the lead-in length)"},
    {"SmallHoles", "Holes narrower than this are cut slower, at the small-hole feed, in drawing units (empty: none)"},
    {"SmallHoleFeed", "The small holes' feed: a share of the cutting feed such as 60%, or an F value such as 900"},
    {"Command27", "Scale: every part by the factor, about the lower-left corner of the parts"},
    {"Command17", "G CODE: write the program with the templates (Ctrl+G)"},
    {"Command29", "SAVE PART: save the planned parts as a part file"},
    {"Command31", "GCODE SETUP: edit the header, footer and template files, or load a preset"},
    {"List2", "The parts in cutting order: number, outside or hole, size, lead-in; a click names the part in the caption"},
    {"Text2", "The cutting sequence picked on the picture, part rows each followed by |"},
    {"Command10", "START OVER: empty the cutting sequence"},
    {"Command11", "SIMULATE: show each part of the sequence in turn"},
    {"Command28", "Show Path: the travel between pierce points, of the list or the sequence"},
    {"Picture1", "The plan: wheel to zoom about the pointer, middle button to pan"},
    {"NestDrawings", "The drawings of the order, each with the copies of every part in it"},
    {"NestAdd", "Add...: a drawing joins the order with one copy of each of its parts"},
    {"NestRemove", "Remove: the selected drawing leaves the order"},
    {"NestCount", "The copies of every part of the selected drawing: a whole number from 1"},
    {"SheetWidth", "The sheet's width, in the program's units"},
    {"SheetHeight", "The sheet's height, in the program's units"},
    {"NestSpacing", "The least distance between parts and from the sheet's edge (empty: the kerf plus the lead-in, "
                    "at least 2 mm)"},
    {"NestRotations", "The turns allowed: this many equal steps of the whole turn (4: 0, 90, 180, 270)"},
    {"AnyAngle", "Any turn, by whole degrees"},
    {"NestMirror", "Parts may also be mirrored"},
    {"NestSeconds", "How long the search improves the nest, in seconds; Stop keeps the best so far"},
    {"Nest", "NEST: read the drawings in sheet mode and place their parts on sheets; the parts are cut with the "
             "Edit tab's lead-in, kerf and cut quality"},
    {"NestStop", "Stop: end the search now and keep the best nest so far"},
    {"SheetPrevious", "The previous sheet"},
    {"SheetNext", "The next sheet"},
    {"SendToGCode", "Send to G CODE: the sheet shown becomes the plan on hand (Edit tab, G CODE, saves)"},
    {"SaveSheet", "Save sheet...: the sheet's program, and its drawing beside it as .dxf"},
};

// The cut-quality controls, in their group.
constexpr const char* kCutQualityControls[] = {"OutlineLeadIn", "HoleLeadIn", "ArcRadius", "Overcut", "LeadOut",
                                               "LeadOutLength", "SmallHoles", "SmallHoleFeed"};
constexpr const char* kSheetModeOnly =
    "\n\nUsed in sheet mode only: tick \"Sheet mode\" on the Files tab, then open the drawing.";

// The cut-quality boxes that hold text, by their keys in the settings.
const std::pair<const char*, std::string Form1::*> kCutQualityBoxes[] = {
    {"arcRadius", &Form1::ArcRadiusBox},       {"overcut", &Form1::OvercutBox},
    {"leadOutLength", &Form1::LeadOutLengthBox}, {"smallHoles", &Form1::SmallHolesBox},
    {"smallHoleFeed", &Form1::SmallHoleFeedBox}};

QString TipOf(std::string_view name) {
    for (const Tip& tip : kTips) {
        if (name == tip.name) return tip.text;
    }
    return "";
}

std::string UnitsWord(const std::string& units) {
    if (units == "millimetres") return " mm";
    if (units == "inches") return " in";
    return "";
}

// The .dxf files among dropped URLs, local files only.
QString DroppedDrawing(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(".dxf", Qt::CaseInsensitive)) return url.toLocalFile();
    }
    return {};
}

}  // namespace

void MainWindow::AddTooltips() {
    for (const Tip& tip : kTips) {
        if (auto* widget = findChild<QWidget*>(tip.name)) widget->setToolTip(tip.text);
    }
}

void MainWindow::ShowCutQualityState() {
    const bool on = form_->SheetMode;
    cutQuality_->setEnabled(on);
    const QString note = on ? QString() : QString(kSheetModeOnly);
    cutQuality_->setToolTip(TipOf("CutQuality") + note);
    for (const char* name : kCutQualityControls) {
        if (auto* control = cutQuality_->findChild<QWidget*>(name)) control->setToolTip(TipOf(name) + note);
    }
}

void MainWindow::AddShortcuts() {
    const auto bind = [this](const QKeySequence& keys, const std::function<void()>& command) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, command] { Run(command); });
    };
    bind(QKeySequence("Ctrl+O"), [this] { form_->ChooseAndOpen(); });
    bind(QKeySequence("Ctrl+G"), [this] { form_->Command17_Click(); });
    bind(QKeySequence("Ctrl+Z"), [this] { form_->Undo(); });
    bind(QKeySequence("Ctrl+Shift+Z"), [this] { form_->Redo(); });
    bind(QKeySequence("Ctrl+Y"), [this] { form_->Redo(); });
    bind(QKeySequence("F5"), [this] { form_->RedrawPicture(); });
    bind(QKeySequence("Home"), [this] { form_->Command15_Click(); });
}

void MainWindow::RestoreSettings() {
    if (const QByteArray geometry = settings_->value("geometry").toByteArray(); !geometry.isEmpty()) {
        restoreGeometry(geometry);
    }
    const std::pair<const char*, std::string Form1::*> boxes[] = {
        {"leadIn", &Form1::Text6}, {"kerf", &Form1::KerfText}, {"step", &Form1::Text3}, {"angle", &Form1::Text4},
        {"scale", &Form1::Text5}};
    for (const auto& [key, text] : boxes) {
        if (settings_->contains(key)) (*form_).*text = S(settings_->value(key).toString());
    }
    form_->KerfInProgram = settings_->value("kerfInProgram", false).toBool();
    for (const auto& [key, text] : kCutQualityBoxes) {
        if (settings_->contains(key)) (*form_).*text = S(settings_->value(key).toString());
    }
    const auto style = [this](const char* key) { return S(settings_->value(key).toString()); };
    form_->OutlineLeadIn = LeadInStyleNamed(style("outlineLeadIn")).value_or(LeadInStyle::Line);
    form_->HoleLeadIn = LeadInStyleNamed(style("holeLeadIn")).value_or(LeadInStyle::Line);
    form_->LeadOut = LeadOutStyleNamed(style("leadOut")).value_or(LeadOutStyle::None);
    RestoreNestSettings();
    ShowRecent();
}

void MainWindow::RememberSettings() {
    // A box's text is kept for the next run only when the box would take it: a refused value (a scale of 0,
    // a negative kerf) would otherwise come back and be refused again.
    const auto keep = [this](const char* key, const std::string& text, const std::function<bool(double)>& suits,
                             bool emptyTaken) {
        const bool empty = text.find_first_not_of(' ') == std::string::npos;
        const std::optional<double> value = ParseWholeNumber(text);
        if ((empty && emptyTaken) || (value && suits(*value))) settings_->setValue(key, Q(text));
    };
    keep("leadIn", form_->Text6, [this](double v) { return LeadInSuits(program_, v); }, false);
    keep("kerf", form_->KerfText, [](double v) { return v >= 0; }, true);
    keep("step", form_->Text3, [](double v) { return std::isfinite(v); }, false);
    keep("angle", form_->Text4, [](double v) { return std::isfinite(v); }, false);
    keep("scale", form_->Text5, [](double v) { return v > 0; }, false);
    settings_->setValue("kerfInProgram", form_->KerfInProgram);
    // The cut-quality boxes likewise: a text the box refuses is not kept.
    for (const auto& [key, text] : kCutQualityBoxes) {
        if (form_->CutQualityRefusal(text).empty()) settings_->setValue(key, Q((*form_).*text));
    }
    settings_->setValue("outlineLeadIn", Q(StyleName(form_->OutlineLeadIn)));
    settings_->setValue("holeLeadIn", Q(StyleName(form_->HoleLeadIn)));
    settings_->setValue("leadOut", Q(StyleName(form_->LeadOut)));
    settings_->setValue("folder", Q(form_->Dir1Path));
    settings_->setValue("templatesFolder", Q(program_.templateFolder));
    RememberNestSettings();
    RememberRecent();
}

void MainWindow::RememberRecent() {
    const std::string& opened = program_.openedDrawingPath;
    // A drawing held in memory (a nested sheet not saved) has no file to open again.
    if (opened.empty() || opened == lastOpened_ || !form_->DrawingIsAFile()) return;
    lastOpened_ = opened;
    QStringList recent = settings_->value("recent").toStringList();
    recent.removeAll(Q(opened));
    recent.prepend(Q(opened));
    while (recent.size() > kMostRecent) recent.removeLast();
    settings_->setValue("recent", recent);
    ShowRecent();
}

void MainWindow::ShowRecent() {
    const QSignalBlocker block(recent_);
    recent_->clear();
    recent_->addItem("Recent drawings");
    recent_->addItems(settings_->value("recent").toStringList());
}

void MainWindow::OpenDrawing(const QString& path) {
    Run([this, file = S(QFileInfo(path).absoluteFilePath())] { form_->OpenDrawingFile(file); });
}

void MainWindow::ShowPosition(double x, double y) {
    position_->setText(QString("X %1  Y %2%3")
                           .arg(x, 0, 'f', 3)
                           .arg(y, 0, 'f', 3)
                           .arg(Q(UnitsWord(program_.recordUnits))));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDrawing(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DroppedDrawing(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenDrawing(path);
}

}  // namespace zorvan::qt
