#include "platform/platform.h"

namespace platform {

PrivilegedWriter* Platform::privilegedHostsWriter(const std::string&) { return nullptr; }

bool Platform::fileExists(const std::string& path)
{
    const auto attributes = fileAttributes(path);
    return attributes && !(*attributes & Directory);
}

bool Platform::directoryExists(const std::string& path)
{
    const auto attributes = fileAttributes(path);
    return attributes && (*attributes & Directory);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
#ifdef _WIN32
    // Windows takes both separators; a folder given with "/" keeps it.
    const auto last = folder.find_last_of("\\/");
    const char separator = last == std::string::npos ? '\\' : folder[last];
#else
    constexpr char separator = '/';
#endif
    if (folder.empty() || folder.back() == separator)
        return folder + name;
    return folder + separator + name;
}

} // namespace platform
