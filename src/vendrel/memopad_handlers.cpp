// Memopad mode: the hosts file edited as raw text.

#include "core/hosts/text_file.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"

#include <QAction>
#include <QFile>
#include <QMenu>

namespace {

const QString overwriteChangedQuestion =
    QStringLiteral("\r\n\r\nPress OK to replace it with the text shown, CANCEL to go on editing.");

} // namespace

void MainWindow::connectMemopadCommands()
{
    connectAction(menus_.openInMemopad, &MainWindow::openInMemopadClick);
    connectAction(menus_.saveHosts, &MainWindow::saveHostsClick);
    connectAction(menus_.saveAs, &MainWindow::saveAsClick);
    connectAction(menus_.saveHostsExitMemopad, &MainWindow::saveHostsExitMemopadClick);
    connectAction(menus_.exitMemopad, &MainWindow::exitMemopadClick);
}

void MainWindow::setMemopadMenus(bool memopadMode)
{
    for (QAction* action : {menus_.appendFile, menus_.replaceFile, menus_.mergeFile})
        action->setEnabled(!memopadMode);
    for (QMenu* menu : {menus_.recovery, menus_.download, menus_.whitelist, menus_.edit})
        menu->menuAction()->setEnabled(!memopadMode);
    menus_.saveSubmenu->menuAction()->setEnabled(memopadMode);
    menus_.exitMemopad->setEnabled(memopadMode);
    menus_.openInMemopad->setEnabled(!memopadMode);
}

void MainWindow::openInMemopadClick()
{
    showPlainTextArea(session_.readText());
    setMemopadMenus(true);
}

void MainWindow::saveHostsClick()
{
    savePlainText([this](const std::string& bytes) { writeHostsFromPlainText(bytes); });
}

void MainWindow::writeHostsFromPlainText(const std::string& bytes)
{
    try {
        session_.writeText(bytes);
    } catch (const vendrel::ChangedElsewhere& changed) {
        // The typed text is the user's: let them choose to keep it over the other change.
        if (!ConfirmOK(prompter_, this, QString::fromLocal8Bit(changed.what()) + overwriteChangedQuestion))
            throw vendrel::Error("Nothing was written; the text stays open for editing.");
        session_.acceptCurrentState();
        session_.writeText(bytes);
    }
}

void MainWindow::saveAsClick()
{
    const QString chosen = prompter_.saveFileName(this, QString(), QString());
    if (chosen.isEmpty())
        return;
    const std::string path = QFile::encodeName(chosen).toStdString();
    if (savePlainText([&path](const std::string& bytes) { vendrel::writeWholeFile(path, bytes); }))
        prompter_.ask(this, {Prompter::Kind::Information, QStringLiteral("Information"), QStringLiteral("File saved"),
                             false});
}

void MainWindow::saveHostsExitMemopadClick()
{
    if (savePlainText([this](const std::string& bytes) { writeHostsFromPlainText(bytes); }))
        leaveMemopad();
}

void MainWindow::exitMemopadClick()
{
    leaveMemopad();
}

void MainWindow::leaveMemopad()
{
    hidePlainTextArea();
    PopulateList();
}
