#include "platform/file_lock.h"

#include "platform/atomic_file.h"

#include <thread>
#include <utility>

namespace platform {

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

bool retryLockUntil(std::chrono::steady_clock::time_point deadline, const std::function<bool()>& tryOnce)
{
    for (;;) {
        if (tryOnce())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void throwLockHeldElsewhere(const std::string& path, std::chrono::milliseconds wait)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
    throw FileError("Cannot change " + path + ": another program is changing it and has not finished within " +
                    std::to_string(seconds) + " seconds, so nothing was changed. Try again when it has finished.");
}

} // namespace platform
