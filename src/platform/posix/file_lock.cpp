#include "platform/file_lock.h"

#include "platform/atomic_file.h"
#include "platform/posix/held_locks.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <utility>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// What the lock is taken on: the file when it exists, its folder while it does
// not. A path that names something other than a regular file gets no lock:
// the writer refuses it anyway, and opening a device could disturb it.
struct LockTarget {
    posix::UniqueFd fd;
    bool isFolder = false;
};

LockTarget openLockTarget(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return {};
        return {posix::UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)), false};
    }
    const int fd = ::open(posix::folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return {posix::UniqueFd(fd), true};
}

// Whether the locked thing is still what `path` names: another holder may
// have replaced the file, or created it, while this one waited.
bool stillCurrent(const LockTarget& target, const std::string& path)
{
    struct stat now {};
    const bool exists = ::stat(path.c_str(), &now) == 0;
    if (target.isFolder)
        return !exists;
    struct stat locked {};
    return exists && ::fstat(target.fd.get(), &locked) == 0 && locked.st_dev == now.st_dev &&
           locked.st_ino == now.st_ino;
}

bool lockBefore(int fd, Clock::time_point deadline)
{
    return retryLockUntil(deadline, [fd] {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        // A file system without locks: nobody else can hold one either.
        return errno != EWOULDBLOCK && errno != EINTR;
    });
}

} // namespace

FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait)
{
    const auto deadline = Clock::now() + wait;
    for (;;) {
        LockTarget target = openLockTarget(path);
        if (!target.fd)
            return;
        if (!lockBefore(target.fd.get(), deadline))
            throwLockHeldElsewhere(path, wait);
        if (stillCurrent(target, path)) {
            handle_ = target.fd.release();
            posix::rememberHeldLock(static_cast<int>(handle_));
            return;
        }
        if (Clock::now() >= deadline)
            throwLockHeldElsewhere(path, wait);
    }
}

void FileLock::release()
{
    if (handle_ < 0)
        return;
    posix::forgetHeldLock(static_cast<int>(handle_));
    ::close(static_cast<int>(std::exchange(handle_, -1)));
}

} // namespace platform
