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
#include "planning/cut_shapes.h"
#include "planning/kerf_check.h"
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
    // An arc lead-in is drawn by DrawCutShapes: its straight chord would read as a second lead-in.
    if (ReadCutShape(part.header).arcRadius > 0) {
        const PartLeadIn leadIn = LeadInOf(entry);
        surface.SetPenWidth(7);
        surface.Dot(leadIn.start.x, leadIn.start.y, leadIn.marker == "OO" ? kGreen : kBlue);
        surface.Dot(leadIn.pierce.x, leadIn.pierce.y, leadIn.marker == "OO" ? kGreen : kBlue);
        surface.SetPenWidth(1);
        return;
    }
    DrawPathHeader(surface, part.header);
}

// Pieces as short straight strokes (arcs in steps of at most 10 degrees).
void DrawPieces(Surface& surface, const std::vector<Piece>& pieces, Colour colour) {
    for (const Piece& piece : pieces) {
        const int steps = piece.arc ? std::max(1, static_cast<int>(std::ceil(piece.Sweep() / 0.1745))) : 1;
        Point2 at = piece.from;
        for (int k = 1; k <= steps; ++k) {
            const Point2 next = piece.At(static_cast<double>(k) / steps);
            surface.Line(at.x, at.y, next.x, next.y, colour);
            at = next;
        }
    }
}

// Drawing units to pixels, from the view the surface shows.
double PixelsPerUnit(const Program& program, const Surface& surface) {
    const double span = std::fabs(program.viewRight - program.viewLeft);
    return span > 0 ? surface.OuterWidth() / span : 0;
}

}  // namespace

void DrawKerfBands(const Program& program, Surface& surface) {
    constexpr Colour kBand = 0xC8DCF0;
    if (!(program.kerf > 0)) return;
    const double pixels = program.kerf * PixelsPerUnit(program, surface);
    surface.SetPenWidth(std::clamp(static_cast<int>(std::lround(pixels)), 1, 200));
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (PartFields(entry).IsDeleted()) continue;
        // Where the torch's centre runs: half a kerf into the scrap; a contour cut without a side, on its line.
        const std::optional<OffsetContour> offset = KerfOffsetPath(program, i);
        DrawPieces(surface, offset && offset->problem.empty() ? offset->path : ContourPieces(entry.Records()), kBand);
    }
    surface.SetPenWidth(1);
}

void DrawCutShapes(const Program& program, Surface& surface) {
    constexpr Colour kLeadIn = 0x0060C0, kFinish = 0xC000C0, kSmallHole = 0xE08000;
    surface.SetPenWidth(2);
    for (int32_t i = 0; i < PartRowCount(program); ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        if (PartFields(entry).IsDeleted()) continue;
        if (const std::vector<Piece> leadIn = LeadInPieces(program, i); leadIn.size() > 1) DrawPieces(surface, leadIn, kLeadIn);
        const CutFinish finish = FinishOf(program, i);
        DrawPieces(surface, finish.overcut, kFinish);
        DrawPieces(surface, finish.leadOut, kFinish);
        if (IsSmallHole(program, i)) {  // a ring round the hole, a little larger than it
            const Box box = BoxOfPieces(ContourPieces(entry.Records()));
            const double radius = std::max(box.maxX - box.minX, box.maxY - box.minY) * 0.75;
            surface.Circle((box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2, radius, kSmallHole);
        }
    }
    surface.SetPenWidth(1);
}

void RedrawSheetPreview(const Program& program, int32_t partCount, Surface& surface) {
    DrawOrigin(surface);
    DrawKerfBands(program, surface);
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        DrawPart(program, entry, LookOf(PartFields(entry), kBlue, false), surface);
    }
    DrawCutShapes(program, surface);
    DrawRoute(program, surface);
}

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
    const bool sheet = program.readMode == ReadMode::Sheet;
    if (sheet) DrawKerfBands(program, surface);
    const int32_t count = PartRowCount(program);
    for (int32_t i = 0; i < count; ++i) {
        const PartEntry& entry = program.partList[static_cast<size_t>(i)];
        DrawPart(program, entry, LookOf(PartFields(entry), kBlue, true), surface);
    }
    if (sheet) DrawCutShapes(program, surface);
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
