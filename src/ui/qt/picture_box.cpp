// The picture box and its image surface.
#include "ui/qt/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace zorvan::qt {

namespace {

QColor ToQColor(Colour colour) {
    return QColor(static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>(colour & 0xFF));
}

}  // namespace

ImageSurface::ImageSurface(QSize size) : image_(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32) { Clear(); }

ImageSurface::~ImageSurface() = default;

void ImageSurface::Resize(QSize size) {
    EndPainting();
    QImage old = image_;
    image_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    Clear();
    QPainter(&image_).drawImage(0, 0, old);  // the picture is kept, as far as it fits
}

void ImageSurface::SetScale(double left, double top, double right, double bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    scaled_ = true;
}

QPointF ImageSurface::ToPixel(double x, double y) const {
    if (!scaled_) return {x, y};
    return {(x - left_) / (right_ - left_) * image_.width(), (y - top_) / (bottom_ - top_) * image_.height()};
}

QPointF ImageSurface::ToUser(QPointF pixel) const {
    if (!scaled_) return pixel;
    return {left_ + pixel.x() / image_.width() * (right_ - left_),
            top_ + pixel.y() / image_.height() * (bottom_ - top_)};
}

void ImageSurface::Clear() {
    EndPainting();
    image_.fill(ToQColor(kBackground));
}

template <typename Draw>
void ImageSurface::Paint(Colour colour, Draw draw) {
    if (!painter_) painter_ = std::make_unique<QPainter>(&image_);
    QPainter& painter = *painter_;
    painter.setCompositionMode(mode_ == DrawMode::Invert ? QPainter::RasterOp_NotDestination
                                                         : QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(ToQColor(colour), penWidth_, dashed_ ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
}

void ImageSurface::MoveTo(double x, double y) {
    penX_ = x;
    penY_ = y;
}

void ImageSurface::LineTo(double x, double y, Colour colour) {
    Line(penX_, penY_, x, y, colour);
}

void ImageSurface::Line(double x1, double y1, double x2, double y2, Colour colour) {
    Paint(colour, [&](QPainter& painter) { painter.drawLine(ToPixel(x1, y1), ToPixel(x2, y2)); });
    MoveTo(x2, y2);
}

void ImageSurface::Rectangle(double x1, double y1, double x2, double y2, Colour colour) {
    Paint(colour, [&](QPainter& painter) { painter.drawRect(QRectF(ToPixel(x1, y1), ToPixel(x2, y2)).normalized()); });
    MoveTo(x2, y2);
}

void ImageSurface::Dot(double x, double y, Colour colour) {
    Paint(colour, [&](QPainter& painter) {
        const QPointF centre = ToPixel(x, y);
        if (penWidth_ <= 1) {
            painter.drawPoint(centre);
            return;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(colour));
        painter.drawEllipse(centre, penWidth_ / 2.0, penWidth_ / 2.0);
    });
    MoveTo(x, y);
}

void ImageSurface::Circle(double cx, double cy, double radius, Colour colour) {
    Paint(colour, [&](QPainter& painter) {
        const QPointF centre = ToPixel(cx, cy);
        const double rx = std::abs(ToPixel(cx + radius, cy).x() - centre.x());
        painter.drawEllipse(centre, rx, rx);
    });
    MoveTo(cx, cy);
}

void ImageSurface::Label(double x, double y, std::string_view text, Colour colour) {
    Paint(colour, [&](QPainter& painter) {
        const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const QPointF at = ToPixel(x, y);
        const QRectF box(at.x() - 40, at.y() - 10, 80, 20);
        painter.setPen(QPen(ToQColor(colour)));
        painter.drawText(box, Qt::AlignCenter, shown);
    });
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), surface_(QSize(1, 1)) {
    setMouseTracking(true);
    setMinimumSize(40, 40);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, surface_.Image());
    painter.setPen(palette().color(QPalette::Mid));  // the box's edge, over the picture's outermost pixels
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::resizeEvent(QResizeEvent*) {
    surface_.Resize(size());
    if (onResize) onResize();
    update();
}

void PictureBox::Forward(const std::function<void(double, double)>& handler, QMouseEvent* event) {
    if (!handler) return;
    const QPointF user = surface_.ToUser(event->position());
    // Mouse positions reach the tools in single precision, as the entries record them.
    handler(static_cast<float>(user.x()), static_cast<float>(user.y()));
    update();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panFrom_ = event->position();
        return;
    }
    Forward(onMouseDown, event);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (panning_) {
        const QPointF from = surface_.ToUser(panFrom_), to = surface_.ToUser(event->position());
        panFrom_ = event->position();
        if (onPan) onPan(from.x() - to.x(), from.y() - to.y());
        update();
    }
    Forward(onMouseMove, event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        panning_ = false;
        return;
    }
    Forward(onMouseUp, event);
}

void PictureBox::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0 || !onWheel) return;
    const QPointF at = surface_.ToUser(event->position());
    onWheel(at.x(), at.y(), std::pow(0.8, steps));  // a notch forward shows a fifth less of the drawing
    update();
    event->accept();
}

}  // namespace zorvan::qt
