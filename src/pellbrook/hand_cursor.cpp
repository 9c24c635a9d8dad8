#include "pellbrook/pellbrook_art.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace pellbrook {
namespace {

// The index finger points up with its tip at (12, 5); the other fingers are
// bent into the palm.
QPainterPath handOutline()
{
    QPainterPath hand;
    const auto add = [&hand](const QRectF& part, qreal radius) {
        QPainterPath piece;
        piece.addRoundedRect(part, radius, radius);
        hand = hand.united(piece);
    };
    add(QRectF(10, 4, 4, 15), 2);  // index finger
    add(QRectF(14, 10, 4, 9), 2);  // middle finger
    add(QRectF(17, 11, 4, 9), 2);  // ring finger
    add(QRectF(20, 12, 4, 9), 2);  // little finger
    add(QRectF(5, 15, 7, 5), 2.5); // thumb
    add(QRectF(8, 17, 16, 9), 3);  // palm
    add(QRectF(10, 24, 13, 5), 1); // wrist
    return hand.simplified();
}

} // namespace

QCursor handCursor()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(handOutline());
    for (const qreal x : {14.0, 17.0, 20.0})
        painter.drawLine(QPointF(x, 13), QPointF(x, 18));
    painter.end();
    return QCursor(QPixmap::fromImage(image), 12, 5);
}

} // namespace pellbrook
