// The main window's contour reordering and the operator's own cutting sequence.
#include <algorithm>
#include <cctype>

#include "draw/draw_records.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "ui/form1.h"
#include "draw/view.h"
#include "ui/part_rows.h"
#include "gcode/part_file.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// A sequence element names a row only when it is a plain decimal integer, blanks around it allowed.
std::optional<int32_t> SequenceRow(std::string_view element) {
    const std::string_view digits = TrimBlanks(element);
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    }
    return RecordNumberParse(digits);
}

// Header words 3 and 4 of a part entry: where the torch pierces.
std::pair<double, double> LeadInStart(std::string_view entry) {
    const auto header = SplitFields(PartFields(entry).header);
    return {LenientParse(FieldAt(header, 3)), LenientParse(FieldAt(header, 4))};
}

}  // namespace

void Form1::ShowParts() {
    const int32_t count = PartRowCount(program_);
    List2.rows.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) List2.rows[static_cast<size_t>(i)] = PartRow(program_, i);
    if (List2.selected >= count) List2.selected = -1;
}

void Form1::Redraw() {
    // The cutting-order list shows the entries as they now are: the steps before a redraw rewrite partList.
    ShowParts();
    RedrawPlan(program_, Picture1);
    if (program_.readMode == ReadMode::Sheet) DrawRoute(program_, Picture1);
}

void Form1::SwapContourRows(int32_t a, int32_t b) {
    std::swap(List11.rows[static_cast<size_t>(a)], List11.rows[static_cast<size_t>(b)]);
    std::swap(program_.contourList[static_cast<size_t>(a)], program_.contourList[static_cast<size_t>(b)]);
}

void Form1::Command6_Click() {
    const int32_t r = List11.selected;
    if (r <= 0 || r >= List11.ListCount()) return;
    RememberPlan();
    SwapContourRows(r - 1, r);
    List11.selected = r - 1;
}

void Form1::Command7_Click() {
    const int32_t r = List11.selected;
    if (r < 0 || r >= List11.ListCount() - 1) return;
    RememberPlan();
    SwapContourRows(r, r + 1);
    List11.selected = r + 1;
}

void Form1::Command8_Click() {
    RememberPlan();
    std::string chain;
    for (int32_t i = 0; i < List11.ListCount(); ++i) {
        chain += TrimBlanks(program_.contourList[static_cast<size_t>(i)]);
        chain += '|';
    }
    program_.contourChain = std::move(chain);
}

void Form1::Command10_Click() {
    RememberPlan();
    Text2.clear();
    Redraw();
}

std::vector<int32_t> Form1::SequenceRows(const std::string& sequence) const {
    std::vector<int32_t> rows;
    const auto elements = SplitFields(sequence, '|');
    for (size_t k = 0; k + 1 < elements.size(); ++k) {
        const auto row = SequenceRow(elements[k]);
        if (row && *row < PartRowCount(program_)) rows.push_back(*row);
    }
    return rows;
}

void Form1::Command11_Click() {
    Redraw();
    for (const int32_t row : SequenceRows(Text2)) {
        const PartFields part(program_.partList[static_cast<size_t>(row)]);
        DrawContour(Picture1, program_.PI, part.records, kGreen, false, 3);
        toolkit_.ShowMessage("");
    }
    Redraw();
}

void Form1::Command28_Click() {
    Redraw();
    if (TrimBlanks(Text2).empty()) {
        DrawListPath();
    } else {
        DrawSequencePath();
    }
}

void Form1::DrawListPath() {
    const int32_t count = PartRowCount(program_);
    if (count == 0) return;
    const auto [x0, y0] = LeadInStart(program_.partList[0]);
    Picture1.MoveTo(x0, y0);
    for (int32_t i = 1; i < count; ++i) {
        const auto [x, y] = LeadInStart(program_.partList[static_cast<size_t>(i)]);
        Picture1.LineTo(x, y, kGreen);
    }
}

void Form1::DrawSequencePath() {
    const std::vector<int32_t> rows = SequenceRows(Text2);
    if (rows.empty()) return;
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto [x, y] = LeadInStart(program_.partList[static_cast<size_t>(rows[k])]);
        if (k == 0) {
            Picture1.MoveTo(x, y);
        } else {
            Picture1.LineTo(x, y, kGreen);
        }
    }
    if (!toolkit_.AskYesNo("Save This Path", "Path")) return;
    if (SavePath(Text2)) Text2.clear();
}

bool Form1::SavePath(const std::string& sequence) {
    const int32_t count = PartRowCount(program_);
    std::vector<int32_t> order;
    std::vector<bool> placed(static_cast<size_t>(count), false);
    const auto deleted = [this](int32_t row) { return PartFields(program_.partList[static_cast<size_t>(row)]).IsDeleted(); };
    for (const int32_t row : SequenceRows(sequence)) {
        if (placed[static_cast<size_t>(row)] || deleted(row)) continue;
        placed[static_cast<size_t>(row)] = true;
        order.push_back(row);
    }
    if (order.empty()) return false;
    const auto picked = static_cast<int32_t>(order.size());
    // What was not picked keeps its planned order behind the picks; deleted parts stay listed, last.
    for (const bool takeDeleted : {false, true}) {
        for (int32_t row = 0; row < count; ++row) {
            if (!placed[static_cast<size_t>(row)] && deleted(row) == takeDeleted) order.push_back(row);
        }
    }
    const int32_t cut = count - CountDeletedParts(program_, count);
    PlanState before = CapturePlan();
    for (size_t i = 0; i < order.size(); ++i) program_.partListScratch[i] = program_.partList[static_cast<size_t>(order[i])];
    for (size_t i = 0; i < order.size(); ++i) program_.partList[i] = program_.partListScratch[i];
    // Rows of the parts without a clear lead-in follow their parts.
    for (int32_t& row : unclearLeadIns_) {
        row = static_cast<int32_t>(std::find(order.begin(), order.end(), row) - order.begin());
    }
    std::sort(unclearLeadIns_.begin(), unclearLeadIns_.end());
    const auto late = CutAfterTheirHolder(program_);
    std::string lateText;
    if (!late.empty()) {
        lateText = "This order cuts part " + std::to_string(late.front().first) + " after part " +
                   std::to_string(late.front().second) + " around it" +
                   (late.size() > 1 ? " (and " + std::to_string(late.size() - 1) + " more so)" : "") +
                   ": once the outer contour is cut free, the part inside may drop or shift before it is cut.";
    }
    if (!late.empty() && SheetPlanning()) {
        RestorePlan(std::move(before));
        toolkit_.ShowMessage(lateText + " The order was not changed.");
        return false;
    }
    history_.Remember(std::move(before));
    planChanged_ = true;
    List2.Clear();
    Redraw();
    ShowPlanStatus();
    const int32_t following = cut - picked;
    if (following > 0) {
        StatusLine += " " + std::to_string(following) +
                      (following == 1 ? " part not clicked follows" : " parts not clicked follow") + " in the planned order.";
    }
    if (!lateText.empty()) StatusLine += " " + lateText;
    return true;
}

void Form1::List2_Click() {
    if (List2.selected < 0 || List2.selected >= PartRowCount(program_)) return;
    Caption = "ZORVAN - " + PartCaption(program_, List2.selected);
}

}  // namespace zorvan
