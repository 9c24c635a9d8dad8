#pragma once

#include <cstdint>
#include <string>

namespace vendrel {

// One entry of an archive's central directory. Sizes, CRC and times are the
// directory's; a local header or data descriptor never overrides them.
struct ZipMember {
    std::string name;                 // as stored, folders included
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint16_t method = 0;         // 0 stored, 8 deflated, others refused
    std::uint16_t flags = 0;          // general-purpose bits
    std::uint32_t crc32 = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint8_t madeBy = 0;          // host system of "version made by"
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0;  // from the start of the archive's bytes

    // A folder entry: its name ends in a separator.
    bool isDirectory() const;
    // Traditional or strong encryption (general-purpose bits 0 and 6).
    bool isEncrypted() const;
    // The DOS read-only attribute, where the making system records DOS attributes.
    bool isReadOnly() const;
};

} // namespace vendrel
