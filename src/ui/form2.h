// The direct G-code window's logic.
#pragma once

#include <string>

#include "ui/list_box.h"
#include "model/program.h"
#include "ui/toolkit.h"

namespace zorvan {

class Form2 {
public:
    // `List11` is the main window's contour list, which the record listing reads.
    Form2(Program& program, Toolkit& toolkit, const ListBox& List11)
        : program_(program), toolkit_(toolkit), List11_(List11) {}

    std::string Text1;        // the generated program
    ListBox List1;            // the record listing
    std::string Caption = "GCODE";
    std::string gcodeHeader;  // put before the moves; empty until Command3
    std::string gcodeFooter;  // put after them
    // After a good save: "Saved /path/LISTING.nc, 35 lines", for the main window's status line.
    std::string SavedNote;

    void Form_Load() { Generate(); }
    // "&Refresh": generate again.
    void Command2_Click() { Generate(); }
    // The standard header and footer, then generate.
    void Command3_Click();
    // "&Refresh" of the listing: the records of every contour of the main window's contour list, the first of
    // each with three blanks in front, each contour closed by a row of 24 "=".
    void Command4_Click();
    // "Save": Text1 followed by CR LF to the chosen file; a cancel says nothing, a failure names the file.
    void Command1_Click();
    // The caption shows the clicked row of the listing.
    void List1_Click();

private:
    void Generate();

    Program& program_;
    Toolkit& toolkit_;
    const ListBox& List11_;
};

}  // namespace zorvan
