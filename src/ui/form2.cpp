// The direct G-code window's commands.
#include "ui/form2.h"

#include "gcode/direct_gcode.h"
#include "model/text_file.h"

namespace zorvan {

void Form2::Generate() { Text1 = GenerateDirectGCode(program_, gcodeHeader, gcodeFooter); }

void Form2::Command3_Click() {
    gcodeHeader = kDirectHeader;
    gcodeFooter = kDirectFooter;
    Generate();
}

void Form2::Command4_Click() { ListContourRecords(program_, List11_, List1); }

void Form2::Command1_Click() {
    const std::optional<std::string> path = toolkit_.ChooseFileToSave("");
    if (!path) return;
    if (const auto failure = SaveTextFile(*path, Text1 + "\r\n")) toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
}

void Form2::List1_Click() {
    if (List1.selected >= 0 && List1.selected < List1.ListCount()) Caption = List1.rows[static_cast<size_t>(List1.selected)];
}

}  // namespace zorvan
