#pragma once

#include <cstdint>
#include <functional>

// A seam in the file writer through which tests make a write fail, or the
// process end, at a chosen point, as a full disk or a kill would. The
// programs never install a hook; the writer then pays one empty check per
// megabyte written.
namespace platform::write_faults {

enum class Step {
    NewFile, // the bytes going to a new (temporary) file
    InPlace, // the bytes going over the target itself
};

// Called before each piece of at most 1 MiB, with the offset it starts at;
// returns 0 to let the piece be written or an errno value to fail it with.
using Hook = std::function<int(Step step, std::uint64_t offset)>;

void install(Hook hook);
void clear();

// What the installed hook says about the piece at `offset` (0 without a hook).
int before(Step step, std::uint64_t offset);

} // namespace platform::write_faults
