#include "platform/posix/file_metadata_copy.h"

#include "platform/atomic_file.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/temporary_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform::posix {
namespace {

// Far above any boot or settings file this copy is made for.
constexpr std::size_t largestCopiedFile = std::size_t{64} << 20;

// The names of the file's extended attributes; nothing on failure, with
// `ok` false unless the file system simply has none.
std::vector<std::string> attributeNames(int fd, bool& ok)
{
    ok = true;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            ok = errno == ENOTSUP;
            return {};
        }
        std::vector<char> list(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE)
            continue; // grew meanwhile
        if (got < 0) {
            ok = false;
            return {};
        }
        std::vector<std::string> names;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            names.emplace_back(list.data() + at);
            at += names.back().size() + 1;
        }
        return names;
    }
}

bool readAttribute(int fd, const std::string& name, std::vector<char>& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool copyAttributes(int sourceFd, int fd)
{
    bool ok = false;
    const std::vector<std::string> wanted = attributeNames(sourceFd, ok);
    if (!ok)
        return false;
    // The new file may have inherited some (a folder's default ACL, say).
    bool listed = false;
    for (const std::string& inherited : attributeNames(fd, listed))
        if (std::find(wanted.begin(), wanted.end(), inherited) == wanted.end() &&
            ::fremovexattr(fd, inherited.c_str()) != 0)
            return false;
    std::vector<char> value;
    for (const std::string& name : wanted)
        if (!readAttribute(sourceFd, name, value) || ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    return true;
}

// Where a write of `path` lands: the target of a symbolic link, the path
// itself otherwise; empty for a link to nothing.
std::string landingPath(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const auto resolved = std::filesystem::canonical(path, error);
    return error ? std::string() : resolved.string();
}

bool giveMetadata(int sourceFd, const struct stat& source, int fd)
{
    return copyFileMetadata(sourceFd, source, fd) || ::fchmod(fd, source.st_mode & 07777) == 0;
}

// Writes `bytes` to a new file that takes the name of `target` once it holds
// them and the source's metadata.
void replaceWithCopy(const std::string& target, const std::string& bytes, int sourceFd, const struct stat& source)
{
    const UniqueFd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        fail("Cannot create file", target, errno);
    const std::string name = nameOf(target);
    removeStaleTemporaries(folder.get(), name);
    TemporaryFile copy(folder.get(), name, target, 0600);
    if (!writeAllAt(copy.fd(), bytes, 0, write_faults::Step::NewFile) || !giveMetadata(sourceFd, source, copy.fd()) ||
        ::fsync(copy.fd()) != 0)
        fail("Cannot write file", target, errno);
    if (const int error = copy.moveTo(name))
        fail("Cannot create file", target, error);
    syncFolder(folder.get());
}

} // namespace

bool copyFileWithMetadata(const std::string& from, const std::string& to)
{
    const UniqueFd source(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (!source || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const std::string target = landingPath(to);
    if (target.empty())
        return false;
    try {
        const std::string bytes = readOpenFile(source.get(), static_cast<std::size_t>(info.st_size), largestCopiedFile,
                                               from);
        replaceWithCopy(target, bytes, source.get(), info);
    } catch (const FileError&) {
        return false;
    }
    return true;
}

bool copyFileMetadata(int sourceFd, const struct stat& source, int fd)
{
    // The owner first: changing it clears the set-id bits, which the mode
    // then sets again. The mode last, after any ACL, which it must agree with.
    if (::fchown(fd, source.st_uid, source.st_gid) != 0)
        return false;
    if (!copyAttributes(sourceFd, fd))
        return false;
    if (::fchmod(fd, source.st_mode & 07777) != 0)
        return false;
    struct stat result {};
    return ::fstat(fd, &result) == 0 && result.st_uid == source.st_uid && result.st_gid == source.st_gid &&
           (result.st_mode & 07777) == (source.st_mode & 07777);
}

} // namespace platform::posix
