// The whole-file commands: append, replace and merge from a chosen file
// (menu and File Handling panel), sort, remove-blocking and swap, and the
// backup and restore commands.

#include "core/bulk/blocking_address.h"
#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace {

const QString appendQuestion = QStringLiteral("Press OK make changes to Append file to your Hosts file.");
const QString replaceQuestion = QStringLiteral("Press OK to Replace Your Hosts File.");
const QString mergeQuestion = QStringLiteral(
    "Press OK make changes to your Hosts file.\r\n**Note Merge will alphabetize your HOSTS file and remove #statements.");
const QString sortQuestion = QStringLiteral(
    "Press OK make changes to your Hosts file.\r\n*Note* - Sort will alphabetize your HOSTS file and remove #statements.");
const QString panelAppendQuestion = QStringLiteral("Press OK to Append File to your Hosts File");
const QString panelReplaceQuestion = QStringLiteral("Press OK to Replace you Hosts File");
const QString panelMergeQuestion = QStringLiteral(
    "Press OK make changes to your Hosts file.\r\n*Note* - Merge will alphabetize your HOSTS file and remove #statements.");

constexpr std::size_t rowsWhileSorting = 40;

void clearRadio(QRadioButton* radio)
{
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
}

} // namespace

void MainWindow::connectFileCommands()
{
    connectAction(menus_.appendFile, &MainWindow::appendFileClick);
    connectAction(menus_.replaceFile, &MainWindow::replaceFileClick);
    connectAction(menus_.mergeFile, &MainWindow::mergeFileClick);
    connectAction(menus_.sortFile, &MainWindow::sortFileClick);
    for (QRadioButton* choice : {widgets_.appendChoice, widgets_.replaceChoice, widgets_.mergeChoice})
        connectButton(choice, &MainWindow::fileChoiceClick);
    connectButton(widgets_.selectFile, &MainWindow::selectFileClick);

    connectButton(widgets_.removeAllBlocking, &MainWindow::removeAllBlockingClick);
    connectAction(menus_.swapLocalhosts, &MainWindow::swapLocalhostsClick);

    connectButton(widgets_.createBackup, &MainWindow::createBackupClick);
    connectAction(menus_.createBackup, &MainWindow::createBackupClick);
    connectButton(widgets_.restoreBackup, &MainWindow::restoreBackupClick);
    connectAction(menus_.restoreBackup, &MainWindow::restoreBackupClick);
    connectButton(widgets_.restoreMicrosoftHosts, &MainWindow::restoreDefaultHostsClick);
    connectAction(menus_.restoreMsHosts, &MainWindow::restoreDefaultHostsClick);
}

std::string MainWindow::pickFile()
{
    const QString folder = lastChosenFile_.empty() ? QString::fromStdString(paths_.programFolder)
                                                   : QString::fromLocal8Bit(lastChosenFile_.c_str());
    const QString chosen = prompter_.openFileName(this, QStringLiteral("Select File"), folder);
    if (!chosen.isEmpty())
        lastChosenFile_ = QFile::encodeName(chosen).toStdString();
    return chosen.isEmpty() ? std::string() : lastChosenFile_;
}

void MainWindow::mergeSequence(const std::string& mergePath)
{
    BusyCursor busy;
    session_.mergeSequence(mergePath, widgets_.progressBar->reporter());
    ShowLineCount();
    PopulateList();
}

void MainWindow::appendFileClick()
{
    const std::string chosen = pickFile();
    if (chosen.empty())
        return;
    if (ConfirmOK(prompter_, this, appendQuestion)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        session_.FileAppend(chosen);
    }
    PopulateList();
}

void MainWindow::replaceFileClick()
{
    const std::string chosen = pickFile();
    if (chosen.empty())
        return;
    if (ConfirmOK(prompter_, this, replaceQuestion)) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        session_.FileRewrite(chosen);
    }
    PopulateList();
}

