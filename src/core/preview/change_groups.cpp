#include "core/preview/change_groups.h"

#include <algorithm>

namespace vendrel {

GroupOutcome outcomeOf(const KeyGroup& group)
{
    GroupOutcome outcome;
    std::array<std::size_t, 2> leftBefore{};
    std::array<std::size_t, 2> leftAfter{};
    for (unsigned bit = 0; bit < 2; ++bit) {
        const std::size_t paired = std::min(group.before[bit], group.after[bit]);
        leftBefore[bit] = group.before[bit] - paired;
        leftAfter[bit] = group.after[bit] - paired;
    }
    for (unsigned bit = 0; bit < 2; ++bit) {
        outcome.rewritten[bit] = std::min(leftBefore[bit], leftAfter[1 - bit]);
        outcome.dropped[bit] = leftBefore[bit] - outcome.rewritten[bit];
        outcome.added[1 - bit] = leftAfter[1 - bit] - outcome.rewritten[bit];
    }
    outcome.droppedWereDuplicates = group.after[0] + group.after[1] > 0;
    return outcome;
}

} // namespace vendrel
