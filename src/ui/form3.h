// The edit window's logic: one part's records listed, the part drawn to fill the window's own picture, and
// the clicked record shown in yellow with its direction. Nothing here changes the part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/list_box.h"
#include "model/program.h"
#include "draw/surface.h"

namespace zorvan {

class Form3 {
public:
    // `editPartIndex` is the part row picked with the "Edit " tool.
    Form3(Program& program, Surface& picture1, int16_t editPartIndex)
        : program_(program), Picture1(picture1), editPartIndex_(editPartIndex) {}

    std::string Caption = "Edit";
    ListBox List1;  // one row per record of the part, in words
    std::vector<std::string> editRecords;  // the records the rows show, as stored

    std::string editEntry, editHeader, editContour, editMarks;
    double editMinX = 100000, editMaxX = -100000, editMinY = 100000, editMaxY = -100000;

    void Form_Activate() { Command2_Click(); }
    // "Command2": the part read again.
    void Command2_Click() { LoadEditPart(); }
    // "Command1": the part drawn again over what is there.
    void Command1_Click() { DrawEditPart(); }
    void List1_Click() { ShowEditRecord(); }

    // Copies the entry, lists its records, names the part in the caption (with its marks) and draws it.
    void LoadEditPart();
    // Fits the picture to the part's own extents and draws it with its header, without clearing first.
    void DrawEditPart();
    // The whole part in blue, then the selected record in yellow with its direction marks.
    void ShowEditRecord();

private:
    Program& program_;

public:
    Surface& Picture1;

private:
    int16_t editPartIndex_;
};

}  // namespace zorvan
