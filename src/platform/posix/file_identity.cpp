#include "platform/file_identity.h"

#include "platform/posix/file_identity_of.h"

namespace platform {

std::optional<FileIdentity> fileIdentity(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return posix::identityOf(info);
}

} // namespace platform
