// Arrow pictures painted on transparent pixmaps.
#include "ui/qt/arrows.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zorvan::qt {

namespace {

constexpr int kSize = 32;

QPixmap Blank() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 40, 140), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(20, 40, 140));
}

}  // namespace

QIcon ArrowIcon(double degrees) {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    Prepare(painter);
    painter.translate(kSize / 2.0, kSize / 2.0);
    painter.rotate(-degrees);  // the painter's y grows downwards
    painter.drawLine(QPointF(-11, 0), QPointF(6, 0));
    painter.drawPolygon(QPolygonF({QPointF(12, 0), QPointF(3, -7), QPointF(3, 7)}));
    return QIcon(pixmap);
}

QIcon RotateIcon(bool counterClockwise) {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    Prepare(painter);
    const QRectF circle(6, 6, 20, 20);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(circle, 90 * 16, 270 * 16);  // from the top, three quarters counter-clockwise
    painter.setBrush(QColor(20, 40, 140));
    // The head sits at the end the arc is travelled towards.
    if (counterClockwise) {
        painter.drawPolygon(QPolygonF({QPointF(26, 9), QPointF(21, 17), QPointF(31, 17)}));  // at the right, up
    } else {
        painter.drawPolygon(QPolygonF({QPointF(23, 6), QPointF(16, 1), QPointF(16, 11)}));  // at the top, right
    }
    return QIcon(pixmap);
}

}  // namespace zorvan::qt
