#include "platform/atomic_file.h"

#include "platform/posix/file_metadata_copy.h"
#include "platform/posix/held_locks.h"
#include "platform/posix/in_place_rewrite.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/rewrite_record.h"
#include "platform/posix/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>

namespace platform {
namespace {

using posix::fail;
using posix::UniqueFd;

// The largest text a rewrite in place records, and its record.
constexpr std::size_t largestText = std::size_t{1} << 30;
constexpr std::size_t largestRecord = 2 * largestText + 4096;

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

// The old text, for the record that proves a later repair; none when the
// file may not be read.
std::optional<std::string> oldTextOf(const Target& target, const std::string& shown)
{
    if (!target.reader)
        return std::nullopt;
    return posix::readOpenFile(target.reader.get(), static_cast<std::size_t>(target.info.st_size), largestText, shown);
}

void rewriteKeepingRecord(int folderFd, const Target& target, std::string_view bytes, const std::string& shown)
{
    const std::string name = posix::nameOf(target.path);
    const posix::RewriteRecord record{target.info.st_dev,  target.info.st_ino, target.info.st_uid,
                                      target.info.st_mode, std::string(bytes), oldTextOf(target, shown)};
    posix::TemporaryFile recordFile(folderFd, name, shown, 0600);
    fill(recordFile, posix::encodeRewriteRecord(record), shown);
    if (const int error = recordFile.moveTo(posix::completeCopyName(name)))
        throw FileError("Cannot write " + shown + ": no record of its new text can be kept beside it (" +
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
        return rewriteKeepingRecord(folder.get(), target, bytes, requestedPath);
    const int error = temporary.moveTo(name);
    // A single file mounted over another cannot be renamed over.
    if (error == EBUSY && target.exists)
        return rewriteKeepingRecord(folder.get(), target, bytes, requestedPath);
    if (error)
        fail("Cannot create file", requestedPath, error);
    keepLockedWhileLockHeld(target, folder.get(), temporary.takeFd());
    posix::syncFolder(folder.get());
}

namespace {

InterruptedRewrite notFinished(InterruptedRewrite found, std::string why,
                               std::optional<std::string> newText = std::nullopt)
{
    found.notFinishedBecause = std::move(why);
    found.newText = std::move(newText);
    return found;
}

// Whether the record may speak for the file: it is root's, or the file's
// owner's. Another user could otherwise plant a text in a shared folder.
std::optional<std::string> foreignOwner(const struct stat& record, bool targetExists, const struct stat& target)
{
    if (record.st_uid == 0 || (targetExists ? record.st_uid == target.st_uid : record.st_uid == ::geteuid()))
        return std::nullopt;
    return "it belongs to user " + std::to_string(record.st_uid) + ", who does not own the file";
}

std::string readTarget(const std::string& path, const struct stat& info)
{
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd)
        fail("Cannot read file", path, errno);
    return posix::readOpenFile(fd.get(), static_cast<std::size_t>(info.st_size), largestRecord, path);
}

} // namespace

std::optional<InterruptedRewrite> finishInterruptedRewrite(const std::string& requestedPath)
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
    const std::string copyName = posix::completeCopyName(posix::nameOf(path));
    InterruptedRewrite found{posix::folderOf(path) + "/" + copyName, {}, {}};
    const UniqueFd copy(::openat(folder.get(), copyName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!copy && errno == ENOENT)
        return std::nullopt;
    struct stat info {};
    if (!copy || ::fstat(copy.get(), &info) != 0)
        fail("Cannot read the record of an interrupted rewrite", found.recordPath, errno);
    posix::refuseUnlessRegular("Cannot use the record of an interrupted rewrite", found.recordPath, info);
    struct stat target {};
    const bool targetExists = ::stat(path.c_str(), &target) == 0;
    if (auto foreign = foreignOwner(info, targetExists, target))
        return notFinished(std::move(found), std::move(*foreign));
    posix::RewriteRecord record;
    try {
        record = posix::decodeRewriteRecord(
            posix::readOpenFile(copy.get(), static_cast<std::size_t>(info.st_size), largestRecord, found.recordPath),
            found.recordPath);
    } catch (const FileError& damaged) {
        return notFinished(std::move(found), damaged.what());
    }
    if (!targetExists)
        return notFinished(std::move(found), path + " no longer exists", std::move(record.newText));
    if (target.st_dev != record.device || target.st_ino != record.inode || !S_ISREG(target.st_mode))
        return notFinished(std::move(found), path + " is another file now", std::move(record.newText));
    if (!posix::isUnfinishedRewrite(readTarget(path, target), record))
        return notFinished(std::move(found), path + " was changed since", std::move(record.newText));
    posix::rewriteInPlace(folder.get(), path, record.newText, false);
    return found;
}

void removeStaleTemporariesIn(const std::string& folder)
{
    const UniqueFd opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened)
        posix::removeStaleTemporariesOfEveryFile(opened.get());
}

bool hasInterruptedRewrite(const std::string& requestedPath)
{
    std::string path;
    try {
        path = followLink(requestedPath);
    } catch (const FileError&) {
        return false;
    }
    const std::string record = posix::folderOf(path) + "/" + posix::completeCopyName(posix::nameOf(path));
    struct stat info {};
    return ::lstat(record.c_str(), &info) == 0;
}

void discardRewriteRecord(const InterruptedRewrite& record)
{
    if (::unlink(record.recordPath.c_str()) != 0 && errno != ENOENT)
        fail("Cannot remove the record of an interrupted rewrite", record.recordPath, errno);
}

} // namespace platform
