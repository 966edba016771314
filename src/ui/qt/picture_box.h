// A picture box: a widget that shows a QImage-backed drawing surface and keeps its picture between paints,
// and hands mouse events on to the window logic in the surface's user coordinates.
#pragma once

#include <QImage>
#include <QWidget>
#include <QPainter>
#include <functional>
#include <memory>

#include "draw/surface.h"

namespace zorvan::qt {

// The surface: every drawing call paints into the image at once; the widget only copies the image out.
class ImageSurface : public Surface {
public:
    explicit ImageSurface(QSize size);
    ~ImageSurface() override;

    // The picture, with every stroke so far in it.
    const QImage& Image() {
        EndPainting();
        return image_;
    }
    // A picture of `size` holding what the old one showed at its top left; the user scale stays.
    void Resize(QSize size);
    // The user coordinates of pixel position `pixel`, and the pixel position of a point in user coordinates.
    QPointF ToUser(QPointF pixel) const;
    QPointF ToPixel(double x, double y) const;

    double OuterWidth() const override { return image_.width(); }
    double OuterHeight() const override { return image_.height(); }
    void SetScale(double left, double top, double right, double bottom) override;
    void Clear() override;
    void SetPenWidth(int width) override { penWidth_ = width; }
    int PenWidth() const override { return penWidth_; }
    void SetDrawMode(DrawMode mode) override { mode_ = mode; }
    void MoveTo(double x, double y) override;
    void LineTo(double x, double y, Colour colour) override;
    void Line(double x1, double y1, double x2, double y2, Colour colour) override;
    void Rectangle(double x1, double y1, double x2, double y2, Colour colour) override;
    void Dot(double x, double y, Colour colour) override;
    void Circle(double cx, double cy, double radius, Colour colour) override;
    void SetDashed(bool dashed) override { dashed_ = dashed; }
    void Label(double x, double y, std::string_view text, Colour colour) override;

    // The colour of an empty picture.
    static constexpr Colour kBackground = 0xF0F0F0;

private:
    // A painter on the image with the pen, the draw mode and antialiasing off (so invert drawing undoes).
    template <typename Draw>
    void Paint(Colour colour, Draw draw);
    // One painter stays open on the image between strokes, since opening one per stroke costs more than the
    // stroke on a drawing of many thousand records; it is closed before the image is read or replaced.
    void EndPainting() { painter_.reset(); }

    QImage image_;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    bool scaled_ = false;
    int penWidth_ = 1;
    bool dashed_ = false;
    DrawMode mode_ = DrawMode::Normal;
    double penX_ = 0, penY_ = 0;
    std::unique_ptr<QPainter> painter_;  // declared after the image, so it is closed before the image goes
};

class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    ImageSurface& surface() { return surface_; }
    // Called with user coordinates on press, move and release.
    std::function<void(double, double)> onMouseDown, onMouseMove, onMouseUp;
    // Called after the picture has taken its new size, to draw it afresh.
    std::function<void()> onResize;
    // The wheel turned over the picture: zoom by `factor` (below 1 closer) about the user point under the
    // pointer. The middle button dragged: the view to move by (dx, dy) user units, so the drawing follows.
    std::function<void(double, double, double)> onWheel;
    std::function<void(double, double)> onPan;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Forward(const std::function<void(double, double)>& handler, QMouseEvent* event);

    ImageSurface surface_;
    bool panning_ = false;
    QPointF panFrom_;  // the pixel the middle button's drag was last at
};

}  // namespace zorvan::qt
