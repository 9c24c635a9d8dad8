#include "safeboot/boot_choice.h"

namespace safeboot {

bool applyBootChoice(platform::BootPlatform& system, std::optional<SafeBootMode> mode)
{
    if (system.IsNtPlatform())
        return RestoreBootIni(system) && (!mode || SetSafeBootNt(system, *mode));
    return RestoreMsdosSys(system) && (!mode || SetSafeBoot9x(system, *mode));
}

} // namespace safeboot
