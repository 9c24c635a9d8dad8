#include "platform/posix/temporary_file.h"

#include "platform/atomic_file.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <vector>

namespace platform::posix {
namespace {

constexpr char nameAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string randomSuffix()
{
    unsigned char random[12];
    std::size_t filled = 0;
    while (filled < sizeof random) {
        const ssize_t got = ::getrandom(random + filled, sizeof random - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
        else if (errno != EINTR)
            throw FileError(std::string("Cannot name a temporary file: ") + reason(errno));
    }
    std::string suffix;
    for (const unsigned char byte : random)
        suffix += nameAlphabet[byte % (sizeof nameAlphabet - 1)];
    return suffix;
}

[[noreturn]] void folderRefused(const std::string& shownPath, int error)
{
    if (error == EACCES || error == EPERM || error == EROFS)
        throw FileError("Cannot write " + shownPath + ": its folder " + folderOf(shownPath) + " cannot be written (" +
                        reason(error) + ")");
    fail("Cannot create file", shownPath, error);
}

// Links the unnamed file open as `fd` into the folder under `name`.
int linkUnnamed(int fd, int folderFd, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno == EEXIST)
        return EEXIST;
    // Without /proc, only a process that may link by handle can name it.
    return ::linkat(fd, "", folderFd, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

std::vector<std::string> namesStartingWith(int folderFd, const std::string& prefix)
{
    std::vector<std::string> names;
    const int listing = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return names;
    DIR* folder = ::fdopendir(listing);
    if (!folder) {
        ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.starts_with(prefix))
            names.push_back(name);
    }
    ::closedir(folder);
    return names;
}

} // namespace

std::string temporaryPrefix(const std::string& targetName) { return "." + targetName + ".tmp-"; }

TemporaryFile::TemporaryFile(int folderFd, const std::string& targetName, const std::string& shownPath, mode_t mode)
    : folderFd_(folderFd), targetName_(targetName), shownPath_(shownPath)
{
    if (!createUnnamed(mode))
        createNamed(mode);
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        fail("Cannot lock the temporary file for", shownPath_, errno);
}

TemporaryFile::~TemporaryFile()
{
    if (!name_.empty())
        ::unlinkat(folderFd_, name_.c_str(), 0);
}

bool TemporaryFile::createUnnamed(mode_t mode)
{
    fd_ = UniqueFd(::openat(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (fd_)
        return true;
    // Only a file system (or kernel) without unnamed files falls back.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)
        return false;
    folderRefused(shownPath_, errno);
}

void TemporaryFile::createNamed(mode_t mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryPrefix(targetName_) + randomSuffix();
        fd_ = UniqueFd(::openat(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (fd_) {
            name_ = name;
            return;
        }
        if (errno != EEXIST)
            folderRefused(shownPath_, errno);
    }
    fail("Cannot create a temporary file for", shownPath_, EEXIST);
}

int TemporaryFile::giveName()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryPrefix(targetName_) + randomSuffix();
        const int error = linkUnnamed(fd_.get(), folderFd_, name);
        if (error == 0)
            name_ = name;
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int TemporaryFile::moveTo(const std::string& name)
{
    if (name_.empty())
        if (const int error = giveName())
            return error;
    if (::renameat(folderFd_, name_.c_str(), folderFd_, name.c_str()) != 0)
        return errno;
    name_.clear();
    return 0;
}

namespace {

// A live writer holds its file's lock; a dead one's lock went with it.
void removeIfStale(int folderFd, const std::string& name)
{
    const UniqueFd file(::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    if (::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
        ::unlinkat(folderFd, name.c_str(), 0);
}

} // namespace

void removeStaleTemporaries(int folderFd, const std::string& targetName)
{
    for (const std::string& name : namesStartingWith(folderFd, temporaryPrefix(targetName)))
        removeIfStale(folderFd, name);
}

void removeStaleTemporariesOfEveryFile(int folderFd)
{
    for (const std::string& name : namesStartingWith(folderFd, "."))
        if (name.find(".tmp-") != std::string::npos)
            removeIfStale(folderFd, name);
}

} // namespace platform::posix
