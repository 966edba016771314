// The contour list and the part entries.
#include "import/part_entries.h"

#include "geometry/area.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/record_ends.h"

namespace zorvan {

namespace {

const std::string kContourSeparatorRow(24, '=');

}  // namespace

void FillContourList(Program& program, ListBox& List11) {
    List11.Clear();
    const auto contours = SplitFields(program.contourChain, ':');
    for (size_t i = 0; i + 1 < contours.size() && List11.ListCount() < kMaxContours; ++i) {
        List11.AddItem(std::string(contours[i]));
        program.contourList[static_cast<size_t>(List11.ListCount() - 1)] = List11.rows.back();
    }
}

std::string BuildPartEntry(std::string_view contour) {
    return "II " + startPoints(contour) + ":" + std::string(contour) + ":NOTS NOTD 0";
}

void BuildPartList(Program& program, const ListBox& List11, ListBox& List1, ListBox& List2) {
    List1.Clear();
    List2.Clear();
    for (int32_t i = 0; i < List11.ListCount() && i < kMaxContours; ++i) {
        const auto indices = SplitFields(program.contourList[static_cast<size_t>(i)], '|');
        std::string contour;
        for (size_t k = 0; k + 1 < indices.size(); ++k) {
            const std::string& record = program.store.GetDATA(RecordNumberParse(indices[k]));
            List1.AddItem(record);
            contour += record;
            contour += '|';
        }
        List1.AddItem(kContourSeparatorRow);
        List2.AddItem(BuildPartEntry(contour));
        program.partList[static_cast<size_t>(List2.ListCount() - 1)] = List2.rows.back();
    }
}

void ComputePartAreas(Program& program, const ListBox& List2) {
    for (int32_t i = 0; i < PartRowCount(List2); ++i) {
        std::string& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const double area = CalcArea(program.PI, part.records);
        entry = std::string(part.header) + ":" + std::string(part.records) + ":NOTS NOTD " + DefaultNumber(area) + ":";
    }
}

}  // namespace zorvan
