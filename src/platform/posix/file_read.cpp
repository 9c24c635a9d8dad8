#include "platform/file_read.h"

#include "platform/atomic_file.h"
#include "platform/posix/file_identity_of.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <fcntl.h>

namespace platform {

using posix::fail;

std::string readRegularFile(const std::string& path, std::size_t limit, FileIdentity* identity)
{
    // The kind is checked by name first, so that no device is ever opened,
    // and again on the open file, which is the one actually read.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        fail("Cannot open file", path, errno);
    posix::refuseUnlessRegular("Cannot open file", path, info);
    const posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        fail("Cannot open file", path, errno);
    if (::fstat(fd.get(), &info) != 0)
        fail("Cannot read file", path, errno);
    posix::refuseUnlessRegular("Cannot open file", path, info);
    if (static_cast<unsigned long long>(info.st_size) > limit)
        posix::refuseLargerThan(path, limit);
    if (identity)
        *identity = posix::identityOf(info);

    return posix::readOpenFile(fd.get(), static_cast<std::size_t>(info.st_size), limit, path);
}

} // namespace platform
