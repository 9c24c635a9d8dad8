#pragma once

#include <cstdint>

namespace vendrel::unzip {

inline constexpr std::uint64_t mebibyte = 1024 * 1024;

// What a downloaded block-list archive may claim before it is refused as
// unsafe to expand. A block list of a million lines is about 30 MB, so these
// leave a wide margin while keeping a hostile archive from exhausting memory.
inline constexpr std::uint64_t maxMemberBytes = 256 * mebibyte;
inline constexpr std::uint64_t maxCompressionRatio = 1000;
inline constexpr std::uint64_t maxMembers = 65535;

// All members of one archive together: two at the largest size, so that
// the time spent on an archive stays bounded however many members it names.
inline constexpr std::uint64_t maxUnpackedBytesPerArchive = 2 * maxMemberBytes;

// The archive file itself is read whole: one member at the limit, stored,
// plus room for the headers and directory around it.
inline constexpr std::uint64_t maxArchiveBytes = maxMemberBytes + 16 * mebibyte;

} // namespace vendrel::unzip
