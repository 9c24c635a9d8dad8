// The Help menu and the block lists' web pages, opened by the desktop.

#include "platform/platform.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/main_window.h"
#include "vendrel/web_addresses.h"

#include <QAction>
#include <QFile>
#include <QUrl>

void MainWindow::connectHelpCommands()
{
    connectAction(menus_.viewHelpFile, &MainWindow::helpFileClick);
    connectAction(menus_.visitMakerSite, &MainWindow::visitMakerSiteClick);
    connectAction(menus_.makeDonation, &MainWindow::donationClick);
    connectAction(menus_.visitForums, &MainWindow::visitForumsClick);
    connectAction(menus_.mvpsVisit, &MainWindow::visitMvpsSiteClick);
    connectAction(menus_.hphostsVisit, &MainWindow::visitHpHostsSiteClick);
}

void MainWindow::LaunchWebsite(const QString& websiteUrl)
{
    shell_->open(websiteUrl);
}

void MainWindow::helpFileClick()
{
    // By its full path: the program may have been started from any folder.
    const std::string path = platform::joinPath(paths_.programFolder, web_addresses::helpFileName.toStdString());
    shell_->open(QString::fromLatin1(QUrl::fromLocalFile(QFile::decodeName(path.c_str())).toEncoded()));
}

void MainWindow::visitMakerSiteClick()
{
    LaunchWebsite(web_addresses::makerSite);
}

void MainWindow::donationClick()
{
    shell_->open(web_addresses::donationAddress());
}

void MainWindow::visitForumsClick()
{
    shell_->open(web_addresses::forumSite);
}

void MainWindow::visitMvpsSiteClick()
{
    LaunchWebsite(web_addresses::mvpsPage);
}

void MainWindow::visitHpHostsSiteClick()
{
    LaunchWebsite(web_addresses::hpHostsPage);
}
