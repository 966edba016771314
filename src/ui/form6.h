// The template setup window's logic: the header, footer and template files as three text boxes.
#pragma once

#include <string>

#include "model/program.h"
#include "ui/toolkit.h"

namespace zorvan {

class Form6 {
public:
    Form6(Program& program, Toolkit& toolkit) : program_(program), toolkit_(toolkit) {}

    std::string Text1;  // 0_HEADER.TXT
    std::string Text2;  // 0_FOOTER.TXT
    std::string Text3;  // GCODES.TXT
    bool closed = false;

    // Fills each box from its file, every line followed by CR LF (a missing file gives an empty box).
    void Form_Activate();
    // "SAVE": writes each box to its file exactly as shown (a CR LF is added only after a last line that has
    // no line end), then reloads the templates; so saving twice gives the same bytes, and a file of CR LF
    // lines saved unedited stays as it was. A file that cannot be written keeps its old content and is
    // named in a message.
    // True when all three were written.
    bool Command1_Click();
    // "Load preset...": the three boxes filled from the files of a preset folder the operator chooses (the
    // dialog opens at `presetsFolder`, where the shipped presets are). Nothing is saved until SAVE. A folder
    // without any of the three files changes nothing and says so.
    void LoadPreset_Click();
    std::string presetsFolder;

    // "CLOSE": closes. Texts that differ from their files are not dropped without a question: "Save" saves
    // them first (and stays open when that fails), "Discard" closes without saving, "Cancel" stays open.
    void Command2_Click();
    // Whether a box holds other text than its file.
    bool Unsaved() const;
    // Where SAVE writes, for the window to show: "Saves to /opt/zorvan (0_HEADER.TXT, 0_FOOTER.TXT, GCODES.TXT)".
    std::string SaveFolderNote() const;
    // What the header box says of the controller, as it stands: "Arc centres: relative (G91.1); compensation:
    // by the program (no G41/G42)".
    std::string ModeNote() const;

private:
    Program& program_;
    Toolkit& toolkit_;
};

}  // namespace zorvan
