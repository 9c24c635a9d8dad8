#include "vendrel/main_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace vendrel::gui {

namespace {

// Stands for a separator in a menu's list of items.
QAction* const separator = nullptr;

// Puts `items` into `menu` in their order.
void fill(QMenu* menu, std::initializer_list<QAction*> items)
{
    for (QAction* item : items) {
        if (item == separator)
            menu->addSeparator();
        else
            menu->addAction(item);
    }
}

QMenu* submenu(QMenu* parent, const char* caption, std::initializer_list<QAction*> items)
{
    auto* menu = new QMenu(QString::fromLatin1(caption), parent);
    fill(menu, items);
    return menu;
}

void buildFileMenu(QMenuBar* bar, MainMenus& m)
{
    m.file = bar->addMenu(QStringLiteral("&File"));
    fill(m.file, {m.appendFile, m.replaceFile, separator, m.mergeFile, separator, m.exit});
}

void buildRecoveryMenu(QMenuBar* bar, MainMenus& m)
{
    m.recovery = bar->addMenu(QStringLiteral("&Recovery"));
    fill(m.recovery, {m.createBackup, m.restoreBackup, separator, m.restoreMsHosts});
}

void buildEditMenu(QMenuBar* bar, MainMenus& m)
{
    m.edit = bar->addMenu(QStringLiteral("&Edit"));
    m.deleteSubmenu = submenu(m.edit, "Delete...", {m.deleteLine, separator, m.deleteLineAddToWhitelist});
    fill(m.edit, {m.deleteSubmenu->menuAction(), separator, m.toggleComment, separator, m.sortFile, separator,
                  m.swapLocalhosts, separator, m.copyHostsToClipboard});
}

void buildMemopadMenu(QMenuBar* bar, MainMenus& m)
{
    m.memopad = bar->addMenu(QStringLiteral("&Memopad"));
    m.saveSubmenu = submenu(m.memopad, "Save...", {m.saveHosts, m.saveAs, m.saveHostsExitMemopad});
    fill(m.memopad, {m.openInMemopad, separator, m.saveSubmenu->menuAction(), separator, m.exitMemopad});
    m.memopad->menuAction()->setVisible(false);
}

void buildDownloadMenu(QMenuBar* bar, MainMenus& m)
{
    m.download = bar->addMenu(QStringLiteral("&Download"));
    m.mvpsSubmenu = submenu(m.download, "MVPs Hosts", {m.mvpsMerge, m.mvpsReplace, separator, m.mvpsVisit});
    m.hphostsSubmenu = submenu(m.download, "hpHOSTS", {m.hphostsMerge, m.hphostsReplace, separator, m.hphostsVisit});
    fill(m.download, {m.mvpsSubmenu->menuAction(), m.hphostsSubmenu->menuAction(), separator, m.showSources,
                      m.updateAllSources, separator, m.cancelDownload});
}

void buildWhitelistMenu(QMenuBar* bar, MainMenus& m)
{
    m.whitelist = bar->addMenu(QStringLiteral("&Whitelist"));
    fill(m.whitelist, {m.removeWhitelistItems, m.addWhitelistItems, separator, m.viewEditWhitelist, separator,
                       m.saveAndExitWhitelist, m.exitWhitelist});
}

void buildHelpMenu(QMenuBar* bar, MainMenus& m)
{
    m.help = bar->addMenu(QStringLiteral("&Help"));
    fill(m.help, {m.viewHelpFile, m.visitMakerSite, separator, m.makeDonation});
    m.dnsSeparator = m.help->addSeparator();
    m.dnsSeparator->setVisible(false);
    fill(m.help, {m.checkDnsService, separator, m.visitForums});
}

void buildPopupMenu(QWidget* owner, MainMenus& m)
{
    m.popup = new QMenu(owner);
    fill(m.popup, {m.popupDeleteLine, m.popupDeleteLineAddToWhitelist, separator, m.popupToggleComment, separator,
                   m.popupCopyDomain});
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

} // namespace vendrel::gui
