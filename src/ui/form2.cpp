// The direct G-code window's commands.
#include "ui/form2.h"

#include <algorithm>

#include "gcode/direct_gcode.h"
#include "model/number_text.h"
#include "model/record_text.h"
#include "model/text_file.h"

namespace zorvan {

void Form2::Generate() { Text1 = GenerateDirectGCode(program_, gcodeHeader, gcodeFooter); }

void Form2::Command3_Click() {
    gcodeHeader = kDirectHeader;
    gcodeFooter = kDirectFooter;
    Generate();
}

void Form2::Command4_Click() {
    List1.Clear();
    for (const std::string& row : List11_.rows) {
        const auto elements = SplitFields(row, '|');
        for (size_t k = 0; k + 1 < elements.size(); ++k) {
            const std::string record(program_.store.GetDATA(RecordNumberParse(elements[k])));
            List1.AddItem(k == 0 ? "   " + record : record);
        }
        List1.AddItem(std::string(24, '='));
    }
}

void Form2::Command1_Click() {
    const std::optional<std::string> path = toolkit_.ChooseFileToSave("");
    if (!path) return;
    const std::string text = Text1 + "\r\n";
    if (const auto failure = SaveTextFile(*path, text)) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
        return;
    }
    const auto lines = std::count(text.begin(), text.end(), '\n');
    SavedNote = "Saved " + *path + ", " + std::to_string(lines) + " lines.";
}

void Form2::List1_Click() {
    if (List1.selected >= 0 && List1.selected < List1.ListCount()) Caption = List1.rows[static_cast<size_t>(List1.selected)];
}

}  // namespace zorvan
