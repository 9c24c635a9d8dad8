#include "pellbrook/dialog_template.h"
#include "pellbrook/pellbrook_art.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace pellbrook {
namespace {

QFont bannerFont(int pixels, bool bold, bool italic = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void paintBackground(QPainter& painter, const QRect& area)
{
    QLinearGradient sky(area.topLeft(), area.topRight());
    sky.setColorAt(0, QColor(0x0b, 0x3d, 0x91));
    sky.setColorAt(0.6, QColor(0x3a, 0x7b, 0xd5));
    sky.setColorAt(1, QColor(0x9c, 0xc8, 0xf5));
    painter.fillRect(area, sky);

    QPainterPath wave;
    wave.moveTo(0, area.height());
    wave.cubicTo(140, 30, 320, 78, area.width(), 26);
    wave.lineTo(area.width(), area.height());
    wave.closeSubpath();
    painter.fillPath(wave, QColor(255, 255, 255, 36));
}

} // namespace

QPixmap bannerPixmap()
{
    QPixmap pixmap(496, 64);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    paintBackground(painter, pixmap.rect());
    painter.drawPixmap(10, 8, computerIcon(SafeModeIcon, 48));

    painter.setPen(Qt::white);
    painter.setFont(bannerFont(30, true));
    painter.drawText(QRect(70, 2, 260, 38), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pellbrook"));
    painter.setFont(bannerFont(13, false));
    painter.drawText(QRect(72, 38, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Безопасный режим Windows в два щелчка"));
    painter.setPen(QColor(0x0b, 0x2a, 0x5c));
    painter.setFont(bannerFont(11, true, true));
    painter.drawText(QRect(0, 4, 488, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Бесплатно для личного использования"));
    return pixmap;
}

} // namespace pellbrook
