// The drawing view: which rectangle of the drawing a surface shows, the full redraw from partList, and the
// extents of the planned parts.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/program.h"
#include "ui/surface.h"

namespace zorvan {

// Makes the drawing rectangle with left-top corner (left, top) and right-bottom corner (right, bottom) fill
// the surface without distortion: with `addMargin` 10 % of its size is added on every side, then the width
// or the height grows to the surface's proportions (the left-top corner stays). The rectangle applied is
// recorded in viewLeft, viewTop, viewRight, viewBottom. A rectangle of no height, or a surface of no size,
// leaves the view as it was.
void FitView(Program& program, Surface& surface, double left, double top, double right, double bottom,
             bool addMargin);

// Clears the surface, draws the grey origin marks (0, 0)-(1000, 0) and (0, 0)-(0, 1000), then every part
// 0..partCount-1 in row order: its contour at pen width 1 for an inside cut ("II") and 3 otherwise, in
// `baseColour`, grey when deleted, yellow when selected (selected wins); then its header.
void RedrawView(const Program& program, int32_t partCount, Surface& surface, Colour baseColour);

// Extents grown point by point: a value below the minimum replaces it, one at or above the maximum replaces
// it. They start at 100000 (minimum) and -100000 (maximum).
class ExtentBuilder {
public:
    void Include(double x, double y) {
        IncludeOne(x, minX, maxX);
        IncludeOne(y, minY, maxY);
    }
    void IncludeX(double x) { IncludeOne(x, minX, maxX); }
    void IncludeY(double y) { IncludeOne(y, minY, maxY); }

    double minX = 100000, maxX = -100000, minY = 100000, maxY = -100000;

private:
    static void IncludeOne(double v, double& minimum, double& maximum) {
        if (v < minimum) minimum = v;
        if (v >= maximum) maximum = v;
    }
};

// Takes one record into the extents: a circle whole, a line by its ends, an arc by its chord vertices.
void IncludeRecord(double PI, std::string_view record, ExtentBuilder& extents);

// The extents of parts 0..partCount-1 (deleted ones too): circles whole, lines by their ends, arcs by the
// chord vertices of ArcToChords with 8 divisions (the arc's last point is not included). Then redraws.
void RecomputeExtents(Program& program, int32_t partCount, Surface& surface);

// Where the main window puts its tab frame and picture for a window of `width` x `height` (window units).
struct MainWindowLayout {
    double tabLeft, tabWidth, pictureLeft, pictureTop, pictureWidth, pictureHeight;
};
MainWindowLayout LayOutMainWindow(double width, double height, double tabTop, double tabHeight);

// Where the G-code window puts its listing, picture and foot frame for a window of `width` x `height`.
struct GCodeWindowLayout {
    double listWidth, pictureWidth, pictureLeft, frameTop, listHeight, pictureHeight;
};
GCodeWindowLayout LayOutGCodeWindow(double width, double height, double frameHeight);

}  // namespace zorvan
