#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Eight bytes of a text at a time, for the scans of a whole large text that
// one byte at a time would make several times slower.
namespace vendrel::byte_words {

inline constexpr std::uint64_t everyByte = 0x0101010101010101;
inline constexpr std::uint64_t highBits = everyByte * 0x80;

inline std::uint64_t load(const char* at)
{
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The high bit of each byte of `word` that is `byte`, the other bits clear.
inline std::uint64_t bytesEqual(std::uint64_t word, char byte)
{
    const std::uint64_t zeroWhereEqual = word ^ (everyByte * static_cast<unsigned char>(byte));
    const std::uint64_t nonZero = (((zeroWhereEqual & ~highBits) + ~highBits) | zeroWhereEqual) & highBits;
    return nonZero ^ highBits;
}

inline unsigned count(std::uint64_t marks) { return static_cast<unsigned>(std::popcount(marks)); }

} // namespace vendrel::byte_words
