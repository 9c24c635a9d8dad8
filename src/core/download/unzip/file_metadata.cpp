#include "core/download/unzip/file_metadata.h"

#include "core/download/unzip/dos_time.h"

#include <chrono>
#include <filesystem>

namespace vendrel::unzip {

namespace fs = std::filesystem;

void stampModificationTime(const std::string& path, const ZipMember& member)
{
    const std::optional<std::time_t> moment = fromDosDateTime(member.dosDate, member.dosTime);
    if (!moment)
        return;
    const auto fileTime = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(*moment));
    std::error_code ignored;
    fs::last_write_time(path, fileTime, ignored);
}

void removeWritePermission(const std::string& path)
{
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ignored);
}

} // namespace vendrel::unzip
