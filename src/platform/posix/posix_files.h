#pragma once

#include "platform/posix/unique_fd.h"
#include "platform/write_faults.h"

#include <string>
#include <string_view>
#include <sys/stat.h>

// Small pieces the POSIX file services share.
namespace platform::posix {

// The system's text for an errno value.
std::string reason(int error);

// Throws FileError "<what> <path>: <reason>".
[[noreturn]] void fail(const std::string& what, const std::string& path, int error);

// What kind of thing a non-regular file is, in words ("a named pipe (FIFO)").
std::string kindOf(mode_t mode);

// Throws FileError "<what> <path>: it is <kind>, not a regular file" unless
// `info` describes a regular file; a folder gives the system's own text.
void refuseUnlessRegular(const std::string& what, const std::string& path, const struct stat& info);

// The folder part of a path ("." for a bare name) and the name in it.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Writes all of `bytes` at `offset` and on; false with errno set on failure.
bool writeAllAt(int fd, std::string_view bytes, off_t offset, write_faults::Step step);

// Reads the open file `fd` to its end: `knownSize` bytes as fstat gave, and
// on while more arrive. Throws FileError naming `path` past `limit` bytes or
// when memory runs out.
std::string readOpenFile(int fd, std::size_t knownSize, std::size_t limit, const std::string& path);

// Throws FileError "Cannot read file <path>: it is larger than <limit>".
[[noreturn]] void refuseLargerThan(const std::string& path, std::size_t limit);

// Syncs a folder so that a rename or unlink in it survives a power cut.
void syncFolder(int folderFd);

} // namespace platform::posix
