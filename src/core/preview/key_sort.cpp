#include "core/preview/key_sort.h"

#include <array>
#include <cstddef>
#include <utility>

namespace vendrel {
namespace {

using Counts = std::array<std::array<std::size_t, 256>, 8>;

Counts byteCounts(const std::vector<std::uint64_t>& keys)
{
    Counts counts{};
    for (const std::uint64_t key : keys)
        for (unsigned pass = 0; pass < 8; ++pass)
            ++counts[pass][(key >> (8 * pass)) & 0xFF];
    return counts;
}

} // namespace

void sortKeys(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& buffer)
{
    if (keys.size() < 2)
        return;
    const Counts counts = byteCounts(keys);
    buffer.resize(keys.size());
    for (unsigned pass = 0; pass < 8; ++pass) {
        const std::array<std::size_t, 256>& count = counts[pass];
        if (count[(keys.front() >> (8 * pass)) & 0xFF] == keys.size())
            continue;
        std::array<std::size_t, 256> start{};
        for (std::size_t byte = 1; byte < 256; ++byte)
            start[byte] = start[byte - 1] + count[byte - 1];
        for (const std::uint64_t key : keys)
            buffer[start[(key >> (8 * pass)) & 0xFF]++] = key;
        keys.swap(buffer);
    }
}

} // namespace vendrel
