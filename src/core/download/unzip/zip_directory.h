#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// One entry of an archive's central directory. Sizes, CRC and times are the
// directory's; a local header or data descriptor never overrides them.
struct ZipMember {
    std::string name; // as stored, folders included
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint16_t method = 0; // 0 stored, 8 deflated, others refused
    std::uint16_t flags = 0;  // general-purpose bits
    std::uint32_t crc32 = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint8_t madeBy = 0; // host system of "version made by"
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0; // from the start of the archive's bytes

    // A folder entry: its name ends in a separator.
    bool isDirectory() const;
    // Traditional or strong encryption (general-purpose bits 0 and 6).
    bool isEncrypted() const;
    // The DOS read-only attribute, where the making system records DOS attributes.
    bool isReadOnly() const;
};

} // namespace vendrel

namespace vendrel::unzip {

// Where an archive's central directory lies in its bytes.
struct DirectoryLocation {
    std::uint64_t offset = 0; // of the first entry, from the start of the bytes
    std::uint64_t size = 0;   // in bytes
    std::uint64_t entries = 0;
    // Bytes in front of the archive proper (a self-extractor stub, a mail
    // header): every offset the archive stores is off by this many.
    std::uint64_t leadingBytes = 0;
};

// Finds the end-of-central-directory record, searching backwards, and the
// zip64 end record where the archive needs one, then the directory they
// point to. An end record whose comment reaches exactly to the end of the
// bytes is preferred; otherwise the last one whose directory resolves is
// taken, which tolerates junk after the archive. Throws NotZipArchive when
// there is no end record at all, ZipDefect when there is one but the
// directory cannot be found from it.
DirectoryLocation locateDirectory(std::string_view archive);

// Reads the entries of the central directory at `location`, in archive
// order, and checks that the archive is safe to expand: every member has a
// usable file name, data inside the file, at most maxMemberBytes unpacked
// and a compression ratio of at most maxCompressionRatio; the entries fill
// the directory exactly; no member's local header and data overlap
// another's or the directory; and all members together unpack to at most
// maxUnpackedBytesPerArchive. Throws ZipDefect naming the first problem.
std::vector<ZipMember> readCentralDirectory(std::string_view archive, const DirectoryLocation& location);

} // namespace vendrel::unzip
