#pragma once

#include "vendrel/command_host.h"

namespace vendrel::gui {

// The Recovery menu and the Backup and Restore panel: the backup of the
// hosts file, its restore, and the operating system's default hosts file.
class BackupCommands final : public CommandFamily {
public:
    BackupCommands(CommandHost& host, ControlRecords controls);

    void CreateBackup();
    // "Restore Backup" is offered only while a backup exists.
    void setRestoreBackupEnabled(bool enabled);

private:
    void restoreBackupClick();
    void restoreDefaultHostsClick();
};

} // namespace vendrel::gui
