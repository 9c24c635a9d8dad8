#include "platform/atomic_file.h"

#include "platform/posix/file_metadata_copy.h"
#include "platform/posix/held_locks.h"
#include "platform/posix/in_place_rewrite.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>

namespace platform {
namespace {

using posix::fail;
using posix::UniqueFd;

// The largest complete copy an interrupted rewrite is finished from.
constexpr std::size_t largestCopy = std::size_t{4} << 30;

// The file a write of a path lands in, as it stands before the write.
struct Target {
    std::string path; // symbolic links followed
    bool exists = false;
    struct stat info {};
    UniqueFd reader; // open for reading when it exists and may be read
};

// Where a symbolic link at `path` leads; the path itself when it is none.
std::string followLink(const std::string& path)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    std::error_code error;
    const auto resolved = std::filesystem::canonical(path, error);
    if (!error)
        return resolved.string();
    const auto leadsTo = std::filesystem::read_symlink(path, error);
    throw FileError("Cannot write " + path + ": it is a symbolic link to " + leadsTo.string() +
                    ", which does not exist");
}

Target examineTarget(const std::string& requested)
{
    Target target;
    target.path = followLink(requested);
    if (::stat(target.path.c_str(), &target.info) != 0) {
        if (errno != ENOENT)
            fail("Cannot create file", requested, errno);
        return target;
    }
    if (S_ISDIR(target.info.st_mode))
        fail("Cannot create file", requested, EISDIR);
    posix::refuseUnlessRegular("Cannot write", requested, target.info);
    if ((target.info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.path.c_str(), W_OK) != 0)
        fail("Cannot create file", requested, EACCES);
    target.reader = UniqueFd(::open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    target.exists = true;
    return target;
}

UniqueFd openFolder(const std::string& path, const std::string& shown)
{
    UniqueFd folder(::open(posix::folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        fail("Cannot create file", shown, errno);
    return folder;
}

void fill(const posix::TemporaryFile& temporary, std::string_view bytes, const std::string& shown)
{
    if (!posix::writeAllAt(temporary.fd(), bytes, 0, write_faults::Step::NewFile) || ::fsync(temporary.fd()) != 0)
        fail("Cannot write file", shown, errno);
}

// Whether the target must keep its inode: more names share it, or the new
// file could not be given everything the old one has.
bool mustKeepInode(const Target& target, const posix::TemporaryFile& temporary)
{
    return target.info.st_nlink > 1 || !target.reader ||
           !posix::copyFileMetadata(target.reader.get(), target.info, temporary.fd());
}

void rewriteKeepingCopy(posix::TemporaryFile& temporary, int folderFd, const Target& target, std::string_view bytes,
                        const std::string& shown)
{
    const std::string copyName = posix::completeCopyName(posix::nameOf(target.path));
    if (const int error = temporary.moveTo(copyName))
        throw FileError("Cannot write " + shown + ": no complete copy of its new text can be kept beside it (" +
                        posix::reason(error) + "); the file was not changed");
    posix::syncFolder(folderFd);
    posix::rewriteInPlace(folderFd, target.path, bytes, true);
}

// The new file stays locked for as long as this process's lock on the file
// it replaced (or on the folder it was created in) is held.
void keepLockedWhileLockHeld(const Target& target, int folderFd, UniqueFd replacement)
{
    struct stat folderInfo {};
    if (target.exists)
        posix::passHeldLockOn(target.info, std::move(replacement));
    else if (::fstat(folderFd, &folderInfo) == 0)
        posix::passHeldLockOn(folderInfo, std::move(replacement));
}

} // namespace

void writeFileAtomically(const std::string& requestedPath, std::string_view bytes)
{
    const Target target = examineTarget(requestedPath);
    const std::string name = posix::nameOf(target.path);
    const UniqueFd folder = openFolder(target.path, requestedPath);
    posix::removeStaleTemporaries(folder.get(), name);

    posix::TemporaryFile temporary(folder.get(), name, requestedPath, target.exists ? 0600 : 0666);
    fill(temporary, bytes, requestedPath);
    if (target.exists && mustKeepInode(target, temporary))
        return rewriteKeepingCopy(temporary, folder.get(), target, bytes, requestedPath);
    const int error = temporary.moveTo(name);
    // A single file mounted over another cannot be renamed over.
    if (error == EBUSY && target.exists)
        return rewriteKeepingCopy(temporary, folder.get(), target, bytes, requestedPath);
    if (error)
        fail("Cannot create file", requestedPath, error);
    keepLockedWhileLockHeld(target, folder.get(), temporary.takeFd());
    posix::syncFolder(folder.get());
    // A copy left by an interrupted rewrite is older than this whole text.
    ::unlinkat(folder.get(), posix::completeCopyName(name).c_str(), 0);
}

std::optional<std::string> finishInterruptedRewrite(const std::string& requestedPath)
{
    std::string path;
    try {
        path = followLink(requestedPath);
    } catch (const FileError&) {
        return std::nullopt;
    }
    const UniqueFd folder(::open(posix::folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return std::nullopt;
    const std::string name = posix::nameOf(path);
    const std::string copyName = posix::completeCopyName(name);
    const std::string copyPath = posix::folderOf(path) + "/" + copyName;
    const UniqueFd copy(::openat(folder.get(), copyName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!copy && errno == ENOENT)
        return std::nullopt;
    struct stat info {};
    if (!copy || ::fstat(copy.get(), &info) != 0)
        fail("Cannot read the complete copy", copyPath, errno);
    posix::refuseUnlessRegular("Cannot use the complete copy", copyPath, info);
    const std::string bytes = posix::readOpenFile(copy.get(), static_cast<std::size_t>(info.st_size), largestCopy,
                                                  copyPath);
    if (::access(path.c_str(), F_OK) != 0) {
        if (::renameat(folder.get(), copyName.c_str(), folder.get(), name.c_str()) != 0)
            fail("Cannot put the complete copy in place of", path, errno);
        posix::syncFolder(folder.get());
        return copyPath;
    }
    posix::rewriteInPlace(folder.get(), path, bytes, false);
    return copyPath;
}

} // namespace platform
