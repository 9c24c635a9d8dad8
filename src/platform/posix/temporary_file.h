#pragma once

#include "platform/posix/unique_fd.h"

#include <string>
#include <sys/types.h>

namespace platform::posix {

// A new file in a folder that takes the place of another name only once it
// is complete. It is unnamed (O_TMPFILE) where the file system allows, so
// that a kill leaves nothing behind; otherwise it has an unpredictable name
// beginning with temporaryPrefix(). Either way it holds a lock for as long
// as its writer lives, so removeStaleTemporaries() never takes a live file.
class TemporaryFile {
public:
    // Creates the file in the open folder `folderFd` for a write of
    // `targetName`; `shownPath` is the target as error messages name it.
    TemporaryFile(int folderFd, const std::string& targetName, const std::string& shownPath, mode_t mode);
    // Removes a named file that was never moved into place.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }

    // Moves the file to `name` in its folder, over whatever stood there.
    // Returns 0, or the errno value of the failed rename (the file stays).
    int moveTo(const std::string& name);

    // Hands over the open file, with its lock, once it has been moved.
    UniqueFd takeFd() { return std::move(fd_); }

private:
    bool createUnnamed(mode_t mode);
    void createNamed(mode_t mode);
    int giveName();

    int folderFd_;
    std::string targetName_;
    std::string shownPath_;
    UniqueFd fd_;
    std::string name_; // empty while unnamed
};

// ".hosts.tmp-": what the names of the temporary files of `targetName` begin with.
std::string temporaryPrefix(const std::string& targetName);

// Removes the temporary files of `targetName` in the folder whose writers
// have ended without removing them (after a kill or a power cut).
void removeStaleTemporaries(int folderFd, const std::string& targetName);
// The same for the temporary files of every file in the folder.
void removeStaleTemporariesOfEveryFile(int folderFd);

} // namespace platform::posix
