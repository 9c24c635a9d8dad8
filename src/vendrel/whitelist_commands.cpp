// The whitelist: hosts the user took out of the hosts file, removed again
// after a merge or download, or added back; and Whitelist mode.

#include "vendrel/whitelist_commands.h"

#include "core/hosts/editor_paths.h"
#include "core/hosts/text_file.h"
#include "core/session/hosts_commands.h"
#include "core/whitelist/whitelist.h"
#include "platform/platform.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/plain_text_area.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QPushButton>

#include <algorithm>

namespace vendrel::gui {

WhitelistCommands::WhitelistCommands(CommandHost& host, PlainTextArea& area, ControlRecords controls)
    : CommandFamily(host), area_(area)
{
    MainMenus& menus = controls.menus;
    controls.widgets.deleteLineAddToWhitelist = newButton<QPushButton>(
        QStringLiteral("Delete Line / Add into Whitelist"), [this] { DeleteAddtoWL(); });
    menus.deleteLineAddToWhitelist = newAction("Delete Line/Add to Whitelist", [this] { DeleteAddtoWL(); });
    menus.popupDeleteLineAddToWhitelist = newAction("Delete Line/Add into Whitelist", [this] { DeleteAddtoWL(); });
    menus.removeWhitelistItems = newAction("Remove Whitelist Items", [this] { removeWhitelistItemsClick(); });
    menus.addWhitelistItems = newAction("Add Whitelist Items", [this] { addWhitelistItemsClick(); });
    menus.viewEditWhitelist = newAction("View/Edit Whitelist", [this] { viewEditWhitelistClick(); });
    menus.saveAndExitWhitelist = newAction("Save and Exit Whitelist", [this] { saveAndExitWhitelistClick(); });
    menus.exitWhitelist = newAction("Exit Whitelist", [this] { exitWhitelistClick(); });
}

void WhitelistCommands::DeleteAddtoWL()
{
    if (!confirm(QStringLiteral("Press OK to Delete line and Add to Whitelist")))
        return;
    const auto row = static_cast<std::size_t>(host_.widgets().hostsList->selectedRow());
    vendrel::appendToWhitelist(host_.paths().whitelistPath(), host_.document().rows().host(row));
    host_.deleteline();
}

void WhitelistCommands::removeWhitelistItemsClick()
{
    {
        BusyCursor busy;
        HostsTableView* list = host_.widgets().hostsList;
        const int selected = list->selectedRow();
        host_.applyChange(vendrel::planRemoveWhitelisted(host_.document(), host_.paths().whitelistPath()));
        list->selectRow(std::min(selected, list->model()->rowCount() - 1));
    }
    host_.ShowLineCount();
}

void WhitelistCommands::addWhitelistItemsClick()
{
    const std::optional<vendrel::PlannedChange> change = vendrel::planAddWhitelisted(
        host_.document(), host_.paths().whitelistPath(), host_.widgets().progressBar->reporter());
    if (!change)
        return;
    host_.applyChange(*change);
    host_.PopulateList();
    host_.ShowLineCount();
}

void WhitelistCommands::Whitelistmenutoggleon() { host_.setMode(WindowMode::Whitelist); }

void WhitelistCommands::Whitelistmenutoggleoff() { host_.setMode(WindowMode::Idle); }

void WhitelistCommands::viewEditWhitelistClick()
{
    const std::string path = host_.paths().whitelistPath();
    area_.show(host_.system().fileExists(path) ? vendrel::readTextFile(path) : std::string());
    Whitelistmenutoggleon();
}

void WhitelistCommands::saveAndExitWhitelistClick()
{
    const bool saved = area_.save(
        [this](const std::string& bytes) { vendrel::writeWhitelistText(host_.paths().whitelistPath(), bytes); });
    if (saved)
        exitWhitelistClick();
}

void WhitelistCommands::exitWhitelistClick()
{
    area_.hide();
    Whitelistmenutoggleoff();
}

} // namespace vendrel::gui
