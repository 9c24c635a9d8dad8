#include "pellbrook/dialog_template.h"
#include "pellbrook/pellbrook_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

// Every picture is drawn on a 32-unit grid and scaled to the size asked for.

namespace pellbrook {
namespace {

const QColor outline(0x40, 0x40, 0x40);

void paintComputer(QPainter& painter)
{
    QLinearGradient casing(0, 2, 0, 21);
    casing.setColorAt(0, QColor(0xf4, 0xf4, 0xf0));
    casing.setColorAt(1, QColor(0xc0, 0xbe, 0xb6));
    painter.setPen(QPen(outline, 1));
    painter.setBrush(casing);
    painter.drawRoundedRect(QRectF(4.5, 2.5, 24, 18), 2, 2);
    painter.drawRect(QRectF(14.5, 20.5, 4, 3));
    painter.drawRoundedRect(QRectF(9.5, 23.5, 14, 3), 1, 1);

    QLinearGradient screen(0, 4, 0, 18);
    screen.setColorAt(0, QColor(0x1f, 0x5f, 0xc8));
    screen.setColorAt(1, QColor(0x8c, 0xc0, 0xf4));
    painter.setPen(QPen(QColor(0x10, 0x30, 0x70), 1));
    painter.setBrush(screen);
    painter.drawRect(QRectF(6.5, 4.5, 20, 13));
}

void paintCheckMark(QPainter& painter)
{
    QPainterPath tick;
    tick.moveTo(18, 21);
    tick.lineTo(22, 26);
    tick.lineTo(29.5, 14.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x14, 0x55, 0x14), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.setPen(QPen(QColor(0x3c, 0xc8, 0x3c), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
}

void paintMouse(QPainter& painter)
{
    QPainterPath cable;
    cable.moveTo(5.5, 22.5);
    cable.cubicTo(5.5, 19, 9, 19.5, 10, 24);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(outline, 1));
    painter.drawPath(cable);

    QLinearGradient body(2, 0, 9, 0);
    body.setColorAt(0, Qt::white);
    body.setColorAt(1, QColor(0xb8, 0xb8, 0xb8));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(2.5, 22.5, 6, 9), 3, 3);
    painter.drawLine(QPointF(2.5, 26.5), QPointF(8.5, 26.5));
    painter.drawLine(QPointF(5.5, 22.5), QPointF(5.5, 26.5));
}

void paintNetworkPlug(QPainter& painter)
{
    painter.setPen(QPen(outline, 2));
    painter.drawLine(QPointF(6.5, 27), QPointF(6.5, 32));
    painter.setPen(QPen(outline, 1));
    painter.setBrush(QColor(0xb0, 0xb4, 0xb8));
    painter.drawRect(QRectF(3.5, 18.5, 1.5, 3));
    painter.drawRect(QRectF(8, 18.5, 1.5, 3));
    painter.setBrush(QColor(0xf0, 0xb8, 0x30));
    painter.drawRoundedRect(QRectF(2.5, 21.5, 8, 6), 1, 1);
}

void paintGear(QPainter& painter)
{
    const QPointF centre(7, 7);
    QPainterPath gear;
    gear.addEllipse(centre, 4.6, 4.6);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath part;
        part.addRect(QRectF(-1.3, -6.6, 2.6, 3));
        const QTransform place = QTransform().translate(centre.x(), centre.y()).rotate(45.0 * tooth);
        gear = gear.united(place.map(part));
    }
    QPainterPath hole;
    hole.addEllipse(centre, 1.8, 1.8);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(QColor(0x90, 0x98, 0xa4));
    painter.drawPath(gear.subtracted(hole));
}

// The screen of the program's own icon shows an arrow going round: restart.
void paintRestartArrow(QPainter& painter)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(12, 6.5, 9, 9), 100 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(14.5, 4.5);
    head.lineTo(18.5, 7);
    head.lineTo(14.5, 9.5);
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(head);
}

template <typename Paint>
QPixmap painted(int size, Paint paint)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    paint(painter);
    return pixmap;
}

} // namespace

QPixmap computerIcon(int imageId, int size)
{
    return painted(size, [imageId](QPainter& painter) {
        paintComputer(painter);
        switch (imageId) {
        case SafeModeIcon:
            paintMouse(painter);
            break;
        case NetworkIcon:
            paintNetworkPlug(painter);
            break;
        case DsRepairIcon:
            paintGear(painter);
            paintMouse(painter);
            break;
        default:
            return;
        }
        paintCheckMark(painter);
    });
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(painted(size, [](QPainter& painter) {
            paintComputer(painter);
            paintRestartArrow(painter);
        }));
    return icon;
}

} // namespace pellbrook
