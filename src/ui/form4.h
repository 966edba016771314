// The G-code window's logic: the program listing, its label, REFRESH, SAVE and the marked move.
#pragma once

#include <cstdint>
#include <string>

#include "ui/list_box.h"
#include "model/program.h"
#include "draw/surface.h"
#include "ui/toolkit.h"

namespace zorvan {

class Form4 {
public:
    // `cutCount` is the number of parts when "G CODE" was pressed.
    Form4(Program& program, Toolkit& toolkit, Surface& picture1, int32_t cutCount)
        : program_(program), toolkit_(toolkit), Picture1(picture1), cutCount_(cutCount) {}

    ListBox List1;       // the program, one row per line
    std::string Label1;  // the name the program will be saved under
    // After a good SAVE: "Saved /path/PLATE.nc, 35 lines", for the main window's status line.
    std::string SavedNote;

    // Shows the output name, fits and draws the parts, and writes the program.
    void Form_Activate();
    // "REFRESH": the program written again in place of the listing, so the window never holds two programs
    // (and SAVE never writes two). Parts marked deleted are left out (WriteProgram).
    void Command1_Click();
    // "SAVE": offers the proposed name and writes every row followed by CR LF. A cancel says nothing; a
    // failure leaves any old file as it was and names the file in a message.
    void Command2_Click();
    // Marks the end point of the selected row's move on the drawing.
    void List1_Click();
    // The picture took a new size: fitted and drawn again as on activation.
    void Form_Resize();

private:
    Program& program_;
    Toolkit& toolkit_;

public:
    Surface& Picture1;

private:
    int32_t cutCount_;
};

}  // namespace zorvan
