#pragma once

#include <QCoreApplication>
#include <QtGlobal>

namespace vendrel::gui {

// What main() does to the toolkit before and after the application object exists.

// Call before QApplication is created. The window scales itself from the
// screen's logical DPI (DesignScale), so the toolkit's own high-DPI scaling
// is switched off, unless the user chose a setting of their own.
inline void prepareToolkit()
{
    const char* const highDpiScaling = "QT_ENABLE_HIGHDPI_SCALING";
    if (!qEnvironmentVariableIsSet(highDpiScaling))
        qputenv(highDpiScaling, "0");
}

// Call once QApplication exists. No display name is set: the platform would
// append one to every window and box caption. The display name falls back to
// this name all the same.
inline void nameApplication() { QCoreApplication::setApplicationName(QStringLiteral("Vendrel")); }

} // namespace vendrel::gui
