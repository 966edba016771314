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

void RedrawView(const Program& program, int32_t partCount, Surface& surface, Colour baseColour) {
    surface.Clear();
    surface.SetPenWidth(1);
    surface.Line(0, 0, 1000, 0, kGrey);
    surface.Line(0, 0, 0, 1000, kGrey);
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        const PartFields part(entry);
        const auto header = SplitFields(part.header);
        const auto marks = SplitFields(part.marks);
        const int16_t width = FieldAt(header, 0) == "II" ? 1 : 3;
        Colour colour = baseColour;
        if (FieldAt(marks, 1) == "DEL") colour = kGrey;
        if (FieldAt(marks, 0) == "SEL") colour = kYellow;
        DrawContour(surface, program.PI, entry.Records(), colour, false, width);
        DrawPathHeader(surface, part.header);
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
