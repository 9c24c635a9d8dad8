#pragma once

#include "platform/platform.h"

#include <string>

namespace vendrel {

inline constexpr const char* backupFileName = "hostsbak.bak";

// Where the editor's files are, fixed at start-up.
struct EditorPaths {
    std::string systemDir;
    std::string windowsDir;
    std::string hostsPath;
    std::string programFolder;
    std::string backupPath;
};

// The hosts file: inside the hosts folder when that folder exists, otherwise
// the older systems' file in the OS directory.
std::string chooseHostsPath(platform::Platform& system, const std::string& systemDir,
                            const std::string& windowsDir);

// Reads the system folders (throwing Error with the platform's text when one
// cannot be read) and derives every path from them.
EditorPaths locateEditorPaths(platform::Platform& system);

} // namespace vendrel
