#pragma once

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace vendrel::gui {

// Every item of the main menu and of the hosts list's popup menu. The items
// come from the command families (and the window: "Exit"), the menus from
// buildMainMenus.
struct MainMenus {
    QMenu* file = nullptr;
    QAction* appendFile = nullptr;
    QAction* replaceFile = nullptr;
    QAction* mergeFile = nullptr;
    QAction* exit = nullptr;

    QMenu* recovery = nullptr;
    QAction* createBackup = nullptr;
    QAction* restoreBackup = nullptr;
    QAction* restoreMsHosts = nullptr;

    QMenu* edit = nullptr;
    QMenu* deleteSubmenu = nullptr;
    QAction* deleteLine = nullptr;
    QAction* deleteLineAddToWhitelist = nullptr;
    QAction* toggleComment = nullptr;
    QAction* sortFile = nullptr;
    QAction* swapLocalhosts = nullptr;
    QAction* copyHostsToClipboard = nullptr;

    QMenu* memopad = nullptr;
    QAction* openInMemopad = nullptr;
    QMenu* saveSubmenu = nullptr;
    QAction* saveHosts = nullptr;
    QAction* saveAs = nullptr;
    QAction* saveHostsExitMemopad = nullptr;
    QAction* exitMemopad = nullptr;

    QMenu* download = nullptr;
    QMenu* mvpsSubmenu = nullptr;
    QAction* mvpsMerge = nullptr;
    QAction* mvpsReplace = nullptr;
    QAction* mvpsVisit = nullptr;
    QMenu* hphostsSubmenu = nullptr;
    QAction* hphostsMerge = nullptr;
    QAction* hphostsReplace = nullptr;
    QAction* hphostsVisit = nullptr;
    QAction* showSources = nullptr;
    QAction* updateAllSources = nullptr;
    QAction* cancelDownload = nullptr;

    QMenu* whitelist = nullptr;
    QAction* removeWhitelistItems = nullptr;
    QAction* addWhitelistItems = nullptr;
    QAction* viewEditWhitelist = nullptr;
    QAction* saveAndExitWhitelist = nullptr;
    QAction* exitWhitelist = nullptr;

    QMenu* help = nullptr;
    QAction* viewHelpFile = nullptr;
    QAction* visitMakerSite = nullptr;
    QAction* makeDonation = nullptr;
    QAction* dnsSeparator = nullptr;
    QAction* checkDnsService = nullptr;
    QAction* visitForums = nullptr;

    QMenu* popup = nullptr;
    QAction* popupDeleteLine = nullptr;
    QAction* popupDeleteLineAddToWhitelist = nullptr;
    QAction* popupToggleComment = nullptr;
    QAction* popupCopyDomain = nullptr;
};

// Builds the menus of the main menu into `bar` and the popup menu owned by
// `owner`, and puts into them, in their order, the items the command families
// made. The "Memopad" menu and the DNS item's separator start hidden. Each
// menu of the bar opens with Alt and the first letter of its caption.
void buildMainMenus(QMenuBar* bar, QWidget* owner, MainMenus& menus);

} // namespace vendrel::gui
