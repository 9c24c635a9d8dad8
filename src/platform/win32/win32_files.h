#pragma once

#include "platform/file_identity.h"
#include "platform/win32/unique_handle.h"
#include "platform/write_faults.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Small pieces the Windows file services share. Paths are ANSI strings.
namespace platform::win32 {

// The system's text for an error code, without its final period and line break.
std::string reason(DWORD error);

// Throws FileError "<what> <path>: <reason>".
[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error);

// The folder part of a path ("." for a bare name) and the name in it; both
// separators count.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Opens an existing file for reading without keeping anyone else from
// reading, writing, renaming or deleting it.
UniqueHandle openForReading(const std::string& path);

// Writes all of `bytes` at the file's current position; false with the last
// error set on failure.
bool writeAll(HANDLE file, std::string_view bytes, write_faults::Step step);

// Reads the open file to its end, up to `limit` bytes. Throws FileError
// naming `path`.
std::string readOpenFile(HANDLE file, std::size_t limit, const std::string& path);

// Throws FileError "Cannot read file <path>: it is larger than <limit>".
[[noreturn]] void refuseLargerThan(const std::string& path, std::size_t limit);

// What tells this text of the open file from any other.
FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info);
bool identityOf(HANDLE file, FileIdentity& identity);

// Seconds since 1970-01-01 UTC as a Windows file time, and back in nanoseconds.
FILETIME fileTimeOf(std::int64_t unixSeconds);
std::int64_t unixNanosecondsOf(const FILETIME& time);

} // namespace platform::win32
