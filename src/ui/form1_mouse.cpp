// The mouse tools on the main window's picture.
#include <algorithm>
#include <cmath>

#include "draw/draw_records.h"
#include "planning/outlines.h"
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
    const bool zoomed = OptionOn == Tool::Zoom;
    if (zoomed) ZoomToBand();
    const bool picking = SSTab1Tab == Tab::CuttingOrder || (OptionOn != Tool::None && !zoomed);
    if (!picking || PartRowCount(program_) == 0) return;
    const std::optional<int32_t> picked = PickPart(x, y);
    if (!picked) {
        if (!zoomed) StatusLine = "no part here: a click acts on the part whose contour it is on or next to.";
        return;
    }
    const int32_t row = *picked;
    if (SSTab1Tab == Tab::CuttingOrder) {
        AddToSequence(row);
        return;
    }
    const bool changedBefore = planChanged_;
    RememberPlan();
    const bool planChanged = ApplyTool(row, x, y);
    if (!planChanged) {
        history_.Forget();
        planChanged_ = changedBefore;
    }
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
    if (SheetPlanning() && !LeadInIsClear(program_, LeadInOutlines(program_), row)) {
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

void Form1::AddToSequence(int32_t row) {
    const std::vector<int32_t> rows = SequenceRows(Text2);
    if (std::find(rows.begin(), rows.end(), row) != rows.end()) {
        StatusLine = "Part " + std::to_string(row) + " is in the sequence already: a second click is ignored.";
        return;
    }
    if (PartFields(program_.partList[static_cast<size_t>(row)]).IsDeleted()) {
        StatusLine = "Part " + std::to_string(row) + " is deleted: it is not cut, so it takes no place in the sequence.";
        return;
    }
    RememberPlan();
    Text2 += std::to_string(row) + "|";
    DrawContour(Picture1, program_.PI, program_.partList[static_cast<size_t>(row)].Records(), kGreen, false, 3);
    StatusLine = "Sequence: " + std::to_string(rows.size() + 1) + " of " + std::to_string(PartRowCount(program_)) +
                 " parts picked. \"Show Path\" shows it and offers to save it.";
}

double Form1::PickDistance() const {
    const double width = Picture1.OuterWidth();
    const double viewWidth = std::fabs(program_.viewRight - program_.viewLeft);
    return width > 0 && viewWidth > 0 ? kPickPixels * viewWidth / width : 0;
}

std::optional<int32_t> Form1::PickPart(double x, double y) const {
    const Point2 at{x, y};
    double best = PickDistance();
    std::optional<int32_t> row;
    for (int32_t i = 0; i < PartRowCount(program_); ++i) {
        for (const RecordValues& record : program_.partList[static_cast<size_t>(i)].Records()) {
            const double d = DistanceToRecord(at, record);
            if (d <= best && (!row || d < best)) {
                best = d;
                row = i;
            }
        }
    }
    return row;
}

}  // namespace zorvan
