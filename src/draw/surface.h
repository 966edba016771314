// The drawing surface every drawing routine speaks to. Back ends: the recording surface (tests), the SVG
// surface (previews), the null surface (nothing to look at) and, in the window, the picture box's image.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorvan {

// A 24-bit colour, 0xRRGGBB.
using Colour = uint32_t;
inline constexpr Colour kBlue = 0x0000FF;
inline constexpr Colour kGreen = 0x00FF00;
inline constexpr Colour kYellow = 0xFFFF00;
inline constexpr Colour kGrey = 0x808080;

// Normal drawing paints the colour; invert drawing flips what is there, so a second stroke erases the first.
enum class DrawMode { Normal, Invert };

// Coordinates are user coordinates, set by SetScale from the left-top and right-bottom corners.
class Surface {
public:
    virtual ~Surface() = default;

    virtual double OuterWidth() const = 0;
    virtual double OuterHeight() const = 0;
    virtual void SetScale(double left, double top, double right, double bottom) = 0;
    virtual void Clear() = 0;
    virtual void SetPenWidth(int width) = 0;
    virtual int PenWidth() const = 0;
    virtual void SetDrawMode(DrawMode mode) = 0;
    virtual void MoveTo(double x, double y) = 0;
    virtual void LineTo(double x, double y, Colour colour) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, Colour colour) = 0;
    virtual void Rectangle(double x1, double y1, double x2, double y2, Colour colour) = 0;
    virtual void Dot(double x, double y, Colour colour) = 0;
    virtual void Circle(double cx, double cy, double radius, Colour colour) = 0;
    // Dashed strokes until switched off again (deleted parts, contours left out). Surfaces that cannot dash
    // draw solid.
    virtual void SetDashed(bool /*dashed*/) {}
    // A short label centred on (x, y), a fixed size on screen whatever the scale (the parts' row numbers).
    // Surfaces without text leave it out.
    virtual void Label(double /*x*/, double /*y*/, std::string_view /*text*/, Colour /*colour*/) {}
};

}  // namespace zorvan
