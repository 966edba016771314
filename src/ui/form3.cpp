// The edit window.
#include "ui/form3.h"

#include "draw/draw_records.h"
#include "model/part_entry.h"
#include "draw/view.h"
#include "geometry/extents.h"
#include "ui/part_rows.h"

namespace zorvan {

void Form3::LoadEditPart() {
    const bool inTable = editPartIndex_ >= 0 && editPartIndex_ < kMaxContours;
    editEntry = inTable ? program_.partList[static_cast<size_t>(editPartIndex_)].Text() : std::string();
    const PartFields part(editEntry);
    editHeader = part.header;
    editContour = part.records;
    editMarks = part.marks;
    List1.Clear();
    editRecords.clear();
    const auto records = SplitFields(editContour, '|');
    for (size_t k = 0; k + 1 < records.size(); ++k) {
        editRecords.emplace_back(records[k]);
        List1.AddItem(RecordRow(records[k]));
    }
    Caption = inTable && editPartIndex_ < PartRowCount(program_) ? "Edit " + PartCaption(program_, editPartIndex_) : "Edit";
    if (const auto marks = SplitFields(editMarks); FieldAt(marks, 0) == "SEL") Caption += ", selected";
    if (PartFields(editEntry).IsDeleted()) Caption += ", deleted";
    DrawEditPart();
}

void Form3::DrawEditPart() {
    ExtentBuilder extents;
    for (const std::string& record : editRecords) IncludeRecord(program_.PI, record, extents);
    editMinX = extents.minX;
    editMaxX = extents.maxX;
    editMinY = extents.minY;
    editMaxY = extents.maxY;
    FitView(program_, Picture1, editMinX, editMaxY, editMaxX, editMinY, true);
    DrawContour(Picture1, program_.PI, editContour, kBlue, false, 1);
    DrawPathHeader(Picture1, editHeader);
}

void Form3::ShowEditRecord() {
    Picture1.Clear();
    DrawContour(Picture1, program_.PI, editContour, kBlue, false, 1);
    DrawPathHeader(Picture1, editHeader);
    if (List1.selected < 0 || List1.selected >= List1.ListCount()) return;
    if (static_cast<size_t>(List1.selected) >= editRecords.size()) return;
    DrawRecord(Picture1, program_.PI, editRecords[static_cast<size_t>(List1.selected)], kYellow, true, 1);
}

}  // namespace zorvan
