#pragma once

#include <QRect>

class QFont;

namespace pellbrook {

// The horizontal and vertical base units of a dialog font in pixels: a
// dialog unit is a quarter of the average character width across, an eighth
// of the character height down.
struct DialogBaseUnits {
    int x;
    int y;
};

DialogBaseUnits dialogBaseUnits(const QFont& font);

// A rectangle given in dialog units, in pixels, each value rounded to the
// nearest pixel.
QRect dialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int width, int height);

} // namespace pellbrook
