#include "vendrel/help_commands.h"

#include "core/hosts/editor_paths.h"
#include "platform/platform.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/main_menus.h"
#include "vendrel/web_addresses.h"

#include <QAction>
#include <QFile>
#include <QUrl>

namespace vendrel::gui {

namespace {

std::string helpFilePath(const vendrel::EditorPaths& paths)
{
    return platform::joinPath(paths.programFolder, web_addresses::helpFileName.toStdString());
}

} // namespace

HelpCommands::HelpCommands(CommandHost& host, DesktopShell& shell, MainMenus& menus)
    : CommandFamily(host), shell_(shell)
{
    menus.viewHelpFile = newAction("View Help File", [this] { helpFileClick(); });
    menus.viewHelpFile->setVisible(false);
    menus.visitMakerSite = newAction("Visit www.vendrel.example.org",
                                     [this] { LaunchWebsite(web_addresses::makerSite); });
    menus.makeDonation = newAction("Make Donation via Paypal",
                                   [this] { shell_.open(web_addresses::donationAddress()); });
    menus.visitForums = newAction("Visit Rodavavur Security Forums for PC Help",
                                  [this] { shell_.open(web_addresses::forumSite); });
    menus.mvpsVisit = newAction("Visit www.mvps.org", [this] { LaunchWebsite(web_addresses::mvpsPage); });
    menus.hphostsVisit = newAction("Visit hpHosts", [this] { LaunchWebsite(web_addresses::hpHostsPage); });
}

void HelpCommands::LaunchWebsite(const QString& websiteUrl) { shell_.open(websiteUrl); }

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

} // namespace vendrel::gui
