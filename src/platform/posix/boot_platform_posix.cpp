#include "platform/boot_platform.h"
#include "platform/platform.h"
#include "platform/posix/file_metadata_copy.h"
#include "platform/posix/logind_reboot.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// An exclusive flock on an open lock file; closing the file releases it.
// A descriptor of -1 stands for a lock that could not be taken at all.
class FileLock final : public InstanceLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

int openLockFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock file left by someone else may still be readable, which is
    // all flock needs.
    return fd >= 0 ? fd : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

// POSIX answers: the file system has one root, "/", which plays every
// drive; the boot files are edited there like on an NT-family system.
// Attributes are the editor platform's: only read-only has a meaning.
class PosixBootPlatform final : public BootPlatform {
public:
    std::optional<std::string> systemRoot() override
    {
        if (const char* value = std::getenv("SYSTEMROOT"))
            return std::string(value);
        return std::nullopt;
    }

    std::string windowsDirectory() override { return files_->windowsDirectory(); }

    std::string pathRoot(const std::string& path) override { return !path.empty() && path.front() == '/' ? "/" : ""; }

    std::optional<std::uint16_t> fileAttributes(const std::string& path) override
    {
        return files_->fileAttributes(path);
    }

    bool setFileAttributes(const std::string& path, std::uint16_t attributes) override
    {
        return files_->setFileAttributes(path, attributes);
    }

    // The copy takes the source's owner, mode and extended attributes, as a
    // copy on Windows takes the source's attributes: a backup is no more open
    // than the boot file, and a restored boot file is as the backup was.
    bool copyFile(const std::string& from, const std::string& to) override
    {
        return posix::copyFileWithMetadata(from, to);
    }

    bool IsNtPlatform() override { return true; }

    std::unique_ptr<InstanceLock> claimSingleInstance(const std::string& name) override
    {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime && *runtime)
            return claimInstanceLock(runtime, name);
        // The shared temporary folder needs one lock per user.
        return claimInstanceLock("/tmp", name + "-" + std::to_string(::getuid()));
    }

    // Through logind, which shuts the system down in order; never with a
    // bare reboot(2), which would give the services no warning.
    bool RestartWindows() override { return posix::rebootThroughLogind(); }

private:
    std::unique_ptr<Platform> files_ = createSystemPlatform();
};

} // namespace

std::unique_ptr<InstanceLock> claimInstanceLock(const std::string& folder, const std::string& name)
{
    const int fd = openLockFile(joinPath(folder, name + ".lock"));
    if (fd < 0)
        return std::make_unique<FileLock>(-1);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return std::make_unique<FileLock>(fd);
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
        return nullptr;
    return std::make_unique<FileLock>(-1);
}

std::unique_ptr<BootPlatform> createSystemBootPlatform() { return std::make_unique<PosixBootPlatform>(); }

} // namespace platform
