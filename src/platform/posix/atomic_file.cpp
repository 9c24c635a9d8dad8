#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string reason(int error) { return std::strerror(error); }

[[noreturn]] void fail(const std::string& what, const std::string& path, int error)
{
    throw FileError(what + " " + path + ": " + reason(error));
}

// The file a write of `path` lands in: the target of a symbolic link.
std::string resolveTarget(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const auto target = std::filesystem::weakly_canonical(path, error);
        if (!error)
            return target.string();
    }
    return path;
}

std::string temporaryNameBeside(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void syncFolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Some containers mount a single file (such as /etc/hosts) over another; such
// a target cannot be renamed over, only rewritten. The complete temporary copy
// stays on disk until the rewrite has succeeded.
void overwriteInPlace(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot create file", path, errno);
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok)
        fail("Cannot write file", path, error);
}

// Gives the new file the old one's owner and group where this process may;
// otherwise it keeps this process's owner, with the old permission bits.
void keepOwner(int fd, const struct stat& existing)
{
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
        errno = 0;
}

} // namespace

void writeFileAtomically(const std::string& requestedPath, std::string_view bytes)
{
    const std::string path = resolveTarget(requestedPath);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        fail("Cannot create file", requestedPath, EISDIR);
    if (exists && ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0))
        fail("Cannot create file", requestedPath, EACCES);

    const std::string temporary = temporaryNameBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        fail("Cannot create file", requestedPath, errno);
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        keepOwner(fd, existing);
    }
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written)
        error = errno;
    if (!written) {
        ::unlink(temporary.c_str());
        fail("Cannot write file", requestedPath, error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        if (error == EBUSY) {
            try {
                overwriteInPlace(path, bytes);
            } catch (...) {
                ::unlink(temporary.c_str());
                throw;
            }
            ::unlink(temporary.c_str());
            return;
        }
        ::unlink(temporary.c_str());
        fail("Cannot create file", requestedPath, error);
    }
    syncFolderOf(path);
}

} // namespace platform
