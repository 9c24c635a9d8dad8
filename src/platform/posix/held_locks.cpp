#include "platform/posix/held_locks.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform::posix {
namespace {

struct HeldLock {
    int lockFd;
    dev_t device; // what the lock now covers: the locked file, or
    ino_t inode;  // the latest file that replaced it under the lock
    std::vector<UniqueFd> replacements;
};

std::mutex heldLocksMutex;
std::vector<HeldLock> heldLocks;
bool keepingUnclaimed = false;
UniqueFd unclaimed;

} // namespace

void rememberHeldLock(int lockFd)
{
    struct stat info {};
    if (::fstat(lockFd, &info) != 0)
        return;
    const std::lock_guard guard(heldLocksMutex);
    heldLocks.push_back({lockFd, info.st_dev, info.st_ino, {}});
}

void forgetHeldLock(int lockFd)
{
    std::vector<UniqueFd> replacements;
    {
        const std::lock_guard guard(heldLocksMutex);
        const auto held = std::ranges::find(heldLocks, lockFd, &HeldLock::lockFd);
        if (held == heldLocks.end())
            return;
        replacements = std::move(held->replacements);
        heldLocks.erase(held);
    }
}

void passHeldLockOn(const struct stat& replaced, UniqueFd replacement)
{
    struct stat info {};
    if (::fstat(replacement.get(), &info) != 0)
        return;
    const std::lock_guard guard(heldLocksMutex);
    for (HeldLock& held : heldLocks)
        if (held.device == replaced.st_dev && held.inode == replaced.st_ino) {
            held.device = info.st_dev;
            held.inode = info.st_ino;
            held.replacements.push_back(std::move(replacement));
            return;
        }
    if (keepingUnclaimed)
        unclaimed = std::move(replacement);
}

void keepUnclaimedReplacements()
{
    const std::lock_guard guard(heldLocksMutex);
    keepingUnclaimed = true;
}

UniqueFd takeUnclaimedReplacement()
{
    const std::lock_guard guard(heldLocksMutex);
    return std::move(unclaimed);
}

} // namespace platform::posix
