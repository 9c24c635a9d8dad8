#pragma once

#include "platform/file_identity.h"

#include <cstddef>
#include <string>

namespace platform {

// Reads the whole regular file at `path` (a link that resolves is followed).
// A named pipe, a device, a socket or a folder is refused before anything
// is read from it, and so is a file larger than `limit` bytes; a file whose
// size the system does not know (as in /proc) is read up to the limit.
// Throws FileError naming the file. When `identity` is given it receives the
// identity of the file that was read.
std::string readRegularFile(const std::string& path, std::size_t limit, FileIdentity* identity = nullptr);

// The first `bytes` bytes of the regular file at `path` (all of it when it is
// shorter), refused as readRegularFile refuses what is not a regular file;
// never waits for a writer, as opening a named pipe would.
std::string readRegularFileStart(const std::string& path, std::size_t bytes);

// "1 GiB", "256 MiB" or "1000 bytes": a size limit in words.
std::string sizeInWords(std::size_t bytes);

} // namespace platform
