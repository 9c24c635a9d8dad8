#include "pellbrook/pellbrook_app.h"

#include "pellbrook/safe_mode_dialog.h"

namespace pellbrook {

int runPellbrook(platform::BootPlatform& system, Prompter& prompter, WebLinkOpener& web)
{
    const auto lock = system.claimSingleInstance(instanceName);
    if (!lock)
        return -1;
    SafeModeDialog dialog(system, prompter, web);
    dialog.exec();
    return 0;
}

} // namespace pellbrook
