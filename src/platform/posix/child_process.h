#pragma once

#include "platform/posix/unique_fd.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct ChildOutcome {
    int exitStatus = -1; // -1 when the child did not exit normally
    std::string errorOutput;
    // An open file the child passed back over its standard input, if any.
    UniqueFd passedFile;
};

// Runs `arguments` (the program's path first) with `input` on its standard
// input and its standard error captured; its standard output is the
// caller's. The standard input is a socket, over which the child may pass
// an open file back (see passFileToParent). Throws FileError when the
// program cannot be started.
ChildOutcome runWithInput(const std::vector<std::string>& arguments, std::string_view input);

// Passes the open file `fd` to the process that started this one through
// runWithInput; false when the standard input is no socket or the parent
// is gone.
bool passFileToParent(int fd);

} // namespace platform::posix
