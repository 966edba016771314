// The main window's contour reordering and the operator's own cutting sequence.
#include <cctype>

#include "draw/draw_records.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "ui/form1.h"
#include "draw/view.h"

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
    for (int32_t i = 0; i < count; ++i) List2.rows[static_cast<size_t>(i)] = program_.partList[static_cast<size_t>(i)];
    if (List2.selected >= count) List2.selected = -1;
}

void Form1::Redraw() {
    // The cutting-order list shows the entries as they now are: the steps before a redraw rewrite partList.
    ShowParts();
    RedrawView(program_, PartRowCount(program_), Picture1, kBlue);
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
    SavePath(Text2);
    Text2.clear();
}

void Form1::SavePath(const std::string& sequence) {
    const std::vector<int32_t> rows = SequenceRows(sequence);
    if (rows.empty()) return;
    RememberPlan();
    const size_t count = std::min(rows.size(), program_.partListScratch.size());
    for (size_t i = 0; i < count; ++i) {
        program_.partListScratch[i] = program_.partList[static_cast<size_t>(rows[i])];
    }
    for (size_t i = 0; i < count; ++i) program_.partList[i] = program_.partListScratch[i];
    program_.partCount = static_cast<int32_t>(count);
    List2.Clear();
    ShowParts();
}

void Form1::List2_Click() {
    if (List2.selected < 0 || List2.selected >= PartRowCount(program_)) return;
    Caption = program_.partList[static_cast<size_t>(List2.selected)];
}

}  // namespace zorvan
