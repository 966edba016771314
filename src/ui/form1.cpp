// The main window's commands.
#include "ui/form1.h"

#include "geometry/area.h"
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
    RedrawView(program_, List2.ListCount(), Picture1, kBlue);
}

void Form1::Command32_Click() {
    CalculateLeadIns(program_, List2, LenientParse(Text6));
    RedrawView(program_, List2.ListCount(), Picture1, kBlue);
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
