#include "core/hosts/editor_paths.h"

#include "core/error.h"

namespace vendrel {

std::string chooseHostsPath(platform::Platform& system, const std::string& systemDir,
                            const std::string& windowsDir)
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
    paths.hostsPath = chooseHostsPath(system, paths.systemDir, paths.windowsDir);
    paths.programFolder = system.programFolder();
    paths.backupPath = platform::joinPath(paths.programFolder, backupFileName);
    return paths;
}

} // namespace vendrel
