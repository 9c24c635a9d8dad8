#pragma once

#include "platform/boot_platform.h"

namespace pellbrook {

class Prompter;
class WebLinkOpener;

// The name the single-instance lock is known by.
inline constexpr const char* instanceName = "PLBFILEVIEWER";
inline constexpr const char* fileVersion = "1.0.0.1002";

// Runs the program on a running QApplication and returns its exit code: -1
// at once, showing nothing, when another instance is running; otherwise 0
// after the dialog has ended.
int runPellbrook(platform::BootPlatform& system, Prompter& prompter, WebLinkOpener& web);

} // namespace pellbrook
