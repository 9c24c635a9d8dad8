#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct ChildOutcome {
    int exitStatus = -1; // -1 when the child did not exit normally
    std::string errorOutput;
};

// Runs `arguments` (the program's path first) with `input` on its standard
// input and its standard error captured; its standard output is the
// caller's. Throws FileError when the program cannot be started.
ChildOutcome runWithInput(const std::vector<std::string>& arguments, std::string_view input);

} // namespace platform::posix
