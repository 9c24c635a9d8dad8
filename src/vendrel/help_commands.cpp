#include "vendrel/help_commands.h"

#include "core/hosts/editor_paths.h"
#include "platform/platform.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/main_menus.h"
#include "vendrel/web_addresses.h"

#include <QAction>
#include <QFile>
#include <QUrl>

namespace {

std::string helpFilePath(const vendrel::EditorPaths& paths)
{
    return platform::joinPath(paths.programFolder, web_addresses::helpFileName.toStdString());
}

} // namespace

HelpCommands::HelpCommands(CommandHost& host, DesktopShell& shell) : CommandFamily(host), shell_(shell)
{
    const MainMenus& menus = host_.menus();
    connectAction(menus.viewHelpFile, [this] { helpFileClick(); });
    connectAction(menus.visitMakerSite, [this] { LaunchWebsite(web_addresses::makerSite); });
    connectAction(menus.makeDonation, [this] { shell_.open(web_addresses::donationAddress()); });
    connectAction(menus.visitForums, [this] { shell_.open(web_addresses::forumSite); });
    connectAction(menus.mvpsVisit, [this] { LaunchWebsite(web_addresses::mvpsPage); });
    connectAction(menus.hphostsVisit, [this] { LaunchWebsite(web_addresses::hpHostsPage); });
}

void HelpCommands::LaunchWebsite(const QString& websiteUrl)
{
    shell_.open(websiteUrl);
}

void HelpCommands::helpFileClick()
{
    // By its full path: the program may have been started from any folder.
    const QString path = QFile::decodeName(helpFilePath(host_.paths()).c_str());
    shell_.open(QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()));
}

void HelpCommands::updateHelpItemVisibility()
{
    host_.menus().viewHelpFile->setVisible(host_.system().fileExists(helpFilePath(host_.paths())));
}
