#include "pellbrook/wrapping_choice.h"

#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace pellbrook {

void WrappingChoice::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    QRect indicator = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
    indicator.moveTop((height() - indicator.height()) / 2);
    QStyleOptionButton indicatorOption = option;
    indicatorOption.rect = indicator;
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicatorOption);

    const int spacing = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    const QRect textArea = rect().adjusted(indicator.right() + 1 + spacing, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    painter.drawItemText(textArea, flags, palette(), isEnabled(), text(), QPalette::WindowText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.fontMetrics().boundingRect(textArea, flags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingChoice::hitButton(const QPoint& position) const { return rect().contains(position); }

} // namespace pellbrook
