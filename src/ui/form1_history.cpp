// The main window's undo and redo, the wheel's zoom and the middle button's pan.
#include <algorithm>
#include <utility>

#include "draw/view.h"
#include "ui/form1.h"

namespace zorvan {

PlanState Form1::CapturePlan() const {
    PlanState state;
    const int32_t parts = PartRowCount(program_);
    state.parts.assign(program_.partList.begin(), program_.partList.begin() + parts);
    const int32_t contours = std::clamp(program_.contourCount, 0, kMaxContours);
    state.contours.assign(program_.contourList.begin(), program_.contourList.begin() + contours);
    state.contourChain = program_.contourChain;
    state.extMinX = program_.extMinX, state.extMinY = program_.extMinY;
    state.extMaxX = program_.extMaxX, state.extMaxY = program_.extMaxY;
    state.sequence = Text2;
    state.unclearLeadIns = unclearLeadIns_;
    state.openLeftOut = program_.openLeftOut;
    state.cutStyle = program_.cutStyle;
    return state;
}

void Form1::RestorePlan(PlanState state) {
    const int32_t before = PartRowCount(program_);
    const auto parts = static_cast<int32_t>(state.parts.size());
    for (int32_t i = 0; i < parts; ++i) program_.partList[static_cast<size_t>(i)] = std::move(state.parts[static_cast<size_t>(i)]);
    for (int32_t i = parts; i < before; ++i) program_.partList[static_cast<size_t>(i)] = PartEntry();
    program_.partCount = parts;
    const auto contours = static_cast<int32_t>(state.contours.size());
    List11.Clear();
    for (int32_t i = 0; i < contours; ++i) {
        program_.contourList[static_cast<size_t>(i)] = std::move(state.contours[static_cast<size_t>(i)]);
        List11.AddItem(program_.contourList[static_cast<size_t>(i)]);
    }
    program_.contourCount = contours;
    program_.contourChain = std::move(state.contourChain);
    program_.extMinX = state.extMinX, program_.extMinY = state.extMinY;
    program_.extMaxX = state.extMaxX, program_.extMaxY = state.extMaxY;
    Text2 = std::move(state.sequence);
    unclearLeadIns_ = std::move(state.unclearLeadIns);
    program_.openLeftOut = std::move(state.openLeftOut);
    program_.cutStyle = state.cutStyle;
    ListContourRecords();
    Redraw();
    ShowPlanStatus();
}

void Form1::Undo() {
    if (auto state = history_.Undo(CapturePlan())) {
        RestorePlan(std::move(*state));
    } else {
        StatusLine = "Nothing to undo.";
    }
}

void Form1::Redo() {
    if (auto state = history_.Redo(CapturePlan())) {
        RestorePlan(std::move(*state));
    } else {
        StatusLine = "Nothing to redo.";
    }
}

void Form1::ZoomAbout(double x, double y, double factor) {
    if (!(factor > 0)) return;
    const auto toward = [factor](double edge, double at) { return at + (edge - at) * factor; };
    FitView(program_, Picture1, toward(program_.viewLeft, x), toward(program_.viewTop, y),
            toward(program_.viewRight, x), toward(program_.viewBottom, y), false);
    Redraw();
}

void Form1::PanBy(double dx, double dy) {
    FitView(program_, Picture1, program_.viewLeft + dx, program_.viewTop + dy, program_.viewRight + dx,
            program_.viewBottom + dy, false);
    Redraw();
}

void Form1::NoteSaved(const std::string& note, bool program) {
    lastSave_ = note;
    if (program) planChanged_ = false;
    ShowPlanStatus();
}

}  // namespace zorvan
