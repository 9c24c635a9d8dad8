#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// The bytes of a Windows icon file holding `images`, largest last or in any
// order: images under 256 pixels as 32-bit bitmaps with their transparency
// mask (every Windows version draws those), 256-pixel ones as PNG (the
// form Windows expects at that size). An image that is not square or is
// larger than 256 pixels gives an empty result.
QByteArray icoFileBytes(const QList<QImage>& images);
