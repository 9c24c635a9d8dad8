// The backup of the hosts file, its restore, and the operating system's
// default hosts file.

#include "vendrel/backup_commands.h"

#include "core/hosts/editor_paths.h"
#include "core/hosts/list_file_format.h"
#include "core/session/hosts_commands.h"
#include "platform/platform.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QPushButton>

namespace vendrel::gui {

BackupCommands::BackupCommands(CommandHost& host, ControlRecords controls) : CommandFamily(host)
{
    MainMenus& menus = controls.menus;
    MainWidgets& widgets = controls.widgets;
    menus.createBackup = newAction("Create Backup", [this] { CreateBackup(); });
    widgets.createBackup = newButton<QPushButton>(QStringLiteral("Create Backup"), [this] { CreateBackup(); });
    menus.restoreBackup = newAction("Restore Backup", [this] { restoreBackupClick(); });
    widgets.restoreBackup = newButton<QPushButton>(QStringLiteral("Restore Backup"), [this] { restoreBackupClick(); });
    menus.restoreMsHosts = newAction("Restore MS Hosts", [this] { restoreDefaultHostsClick(); });
    widgets.restoreMicrosoftHosts = newButton<QPushButton>(QStringLiteral("Restore\nMicrosoft's\nHosts File"),
                                                           [this] { restoreDefaultHostsClick(); });
}

void BackupCommands::setRestoreBackupEnabled(bool enabled)
{
    host_.widgets().restoreBackup->setEnabled(enabled);
    host_.menus().restoreBackup->setEnabled(enabled);
}

void BackupCommands::CreateBackup()
{
    if (host_.system().fileExists(host_.paths().backupPath()) &&
        !confirm(QStringLiteral("Press OK to overwrite previous backup")))
        return;
    vendrel::saveBackupList(host_.document().rows(), host_.paths().backupPath());
    ask({Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Backup Successfully Created"), false});
    setRestoreBackupEnabled(true);
}

void BackupCommands::restoreBackupClick()
{
    if (confirmChange(QStringLiteral("Press OK to restore Backup Hosts File."), [this] {
            return vendrel::planRestoreBackup(host_.document(), host_.paths().backupPath(),
                                              host_.widgets().progressBar->reporter());
        }))
        host_.PopulateList();
}

void BackupCommands::restoreDefaultHostsClick()
{
    if (confirmChange(QStringLiteral("Press OK to Restore Microsofts original Hosts File"),
                      [this] { return vendrel::planDefaultHosts(host_.document()); }))
        host_.PopulateList();
}

} // namespace vendrel::gui
