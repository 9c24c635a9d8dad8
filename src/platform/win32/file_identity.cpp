#include "platform/file_identity.h"

#include "platform/win32/win32_files.h"

namespace platform {

std::optional<FileIdentity> fileIdentity(const std::string& path)
{
    const win32::UniqueHandle file = win32::openForReading(path);
    FileIdentity identity;
    if (!file || !win32::identityOf(file.get(), identity))
        return std::nullopt;
    return identity;
}

} // namespace platform
