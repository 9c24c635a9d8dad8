#pragma once

#include <QFont>
#include <QRect>

#include <cmath>

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
