#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vendrel {

// One line in the sorted order; `sameKeyAsPrevious` marks the lines whose
// key equals that of the line before them.
struct SortSlot {
    std::uint64_t keyChunk; // eight key bytes at the depth being sorted
    std::uint32_t line;
    std::uint32_t sameKeyAsPrevious;
};

// The slots of the lines whose numbers `pick(line)` is true for, of lines 0 .. count-1.
template <typename Pick>
std::vector<SortSlot> slotsOf(std::size_t count, const Pick& pick)
{
    std::vector<SortSlot> slots;
    for (std::size_t line = 0; line < count; ++line)
        if (pick(line))
            slots.push_back({0, static_cast<std::uint32_t>(line), 0});
    return slots;
}

// Sorts lines by their keys, byte by byte, a shorter key before
// any longer one it begins; lines of equal keys by `before`. `Keys` gives
// length(line) and chunk(line, depth): the key's bytes from `depth` on, eight
// of them in one number, the first in the top byte, 0 past the key's end
// (no key byte is 0).
template <typename Keys, typename Before>
class KeyOrder {
public:
    KeyOrder(const Keys& keys, const Before& before) : keys_(keys), before_(before) {}

    // Sorts the slots, which name their lines.
    std::vector<SortSlot> sorted(std::vector<SortSlot> slots) const
    {
        if (!slots.empty())
            sortFrom(slots, 0, slots.size(), 0);
        return slots;
    }

private:
    std::size_t remaining(const SortSlot& slot, std::size_t depth) const
    {
        const std::size_t length = keys_.length(slot.line);
        return length > depth ? length - depth : 0;
    }

    // Computes the chunks of the range at `depth`, moving `depth` past every
    // chunk that all slots of the range share whole (a common prefix).
    void chunksPastSharedPrefix(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end,
                                std::size_t& depth) const
    {
        for (;;) {
            bool shared = remaining(slots[begin], depth) > 8;
            for (std::size_t i = begin; i < end; ++i) {
                slots[i].keyChunk = keys_.chunk(slots[i].line, depth);
                shared = shared && slots[i].keyChunk == slots[begin].keyChunk && remaining(slots[i], depth) > 8;
            }
            if (!shared)
                return;
            depth += 8;
        }
    }

    void sortEqualKeys(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end) const
    {
        std::sort(slots.begin() + static_cast<std::ptrdiff_t>(begin), slots.begin() + static_cast<std::ptrdiff_t>(end),
                  [this](const SortSlot& a, const SortSlot& b) { return before_(a.line, b.line); });
        for (std::size_t i = begin + 1; i < end; ++i)
            slots[i].sameKeyAsPrevious = 1;
    }

    // Sorts slots [begin, end), whose keys agree on their first `depth` bytes,
    // by the key bytes from there on, eight at a time (skipping bytes the
    // whole range shares).
    void sortFrom(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end, std::size_t depth) const
    {
        chunksPastSharedPrefix(slots, begin, end, depth);
        std::sort(slots.begin() + static_cast<std::ptrdiff_t>(begin), slots.begin() + static_cast<std::ptrdiff_t>(end),
                  [](const SortSlot& a, const SortSlot& b) { return a.keyChunk < b.keyChunk; });
        for (std::size_t run = begin; run < end;) {
            std::size_t runEnd = run + 1;
            bool longer = remaining(slots[run], depth) > 8;
            for (; runEnd < end && slots[runEnd].keyChunk == slots[run].keyChunk; ++runEnd)
                longer = longer || remaining(slots[runEnd], depth) > 8;
            if (runEnd - run > 1) {
                if (longer)
                    sortFrom(slots, run, runEnd, depth + 8);
                else
                    sortEqualKeys(slots, run, runEnd);
            }
            run = runEnd;
        }
    }

    const Keys& keys_;
    const Before& before_;
};

} // namespace vendrel
