// The recording surface's log lines.
#include "draw/recording_surface.h"

#include <array>
#include <cstdio>
#include <initializer_list>

#include "model/number_text.h"

namespace zorvan {

namespace {

std::string ColourText(Colour colour) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "#%06X", static_cast<unsigned>(colour & 0xFFFFFFu));
    return text.data();
}

std::string Numbers(std::initializer_list<double> values) {
    std::string text;
    for (const double value : values) text += " " + DefaultNumber(value);
    return text;
}

}  // namespace

void RecordingSurface::SetScale(double left, double top, double right, double bottom) {
    Record("scale" + Numbers({left, top, right, bottom}));
}

void RecordingSurface::Clear() { Record("clear"); }

void RecordingSurface::SetPenWidth(int width) {
    penWidth_ = width;
    Record("width " + std::to_string(width));
}

void RecordingSurface::SetDrawMode(DrawMode mode) {
    switch (mode) {
        case DrawMode::Normal: Record("mode normal"); return;
        case DrawMode::Invert: Record("mode invert"); return;
    }
}

void RecordingSurface::MoveTo(double x, double y) { Record("move" + Numbers({x, y})); }

void RecordingSurface::LineTo(double x, double y, Colour colour) {
    Record("lineto" + Numbers({x, y}) + " " + ColourText(colour));
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, Colour colour) {
    Record("line" + Numbers({x1, y1, x2, y2}) + " " + ColourText(colour));
}

void RecordingSurface::Rectangle(double x1, double y1, double x2, double y2, Colour colour) {
    Record("rect" + Numbers({x1, y1, x2, y2}) + " " + ColourText(colour));
}

void RecordingSurface::Dot(double x, double y, Colour colour) {
    Record("dot" + Numbers({x, y}) + " " + ColourText(colour));
}

void RecordingSurface::Circle(double cx, double cy, double radius, Colour colour) {
    Record("circle" + Numbers({cx, cy, radius}) + " " + ColourText(colour));
}

void RecordingSurface::Label(double x, double y, std::string_view text, Colour colour) {
    Record("label" + Numbers({x, y}) + " " + ColourText(colour) + " " + std::string(text));
}

}  // namespace zorvan
