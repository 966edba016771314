// A surface that draws nothing: for the command line, where the window's redraws have no one to look at.
#pragma once

#include "draw/surface.h"

namespace zorvan {

class NullSurface : public Surface {
public:
    NullSurface(double outerWidth = 800, double outerHeight = 600) : width_(outerWidth), height_(outerHeight) {}

    double OuterWidth() const override { return width_; }
    double OuterHeight() const override { return height_; }
    void SetScale(double, double, double, double) override {}
    void Clear() override {}
    void SetPenWidth(int width) override { penWidth_ = width; }
    int PenWidth() const override { return penWidth_; }
    void SetDrawMode(DrawMode) override {}
    void MoveTo(double, double) override {}
    void LineTo(double, double, Colour) override {}
    void Line(double, double, double, double, Colour) override {}
    void Rectangle(double, double, double, double, Colour) override {}
    void Dot(double, double, Colour) override {}
    void Circle(double, double, double, Colour) override {}

private:
    double width_, height_;
    int penWidth_ = 1;
};

}  // namespace zorvan
