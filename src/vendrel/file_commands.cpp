// The whole-file commands: append, replace and merge from a chosen file
// (menu and File Handling panel), sort, remove-blocking and swap.

#include "vendrel/file_commands.h"

#include "core/hosts/editor_paths.h"
#include "core/session/hosts_commands.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace vendrel::gui {

namespace {

vendrel::PlannedChange planAppendFile(const vendrel::HostsDocument& document, const std::string& path)
{
    return vendrel::planAppend(document, path);
}

vendrel::PlannedChange planReplaceFile(const vendrel::HostsDocument& document, const std::string& path)
{
    return vendrel::planReplace(document, path);
}

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

void clearRadio(QRadioButton* radio)
{
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
}

} // namespace

FileCommands::FileCommands(CommandHost& host, ControlRecords controls) : CommandFamily(host)
{
    MainMenus& menus = controls.menus;
    MainWidgets& widgets = controls.widgets;
    menus.appendFile = newAction("&Append File", [this] { changeWithChosenFile(appendQuestion, planAppendFile); });
    menus.replaceFile = newAction("Replace File", [this] { changeWithChosenFile(replaceQuestion, planReplaceFile); });
    menus.mergeFile = newAction("Merge File", [this] { mergeFileClick(); });
    menus.sortFile = newAction("Sort File", [this] { SortFile1Click(); });
    menus.swapLocalhosts = newAction("Swap localhosts", [this] { swapLocalhostsClick(); });

    const auto choice = [this](const char* caption) {
        return newButton<QRadioButton>(QString::fromLatin1(caption),
                                       [this] { host_.widgets().selectFile->setEnabled(true); });
    };
    widgets.appendChoice = choice("Append");
    widgets.replaceChoice = choice("Replace");
    widgets.mergeChoice = choice("Merge");
    widgets.selectFile = newButton<QPushButton>(QStringLiteral("Select File"), [this] { selectFileClick(); });
    widgets.selectFile->setEnabled(false);
    widgets.removeAllBlocking = newButton<QPushButton>(QStringLiteral("Remove All Blocking Entries"),
                                                       [this] { removeAllBlockingClick(); });
}

std::string FileCommands::pickFile()
{
    const QString folder = lastChosenFile_.empty() ? QString::fromStdString(host_.paths().programFolder)
                                                   : QString::fromLocal8Bit(lastChosenFile_.c_str());
    const QString chosen = host_.prompter().openFileName(host_.dialogParent(), QStringLiteral("Select File"), folder);
    if (!chosen.isEmpty())
        lastChosenFile_ = QFile::encodeName(chosen).toStdString();
    return chosen.isEmpty() ? std::string() : lastChosenFile_;
}

bool FileCommands::confirmMerge(const QString& question, const std::string& mergePath)
{
    return confirmChange(question, [this, &mergePath] {
        return vendrel::planMerge(host_.document(), mergePath, host_.widgets().progressBar->reporter());
    });
}

void FileCommands::changeWithChosenFile(const QString& question, FilePlan plan)
{
    const std::string chosen = pickFile();
    if (chosen.empty())
        return;
    confirmChange(question, [this, plan, &chosen] { return plan(host_.document(), chosen); });
    host_.PopulateList();
}

void FileCommands::mergeFileClick()
{
    const std::string chosen = pickFile();
    if (!chosen.empty() && confirmMerge(mergeQuestion, chosen))
        showChangedFile();
}

void FileCommands::SortFile1Click()
{
    const bool sorted = confirmChange(
        sortQuestion, [this] { return vendrel::planSort(host_.document(), host_.widgets().progressBar->reporter()); });
    if (sorted)
        showChangedFile();
}

void FileCommands::showChangedFile()
{
    host_.ShowLineCount();
    host_.PopulateList();
}

void FileCommands::returnFileHandlingToIdle()
{
    const MainWidgets& widgets = host_.widgets();
    widgets.selectFile->setEnabled(false);
    for (QRadioButton* choice : {widgets.appendChoice, widgets.replaceChoice, widgets.mergeChoice})
        clearRadio(choice);
}

void FileCommands::selectFileClick()
{
    const auto idle = qScopeGuard([this] { returnFileHandlingToIdle(); });
    if (pickFile().empty())
        return;
    const MainWidgets& widgets = host_.widgets();
    if (widgets.mergeChoice->isChecked()) {
        if (confirmMerge(panelMergeQuestion, lastChosenFile_))
            showChangedFile();
        return;
    }
    const bool append = widgets.appendChoice->isChecked();
    const bool changed = confirmChange(append ? panelAppendQuestion : panelReplaceQuestion, [this, append] {
        return (append ? planAppendFile : planReplaceFile)(host_.document(), lastChosenFile_);
    });
    if (changed)
        host_.PopulateList();
}

void FileCommands::tellRefusal(const vendrel::CommandRefused& refusal)
{
    ask({Prompter::Kind::Information, QStringLiteral("Information"), QString::fromStdString(refusal.what()), false});
}

void FileCommands::removeAllBlockingClick()
{
    try {
        BusyCursor busy;
        vendrel::HostsDocument& document = host_.document();
        host_.applyChange(
            vendrel::planRemoveBlocking(document, host_.widgets().progressBar->reporter(), document.rows().size()));
        host_.PopulateList();
        host_.ShowLineCount();
    } catch (const vendrel::NothingToRemove& refusal) {
        host_.PopulateList(); // the rows were given up to read the file
        tellRefusal(refusal);
        return;
    } catch (const vendrel::CommandRefused& refusal) {
        tellRefusal(refusal);
        return;
    }
    ask({Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Your changes have been made"), false});
}

void FileCommands::swapLocalhostsClick()
{
    BusyCursor busy;
    const int selected = host_.widgets().hostsList->selectedRow();
    try {
        host_.applyChange(vendrel::planSwap(host_.document()));
    } catch (const vendrel::CommandRefused& refusal) {
        host_.widgets().hostsList->selectRow(selected);
        tellRefusal(refusal);
        return;
    }
    host_.widgets().hostsList->selectRow(selected);
    host_.TrimMemory();
}

} // namespace vendrel::gui
