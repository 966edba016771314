// The main window's logic without a toolkit: its list boxes and text boxes as plain data, one method per
// command. The window shows this data and forwards its events here.
#pragma once

#include <string>

#include "model/list_box.h"
#include "model/program.h"
#include "ui/surface.h"
#include "ui/toolkit.h"

namespace zorvan {

class Form1 {
public:
    Form1(Program& program, Toolkit& toolkit, Surface& picture1)
        : program_(program), toolkit_(toolkit), Picture1(picture1) {}

    // The record listing of every contour, the cutting order (one part entry per row, equal to partList row
    // for row where the steps say so) and the contour list (equal to contourList).
    ListBox List1, List2, List11;

    // The lead-in length, read when "Calculate Lead Ins" runs.
    std::string Text6 = "0.25";
    // The move step, the rotation angle in degrees and the scale factor of the transform buttons.
    std::string Text3 = "0.5";
    std::string Text4 = "15";
    std::string Text5 = "0.5";

    // The contour list from contourChain ("OPEN" runs it after reading a drawing).
    void FillContourList();
    // Fresh part entries, one per contour.
    void BuildPartList();
    // Every stored area computed again.
    void ComputePartAreas();
    // What follows a drawing opened from the file list: fresh entries, each contour head to tail with its
    // area, the largest moved to the end as the one outside cut, every part turned to its cutting sense, the
    // areas stored again, and a redraw.
    void PrepareParts();
    // "Calculate Lead Ins": every lead-in point at the length in Text6, then a redraw.
    void Command32_Click();
    // "G CODE": with at most one outside cut, opens the G-code window for the parts of List2 (their number
    // is kept in cutCount for it); with more, says "you can have just one outside cut!".
    void Command17_Click();
    // "SAVE PART": the part file of List2's parts under the chosen name (proposed: the drawing's, ".PAR").
    void Command29_Click();

    // The move pad: by the step of Text3 to the right, up-right, up, up-left, left, down-left, down, down-right.
    void Command12_Click() { MoveByStep(1, 0); }
    void Command18_Click() { MoveByStep(1, 1); }
    void Command19_Click() { MoveByStep(0, 1); }
    void Command20_Click() { MoveByStep(-1, 1); }
    void Command21_Click() { MoveByStep(-1, 0); }
    void Command22_Click() { MoveByStep(-1, -1); }
    void Command23_Click() { MoveByStep(0, -1); }
    void Command24_Click() { MoveByStep(1, -1); }
    // "Move to 0,0": the lower-left corner of the extents to the origin, and the view fitted to the result.
    void Command16_Click();
    // Rotation by the angle of Text4 about the centre of the extents, counter-clockwise and clockwise.
    void Command25_Click();
    void Command26_Click();
    // "Scale": by the factor of Text5 about the lower-left corner of the extents.
    void Command27_Click();
    // A green outline of the extents, drawn over the view.
    void Command13_Click();
    // "Zoom Part": the view fitted to the extents.
    void Command14_Click();
    // "Zoom All": the view fitted to the extents and the origin.
    void Command15_Click();

    // The number of parts when "G CODE" was last pressed.
    int32_t cutCount = 0;

private:
    void MoveByStep(int xSign, int ySign);
    // After every transform: the extents of the moved parts (which redraws), then the redraw.
    void AfterTransform();

    Program& program_;
    Toolkit& toolkit_;

public:
    Surface& Picture1;
};

}  // namespace zorvan
