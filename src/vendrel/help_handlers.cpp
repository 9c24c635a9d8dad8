// The Help menu and the block lists' web pages, opened by the desktop.

#include "vendrel/desktop_shell.h"
#include "vendrel/main_window.h"
#include "vendrel/web_addresses.h"

#include <QAction>

void MainWindow::connectHelpCommands()
{
    connectAction(menus_.viewHelpFile, &MainWindow::helpFileClick);
    connectAction(menus_.visitMakerSite, &MainWindow::visitMakerSiteClick);
    connectAction(menus_.makeDonation, &MainWindow::donationClick);
    connectAction(menus_.visitForums, &MainWindow::visitForumsClick);
    connectAction(menus_.mvpsVisit, &MainWindow::visitMvpsSiteClick);
    connectAction(menus_.hphostsVisit, &MainWindow::visitHpHostsSiteClick);
}

void MainWindow::LaunchWebsite()
{
    shell_->open(WebsiteUrl);
}

void MainWindow::helpFileClick()
{
    // By its bare name: the desktop looks for it in the current directory.
    shell_->open(web_addresses::helpFileName);
}

void MainWindow::visitMakerSiteClick()
{
    WebsiteUrl = web_addresses::makerSite;
    LaunchWebsite();
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
    WebsiteUrl = web_addresses::mvpsPage;
    LaunchWebsite();
}

void MainWindow::visitHpHostsSiteClick()
{
    WebsiteUrl = web_addresses::hpHostsPage;
    LaunchWebsite();
}
