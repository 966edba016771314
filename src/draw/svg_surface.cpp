// The SVG surface.
#include "draw/svg_surface.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zorvan {

namespace {

// Pixels to two decimals, "." always.
std::string Px(double value) {
    if (!std::isfinite(value)) value = 0;
    value = std::clamp(value, -1e9, 1e9);
    if (std::fabs(value) < 0.005) value = 0;  // never "-0.00"
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 2);
    return std::string(text.data(), result.ptr);
}

std::string Hex(Colour colour) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "#%06X", static_cast<unsigned>(colour & 0xFFFFFFu));
    return text.data();
}

}  // namespace

void SvgSurface::SetScale(double left, double top, double right, double bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

double SvgSurface::PixelX(double x) const { return right_ == left_ ? 0 : (x - left_) / (right_ - left_) * width_; }
double SvgSurface::PixelY(double y) const { return bottom_ == top_ ? 0 : (y - top_) / (bottom_ - top_) * height_; }
double SvgSurface::PixelLength(double length) const {
    return right_ == left_ ? 0 : std::fabs(length / (right_ - left_) * width_);
}

void SvgSurface::MoveTo(double x, double y) {
    penX_ = x;
    penY_ = y;
}

void SvgSurface::LineTo(double x, double y, Colour colour) {
    Line(penX_, penY_, x, y, colour);
    MoveTo(x, y);
}

void SvgSurface::Line(double x1, double y1, double x2, double y2, Colour colour) {
    elements_.push_back("<line x1=\"" + Px(PixelX(x1)) + "\" y1=\"" + Px(PixelY(y1)) + "\" x2=\"" + Px(PixelX(x2)) +
                        "\" y2=\"" + Px(PixelY(y2)) + "\" stroke=\"" + Hex(colour) + "\" stroke-width=\"" +
                        std::to_string(penWidth_) + "\" stroke-linecap=\"round\"/>");
    MoveTo(x2, y2);
}

void SvgSurface::Rectangle(double x1, double y1, double x2, double y2, Colour colour) {
    const double px1 = PixelX(x1), py1 = PixelY(y1), px2 = PixelX(x2), py2 = PixelY(y2);
    elements_.push_back("<rect x=\"" + Px(std::min(px1, px2)) + "\" y=\"" + Px(std::min(py1, py2)) + "\" width=\"" +
                        Px(std::fabs(px2 - px1)) + "\" height=\"" + Px(std::fabs(py2 - py1)) + "\" fill=\"none\" stroke=\"" +
                        Hex(colour) + "\" stroke-width=\"" + std::to_string(penWidth_) + "\"/>");
}

void SvgSurface::Dot(double x, double y, Colour colour) {
    elements_.push_back("<circle cx=\"" + Px(PixelX(x)) + "\" cy=\"" + Px(PixelY(y)) + "\" r=\"" +
                        Px(penWidth_ / 2.0) + "\" fill=\"" + Hex(colour) + "\"/>");
}

void SvgSurface::Circle(double cx, double cy, double radius, Colour colour) {
    elements_.push_back("<circle cx=\"" + Px(PixelX(cx)) + "\" cy=\"" + Px(PixelY(cy)) + "\" r=\"" +
                        Px(PixelLength(radius)) + "\" fill=\"none\" stroke=\"" + Hex(colour) + "\" stroke-width=\"" +
                        std::to_string(penWidth_) + "\"/>");
}

std::string SvgSurface::Svg() const {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Px(width_) + "\" height=\"" + Px(height_) +
                      "\" viewBox=\"0 0 " + Px(width_) + " " + Px(height_) + "\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";
    for (const std::string& element : elements_) svg += element + "\n";
    return svg + "</svg>\n";
}

}  // namespace zorvan