void MainWindow::mergeFileClick()
{
    const std::string chosen = pickFile();
    if (!chosen.empty() && ConfirmOK(prompter_, this, mergeQuestion))
        mergeSequence(chosen);
}

void MainWindow::sortFileClick()
{
    if (!ConfirmOK(prompter_, this, sortQuestion))
        return;
    BusyCursor busy;
    session_.FileSort(widgets_.progressBar->reporter(), rowsWhileSorting);
    ShowLineCount();
    PopulateList();
}

void MainWindow::fileChoiceClick()
{
    widgets_.selectFile->setEnabled(true);
}

void MainWindow::returnFileHandlingToIdle()
{
    widgets_.selectFile->setEnabled(false);
    for (QRadioButton* choice : {widgets_.appendChoice, widgets_.replaceChoice, widgets_.mergeChoice})
        clearRadio(choice);
}

void MainWindow::selectFileClick()
{
    const auto idle = qScopeGuard([this] { returnFileHandlingToIdle(); });
    if (pickFile().empty())
        return;
    const QString question = widgets_.appendChoice->isChecked()    ? panelAppendQuestion
                             : widgets_.replaceChoice->isChecked() ? panelReplaceQuestion
                                                                   : panelMergeQuestion;
    if (!ConfirmOK(prompter_, this, question))
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    runFileChoice();
}

void MainWindow::runFileChoice()
{
    BusyCursor busy;
    if (widgets_.mergeChoice->isChecked()) {
        mergeSequence(lastChosenFile_);
        return;
    }
    if (widgets_.appendChoice->isChecked())
        session_.FileAppend(lastChosenFile_);
    else
        session_.FileRewrite(lastChosenFile_);
    PopulateList();
}

void MainWindow::tellNoBlockingAddress(const vendrel::NoBlockingAddress& refusal)
{
    prompter_.ask(this, {Prompter::Kind::Information, QStringLiteral("Information"),
                         QString::fromStdString(refusal.what()), false});
}

void MainWindow::removeAllBlockingClick()
{
    try {
        BusyCursor busy;
        session_.removeBlockingEntries(widgets_.progressBar->reporter(), session_.rows().size());
        PopulateList();
        ShowLineCount();
    } catch (const vendrel::NoBlockingAddress& refusal) {
        tellNoBlockingAddress(refusal);
        return;
    }
    prompter_.ask(this, {Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Your changes have been made"),
                         false});
}

void MainWindow::swapLocalhostsClick()
{
    BusyCursor busy;
    const int selected = selectedRow();
    try {
        session_.swapLocalhosts();
    } catch (const vendrel::NoBlockingAddress& refusal) {
        widgets_.hostsList->selectRow(selected);
        tellNoBlockingAddress(refusal);
        return;
    }
    widgets_.hostsList->selectRow(selected);
    TrimMemory();
}

void MainWindow::createBackupClick()
{
    CreateBackup();
}

void MainWindow::CreateBackup()
{
    if (system_.fileExists(paths_.backupPath) &&
        !ConfirmOK(prompter_, this, QStringLiteral("Press OK to overwrite previous backup")))
        return;
    session_.saveBackup();
    prompter_.ask(this, {Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Backup Successfully Created"),
                         false});
    setRestoreBackupEnabled(true);
}

void MainWindow::restoreBackupClick()
{
    if (ConfirmOK(prompter_, this, QStringLiteral("Press OK to restore Backup Hosts File.")))
        RestoreBackup();
}

void MainWindow::RestoreBackup()
{
    BusyCursor busy;
    session_.restoreBackup(widgets_.progressBar->reporter());
    showLoadedRows();
}

void MainWindow::restoreDefaultHostsClick()
{
    if (!ConfirmOK(prompter_, this, QStringLiteral("Press OK to Restore Microsofts original Hosts File")))
        return;
    session_.WriteDefaultHosts();
    PopulateList();
}
