#include "platform/file_lock.h"

#include "platform/atomic_file.h"

namespace platform {

void throwLockHeldElsewhere(const std::string& path, std::chrono::milliseconds wait)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
    throw FileError("Cannot change " + path + ": another program is changing it and has not finished within " +
                    std::to_string(seconds) + " seconds, so nothing was changed. Try again when it has finished.");
}

} // namespace platform
