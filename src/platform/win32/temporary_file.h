#pragma once

#include "platform/win32/unique_handle.h"

#include <string>
#include <string_view>

namespace platform::win32 {

// A new file in a folder that takes the place of another name only once it
// is complete. Its name begins with temporaryPrefix(), and it holds a lock
// for as long as its writer lives, so removeStaleTemporaries() never takes a
// live file. A file never moved into place is removed with the object.
class TemporaryFile {
public:
    // Creates the file in `folder` for a write of `targetName`; `shownPath`
    // is the target as error messages name it.
    TemporaryFile(const std::string& folder, const std::string& targetName, const std::string& shownPath);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    HANDLE handle() const { return handle_.get(); }
    const std::string& path() const { return path_; }

    // Writes all of `bytes` and flushes them to the disk; throws FileError.
    void fill(std::string_view bytes);

    // Moves the file over `target`, whose attributes it takes when it
    // exists. Returns 0 or the failing error code.
    DWORD replace(const std::string& target, bool targetExists);

private:
    std::string path_;
    std::string shownPath_;
    UniqueHandle handle_;
    bool moved_ = false;
};

// ".hosts.tmp-": what the names of the temporary files of `targetName` begin with.
std::string temporaryPrefix(const std::string& targetName);

// Removes the temporary files of `targetName` in `folder` whose writers have
// ended without removing them (after a kill or a power cut).
void removeStaleTemporaries(const std::string& folder, const std::string& targetName);
// The same for the temporary files of every file in the folder.
void removeStaleTemporariesOfEveryFile(const std::string& folder);

// `folder` and `name` joined with a backslash.
std::string inFolder(const std::string& folder, const std::string& name);

} // namespace platform::win32
