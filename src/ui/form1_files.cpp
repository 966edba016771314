// The main window's start, end, and the commands that open a drawing.
#include <filesystem>

#include "gcode/program_units.h"
#include "gcode/templates.h"
#include "draw/view.h"
#include "import/dxf_reader.h"
#include "import/opening.h"
#include "model/number_text.h"
#include "ui/file_browser.h"
#include "ui/form1.h"

namespace zorvan {

std::string ReadStatus(const Program& program, const ReadReport& report) {
    std::string status = program.readMode == ReadMode::Sheet ? "Sheet mode." : "Default mode.";
    status += " Units: " + program.declaredUnits;
    if (program.recordUnits != program.declaredUnits) status += ", read as " + program.recordUnits;
    status += ".";
    if (const std::string warning = LeftOutWarning(report, program.readMode, "Sheet mode"); !warning.empty()) {
        status += " " + warning;
    }
    return status;
}

void Form1::Form_Load(const std::string& startFolder) {
    program_.PI = 3.141592654;
    SSTab1Tab = Tab::Files;
    Text1 = JoinPath(startFolder, "part.dxf");
    SetDir1Path(startFolder);
    if (const auto failure = CreateMissingTemplateFiles(program_.templateFolder)) toolkit_.ShowMessage(*failure);
    LoadTemplates(program_);
}

bool Form1::Form_QueryUnload() {
    if (!ConfirmDropPlan()) return false;
    toolkit_.ShowModal(ModalWindow::About);
    return true;
}

void Form1::Command1_Click() { OpenPathBox(); }

bool Form1::OpenPathBox() {
    std::string path = NormalisePath(Text1);
    if (const auto problem = WhyFileCannotBeRead(path)) {
        toolkit_.ShowMessage(OpeningRefusalMessage(path, *problem));
        return false;
    }
    if (!IsDxfPath(path)) {  // refused before the question: nothing would be dropped for it
        toolkit_.ShowMessage(std::string(kNotDxfMessage));
        return false;
    }
    if (!ConfirmDropPlan()) return false;
    if (!LoadDrawing(path)) return false;
    FillContourList();
    PrepareParts();
    Caption = path;
    program_.openedDrawingPath = path;
    return true;
}

bool Form1::LoadDrawing(std::string& path) {
    path = NormalisePath(path);
    if (!IsDxfPath(path)) {
        toolkit_.ShowMessage(std::string(kNotDxfMessage));
        return false;
    }
    const DxfReadResult result = ReadDrawing(path, OpeningOptions(SheetMode ? ReadMode::Sheet : ReadMode::Default));
    if (result.outcome == DxfReadOutcome::Loaded) return true;
    if (const std::string message = ReadOutcomeMessage(result); !message.empty()) toolkit_.ShowMessage(message);
    return false;
}

ReadOptions Form1::OpeningOptions(ReadMode mode) const {
    ReadOptions options;
    options.mode = mode;
    // Sheet mode writes in the units the header sets (G20 or G21), else in millimetres.
    const SheetUnitsChoice units = ChooseSheetUnits(program_, std::nullopt, "");
    options.units = units.units;
    options.unitsSource = units.source;
    return options;
}

DxfReadResult Form1::ReadDrawing(const std::string& path, const ReadOptions& options) {
    DxfReadResult result;
    {
        const BusyCursor busy(toolkit_);  // back to the default pointer before any message
        result = ReadDxf(program_, path, options);
    }
    // A refused drawing leaves the operator's screen, lists and plan as they were.
    if (result.outcome != DxfReadOutcome::Loaded) return result;
    drawingInMemory_ = false;
    TakeNewDrawing(result);
    return result;
}

bool Form1::OpenDrawingText(const std::string& caption, const std::string& proposedPath, const std::string& text,
                            std::optional<SheetEdge> edge) {
    if (!ConfirmDropPlan()) return false;
    DxfReadResult result;
    {
        const BusyCursor busy(toolkit_);
        result = LoadDxfText(program_, text, OpeningOptions(ReadMode::Sheet));
    }
    if (result.outcome != DxfReadOutcome::Loaded) {
        const std::string message = ReadOutcomeMessage(result);
        toolkit_.ShowMessage(caption + " could not be read" + (message.empty() ? "." : ": " + message));
        return false;
    }
    drawingInMemory_ = true;
    program_.sheetEdge = edge;
    TakeNewDrawing(result);
    FillContourList();
    PrepareParts();
    Caption = caption;
    program_.openedDrawingPath = proposedPath;
    return true;
}

void Form1::TakeNewDrawing(const DxfReadResult& result) {
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    StatusLine = readStatus_ = ReadStatus(program_, result.report);
    history_.Clear();  // a new drawing: nothing of the old one to go back to
    lastSave_.clear();
    planChanged_ = false;
}

void Form1::SheetMode_Click() {
    StatusLine = std::string(SheetMode ? "Sheet mode on" : "Sheet mode off") +
                 ": it takes effect when the next drawing is opened.";
}

void Form1::Command3_Click() {
    if (const auto chosen = toolkit_.ChooseFileToOpen("DXF |*.DXF")) Text1 = *chosen;
}

void Form1::ChooseAndOpen() {
    if (const auto chosen = toolkit_.ChooseFileToOpen("DXF |*.DXF")) OpenDrawingFile(*chosen);
}

bool Form1::SetDir1Path(const std::string& folder) {
    const auto folders = SubFolders(folder);
    if (!folders) return false;
    Dir1Path = folder;
    Dir1.Clear();
    if (ParentFolder(folder) != folder) Dir1.AddItem("..");
    for (const std::string& name : *folders) Dir1.AddItem(name);
    Dir1_Change();
    return true;
}

void Form1::Drive1_Change() {
    if (!SetDir1Path(Drive1)) toolkit_.ShowMessage("Error reading file!");
}

void Form1::Dir1_Change() {
    File1Path = Dir1Path;
    File1.Clear();
    for (std::string& name : DxfFilesIn(File1Path)) File1.AddItem(std::move(name));
}

void Form1::Dir1_Open(int32_t row) {
    if (row < 0 || row >= Dir1.ListCount()) return;
    const std::string& name = Dir1.rows[static_cast<size_t>(row)];
    const std::string target = name == ".." ? ParentFolder(Dir1Path) : JoinPath(Dir1Path, name);
    if (!SetDir1Path(target)) toolkit_.ShowMessage("Error reading file!");
}

void Form1::Command30_Click() { SetDir1Path(program_.templateFolder); }

bool Form1::OpenDrawingFile(const std::string& path) {
    const std::filesystem::path file(path);
    SetDir1Path(file.parent_path().string());
    const std::string name = file.filename().string();
    for (int32_t row = 0; row < File1.ListCount(); ++row) {
        if (File1.rows[static_cast<size_t>(row)] == name) File1.selected = row;
    }
    Text1 = path;
    return OpenPathBox();
}

void Form1::File1_Click() {
    if (File1.selected < 0 || File1.selected >= File1.ListCount()) return;
    Text1 = JoinPath(Dir1Path, File1.rows[static_cast<size_t>(File1.selected)]);
    OpenPathBox();
}

}  // namespace zorvan
