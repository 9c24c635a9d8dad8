#include "platform/file_lock.h"

#include "platform/atomic_file.h"
#include "platform/win32/temporary_file.h"
#include "platform/win32/win32_files.h"

#include <thread>
#include <utility>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using win32::UniqueHandle;

// The lock is a byte-range lock (LockFileEx) on a hidden lock file beside
// the file, ".hosts.lock", rather than on the file itself: a file that
// another handle holds open cannot be replaced on Windows, and the writer
// replaces it. The lock file goes with its last handle; while it is going,
// it cannot be opened, which is waited out like a held lock.
struct LockFile {
    UniqueHandle handle;
    bool going = false;
};

LockFile openLockFile(const std::string& path)
{
    const std::string lockPath = win32::inFolder(win32::folderOf(path), "." + win32::nameOf(path) + ".lock");
    UniqueHandle lock(::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    const bool going = !lock && ::GetLastError() == ERROR_ACCESS_DENIED &&
                       ::GetFileAttributesA(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    return {std::move(lock), going};
}

bool lockBefore(HANDLE handle, Clock::time_point deadline)
{
    return retryLockUntil(deadline, [handle] {
        OVERLAPPED whole{};
        if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
            return true;
        // A file system without locks: nobody else can hold one either.
        return ::GetLastError() != ERROR_LOCK_VIOLATION;
    });
}

} // namespace

// A folder whose lock file cannot be made gets no lock: the writer cannot
// write there either.
FileLock::FileLock(const std::string& path, std::chrono::milliseconds wait)
{
    const auto deadline = Clock::now() + wait;
    for (;;) {
        LockFile lock = openLockFile(path);
        if (lock.handle) {
            if (!lockBefore(lock.handle.get(), deadline))
                throwLockHeldElsewhere(path, wait);
            handle_ = reinterpret_cast<std::intptr_t>(lock.handle.release());
            return;
        }
        if (!lock.going)
            return;
        if (Clock::now() >= deadline)
            throwLockHeldElsewhere(path, wait);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void FileLock::release()
{
    if (handle_ != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, -1)));
}

} // namespace platform
