#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vendrel::unzip {

// Whether `length` bytes from `offset` lie inside a buffer of `size` bytes,
// without overflowing for any values.
inline bool fitsInside(std::uint64_t size, std::uint64_t offset, std::uint64_t length)
{
    return offset <= size && length <= size - offset;
}

// Little-endian fields of a ZIP header. The caller has checked with
// fitsInside() that the field lies inside `bytes`.
inline std::uint64_t readLittleEndian(std::string_view bytes, std::uint64_t offset, int width)
{
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset) + static_cast<std::size_t>(i)]);
    return value;
}

inline std::uint16_t read16(std::string_view bytes, std::uint64_t offset)
{
    return static_cast<std::uint16_t>(readLittleEndian(bytes, offset, 2));
}

inline std::uint32_t read32(std::string_view bytes, std::uint64_t offset)
{
    return static_cast<std::uint32_t>(readLittleEndian(bytes, offset, 4));
}

inline std::uint64_t read64(std::string_view bytes, std::uint64_t offset)
{
    return readLittleEndian(bytes, offset, 8);
}

// Whether the four bytes at `offset` exist and hold `signature`.
inline bool hasSignature(std::string_view bytes, std::uint64_t offset, std::uint32_t signature)
{
    return fitsInside(bytes.size(), offset, 4) && read32(bytes, offset) == signature;
}

} // namespace vendrel::unzip
