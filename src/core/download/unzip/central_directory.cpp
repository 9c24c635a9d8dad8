#include "core/download/unzip/central_directory.h"

#include "core/download/unzip/little_endian.h"
#include "core/download/unzip/member_data.h"
#include "core/download/unzip/member_overlap.h"
#include "core/download/unzip/zip64_extra.h"
#include "core/download/unzip/zip_defect.h"
#include "core/download/unzip/zip_limits.h"

#include <string>

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t entrySignature = 0x02014b50;
constexpr std::uint64_t entryFixedBytes = 46;

// One directory entry at `at`, which must end by `directoryEnd`; `at` moves
// past it.
ZipMember readEntry(std::string_view archive, std::uint64_t& at, std::uint64_t directoryEnd, std::uint64_t leadingBytes)
{
    const std::string_view directory = archive.substr(0, static_cast<std::size_t>(directoryEnd));
    if (!fitsInside(directory.size(), at, entryFixedBytes) || read32(directory, at) != entrySignature)
        throw ZipDefect("its directory is damaged");
    const std::uint64_t nameLength = read16(directory, at + 28);
    const std::uint64_t extraLength = read16(directory, at + 30);
    const std::uint64_t commentLength = read16(directory, at + 32);
    const std::uint64_t variable = nameLength + extraLength + commentLength;
    if (!fitsInside(directory.size(), at + entryFixedBytes, variable))
        throw ZipDefect("its directory is damaged");

    ZipMember member;
    member.madeBy = static_cast<std::uint8_t>(read16(directory, at + 4) >> 8);
    member.flags = read16(directory, at + 8);
    member.method = read16(directory, at + 10);
    member.dosTime = read16(directory, at + 12);
    member.dosDate = read16(directory, at + 14);
    member.crc32 = read32(directory, at + 16);
    member.externalAttributes = read32(directory, at + 38);
    member.name.assign(directory.substr(static_cast<std::size_t>(at + entryFixedBytes), static_cast<std::size_t>(nameLength)));
    const std::string_view extra = directory.substr(static_cast<std::size_t>(at + entryFixedBytes + nameLength),
                                                    static_cast<std::size_t>(extraLength));
    const std::optional<WideFields> wide = widenFromZip64Extra(
        {read32(directory, at + 24), read32(directory, at + 20), read32(directory, at + 42)}, extra);
    if (!wide)
        throw memberDefect(member.name, "lacks its zip64 sizes");
    member.uncompressedSize = wide->uncompressedSize;
    member.compressedSize = wide->compressedSize;
    if (!fitsInside(archive.size(), leadingBytes, wide->localHeaderOffset))
        throw memberDefect(member.name, "points outside the file");
    member.localHeaderOffset = leadingBytes + wide->localHeaderOffset;
    at += entryFixedBytes + variable;
    return member;
}

// Refuses a member that would be unsafe to expand; returns where it lies.
MemberExtent checkMember(std::string_view archive, const ZipMember& member)
{
    if (!member.isDirectory() && namesNoFile(fileNamePart(member.name)))
        throw memberDefect(member.name, "has a name that is not a file name");
    if (member.uncompressedSize > maxMemberBytes)
        throw memberDefect(member.name,
                           "would unpack to more than " + std::to_string(maxMemberBytes / mebibyte) + " MiB");
    // uncompressed > ratio * compressed, without overflow.
    const std::uint64_t leastCompressed = (member.uncompressedSize + maxCompressionRatio - 1) / maxCompressionRatio;
    if (member.compressedSize < leastCompressed)
        throw memberDefect(member.name, "has a compression ratio over 1000");
    return memberExtent(archive, member);
}

// Refuses an archive whose members would unpack to more than
// maxUnpackedBytesPerArchive together. No member unpacks to more than its
// entry declares, so this bounds the work of unpacking every one of them.
void checkTotalSize(const std::vector<ZipMember>& members)
{
    std::uint64_t total = 0;
    for (const ZipMember& member : members) {
        total += member.uncompressedSize;  // each at most maxMemberBytes: no overflow
        if (total > maxUnpackedBytesPerArchive)
            throw ZipDefect("its members would unpack to more than " +
                            std::to_string(maxUnpackedBytesPerArchive / mebibyte) + " MiB in all");
    }
}

} // namespace

std::vector<ZipMember> readCentralDirectory(std::string_view archive, const DirectoryLocation& location)
{
    const std::uint64_t end = location.offset + location.size;
    std::vector<ZipMember> members;
    std::vector<MemberExtent> extents;
    members.reserve(static_cast<std::size_t>(location.entries));
    extents.reserve(static_cast<std::size_t>(location.entries));
    std::uint64_t at = location.offset;
    for (std::uint64_t entry = 0; entry < location.entries; ++entry) {
        members.push_back(readEntry(archive, at, end, location.leadingBytes));
        extents.push_back(checkMember(archive, members.back()));
    }
    if (at != end)
        throw ZipDefect("its directory holds more than its end record counts");
    refuseOverlappingMembers(members, extents, location);
    checkTotalSize(members);
    return members;
}

} // namespace vendrel::unzip
