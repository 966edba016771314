// A surface that draws nothing and logs one line per call, for tests that assert on strokes.
#pragma once

#include <string>
#include <vector>

#include "draw/surface.h"

namespace zorvan {

// Log lines read like "clear", "scale 0 10 10 0", "width 3", "line 0 0 10 0 #0000FF", "dot 1 2 #00FF00",
// "dashed", "solid", "label 5 5 #000000 12"; numbers are in the default number form.
class RecordingSurface : public Surface {
public:
    RecordingSurface(double outerWidth = 800, double outerHeight = 600)
        : outerWidth_(outerWidth), outerHeight_(outerHeight) {}

    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    double OuterWidth() const override { return outerWidth_; }
    double OuterHeight() const override { return outerHeight_; }
    void SetScale(double left, double top, double right, double bottom) override;
    void Clear() override;
    void SetPenWidth(int width) override;
    int PenWidth() const override { return penWidth_; }
    void SetDrawMode(DrawMode mode) override;
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y, Colour colour) override;
    void Line(double x1, double y1, double x2, double y2, Colour colour) override;
    void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override;
    void Dot(double x, double y, Colour colour) override;
    void Circle(double cx, double cy, double radius, Colour colour) override;
    void SetDashed(bool dashed) override { Record(dashed ? "dashed" : "solid"); }
    void Label(double x, double y, std::string_view text, Colour colour) override;

private:
    void Record(std::string line) { log_.push_back(std::move(line)); }

    double outerWidth_;
    double outerHeight_;
    int penWidth_ = 1;
    std::vector<std::string> log_;
};

}  // namespace zorvan
