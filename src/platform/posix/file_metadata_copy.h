#pragma once

#include <sys/stat.h>

namespace platform::posix {

// Gives the file open as `fd` everything of the file open as `sourceFd`
// (described by `source`) that a reader or the system may rely on: owner and
// group, permission bits with the set-id and sticky bits, and every extended
// attribute (security labels and access control lists included). False when
// any of it could not be given; the caller then rewrites the source in
// place instead, which keeps all of it.
bool copyFileMetadata(int sourceFd, const struct stat& source, int fd);

} // namespace platform::posix
