// The SVG surface: the user scale onto the picture, pen widths in pixels, dots as filled circles.
#include "draw/svg_surface.h"

#include <gtest/gtest.h>

namespace zorvan {
namespace {

TEST(SvgSurface, MapsTheUserScaleOntoThePicture) {
    SvgSurface svg(800, 600);
    svg.SetScale(-10, 55, 110, -35);  // y grows upwards in the drawing, downwards in the picture
    svg.SetPenWidth(3);
    svg.Line(-10, 55, 110, -35, kBlue);
    svg.SetPenWidth(7);
    svg.Dot(50, 10, kGreen);
    svg.SetPenWidth(1);
    svg.Circle(50, 10, 15, kGrey);
    svg.SetDrawMode(DrawMode::Invert);  // no effect on a picture
    svg.MoveTo(0, 0);
    svg.LineTo(110, 0, kYellow);
    svg.Rectangle(110, -35, -10, 55, kGreen);
    const std::string text = svg.Svg();
    EXPECT_TRUE(text.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800.00\" height=\"600.00\""));
    EXPECT_NE(text.find("<line x1=\"0.00\" y1=\"0.00\" x2=\"800.00\" y2=\"600.00\" stroke=\"#0000FF\" stroke-width=\"3\""),
              std::string::npos);
    EXPECT_NE(text.find("<circle cx=\"400.00\" cy=\"300.00\" r=\"3.50\" fill=\"#00FF00\"/>"), std::string::npos);
    EXPECT_NE(text.find("<circle cx=\"400.00\" cy=\"300.00\" r=\"100.00\" fill=\"none\" stroke=\"#808080\""),
              std::string::npos);
    EXPECT_NE(text.find("<line x1=\"66.67\" y1=\"366.67\" x2=\"800.00\" y2=\"366.67\" stroke=\"#FFFF00\""),
              std::string::npos);
    EXPECT_NE(text.find("<rect x=\"0.00\" y=\"0.00\" width=\"800.00\" height=\"600.00\" fill=\"none\""),
              std::string::npos);
    svg.Clear();
    EXPECT_EQ(svg.Svg().find("<line"), std::string::npos);
}

}  // namespace
}  // namespace zorvan
