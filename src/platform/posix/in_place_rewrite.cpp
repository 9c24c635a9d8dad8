#include "platform/posix/in_place_rewrite.h"

#include "platform/atomic_file.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <fcntl.h>

namespace platform::posix {
namespace {

std::string copyPathOf(const std::string& path) { return folderOf(path) + "/" + completeCopyName(nameOf(path)); }

[[noreturn]] void leftIncomplete(const std::string& path, int error);

// A failure before the first byte went over the old ones.
[[noreturn]] void failedBeforeWriting(int folderFd, const std::string& path, bool targetWhole, int error)
{
    if (!targetWhole)
        leftIncomplete(path, error);
    ::unlinkat(folderFd, completeCopyName(nameOf(path)).c_str(), 0);
    throw FileError("Cannot write " + path + ": " + reason(error) + "; the file was not changed");
}

[[noreturn]] void leftIncomplete(const std::string& path, int error)
{
    throw FileError("Cannot finish rewriting " + path + ": " + reason(error) + ". The file is incomplete; " +
                    "its complete new text is kept in " + copyPathOf(path) +
                    " and is put in place the next time Vendrel or vendrel-cli starts with this file.");
}

// Reserves the disk blocks for `size` bytes without changing the file's
// length, so that a reader (or a kill) meanwhile never sees a file padded
// with zeros. File systems that cannot reserve apart from the length get the
// C library's reservation, which grows the file. Returns 0 or an errno value.
int reserveRoom(int fd, off_t size)
{
    if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return 0;
    if (errno != EOPNOTSUPP)
        return errno;
    return ::posix_fallocate(fd, 0, size);
}

} // namespace

std::string completeCopyName(const std::string& targetName) { return "." + targetName + ".complete-copy"; }

void rewriteInPlace(int folderFd, const std::string& path, std::string_view bytes, bool targetWhole)
{
    // Read access too, where there is any, lets the C library reserve room by
    // hand on file systems that cannot do it themselves.
    UniqueFd target(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!target && errno == EACCES)
        target = UniqueFd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!target)
        failedBeforeWriting(folderFd, path, targetWhole, errno);
    struct stat info {};
    if (::fstat(target.get(), &info) != 0)
        failedBeforeWriting(folderFd, path, targetWhole, errno);
    if (!S_ISREG(info.st_mode))
        failedBeforeWriting(folderFd, path, targetWhole, EINVAL);
    const auto size = static_cast<off_t>(bytes.size());
    if (const int error = reserveRoom(target.get(), size))
        failedBeforeWriting(folderFd, path, targetWhole, error);
    if (!writeAllAt(target.get(), bytes, 0, write_faults::Step::InPlace) || ::ftruncate(target.get(), size) != 0 ||
        ::fsync(target.get()) != 0)
        leftIncomplete(path, errno);
    ::unlinkat(folderFd, completeCopyName(nameOf(path)).c_str(), 0);
    syncFolder(folderFd);
}

} // namespace platform::posix
