// The main window's commands.
#include "ui/form1.h"

#include "geometry/area.h"
#include "geometry/transforms.h"
#include "import/part_entries.h"
#include "model/number_text.h"
#include "planning/cut_order.h"
#include "planning/lead_ins.h"
#include "model/text_file.h"
#include "ui/file_names.h"
#include "ui/part_file.h"
#include "ui/view.h"

namespace zorvan {

void Form1::FillContourList() { zorvan::FillContourList(program_, List11); }

void Form1::BuildPartList() { zorvan::BuildPartList(program_, List11, List1, List2); }

void Form1::ComputePartAreas() { zorvan::ComputePartAreas(program_, List2); }

void Form1::PrepareParts() {
    BuildPartList();
    const int16_t largest = SLOZIBASSVE(program_, List2);
    GURNINAJVECINAKRAJ(program_, List2, largest);
    CCW_OR_CW(program_, List2);
    ComputePartAreas();
    Redraw();
}

void Form1::Command32_Click() {
    CalculateLeadIns(program_, List2, LenientParse(Text6));
    Redraw();
}

void Form1::AfterTransform() {
    RecomputeExtents(program_, List2.ListCount(), Picture1);
    Redraw();
}

void Form1::MoveByStep(int xSign, int ySign) {
    const double step = LenientParse(Text3);
    MoveParts(program_, xSign * step, ySign * step, List2.ListCount());
    AfterTransform();
}

void Form1::Command16_Click() {
    MoveParts(program_, -program_.extMinX, -program_.extMinY, List2.ListCount());
    RecomputeExtents(program_, List2.ListCount(), Picture1);
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    Redraw();
}

void Form1::Command25_Click() {
    RotateParts(program_, LenientParse(Text4) * program_.PI / 180, List2.ListCount());
    AfterTransform();
}

void Form1::Command26_Click() {
    RotateParts(program_, -LenientParse(Text4) * program_.PI / 180, List2.ListCount());
    AfterTransform();
}

void Form1::Command27_Click() {
    ScaleParts(program_, LenientParse(Text5), List2.ListCount());
    AfterTransform();
}

void Form1::Command13_Click() {
    Picture1.Rectangle(program_.extMinX, program_.extMinY, program_.extMaxX, program_.extMaxY, kGreen);
}

void Form1::Form_Resize() { Command14_Click(); }

void Form1::Command14_Click() {
    FitView(program_, Picture1, program_.extMinX, program_.extMaxY, program_.extMaxX, program_.extMinY, true);
    Redraw();
}

void Form1::Command15_Click() {
    FitView(program_, Picture1, 0, program_.extMaxY, program_.extMaxX, 0, true);
    Redraw();
}

void Form1::Command17_Click() {
    cutCount = List2.ListCount();
    if (CountOutsideCuts(program_, cutCount) >= 2) {
        toolkit_.ShowMessage("you can have just one outside cut!");
        return;
    }
    toolkit_.ShowModal(ModalWindow::GCode);
}

void Form1::Command29_Click() {
    const std::optional<std::string> path = toolkit_.ChooseFileToSave(ProposedName(program_.openedDrawingPath, ".PAR"));
    if (!path) return;
    if (const auto failure = SaveTextFile(*path, PartFileLine(program_, List2.ListCount()) + "\r\n")) {
        toolkit_.ShowMessage(SaveFailedMessage(*path, *failure));
    }
}

}  // namespace zorvan
