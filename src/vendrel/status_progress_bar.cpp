#include "vendrel/status_progress_bar.h"

#include <QLinearGradient>
#include <QPainter>

namespace vendrel::gui {

StatusProgressBar::StatusProgressBar(QWidget* parent) : QWidget(parent)
{
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(11);
    captionFont.setBold(true);
    setFont(captionFont);
}

void StatusProgressBar::setMaximum(qint64 maximum)
{
    maximum_ = maximum;
    update();
}

void StatusProgressBar::setPosition(qint64 position)
{
    position_ = position;
    update();
}

void StatusProgressBar::setText(const QString& text)
{
    text_ = text;
    update();
}

void StatusProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), palette().window());
    const QRect inside = frame.adjusted(1, 1, 0, 0);
    if (maximum_ > 0 && position_ > 0) {
        const qint64 filled = std::min(position_, maximum_) * inside.width() / maximum_;
        QLinearGradient fill(inside.topLeft(), inside.topRight());
        fill.setColorAt(0.0, QColor(0, 128, 0));
        fill.setColorAt(1.0, QColor(0, 255, 0));
        painter.fillRect(QRect(inside.left(), inside.top(), static_cast<int>(filled), inside.height()), fill);
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame);
    painter.setPen(Qt::blue);
    painter.drawText(rect(), Qt::AlignCenter, text_);
}

vendrel::Progress StatusProgressBar::reporter()
{
    vendrel::Progress progress;
    progress.startPhase = [this](const char* caption, std::size_t maximum) {
        setMaximum(static_cast<qint64>(maximum));
        setPosition(0);
        setText(QString::fromLatin1(caption));
        repaint();
    };
    progress.advance = [this](std::size_t position) {
        setPosition(static_cast<qint64>(position));
        repaint();
    };
    return progress;
}

} // namespace vendrel::gui
