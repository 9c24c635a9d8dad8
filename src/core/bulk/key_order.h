#pragma once

#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace vendrel {

// One line in the sorted order, with what the sort needs of its key at hand.
struct SortSlot {
    std::uint64_t keyChunk = 0; // eight key bytes at the depth being sorted
    std::uint32_t line = 0;
    std::uint32_t lengthAndMark = 0; // the key's length, and the mark of an equal key in the top bit

    static constexpr std::uint32_t markBit = std::uint32_t{1} << 31;

    std::size_t keyLength() const { return lengthAndMark & ~markBit; }
    void setKeyLength(std::size_t length)
    {
        lengthAndMark = static_cast<std::uint32_t>(length) | (lengthAndMark & markBit);
    }
    // Whether the line's key equals that of the line before it.
    bool sameKeyAsPrevious() const { return (lengthAndMark & markBit) != 0; }
    void setSameKeyAsPrevious(bool same) { lengthAndMark = (lengthAndMark & ~markBit) | (same ? markBit : 0); }
};

// The slots of the lines whose numbers `pick(line)` is true for, of lines 0 .. count-1.
template <typename Pick>
std::vector<SortSlot> slotsOf(std::size_t count, const Pick& pick)
{
    std::vector<SortSlot> slots;
    // Room for every line: a caller may add the others later.
    slots.reserve(count);
    platform::adviseLargeBlock(slots.data(), count * sizeof(SortSlot));
    for (std::size_t line = 0; line < count; ++line)
        if (pick(line))
            slots.push_back({0, static_cast<std::uint32_t>(line), 0});
    return slots;
}

// Sorts lines by their keys, byte by byte, a shorter key before any longer
// one it begins; lines of equal keys by `before`. `Keys` gives length(line)
// (below 2^31) and chunk(line, depth): the key's bytes from `depth` on,
// eight of them in one number, the first in the top byte, 0 past the key's
// end (no key byte is 0); prefetch(line, depth) asks the memory of those
// bytes to be fetched ahead.
template <typename Keys, typename Before>
class KeyOrder {
public:
    KeyOrder(const Keys& keys, const Before& before) : keys_(keys), before_(before) {}

    // Sorts the slots, which name their lines.
    std::vector<SortSlot> sorted(std::vector<SortSlot> slots) const
    {
        sort(slots, 0, slots.size());
        return slots;
    }
    // Sorts slots [begin, end) in place; a long range on two processors,
    // each ordering one half of the runs the first key bytes make.
    void sort(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end) const
    {
        for (std::size_t i = begin; i < end; ++i) {
            slots[i].setKeyLength(keys_.length(slots[i].line));
            slots[i].setSameKeyAsPrevious(false);
        }
        if (begin == end)
            return;
        std::size_t depth = 0;
        chunksPastSharedPrefix(slots, begin, end, depth);
        sortByChunks(slots, begin, end);
        const std::size_t middle = end - begin >= parallelRange && std::thread::hardware_concurrency() > 1
                                       ? runBoundaryAfter(slots, begin + (end - begin) / 2, end)
                                       : end;
        if (middle == end) {
            sortRuns(slots, begin, end, depth);
            return;
        }
        std::exception_ptr failure;
        {
            std::jthread firstHalf([&] {
                try {
                    sortRuns(slots, begin, middle, depth);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
            sortRuns(slots, middle, end, depth);
        }
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    // Slots this many places ahead have their keys fetched while the chunks are read.
    static constexpr std::size_t fetchAhead = 16;
    // Ranges at least this long are ordered by their chunks digit by digit.
    static constexpr std::size_t radixRange = 2048;
    // Ranges at least this long are sorted on two processors.
    static constexpr std::size_t parallelRange = 1 << 16;

    static std::size_t remaining(const SortSlot& slot, std::size_t depth)
    {
        return slot.keyLength() > depth ? slot.keyLength() - depth : 0;
    }

    // Computes the chunks of the range at `depth`, moving `depth` past every
    // chunk that all slots of the range share whole (a common prefix).
    void chunksPastSharedPrefix(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end,
                                std::size_t& depth) const
    {
        for (;;) {
            bool shared = remaining(slots[begin], depth) > 8;
            for (std::size_t i = begin; i < end; ++i) {
                if (i + fetchAhead < end)
                    keys_.prefetch(slots[i + fetchAhead].line, depth);
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
            slots[i].setSameKeyAsPrevious(true);
    }

    // Orders slots [begin, end) by their chunks: a least-significant-digit
    // radix sort for long ranges, skipping the bytes all chunks share.
    static void sortByChunks(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end)
    {
        const auto first = slots.begin() + static_cast<std::ptrdiff_t>(begin);
        const auto last = slots.begin() + static_cast<std::ptrdiff_t>(end);
        if (end - begin < radixRange) {
            std::sort(first, last, [](const SortSlot& a, const SortSlot& b) { return a.keyChunk < b.keyChunk; });
            return;
        }
        std::vector<std::array<std::uint32_t, 256>> counts(8, std::array<std::uint32_t, 256>{});
        for (auto slot = first; slot != last; ++slot)
            for (std::size_t digit = 0; digit < 8; ++digit)
                ++counts[digit][(slot->keyChunk >> (8 * digit)) & 0xFF];
        std::vector<SortSlot> moved(end - begin);
        bool inMoved = false;
        for (std::size_t digit = 0; digit < 8; ++digit) {
            auto& count = counts[digit];
            if (std::find(count.begin(), count.end(), end - begin) != count.end())
                continue; // every chunk has the same byte here
            std::uint32_t start = 0;
            for (std::uint32_t& bucket : count)
                start += std::exchange(bucket, start);
            const SortSlot* from = inMoved ? moved.data() : &*first;
            SortSlot* to = inMoved ? &*first : moved.data();
            for (std::size_t i = 0; i < end - begin; ++i)
                to[count[(from[i].keyChunk >> (8 * digit)) & 0xFF]++] = from[i];
            inMoved = !inMoved;
        }
        if (inMoved)
            std::copy(moved.begin(), moved.end(), first);
    }

    // The first place from `at` on where a run of equal chunks begins, or `end`.
    static std::size_t runBoundaryAfter(const std::vector<SortSlot>& slots, std::size_t at, std::size_t end)
    {
        while (at < end && slots[at].keyChunk == slots[at - 1].keyChunk)
            ++at;
        return at;
    }

    // Sorts slots [begin, end), whose keys agree on their first `depth` bytes,
    // by the key bytes from there on, eight at a time (skipping bytes the
    // whole range shares).
    void sortFrom(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end, std::size_t depth) const
    {
        chunksPastSharedPrefix(slots, begin, end, depth);
        sortByChunks(slots, begin, end);
        sortRuns(slots, begin, end, depth);
    }

    // Orders each run of equal chunks at `depth` among slots [begin, end),
    // which are ordered by those chunks, by the rest of its keys.
    void sortRuns(std::vector<SortSlot>& slots, std::size_t begin, std::size_t end, std::size_t depth) const
    {
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
