// The backup of the hosts file, its restore, and the operating system's
// default hosts file.

#include "vendrel/backup_commands.h"

#include "core/hosts/editor_paths.h"
#include "core/session/hosts_session.h"
#include "platform/platform.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QPushButton>

BackupCommands::BackupCommands(CommandHost& host) : CommandFamily(host)
{
    const MainMenus& menus = host_.menus();
    const MainWidgets& widgets = host_.widgets();
    connectButton(widgets.createBackup, [this] { CreateBackup(); });
    connectAction(menus.createBackup, [this] { CreateBackup(); });
    connectButton(widgets.restoreBackup, [this] { restoreBackupClick(); });
    connectAction(menus.restoreBackup, [this] { restoreBackupClick(); });
    connectButton(widgets.restoreMicrosoftHosts, [this] { restoreDefaultHostsClick(); });
    connectAction(menus.restoreMsHosts, [this] { restoreDefaultHostsClick(); });
}

void BackupCommands::setRestoreBackupEnabled(bool enabled)
{
    host_.widgets().restoreBackup->setEnabled(enabled);
    host_.menus().restoreBackup->setEnabled(enabled);
}

void BackupCommands::CreateBackup()
{
    if (host_.system().fileExists(host_.paths().backupPath) &&
        !confirm(QStringLiteral("Press OK to overwrite previous backup")))
        return;
    host_.session().saveBackup();
    ask({Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Backup Successfully Created"), false});
    setRestoreBackupEnabled(true);
}

void BackupCommands::restoreBackupClick()
{
    if (confirm(QStringLiteral("Press OK to restore Backup Hosts File.")))
        RestoreBackup();
}

void BackupCommands::RestoreBackup()
{
    BusyCursor busy;
    host_.session().restoreBackup(host_.widgets().progressBar->reporter());
    host_.showLoadedRows();
}

void BackupCommands::restoreDefaultHostsClick()
{
    if (!confirm(QStringLiteral("Press OK to Restore Microsofts original Hosts File")))
        return;
    host_.session().WriteDefaultHosts();
    host_.PopulateList();
}
