// The drawing view.
#include "ui/view.h"

#include <cmath>
#include <string>

#include "geometry/draw_records.h"
#include "import/arc_helpers.h"
#include "model/number_text.h"
#include "model/part_entry.h"
#include "model/record_text.h"

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
        const PartFields part(program.partList[static_cast<size_t>(i)]);
        const auto header = SplitFields(part.header);
        const auto marks = SplitFields(part.marks);
        const int16_t width = FieldAt(header, 0) == "II" ? 1 : 3;
        Colour colour = baseColour;
        if (FieldAt(marks, 1) == "DEL") colour = kGrey;
        if (FieldAt(marks, 0) == "SEL") colour = kYellow;
        DrawContour(surface, program.PI, part.records, colour, false, width);
        DrawPathHeader(surface, part.header);
    }
}

void IncludeRecord(double PI, std::string_view record, ExtentBuilder& extents) {
    const auto f = SplitFields(record);
    const auto n = [&f](size_t i) { return LenientParse(FieldAt(f, i)); };
    if (ContainsAfterFirst(record, 'K')) {
        const double x = n(0), y = n(1), r = n(3);
        extents.IncludeX(x - r);
        extents.IncludeX(x + r);
        extents.IncludeY(y - r);
        extents.IncludeY(y + r);
    }
    if (ContainsAfterFirst(record, 'D')) {
        extents.Include(n(0), n(1));
        extents.Include(n(3), n(4));
    }
    if (ContainsAfterFirst(record, 'A')) {
        const std::string sense(TrimBlanks(FieldAt(f, 6)));
        const std::string chords = ArcToChords(PI, 8, n(0), n(1), n(3), n(4), n(5), sense);
        const auto elements = SplitFields(chords, '|');
        for (size_t k = 0; k + 1 < elements.size(); ++k) {
            const auto p = SplitFields(elements[k]);
            extents.Include(LenientParse(FieldAt(p, 0)), LenientParse(FieldAt(p, 1)));
        }
    }
}


void RecomputeExtents(Program& program, int32_t partCount, Surface& surface) {
    ExtentBuilder extents;
    for (int32_t i = 0; i < partCount && i < kMaxContours; ++i) {
        const PartFields part(program.partList[static_cast<size_t>(i)]);
        const auto records = SplitFields(part.records, '|');
        for (size_t k = 0; k + 1 < records.size(); ++k) IncludeRecord(program.PI, records[k], extents);
    }
    program.extMinX = extents.minX;
    program.extMaxX = extents.maxX;
    program.extMinY = extents.minY;
    program.extMaxY = extents.maxY;
    RedrawView(program, partCount, surface, kBlue);
}

MainWindowLayout LayOutMainWindow(double width, double height, double tabTop, double tabHeight) {
    MainWindowLayout layout{};
    layout.tabLeft = 100;
    layout.pictureLeft = 100;
    layout.tabWidth = width - 300;
    layout.pictureTop = tabTop + tabHeight + 100;
    layout.pictureHeight = height - tabHeight - 600;
    layout.pictureWidth = width - 300;
    return layout;
}

GCodeWindowLayout LayOutGCodeWindow(double width, double height, double frameHeight) {
    GCodeWindowLayout layout{};
    layout.listWidth = 0.4 * width - 100;
    layout.pictureWidth = width - layout.listWidth - 450;
    layout.pictureLeft = layout.listWidth + 250;
    layout.frameTop = height - frameHeight - 500;
    layout.listHeight = height - frameHeight - 700;
    layout.pictureHeight = layout.listHeight;
    return layout;
}

}  // namespace zorvan
