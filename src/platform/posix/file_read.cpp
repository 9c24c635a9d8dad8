#include "platform/file_read.h"

#include "platform/atomic_file.h"
#include "platform/posix/file_identity_of.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

using posix::fail;

namespace {

// Opens the regular file at `path` for reading and describes it in `info`.
// The kind is checked by name first, so that no device is ever opened, and
// again on the open file, which is the one actually read.
posix::UniqueFd openRegular(const std::string& path, struct stat& info)
{
    if (::stat(path.c_str(), &info) != 0)
        fail("Cannot open file", path, errno);
    posix::refuseUnlessRegular("Cannot open file", path, info);
    posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        fail("Cannot open file", path, errno);
    if (::fstat(fd.get(), &info) != 0)
        fail("Cannot read file", path, errno);
    posix::refuseUnlessRegular("Cannot open file", path, info);
    return fd;
}

} // namespace

std::string readRegularFileStart(const std::string& path, std::size_t bytes)
{
    struct stat info {};
    const posix::UniqueFd fd = openRegular(path, info);
    std::string start(bytes, '\0');
    std::size_t filled = 0;
    while (filled < start.size()) {
        const ssize_t got = ::read(fd.get(), start.data() + filled, start.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail("Cannot read file", path, errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    start.resize(filled);
    return start;
}

std::string readRegularFile(const std::string& path, std::size_t limit, FileIdentity* identity)
{
    struct stat info {};
    const posix::UniqueFd fd = openRegular(path, info);
    if (static_cast<unsigned long long>(info.st_size) > limit)
        posix::refuseLargerThan(path, limit);
    if (identity)
        *identity = posix::identityOf(info);

    return posix::readOpenFile(fd.get(), static_cast<std::size_t>(info.st_size), limit, path);
}

} // namespace platform
