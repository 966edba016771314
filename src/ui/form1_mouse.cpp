// The mouse tools on the main window's picture.
#include <algorithm>
#include <cmath>

#include "draw/draw_records.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "ui/form1.h"
#include "draw/view.h"
#include "planning/scrap_lead_ins.h"
#include "planning/sheet_plan.h"

namespace zorvan {

namespace {

// The zoom band is drawn in invert mode, where the colour only matters to surfaces without inversion.
constexpr Colour kBandColour = 0x000000;

// The entry with its lead-in start (header words 3 and 4) moved to (x, y) as the mouse gave it.
std::string WithLeadInAt(std::string_view entry, double x, double y) {
    const PartFields part(entry);
    std::vector<std::string> header;
    for (std::string_view word : SplitFields(part.header)) header.emplace_back(word);
    header.resize(std::max<size_t>(header.size(), 5));
    header[3] = SingleNumber(static_cast<float>(x));
    header[4] = SingleNumber(static_cast<float>(y));
    header.resize(5);
    return JoinFields(header) + ":" + std::string(part.records) + ":" + std::string(part.marks);
}

}  // namespace

void Form1::Picture1_MouseDown(double x, double y) {
    if (OptionOn != Tool::Zoom) return;
    zoomDragging = true;
    zoomStartX = zoomEndX = x;
    zoomStartY = zoomEndY = y;
}

void Form1::Picture1_MouseMove(double x, double y) {
    if (OptionOn != Tool::Zoom || !zoomDragging) return;
    Picture1.SetDrawMode(DrawMode::Invert);
    Picture1.Rectangle(zoomStartX, zoomStartY, zoomEndX, zoomEndY, kBandColour);
    zoomEndX = x;
    zoomEndY = y;
    Picture1.Rectangle(zoomStartX, zoomStartY, zoomEndX, zoomEndY, kBandColour);
}

// The band's corners are ordered first, so a drag in any direction zooms into what was dragged.
void Form1::ZoomToBand() {
    Picture1.SetDrawMode(DrawMode::Normal);
    Picture1.Rectangle(zoomStartX, zoomStartY, zoomEndX, zoomEndY, kBandColour);
    zoomDragging = false;
    FitView(program_, Picture1, std::min(zoomStartX, zoomEndX), std::max(zoomStartY, zoomEndY),
            std::max(zoomStartX, zoomEndX), std::min(zoomStartY, zoomEndY), true);
    Redraw();
}

void Form1::Picture1_MouseUp(double x, double y) {
    if (OptionOn == Tool::Zoom) ZoomToBand();
    if (PartRowCount(program_) == 0) return;
    const int32_t row = PickNearestPart(x, y);
    if (SSTab1Tab == Tab::CuttingOrder) {
        RememberPlan();
        Text2 += std::to_string(row) + "|";
        DrawContour(Picture1, program_.PI, program_.partList[static_cast<size_t>(row)].Records(), kGreen, false, 3);
        return;
    }
    RememberPlan();
    const bool planChanged = ApplyTool(row, x, y);
    if (!planChanged) history_.Forget();
    if (OptionOn == Tool::Edit) {
        editPartIndex = static_cast<int16_t>(row);
        toolkit_.ShowModal(ModalWindow::Edit);
    }
    Redraw();
    if (planChanged) ShowPlanStatus();
}

bool Form1::MoveLeadIn(int32_t row, double x, double y) {
    PartEntry& entry = program_.partList[static_cast<size_t>(row)];
    PartEntry before = entry;
    entry = WithLeadInAt(entry.Text(), x, y);
    // A sheet's lead-ins stay in the scrap: a pierce in part material or a lead-in across a contour is refused.
    if (SheetPlanning() && !LeadInIsClear(program_, PartOutlines(program_), row)) {
        entry = std::move(before);
        StatusLine = "Lead-in of part " + std::to_string(row) +
                     " not moved: there it would pierce part material or cross a contour.";
        return false;
    }
    return true;
}

bool Form1::ApplyTool(int32_t row, double x, double y) {
    PartEntry& entry = program_.partList[static_cast<size_t>(row)];
    const std::string& text = entry.Text();
    switch (OptionOn) {
        case Tool::Select: entry = ReplaceAll(text, "NOTS", "SEL"); break;
        case Tool::Deselect: entry = ReplaceAll(text, "SEL", "NOTS"); break;
        case Tool::Delete: entry = ReplaceAll(text, "NOTD", "DEL"); break;
        case Tool::Undelete: entry = ReplaceAll(text, "DEL", "NOTD"); break;
        case Tool::Inside: entry = ReplaceAll(text, "OO", "II"); break;
        case Tool::Outside: entry = ReplaceAll(text, "II", "OO"); break;
        case Tool::MoveLeadIn: return MoveLeadIn(row, x, y);
        case Tool::None:
        case Tool::Edit:  // opened by the caller once the part is picked
        case Tool::Zoom: return false;
    }
    return true;
}

int32_t Form1::PickNearestPart(double x, double y) const {
    double best = 100000;
    int32_t row = 0;
    for (int32_t i = 0; i < PartRowCount(program_); ++i) {
        const auto header = SplitFields(PartFields(program_.partList[static_cast<size_t>(i)]).header);
        const double dx = LenientParse(FieldAt(header, 1)) - x;
        const double dy = LenientParse(FieldAt(header, 2)) - y;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
            best = d;
            row = i;
        }
    }
    return row;
}

}  // namespace zorvan
