#include "vendrel/main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* item(QMenu* menu, const char* caption)
{
    return menu->addAction(QString::fromLatin1(caption));
}

void buildFileMenu(QMenuBar* bar, MainMenus& m)
{
    m.file = bar->addMenu(QStringLiteral("&File"));
    m.appendFile = item(m.file, "&Append File");
    m.replaceFile = item(m.file, "Replace File");
    m.file->addSeparator();
    m.mergeFile = item(m.file, "Merge File");
    m.file->addSeparator();
    m.exit = item(m.file, "Exit");
}

void buildRecoveryMenu(QMenuBar* bar, MainMenus& m)
{
    m.recovery = bar->addMenu(QStringLiteral("&Recovery"));
    m.createBackup = item(m.recovery, "Create Backup");
    m.restoreBackup = item(m.recovery, "Restore Backup");
    m.recovery->addSeparator();
    m.restoreMsHosts = item(m.recovery, "Restore MS Hosts");
}

void buildEditMenu(QMenuBar* bar, MainMenus& m)
{
    m.edit = bar->addMenu(QStringLiteral("&Edit"));
    m.deleteSubmenu = m.edit->addMenu(QStringLiteral("Delete..."));
    m.deleteLine = item(m.deleteSubmenu, "Delete Line");
    m.deleteSubmenu->addSeparator();
    m.deleteLineAddToWhitelist = item(m.deleteSubmenu, "Delete Line/Add to Whitelist");
    m.edit->addSeparator();
    m.toggleComment = item(m.edit, "Toggle Comment");
    m.edit->addSeparator();
    m.sortFile = item(m.edit, "Sort File");
    m.edit->addSeparator();
    m.swapLocalhosts = item(m.edit, "Swap localhosts");
    m.edit->addSeparator();
    m.copyHostsToClipboard = item(m.edit, "Copy Hosts to Clipboard");
}

void buildMemopadMenu(QMenuBar* bar, MainMenus& m)
{
    m.memopad = bar->addMenu(QStringLiteral("&Memopad"));
    m.openInMemopad = item(m.memopad, "Open in Memopad");
    m.memopad->addSeparator();
    m.saveSubmenu = m.memopad->addMenu(QStringLiteral("Save..."));
    m.saveHosts = item(m.saveSubmenu, "Save Hosts");
    m.saveAs = item(m.saveSubmenu, "Save as...");
    m.saveHostsExitMemopad = item(m.saveSubmenu, "Save Hosts Exit Memopad");
    m.memopad->addSeparator();
    m.exitMemopad = item(m.memopad, "Exit Memopad");
    m.memopad->menuAction()->setVisible(false);
}

void buildDownloadMenu(QMenuBar* bar, MainMenus& m)
{
    m.download = bar->addMenu(QStringLiteral("&Download"));
    m.mvpsSubmenu = m.download->addMenu(QStringLiteral("MVPs Hosts"));
    m.mvpsMerge = item(m.mvpsSubmenu, "Merge");
    m.mvpsReplace = item(m.mvpsSubmenu, "Replace");
    m.mvpsSubmenu->addSeparator();
    m.mvpsVisit = item(m.mvpsSubmenu, "Visit www.mvps.org");
    m.hphostsSubmenu = m.download->addMenu(QStringLiteral("hpHOSTS"));
    m.hphostsMerge = item(m.hphostsSubmenu, "Merge");
    m.hphostsReplace = item(m.hphostsSubmenu, "Replace");
    m.hphostsSubmenu->addSeparator();
    m.hphostsVisit = item(m.hphostsSubmenu, "Visit hpHosts");
    m.download->addSeparator();
    m.cancelDownload = item(m.download, "Cancel Download");
    m.cancelDownload->setEnabled(false);
}

void buildWhitelistMenu(QMenuBar* bar, MainMenus& m)
{
    m.whitelist = bar->addMenu(QStringLiteral("&Whitelist"));
    m.removeWhitelistItems = item(m.whitelist, "Remove Whitelist Items");
    m.addWhitelistItems = item(m.whitelist, "Add Whitelist Items");
    m.whitelist->addSeparator();
    m.viewEditWhitelist = item(m.whitelist, "View/Edit Whitelist");
    m.whitelist->addSeparator();
    m.saveAndExitWhitelist = item(m.whitelist, "Save and Exit Whitelist");
    m.exitWhitelist = item(m.whitelist, "Exit Whitelist");
    m.saveAndExitWhitelist->setEnabled(false);
    m.exitWhitelist->setEnabled(false);
}

void buildHelpMenu(QMenuBar* bar, MainMenus& m)
{
    m.help = bar->addMenu(QStringLiteral("&Help"));
    m.viewHelpFile = item(m.help, "View Help File");
    m.viewHelpFile->setVisible(false);
    m.visitMakerSite = item(m.help, "Visit www.vendrel.example.org");
    m.help->addSeparator();
    m.makeDonation = item(m.help, "Make Donation via Paypal");
    m.dnsSeparator = m.help->addSeparator();
    m.dnsSeparator->setVisible(false);
    m.checkDnsService = item(m.help, "Check Status of DNS Service");
    m.checkDnsService->setVisible(false);
    m.help->addSeparator();
    m.visitForums = item(m.help, "Visit Rodavavur Security Forums for PC Help");
}

void buildPopupMenu(QWidget* owner, MainMenus& m)
{
    m.popup = new QMenu(owner);
    m.popupDeleteLine = item(m.popup, "Delete line");
    m.popupDeleteLineAddToWhitelist = item(m.popup, "Delete Line/Add into Whitelist");
    m.popup->addSeparator();
    m.popupToggleComment = item(m.popup, "Toggle Comment");
    m.popup->addSeparator();
    m.popupCopyDomain = item(m.popup, "Copy Domain to Clipboard");
}

} // namespace

MainMenus buildMainMenus(QMenuBar* bar, QWidget* owner)
{
    MainMenus menus;
    buildFileMenu(bar, menus);
    buildRecoveryMenu(bar, menus);
    buildEditMenu(bar, menus);
    buildMemopadMenu(bar, menus);
    buildDownloadMenu(bar, menus);
    buildWhitelistMenu(bar, menus);
    buildHelpMenu(bar, menus);
    buildPopupMenu(owner, menus);
    return menus;
}
