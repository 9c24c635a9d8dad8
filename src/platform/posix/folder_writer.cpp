#include "platform/folder_writer.h"

#include "platform/atomic_file.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/temporary_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace platform {
namespace {

using posix::fail;

std::string shownPath(const Folder& folder, const std::string& name) { return folder.path() + "/" + name; }

// A folder at `name` is refused; anything else there is replaced by the rename.
void refuseFolder(const Folder& folder, const std::string& name)
{
    struct stat info {};
    if (::fstatat(static_cast<int>(folder.handle()), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(info.st_mode))
        fail("Cannot create file", shownPath(folder, name), EISDIR);
}

void applyDetails(int fd, const NewFileDetails& details, const std::string& shown)
{
    if (details.modificationTime) {
        const timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(*details.modificationTime), 0}};
        if (::futimens(fd, times) != 0)
            fail("Cannot set the time of", shown, errno);
    }
    if (details.readOnly) {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || ::fchmod(fd, info.st_mode & 07777 & ~(S_IWUSR | S_IWGRP | S_IWOTH)) != 0)
            fail("Cannot make read-only", shown, errno);
    }
}

} // namespace

Folder::Folder(const std::string& path) : path_(path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot open folder", path, errno);
    handle_ = fd;
}

Folder::~Folder()
{
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

Folder::Folder(Folder&& other) noexcept : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)) {}

Folder& Folder::operator=(Folder&& other) noexcept
{
    if (this != &other) {
        if (handle_ >= 0)
            ::close(static_cast<int>(handle_));
        path_ = std::move(other.path_);
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

void writeFileInFolder(const Folder& folder, const std::string& name, std::string_view bytes,
                       const NewFileDetails& details)
{
    const std::string shown = shownPath(folder, name);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        throw FileError("Cannot create file " + shown + ": it is not a plain file name");
    refuseFolder(folder, name);
    const int folderFd = static_cast<int>(folder.handle());
    posix::removeStaleTemporaries(folderFd, name);
    posix::TemporaryFile temporary(folderFd, name, shown, details.ownerOnly ? 0600 : 0666);
    if (!posix::writeAllAt(temporary.fd(), bytes, 0, write_faults::Step::NewFile) || ::fsync(temporary.fd()) != 0)
        fail("Cannot write file", shown, errno);
    applyDetails(temporary.fd(), details, shown);
    if (const int error = temporary.moveTo(name))
        fail("Cannot create file", shown, error);
    posix::syncFolder(folderFd);
}

} // namespace platform
