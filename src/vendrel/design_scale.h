#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QProxyStyle>
#include <QRect>
#include <QStyleOption>
#include <QWidget>

#include <cmath>

namespace vendrel::gui {

// The window is designed in pixels at 96 DPI. On screens with more pixels per
// inch every control and font is scaled by 96 / DPI; at 96 or less nothing is.
class DesignScale {
public:
    explicit DesignScale(double dpi = 96.0) : factor_(dpi > 96.0 ? 96.0 / dpi : 1.0) {}

    double factor() const { return factor_; }
    int px(int designPixels) const { return static_cast<int>(std::lround(designPixels * factor_)); }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(px(left), px(top), px(width), px(height));
    }
    QFont arial(int designPixelSize, bool bold = false) const
    {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(px(designPixelSize));
        font.setBold(bold);
        return font;
    }

private:
    double factor_;
};

// The style's check-box and radio-button indicators and the gap beside them
// follow the design scale as well: the style measures them as on a 96-DPI
// screen, and they are scaled like every control. Without it the style would
// size them from the screen's DPI and grow them out of their shrunken controls.
class DesignScaleStyle final : public QProxyStyle {
public:
    explicit DesignScaleStyle(const DesignScale& scale) : scale_(scale), at96Dpi_(1, 1, QImage::Format_RGB32)
    {
        const int dotsPerMeter = static_cast<int>(std::lround(96 / 0.0254));
        at96Dpi_.setDotsPerMeterX(dotsPerMeter);
        at96Dpi_.setDotsPerMeterY(dotsPerMeter);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
            break;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
        QStyleOption asDesigned = option ? *option : QStyleOption();
        asDesigned.fontMetrics = QFontMetrics(widget ? widget->font() : QFont(), &at96Dpi_);
        return scale_.px(QProxyStyle::pixelMetric(metric, &asDesigned, widget));
    }

private:
    DesignScale scale_;
    QImage at96Dpi_;
};

} // namespace vendrel::gui
