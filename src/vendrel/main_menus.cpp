#include "vendrel/main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

void buildFileMenu(QMenuBar* bar, MainMenus& m)
{
    m.file = bar->addMenu(QStringLiteral("&File"));
    m.file->addAction(m.appendFile);
    m.file->addAction(m.replaceFile);
    m.file->addSeparator();
    m.file->addAction(m.mergeFile);
    m.file->addSeparator();
    m.file->addAction(m.exit);
}

void buildRecoveryMenu(QMenuBar* bar, MainMenus& m)
{
    m.recovery = bar->addMenu(QStringLiteral("&Recovery"));
    m.recovery->addAction(m.createBackup);
    m.recovery->addAction(m.restoreBackup);
    m.recovery->addSeparator();
    m.recovery->addAction(m.restoreMsHosts);
}

void buildEditMenu(QMenuBar* bar, MainMenus& m)
{
    m.edit = bar->addMenu(QStringLiteral("&Edit"));
    m.deleteSubmenu = m.edit->addMenu(QStringLiteral("Delete..."));
    m.deleteSubmenu->addAction(m.deleteLine);
    m.deleteSubmenu->addSeparator();
    m.deleteSubmenu->addAction(m.deleteLineAddToWhitelist);
    m.edit->addSeparator();
    m.edit->addAction(m.toggleComment);
    m.edit->addSeparator();
    m.edit->addAction(m.sortFile);
    m.edit->addSeparator();
    m.edit->addAction(m.swapLocalhosts);
    m.edit->addSeparator();
    m.edit->addAction(m.copyHostsToClipboard);
}

void buildMemopadMenu(QMenuBar* bar, MainMenus& m)
{
    m.memopad = bar->addMenu(QStringLiteral("&Memopad"));
    m.memopad->addAction(m.openInMemopad);
    m.memopad->addSeparator();
    m.saveSubmenu = m.memopad->addMenu(QStringLiteral("Save..."));
    m.saveSubmenu->addAction(m.saveHosts);
    m.saveSubmenu->addAction(m.saveAs);
    m.saveSubmenu->addAction(m.saveHostsExitMemopad);
    m.memopad->addSeparator();
    m.memopad->addAction(m.exitMemopad);
    m.memopad->menuAction()->setVisible(false);
}

void buildDownloadMenu(QMenuBar* bar, MainMenus& m)
{
    m.download = bar->addMenu(QStringLiteral("&Download"));
    m.mvpsSubmenu = m.download->addMenu(QStringLiteral("MVPs Hosts"));
    m.mvpsSubmenu->addAction(m.mvpsMerge);
    m.mvpsSubmenu->addAction(m.mvpsReplace);
    m.mvpsSubmenu->addSeparator();
    m.mvpsSubmenu->addAction(m.mvpsVisit);
    m.hphostsSubmenu = m.download->addMenu(QStringLiteral("hpHOSTS"));
    m.hphostsSubmenu->addAction(m.hphostsMerge);
    m.hphostsSubmenu->addAction(m.hphostsReplace);
    m.hphostsSubmenu->addSeparator();
    m.hphostsSubmenu->addAction(m.hphostsVisit);
    m.download->addSeparator();
    m.download->addAction(m.cancelDownload);
}

void buildWhitelistMenu(QMenuBar* bar, MainMenus& m)
{
    m.whitelist = bar->addMenu(QStringLiteral("&Whitelist"));
    m.whitelist->addAction(m.removeWhitelistItems);
    m.whitelist->addAction(m.addWhitelistItems);
    m.whitelist->addSeparator();
    m.whitelist->addAction(m.viewEditWhitelist);
    m.whitelist->addSeparator();
    m.whitelist->addAction(m.saveAndExitWhitelist);
    m.whitelist->addAction(m.exitWhitelist);
}

void buildHelpMenu(QMenuBar* bar, MainMenus& m)
{
    m.help = bar->addMenu(QStringLiteral("&Help"));
    m.help->addAction(m.viewHelpFile);
    m.help->addAction(m.visitMakerSite);
    m.help->addSeparator();
    m.help->addAction(m.makeDonation);
    m.dnsSeparator = m.help->addSeparator();
    m.dnsSeparator->setVisible(false);
    m.help->addAction(m.checkDnsService);
    m.help->addSeparator();
    m.help->addAction(m.visitForums);
}

void buildPopupMenu(QWidget* owner, MainMenus& m)
{
    m.popup = new QMenu(owner);
    m.popup->addAction(m.popupDeleteLine);
    m.popup->addAction(m.popupDeleteLineAddToWhitelist);
    m.popup->addSeparator();
    m.popup->addAction(m.popupToggleComment);
    m.popup->addSeparator();
    m.popup->addAction(m.popupCopyDomain);
}

} // namespace

void buildMainMenus(QMenuBar* bar, QWidget* owner, MainMenus& menus)
{
    buildFileMenu(bar, menus);
    buildRecoveryMenu(bar, menus);
    buildEditMenu(bar, menus);
    buildMemopadMenu(bar, menus);
    buildDownloadMenu(bar, menus);
    buildWhitelistMenu(bar, menus);
    buildHelpMenu(bar, menus);
    buildPopupMenu(owner, menus);
}
