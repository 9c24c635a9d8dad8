#include "vendrel/application_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vendrel::gui {

// The icon is drawn on a 32-unit grid and scaled to each size.

namespace {

const QColor outline(0x50, 0x5a, 0x66);

void paintPage(QPainter& painter)
{
    QPainterPath page;
    page.moveTo(5.5, 2.5);
    page.lineTo(20.5, 2.5);
    page.lineTo(26.5, 8.5);
    page.lineTo(26.5, 29.5);
    page.lineTo(5.5, 29.5);
    page.closeSubpath();
    QLinearGradient paper(0, 2, 0, 30);
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(0xe4, 0xe8, 0xee));
    painter.setPen(QPen(outline, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(paper);
    painter.drawPath(page);

    QPainterPath fold;
    fold.moveTo(20.5, 2.5);
    fold.lineTo(20.5, 8.5);
    fold.lineTo(26.5, 8.5);
    painter.setBrush(QColor(0xc8, 0xd0, 0xda));
    painter.drawPath(fold);
}

// Rows of the list: a short address and a longer host name on each.
void paintListLines(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    const qreal hostLengths[] = {9, 11, 7, 10, 8};
    for (int row = 0; row < 5; ++row) {
        const qreal top = 10 + 3.5 * row;
        painter.setBrush(QColor(0x2f, 0x6f, 0xb8));
        painter.drawRect(QRectF(8, top, 4, 2));
        painter.setBrush(QColor(0x7a, 0x86, 0x94));
        painter.drawRect(QRectF(13.5, top, hostLengths[row], 2));
    }
}

// A red disc with a white bar across, over the page's lower corner: the
// sign that stops traffic, which reads at 16 pixels too.
void paintBlockedMark(QPainter& painter)
{
    const QPointF centre(22.5, 22.5);
    painter.setPen(QPen(QColor(0x8c, 0x0c, 0x0c), 1));
    painter.setBrush(QColor(0xd8, 0x20, 0x20));
    painter.drawEllipse(centre, 7.5, 7.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(centre.x() - 4.5, centre.y() - 1.5, 9, 3));
}

QPixmap paintedIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    paintPage(painter);
    paintListLines(painter);
    paintBlockedMark(painter);
    return pixmap;
}

} // namespace

QIcon vendrelIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(paintedIcon(size));
    return icon;
}

} // namespace vendrel::gui
