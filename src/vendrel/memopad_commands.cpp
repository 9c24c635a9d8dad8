// Memopad mode: the hosts file edited as raw text.

#include "vendrel/memopad_commands.h"

#include "core/hosts/hosts_file_access.h"
#include "core/hosts/text_file.h"
#include "core/session/hosts_commands.h"
#include "core/session/hosts_document.h"
#include "vendrel/main_menus.h"
#include "vendrel/plain_text_area.h"

#include <QAction>
#include <QFile>

namespace vendrel::gui {

namespace {

const QString overwriteChangedQuestion = QStringLiteral(
    "\r\n\r\nPress OK to replace it with the text shown, CANCEL to go on editing.");

} // namespace

MemopadCommands::MemopadCommands(CommandHost& host, PlainTextArea& area, MainMenus& menus)
    : CommandFamily(host), area_(area)
{
    menus.openInMemopad = newAction("Open in Memopad", [this] { openInMemopadClick(); });
    menus.saveHosts = newAction("Save Hosts", [this] { saveHostsClick(); });
    menus.saveAs = newAction("Save as...", [this] { saveAsClick(); });
    menus.saveHostsExitMemopad = newAction("Save Hosts Exit Memopad", [this] { saveHostsExitMemopadClick(); });
    menus.exitMemopad = newAction("Exit Memopad", [this] { exitMemopadClick(); });
}

void MemopadCommands::openInMemopadClick()
{
    vendrel::CurrentFile current = host_.document().readCurrent();
    shown_ = std::move(current.basis);
    area_.show(current.bytes);
    host_.setMode(WindowMode::Memopad);
}

void MemopadCommands::saveHostsClick()
{
    area_.save([this](const std::string& bytes) { writeHostsFromPlainText(bytes); });
}

void MemopadCommands::writeHostsFromPlainText(const std::string& bytes)
{
    std::optional<vendrel::PlannedChange> change;
    try {
        change = vendrel::planSaveText(host_.document(), bytes, shown_);
    } catch (const vendrel::ChangedElsewhere& changed) {
        // The typed text is the user's: let them choose to keep it over the other change.
        if (!confirm(QString::fromLocal8Bit(changed.what()) + overwriteChangedQuestion))
            throw vendrel::Error("Nothing was written; the text stays open for editing.");
        change = vendrel::planSaveText(host_.document(), bytes);
    }
    host_.applyChange(*change);
    shown_ = host_.document().basis();
}

void MemopadCommands::saveAsClick()
{
    const QString chosen = host_.prompter().saveFileName(host_.dialogParent(), QString(), QString());
    if (chosen.isEmpty())
        return;
    const std::string path = QFile::encodeName(chosen).toStdString();
    if (area_.save([&path](const std::string& bytes) { vendrel::writeWholeFile(path, bytes); }))
        ask({Prompter::Kind::Information, QStringLiteral("Information"), QStringLiteral("File saved"), false});
}

void MemopadCommands::saveHostsExitMemopadClick()
{
    if (area_.save([this](const std::string& bytes) { writeHostsFromPlainText(bytes); }))
        leaveMemopad();
}

void MemopadCommands::exitMemopadClick() { leaveMemopad(); }

void MemopadCommands::leaveMemopad()
{
    area_.hide();
    host_.setMode(WindowMode::Idle);
    host_.PopulateList();
}

} // namespace vendrel::gui
