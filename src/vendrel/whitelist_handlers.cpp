// The whitelist: hosts the user took out of the hosts file, removed again
// after a merge or download, or added back; and Whitelist mode.

#include "core/bulk/file_sort.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "core/whitelist/whitelist.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

void MainWindow::connectWhitelistCommands()
{
    connectButton(widgets_.deleteLineAddToWhitelist, &MainWindow::deleteAddToWhitelistClick);
    connectAction(menus_.deleteLineAddToWhitelist, &MainWindow::deleteAddToWhitelistClick);
    connectAction(menus_.popupDeleteLineAddToWhitelist, &MainWindow::deleteAddToWhitelistClick);
    connectAction(menus_.removeWhitelistItems, &MainWindow::removeWhitelistItemsClick);
    connectAction(menus_.addWhitelistItems, &MainWindow::addWhitelistItemsClick);
    connectAction(menus_.viewEditWhitelist, &MainWindow::viewEditWhitelistClick);
    connectAction(menus_.saveAndExitWhitelist, &MainWindow::saveAndExitWhitelistClick);
    connectAction(menus_.exitWhitelist, &MainWindow::exitWhitelistClick);
}

void MainWindow::deleteAddToWhitelistClick()
{
    DeleteAddtoWL();
}

void MainWindow::DeleteAddtoWL()
{
    if (!ConfirmOK(prompter_, this, QStringLiteral("Press OK to Delete line and Add to Whitelist")))
        return;
    session_.addToWhitelist(static_cast<std::size_t>(selectedRow()));
    deleteline();
}

void MainWindow::removeWhitelistItemsClick()
{
    {
        BusyCursor busy;
        const int selected = selectedRow();
        session_.removeWhitelisted();
        widgets_.hostsList->selectRow(std::min(selected, model_->rowCount() - 1));
    }
    ShowLineCount();
}

void MainWindow::addWhitelistItemsClick()
{
    if (!session_.addWhitelisted(widgets_.progressBar->reporter()))
        return;
    PopulateList();
    ShowLineCount();
}

void MainWindow::Whitelistmenutoggleon()
{
    setWhitelistMenus(true);
}

void MainWindow::Whitelistmenutoggleoff()
{
    setWhitelistMenus(false);
}

void MainWindow::setWhitelistMenus(bool whitelistMode)
{
    for (QAction* action : {menus_.appendFile, menus_.replaceFile, menus_.mergeFile, menus_.removeWhitelistItems,
                            menus_.addWhitelistItems, menus_.viewEditWhitelist})
        action->setEnabled(!whitelistMode);
    for (QMenu* menu : {menus_.recovery, menus_.edit, menus_.memopad, menus_.download})
        menu->menuAction()->setEnabled(!whitelistMode);
    menus_.saveAndExitWhitelist->setEnabled(whitelistMode);
    menus_.exitWhitelist->setEnabled(whitelistMode);
}

void MainWindow::viewEditWhitelistClick()
{
    const std::string path = session_.whitelistPath();
    showPlainTextArea(system_.fileExists(path) ? vendrel::readTextFile(path) : std::string());
    Whitelistmenutoggleon();
}

void MainWindow::saveAndExitWhitelistClick()
{
    // The whitelist is a list of lines: each one, the last included, ends in CR LF.
    const bool saved = savePlainText([this](const std::string& bytes) {
        std::vector<std::string> lines;
        vendrel::forEachLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
        vendrel::writeTextLines(session_.whitelistPath(), lines);
    });
    if (saved)
        exitWhitelistClick();
}

void MainWindow::exitWhitelistClick()
{
    hidePlainTextArea();
    Whitelistmenutoggleoff();
}
