#pragma once

#include "platform/posix/unique_fd.h"

#include <sys/stat.h>

// The FileLocks this process holds, so that a writer which replaces a locked
// file can keep the new file locked too until the FileLock is released.
// Without that, a waiter that opens the new file could lock it while the
// replacing writer is still finishing under its own lock.
namespace platform::posix {

// Records that the open file (or folder) `lockFd` is locked by a FileLock.
void rememberHeldLock(int lockFd);

// Forgets the FileLock on `lockFd` and closes the files passed on to it.
void forgetHeldLock(int lockFd);

// `replacement`, locked, has taken the place of the file described by
// `replaced` (or been created in the folder it describes). When a FileLock of
// this process is on `replaced`, it keeps `replacement` open, and so locked,
// until it is released; otherwise `replacement` is closed here.
void passHeldLockOn(const struct stat& replaced, UniqueFd replacement);

// For a process that writes on behalf of another, which holds the lock: from
// now on a replacement that no FileLock of this process takes is kept, still
// open and locked, until takeUnclaimedReplacement() hands it over, so that
// the other process can keep it locked in turn.
void keepUnclaimedReplacements();
UniqueFd takeUnclaimedReplacement();

} // namespace platform::posix
