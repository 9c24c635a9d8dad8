#pragma once

#include "core/preview/line_key.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vendrel {

// The lines of one key group (lineKey) in the text before and after a change,
// counted by address bit: [1] counts a blocking entry under 127.0.0.1, [0]
// every other line of the group.
struct KeyGroup {
    std::uint64_t group = 0;
    LineKind kind = LineKind::Blank;
    std::array<std::size_t, 2> before{};
    std::array<std::size_t, 2> after{};
};

// What the change does to a group's lines, by address bit. Equal lines before
// and after pair up first; then lines that left one blocking address pair up
// with lines that came under the other (rewritten); the rest of the lines
// before are dropped, the rest after are added.
struct GroupOutcome {
    std::array<std::size_t, 2> rewritten{}; // lines before that moved to the other blocking address
    std::array<std::size_t, 2> dropped{};   // lines before that went otherwise
    std::array<std::size_t, 2> added{};     // lines after beyond those paired
    // The dropped lines leave a line of the group after the change (the same
    // key, or the host under the other blocking address): they were duplicates.
    bool droppedWereDuplicates = false;
};

GroupOutcome outcomeOf(const KeyGroup& group);

// Counts the keys of `group` from `at` on, by address bit, moving `at` past them.
inline std::array<std::size_t, 2> takeKeyGroup(const std::vector<std::uint64_t>& keys, std::size_t& at,
                                               std::uint64_t group)
{
    std::array<std::size_t, 2> counts{};
    for (; at < keys.size() && groupOfKey(keys[at]) == group; ++at)
        ++counts[addressBitOfKey(keys[at])];
    return counts;
}

// Calls visit(group) for each key group in either list, in key order; both
// lists must be sorted. A template, so that the visit of a million groups inlines.
template <typename Visit>
void forEachKeyGroup(const std::vector<std::uint64_t>& before, const std::vector<std::uint64_t>& after, Visit&& visit)
{
    std::size_t inBefore = 0;
    std::size_t inAfter = 0;
    while (inBefore < before.size() || inAfter < after.size()) {
        std::uint64_t group = ~std::uint64_t{0};
        if (inBefore < before.size())
            group = groupOfKey(before[inBefore]);
        if (inAfter < after.size())
            group = std::min(group, groupOfKey(after[inAfter]));
        KeyGroup counted;
        counted.group = group;
        counted.kind = kindOfKey(group << 1);
        counted.before = takeKeyGroup(before, inBefore, group);
        counted.after = takeKeyGroup(after, inAfter, group);
        visit(counted);
    }
}

} // namespace vendrel
