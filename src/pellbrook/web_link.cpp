#include "pellbrook/web_link.h"

#include <QDesktopServices>

namespace pellbrook {

QUrl makerPageUrl() { return QUrl(QStringLiteral("http://www.pellbrook.example/?tag=PELLBROOK")); }

void DesktopWebLinkOpener::open(const QUrl& address) { QDesktopServices::openUrl(address); }

} // namespace pellbrook
