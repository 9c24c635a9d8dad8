#pragma once

#include "platform/platform.h"

#include <string>

namespace vendrel {

inline constexpr const char* backupFileName = "hostsbak.bak";

// Where the editor's own files are, fixed at start-up: the system folders
// the hosts file is looked for in, and the program folder of the backup,
// the whitelist and the history. The hosts file's path itself lives with
// the document of it.
struct EditorPaths {
    std::string systemDir;
    std::string windowsDir;
    std::string programFolder;

    std::string backupPath() const;
    std::string whitelistPath() const;
};

// The hosts file: inside the hosts folder when that folder exists, otherwise
// the older systems' file in the OS directory.
std::string chooseHostsPath(platform::Platform& system, const std::string& systemDir, const std::string& windowsDir);

// Reads the system folders (throwing Error with the platform's text when one
// cannot be read) and the program folder.
EditorPaths locateEditorPaths(platform::Platform& system);

// The hosts file chooseHostsPath finds from `paths`.
std::string hostsPathIn(platform::Platform& system, const EditorPaths& paths);

} // namespace vendrel
