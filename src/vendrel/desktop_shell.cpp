#include "vendrel/desktop_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void SystemDesktopShell::open(const QString& target)
{
    // A name of an existing file opens that file; anything else is taken as a
    // web address, given "http://" when it carries no scheme.
    const QString asFile = QDir::current().absoluteFilePath(target);
    const bool isFile = !target.contains(QLatin1Char('/')) && QFileInfo::exists(asFile);
    QDesktopServices::openUrl(isFile ? QUrl::fromLocalFile(asFile) : QUrl::fromUserInput(target));
}
