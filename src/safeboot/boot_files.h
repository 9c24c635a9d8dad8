#pragma once

#include "platform/boot_platform.h"

#include <string>
#include <string_view>

namespace safeboot {

// The safe-mode choice for the next start. A normal start is not a mode: it
// is the restore alone.
enum class SafeBootMode {
    Minimal = 1,
    Network = 2,
    DsRepair = 3,
};

// boot.ini at the root of the system drive (the drive of SYSTEMROOT, or of
// the Windows directory when SYSTEMROOT is not set); empty when that folder
// has no root.
std::string BootIniPath(platform::BootPlatform& system);
// msdos.sys at the root of the Windows directory's drive; empty when it has
// no root.
std::string MsdosSysPath(platform::BootPlatform& system);
// The backup kept beside a boot file.
std::string backupPathOf(const std::string& bootFile);

// Appends " " and `switchText` to the default entry of boot.ini, the entry
// whose key is the "default" value as the system reads it (without enclosing
// quotes). False, leaving the file as it was, when the file, its "default"
// key or the entry that key names is missing, or when the file cannot be
// written.
bool AddBootSwitch(const std::string& bootIni, std::string_view switchText);

// Unlocks boot.ini, backs it up, and appends the mode's switch to its
// default entry. False when the switch could not be added; a missing
// boot.ini is left missing.
bool SetSafeBootNt(platform::BootPlatform& system, SafeBootMode mode);
// Unlocks boot.ini and copies its backup over it. True when there is no
// backup or the copy succeeded.
bool RestoreBootIni(platform::BootPlatform& system);

// Unlocks msdos.sys, backs it up, and sets its safe-mode keys ("Network" too
// for Network). False when the keys could not be written; a missing
// msdos.sys is left missing.
bool SetSafeBoot9x(platform::BootPlatform& system, SafeBootMode mode);
// Unlocks msdos.sys and copies its backup over it. True when there is no
// backup or the copy succeeded.
bool RestoreMsdosSys(platform::BootPlatform& system);

} // namespace safeboot
