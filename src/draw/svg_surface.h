// A surface that builds an SVG picture: the user scale mapped onto a picture of the surface's size, pen
// widths in pixels, dots as filled circles as wide as the pen, invert mode ignored.
#pragma once

#include <string>
#include <vector>

#include "draw/surface.h"

namespace zorvan {

class SvgSurface : public Surface {
public:
    SvgSurface(double width, double height) : width_(width), height_(height), right_(width), bottom_(height) {}

    // The whole picture as SVG text, white background first.
    std::string Svg() const;

    double OuterWidth() const override { return width_; }
    double OuterHeight() const override { return height_; }
    void SetScale(double left, double top, double right, double bottom) override;
    void Clear() override { elements_.clear(); }
    void SetPenWidth(int width) override { penWidth_ = width; }
    int PenWidth() const override { return penWidth_; }
    void SetDrawMode(DrawMode) override {}
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y, Colour colour) override;
    void Line(double x1, double y1, double x2, double y2, Colour colour) override;
    void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override;
    void Dot(double x, double y, Colour colour) override;
    void Circle(double cx, double cy, double radius, Colour colour) override;

private:
    double PixelX(double x) const;
    double PixelY(double y) const;
    double PixelLength(double length) const;

    double width_, height_;
    double left_ = 0, top_ = 0, right_, bottom_;
    int penWidth_ = 1;
    double penX_ = 0, penY_ = 0;
    std::vector<std::string> elements_;
};

}  // namespace zorvan
