#include "platform/posix/posix_files.h"

#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace platform::posix {

std::string reason(int error) { return std::strerror(error); }

void fail(const std::string& what, const std::string& path, int error)
{
    throw FileError(what + " " + path + ": " + reason(error));
}

std::string kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISLNK(mode))
        return "a symbolic link";
    return "not a plain file";
}

void refuseUnlessRegular(const std::string& what, const std::string& path, const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return;
    if (S_ISDIR(info.st_mode))
        fail(what, path, EISDIR);
    throw FileError(what + " " + path + ": it is " + kindOf(info.st_mode) + ", not a regular file");
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAllAt(int fd, std::string_view bytes, off_t offset, write_faults::Step step)
{
    // Large texts go in pieces, so that a fault seam can stop a write midway.
    constexpr std::size_t piece = std::size_t{1} << 20;
    while (!bytes.empty()) {
        if (const int injected = write_faults::before(step, static_cast<std::uint64_t>(offset))) {
            errno = injected;
            return false;
        }
        const ssize_t written = ::pwrite(fd, bytes.data(), std::min(bytes.size(), piece), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

void refuseLargerThan(const std::string& path, std::size_t limit)
{
    throw FileError("Cannot read file " + path + ": it is larger than " + sizeInWords(limit));
}

namespace {

// One read(2), retried when a signal interrupts it.
std::size_t readSome(int fd, char* into, std::size_t room, const std::string& path)
{
    for (;;) {
        const ssize_t got = ::read(fd, into, room);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            fail("Cannot read file", path, errno);
    }
}

// Fills `bytes` (sized as fstat said) from `fd`, then reads on in pieces for
// files that do not know their size or grew meanwhile.
void readToEnd(int fd, std::string& bytes, std::size_t limit, const std::string& path)
{
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const std::size_t got = readSome(fd, bytes.data() + filled, bytes.size() - filled, path);
        if (got == 0) {
            bytes.resize(filled);
            return;
        }
        filled += got;
    }
    char piece[65536];
    while (const std::size_t got = readSome(fd, piece, sizeof piece, path)) {
        if (bytes.size() + got > limit)
            refuseLargerThan(path, limit);
        bytes.append(piece, got);
    }
}

} // namespace

std::string readOpenFile(int fd, std::size_t knownSize, std::size_t limit, const std::string& path)
{
    // Room for a few more bytes than the file holds: a change of some of its
    // lines then makes them in place rather than in a copy of the whole text.
    constexpr std::size_t spareBytes = 4096;
    std::string bytes;
    try {
        bytes.reserve(knownSize + spareBytes);
        adviseLargeBlock(bytes.data(), knownSize);
        bytes.resize(knownSize);
        readToEnd(fd, bytes, limit, path);
    } catch (const std::bad_alloc&) {
        throw FileError("Not enough memory to read file " + path + " (" + std::to_string(knownSize) + " bytes)");
    }
    return bytes;
}

void syncFolder(int folderFd)
{
    if (folderFd >= 0)
        ::fsync(folderFd);
}

} // namespace platform::posix
