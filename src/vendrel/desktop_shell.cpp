#include "vendrel/desktop_shell.h"

#include <QDesktopServices>

namespace vendrel::gui {

QUrl desktopUrl(const QString& target)
{
    // Parsed as the encoded text it is, so that its escapes are not escaped
    // again; tolerant of the literal spaces some addresses carry.
    const QUrl url = QUrl::fromEncoded(target.toUtf8(), QUrl::TolerantMode);
    if (!url.scheme().isEmpty())
        return url;
    return QUrl::fromEncoded("http://" + target.toUtf8(), QUrl::TolerantMode);
}

void SystemDesktopShell::open(const QString& target) { QDesktopServices::openUrl(desktopUrl(target)); }

} // namespace vendrel::gui
