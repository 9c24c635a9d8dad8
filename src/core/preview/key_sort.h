#pragma once

#include <cstdint>
#include <vector>

namespace vendrel {

// Sorts 64-bit keys ascending: a radix sort, eight bits a pass, through
// `buffer` (resized to the keys' count; pass the same one for several sorts).
// Passes over a byte that every key shares are skipped.
void sortKeys(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& buffer);

} // namespace vendrel
