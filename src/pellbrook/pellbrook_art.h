#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace pellbrook {

// The program's pictures, painted in code so that they scale and need no
// image files.

// Icons 103 to 106 (see ImageId) at `size` pixels square.
QPixmap computerIcon(int imageId, int size = 32);
// The program's icon in 16, 24, 32, 48, 64, 128 and 256 pixels.
QIcon applicationIcon();
// The 496 by 64 banner at the top of the dialog.
QPixmap bannerPixmap();
// The 32 by 32 black-and-white pointing hand shown over web links; its hot
// spot is the tip of the index finger.
QCursor handCursor();

} // namespace pellbrook
