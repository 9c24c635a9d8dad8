#pragma once

#include <string>
#include <sys/stat.h>

namespace platform::posix {

// Gives the file open as `fd` everything of the file open as `sourceFd`
// (described by `source`) that a reader or the system may rely on: owner and
// group, permission bits with the set-id and sticky bits, and every extended
// attribute (security labels and access control lists included). False when
// any of it could not be given; the caller then rewrites the source in
// place instead, which keeps all of it.
bool copyFileMetadata(int sourceFd, const struct stat& source, int fd);

// Copies the regular file `from` over `to` (a symbolic link there is
// followed) through a new file in the target's folder that is given all of
// the above before it takes the target's name, so that the copy is at no
// moment more open than its source. A process that may not give the owner
// or the extended attributes still gives the permission bits. False when the
// source cannot be read or the copy cannot be made; the target then stays.
bool copyFileWithMetadata(const std::string& from, const std::string& to);

} // namespace platform::posix
