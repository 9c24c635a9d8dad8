#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace vendrel {

// A run of lines [oldBegin, oldEnd) of the old sequence replaced by
// [newBegin, newEnd) of the new one; one of the two may be empty.
struct DiffBlock {
    std::size_t oldBegin = 0;
    std::size_t oldEnd = 0;
    std::size_t newBegin = 0;
    std::size_t newEnd = 0;
};

struct DiffLimits {
    std::size_t maxEdits = 2000;      // lines removed plus lines added
    std::size_t maxWork = 50'000'000; // comparisons of lines
};

// The shortest edit script from `oldCount` lines to `newCount` lines (Myers'
// O(ND) algorithm), as blocks in order; `equal(i, j)` compares old line i
// with new line j. Nothing when the script needs more edits or work than the
// limits allow.
std::optional<std::vector<DiffBlock>> shortestLineDiff(std::size_t oldCount, std::size_t newCount,
                                                       const std::function<bool(std::size_t, std::size_t)>& equal,
                                                       const DiffLimits& limits = {});

} // namespace vendrel
