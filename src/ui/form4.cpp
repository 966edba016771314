// The G-code window's commands.
#include "ui/form4.h"

#include "gcode/program_writer.h"
#include "model/text_file.h"
#include "ui/file_names.h"
#include "draw/view.h"

namespace zorvan {

void Form4::Form_Activate() {
    Label1 = ProposedName(program_.openedDrawingPath, ".NC");
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    RedrawView(program_, cutCount_, Picture1, kBlue);
    Command1_Click();
}

void Form4::Form_Resize() {
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    RedrawView(program_, cutCount_, Picture1, kBlue);
}

void Form4::Command1_Click() {
    List1.Clear();
    WriteProgram(program_, cutCount_, List1.rows);
}

void Form4::Command2_Click() {
    const std::optional<std::string> path = toolkit_.ChooseFileToSave(ProposedName(program_.openedDrawingPath, ".nc"));
    if (!path) return;
    if (const auto failure = SaveTextFile(*path, JoinCrLf(List1.rows))) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
        return;
    }
    SavedNote = "Saved " + *path + ", " + std::to_string(List1.ListCount()) + " lines.";
}

void Form4::List1_Click() {
    RedrawView(program_, cutCount_, Picture1, kBlue);
    if (List1.selected < 0 || List1.selected >= List1.ListCount()) return;
    const auto point = MarkedPoint(List1.rows[static_cast<size_t>(List1.selected)]);
    if (!point) return;
    Picture1.SetPenWidth(5);
    Picture1.Dot(point->first, point->second, kGreen);
    Picture1.SetPenWidth(1);
}

}  // namespace zorvan
