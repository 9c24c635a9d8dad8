#include "core/hosts/editor_paths.h"

#include "core/error.h"
#include "core/whitelist/whitelist.h"

namespace vendrel {

std::string chooseHostsPath(platform::Platform& system, const std::string& systemDir, const std::string& windowsDir)
{
    const std::string folder = system.hostsFolder(systemDir);
    if (system.directoryExists(folder))
        return platform::joinPath(folder, "hosts");
    return system.legacyHostsPath(windowsDir);
}

EditorPaths locateEditorPaths(platform::Platform& system)
{
    EditorPaths paths;
    paths.systemDir = system.systemDirectory();
    paths.windowsDir = system.windowsDirectory();
    if (paths.systemDir.empty() || paths.windowsDir.empty())
        throw Error(system.lastErrorText());
    paths.programFolder = system.programFolder();
    return paths;
}

std::string hostsPathIn(platform::Platform& system, const EditorPaths& paths)
{
    return chooseHostsPath(system, paths.systemDir, paths.windowsDir);
}

std::string EditorPaths::backupPath() const { return platform::joinPath(programFolder, backupFileName); }

std::string EditorPaths::whitelistPath() const { return whitelistPathIn(programFolder); }

} // namespace vendrel
