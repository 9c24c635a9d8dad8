#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

inline constexpr std::chrono::milliseconds defaultLockWait{5000};

// The advisory lock every writer of a file holds from the moment it reads
// the file until the changed file is in place, so that two writers never
// each change the old text and lose each other's change. The lock is on the
// file itself (the file a link names), or on its folder while the file does
// not exist; it follows a file that another holder replaced meanwhile.
class FileLock {
public:
    // Waits up to `wait` for the lock; throws FileError naming the file when
    // another program holds it longer.
    explicit FileLock(const std::string& path, std::chrono::milliseconds wait = defaultLockWait);
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    void release();

    std::intptr_t handle_ = -1;
};

// Calls `tryOnce` every 20 ms until it returns true (the lock is taken, or
// cannot be had on this file system) or `deadline` passes; false then.
bool retryLockUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& tryOnce);

// Throws the FileError of a lock on `path` that another program held longer than `wait`.
[[noreturn]] void throwLockHeldElsewhere(const std::string& path, std::chrono::milliseconds wait);

} // namespace platform
