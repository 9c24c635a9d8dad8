#include "pellbrook/pellbrook_app.h"
#include "pellbrook/pellbrook_art.h"
#include "pellbrook/prompter.h"
#include "pellbrook/web_link.h"
#include "platform/boot_platform.h"

#include <QApplication>

// The only place where the machine's real services, its restart included,
// are chosen.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellbrook"));
    QApplication::setApplicationVersion(QString::fromLatin1(pellbrook::fileVersion));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pellbrook"), pellbrook::applicationIcon()));

    const auto system = platform::createSystemBootPlatform();
    pellbrook::MessageBoxPrompter prompter;
    pellbrook::DesktopWebLinkOpener web;
    return pellbrook::runPellbrook(*system, prompter, web);
}
