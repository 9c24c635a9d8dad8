#include "pellbrook/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace pellbrook {
namespace {

// value * numerator / denominator, rounded half away from zero.
int scaled(int value, int numerator, int denominator)
{
    const long long product = 2LL * value * numerator;
    const long long half = product >= 0 ? denominator : -denominator;
    return static_cast<int>((product + half) / (2LL * denominator));
}

} // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of the 52 letters, rounded.
    return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect dialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int width, int height)
{
    return QRect(scaled(x, units.x, 4), scaled(y, units.y, 8), scaled(width, units.x, 4), scaled(height, units.y, 8));
}

} // namespace pellbrook
