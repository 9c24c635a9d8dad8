#pragma once

#include <QIcon>

namespace vendrel::gui {

// The editor's icon, painted in code so that it needs no image files: a page
// of address and host-name lines with a red sign of a blocked entry on it.
// It holds pixmaps of 16, 24, 32, 48, 64, 128 and 256 pixels; the installed
// theme icons are rendered from it.
QIcon vendrelIcon();

} // namespace vendrel::gui
