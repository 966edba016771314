// The drawing view.
#include "draw/view.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "draw/draw_records.h"
#include "geometry/extents.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"
#include "planning/sheet_plan.h"

namespace zorvan {

void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool addMargin) {
    const double width = surface.OuterWidth(), height = surface.OuterHeight();
    double dx = std::fabs(right - left), dy = std::fabs(top - bottom);
    if (addMargin) {
        left -= 0.1 * dx;
        right += 0.1 * dx;
        top += 0.1 * dy;
        bottom -= 0.1 * dy;
        dx = std::fabs(right - left);
        dy = std::fabs(top - bottom);
    }
    if (dy == 0 || height == 0) return;  // the proportions cannot be divided out: keep the view
    if (dx / dy >= width / height) {
        if (width == 0) return;
        bottom = top - height * dx / width;
    } else {
        right = left + width * dy / height;
    }
    program.viewLeft = left;
    program.viewTop = top;
    program.viewRight = right;
    program.viewBottom = bottom;
    surface.SetScale(left, top, right, bottom);
}

namespace {

struct PartLook {
    Colour colour;
    int16_t width;
    bool dashed;
};

PartLook LookOf(const PartFields& part, Colour baseColour, bool dashDeleted) {
    const auto header = SplitFields(part.header);
    const auto marks = SplitFields(part.marks);
    PartLook look{baseColour, static_cast<int16_t>(FieldAt(header, 0) == "II" ? 1 : 3), false};
    if (FieldAt(marks, 1) == "DEL") {
        look.colour = kGrey;
        if (dashDeleted) look = {kGrey, 1, true};
    }
    if (FieldAt(marks, 0) == "SEL") look.colour = kYellow;
    return look;
}

void DrawOrigin(Surface& surface) {
    surface.Clear();
    surface.SetPenWidth(1);
    surface.Line(0, 0, 1000, 0, kGrey);
    surface.Line(0, 0, 0, 1000, kGrey);
}

void DrawPart(const Program& program, const PartEntry& entry, const PartLook& look, Surface& surface) {
    const PartFields part(entry);
    if (look.dashed) surface.SetDashed(true);
    DrawContour(surface, program.PI, entry.Records(), look.colour, false, look.width);
    if (look.dashed) surface.SetDashed(false);
    DrawPathHeader(surface, part.header);
}

}  // namespace

void RedrawView(const Program& program, int32_t partCount, Surface& surface, Colour baseColour) {
    DrawOrigin(surface);
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        DrawPart(program, entry, LookOf(PartFields(entry), baseColour, false), surface);
    }
}

void RedrawPlan(const Program& program, Surface& surface) {
    constexpr Colour kLeftOut = 0xE08000, kNumber = 0x000000;
    DrawOrigin(surface);
    const int32_t count = PartRowCount(program);
    for (int32_t i = 0; i < count; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        DrawPart(program, entry, LookOf(PartFields(entry), kBlue, true), surface);
    }
    if (!program.openLeftOut.empty()) {
        surface.SetDashed(true);
        for (const PartEntry& entry : program.openLeftOut) DrawContour(surface, program.PI, entry.Records(), kLeftOut, false, 1);
        surface.SetDashed(false);
    }
    // The numbers sit a little up and right of each start, a dozen pixels whatever the zoom.
    const double width = surface.OuterWidth();
    const double offset = width > 0 ? 12 * std::fabs(program.viewRight - program.viewLeft) / width : 0;
    for (int32_t i = 0; i < count; ++i) {
        const Point2 start = LeadInOf(program.partList[static_cast<size_t>(i)]).start;
        surface.Label(start.x + offset, start.y + offset, std::to_string(i), kNumber);
    }
}

void DrawRoute(const Program& program, Surface& surface) {
    constexpr Colour kTravel = 0x008000, kPierce = 0xFF0000;
    const std::vector<Travel> moves = TravelMoves(program);
    // Dashes a hundred and twentieth of the drawing's size long, so they look alike at every size.
    const double size = std::max(program.extMaxX - program.extMinX, program.extMaxY - program.extMinY);
    const double dash = size > 0 ? size / 120 : 1;
    surface.SetPenWidth(1);
    for (const Travel& move : moves) {
        const double length = Distance(move.from, move.to);
        const int dashes = static_cast<int>(std::min(10000.0, std::ceil(length / (2 * dash))));
        for (int k = 0; k < dashes; ++k) {
            const Point2 a = move.from + (move.to - move.from) * (2 * k * dash / length);
            const Point2 b = move.from + (move.to - move.from) * (std::min(length, (2 * k + 1) * dash) / length);
            surface.Line(a.x, a.y, b.x, b.y, kTravel);
        }
    }
    surface.SetPenWidth(5);
    for (const Travel& move : moves) surface.Dot(move.to.x, move.to.y, kPierce);
    surface.SetPenWidth(1);
}

void RecomputeExtents(Program& program, int32_t partCount, Surface& surface) {
    ComputePartExtents(program, partCount);
    RedrawView(program, partCount, surface, kBlue);
}

}  // namespace zorvan
