#pragma once

#include "platform/boot_platform.h"
#include "safeboot/boot_files.h"

#include <optional>

namespace safeboot {

// Makes the boot file ask for `mode` at the next start, or for a normal start
// when there is no mode: the file is first restored from its backup, so that
// at most one change of this program is ever in force, then changed. boot.ini
// on the NT family, msdos.sys otherwise. True when the boot file now asks for
// what was chosen. When the restore fails the file is left alone, so that a
// changed file never replaces the backup of the original.
bool applyBootChoice(platform::BootPlatform& system, std::optional<SafeBootMode> mode);

} // namespace safeboot
