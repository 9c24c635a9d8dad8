#include "core/download/unzip/zip_directory.h"

#include "core/download/unzip/member_data.h"
#include "core/download/unzip/zip_format.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>

namespace vendrel {
namespace {

constexpr std::uint16_t encryptedFlag = 0x0001;
constexpr std::uint16_t strongEncryptionFlag = 0x0040;
constexpr std::uint32_t dosReadOnly = 0x01;

// Hosts whose external attributes carry the DOS attribute byte: MS-DOS and
// its FAT, OS/2 HPFS, Windows NTFS and VFAT.
bool recordsDosAttributes(std::uint8_t host) { return host == 0 || host == 6 || host == 11 || host == 14; }

} // namespace

bool ZipMember::isDirectory() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }

bool ZipMember::isEncrypted() const { return (flags & (encryptedFlag | strongEncryptionFlag)) != 0; }

bool ZipMember::isReadOnly() const { return recordsDosAttributes(madeBy) && (externalAttributes & dosReadOnly) != 0; }

} // namespace vendrel

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t directoryEntrySignature = 0x02014b50;
constexpr std::uint64_t endRecordBytes = 22;
constexpr std::uint64_t zip64LocatorBytes = 20;
constexpr std::uint64_t zip64EndBytes = 56;
constexpr std::uint64_t entryFixedBytes = 46;

// The fields of either end record, widened to 64 bits.
struct EndFields {
    std::uint64_t disk = 0;
    std::uint64_t directoryDisk = 0;
    std::uint64_t entriesOnDisk = 0;
    std::uint64_t entries = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
};

EndFields readEndRecord(std::string_view archive, std::uint64_t at)
{
    return {read16(archive, at + 4),  read16(archive, at + 6),  read16(archive, at + 8),
            read16(archive, at + 10), read32(archive, at + 12), read32(archive, at + 16)};
}

EndFields readZip64EndRecord(std::string_view archive, std::uint64_t at)
{
    return {read32(archive, at + 16), read32(archive, at + 20), read64(archive, at + 24),
            read64(archive, at + 32), read64(archive, at + 40), read64(archive, at + 48)};
}

// A field at its largest value says "see the zip64 end record".
bool needsZip64(const EndFields& end)
{
    return end.disk == 0xFFFF || end.directoryDisk == 0xFFFF || end.entriesOnDisk == 0xFFFF || end.entries == 0xFFFF ||
           end.directorySize == 0xFFFFFFFF || end.directoryOffset == 0xFFFFFFFF;
}

// The zip64 end record belonging to the end record at `endAt`: where its
// locator says, or, when junk in front shifted the archive, right before
// the locator.
std::optional<std::uint64_t> findZip64EndRecord(std::string_view archive, std::uint64_t endAt)
{
    if (endAt < zip64LocatorBytes || !hasSignature(archive, endAt - zip64LocatorBytes, zip64LocatorSignature))
        return std::nullopt;
    const std::uint64_t locator = endAt - zip64LocatorBytes;
    const std::uint64_t stored = read64(archive, locator + 8);
    for (const std::uint64_t at : {stored, locator >= zip64EndBytes ? locator - zip64EndBytes : stored})
        if (fitsInside(archive.size(), at, zip64EndBytes) && hasSignature(archive, at, zip64EndSignature))
            return at;
    return std::nullopt;
}

bool directoryStartsAt(std::string_view archive, const EndFields& end, std::uint64_t leadingBytes)
{
    if (!fitsInside(archive.size(), leadingBytes, end.directoryOffset))
        return false;
    const std::uint64_t start = leadingBytes + end.directoryOffset;
    return fitsInside(archive.size(), start, end.directorySize) &&
           (end.entries == 0 || hasSignature(archive, start, directoryEntrySignature));
}

// The directory an end record's fields point to. `recordsAt` is where the
// end records begin: the directory ends there, unless junk in front shifted
// every offset, and the difference says by how much.
DirectoryLocation resolveDirectory(std::string_view archive, const EndFields& end, std::uint64_t recordsAt)
{
    if (end.disk != 0 || end.directoryDisk != 0 || end.entriesOnDisk != end.entries)
        throw ZipDefect("it is split across several disks, which is not supported");
    if (end.entries > maxMembers)
        throw ZipDefect("it has more than 65535 members");
    const bool endsInFile = fitsInside(archive.size(), end.directoryOffset, end.directorySize);
    const std::uint64_t expectedEnd = endsInFile ? end.directoryOffset + end.directorySize : archive.size();
    const std::uint64_t shift = recordsAt > expectedEnd ? recordsAt - expectedEnd : 0;
    for (const std::uint64_t leadingBytes : {shift, std::uint64_t{0}})
        if (directoryStartsAt(archive, end, leadingBytes))
            return {leadingBytes + end.directoryOffset, end.directorySize, end.entries, leadingBytes};
    if (!endsInFile)
        throw ZipDefect("its directory points outside the file");
    throw ZipDefect("its directory is not where its end record says");
}

DirectoryLocation directoryOfEndRecord(std::string_view archive, std::uint64_t endAt)
{
    const EndFields end = readEndRecord(archive, endAt);
    const std::optional<std::uint64_t> zip64At = findZip64EndRecord(archive, endAt);
    // Without a zip64 record a field at its largest value is taken as it
    // is: some writers store exactly 65535 members that way.
    if (zip64At && needsZip64(end))
        return resolveDirectory(archive, readZip64EndRecord(archive, *zip64At), *zip64At);
    return resolveDirectory(archive, end, zip64At.value_or(endAt));
}

// Whether the comment of the end record at `at` reaches exactly to the end
// of the bytes, as it does in an archive without junk after it.
bool commentEndsFile(std::string_view archive, std::uint64_t at)
{
    return at + endRecordBytes + read16(archive, at + 20) == archive.size();
}

// Tries end records from the back, remembering the first defect met.
class EndRecordSearch {
public:
    explicit EndRecordSearch(std::string_view archive) : archive_(archive) {}

    // The directory of the last end record at or after `lowest` whose
    // comment does (`exact`) or does not reach to the end of the bytes.
    std::optional<DirectoryLocation> find(std::uint64_t lowest, bool exact)
    {
        if (archive_.size() < endRecordBytes)
            return std::nullopt;
        const std::size_t lastStart = archive_.size() - endRecordBytes;
        for (std::size_t at = signatureBefore(lastStart + 1); at != none && at >= lowest; at = signatureBefore(at)) {
            if (commentEndsFile(archive_, at) != exact)
                continue;
            try {
                return directoryOfEndRecord(archive_, at);
            } catch (const ZipDefect& defect) {
                if (!firstDefect_)
                    firstDefect_ = defect;
            }
        }
        return std::nullopt;
    }

    [[noreturn]] void fail() const
    {
        if (!firstDefect_)
            throw NotZipArchive();
        throw *firstDefect_;
    }

private:
    static constexpr std::size_t none = std::string_view::npos;

    // Where the last end-record signature before `end` starts, or none.
    std::size_t signatureBefore(std::size_t end) const
    {
        return end == 0 ? none : archive_.rfind(std::string_view("PK\x05\x06", 4), end - 1);
    }

    std::string_view archive_;
    std::optional<ZipDefect> firstDefect_;
};

// One directory entry at `at`, which must end by `directoryEnd`; `at` moves
// past it.
ZipMember readEntry(std::string_view archive, std::uint64_t& at, std::uint64_t directoryEnd, std::uint64_t leadingBytes)
{
    const std::string_view directory = archive.substr(0, static_cast<std::size_t>(directoryEnd));
    if (!fitsInside(directory.size(), at, entryFixedBytes) || read32(directory, at) != directoryEntrySignature)
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
    member.name.assign(
        directory.substr(static_cast<std::size_t>(at + entryFixedBytes), static_cast<std::size_t>(nameLength)));
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

constexpr std::size_t theDirectory = std::numeric_limits<std::size_t>::max();

// A range of the archive's bytes and what occupies it: a member's index, or
// theDirectory.
struct Span {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::size_t owner = 0;
};

ZipDefect overlapDefect(const std::vector<ZipMember>& members, const Span& one, const Span& other)
{
    const std::size_t first = std::min(one.owner, other.owner);
    const std::size_t second = std::max(one.owner, other.owner);
    if (second == theDirectory)
        return memberDefect(members[first].name, "overlaps the archive's directory");
    return ZipDefect("members \"" + printableName(members[first].name) + "\" and \"" +
                     printableName(members[second].name) + "\" overlap in the file");
}

// Refuses an archive in which the extents (local header and data) of two
// members overlap, two entries included that point at the same local header,
// or an extent overlaps the central directory at `directory`. Otherwise a
// small directory could name one large member thousands of times, and each
// entry would unpack it again. `extents[i]` is where `members[i]` lies.
// Sorts the extents once: O(n log n). Throws ZipDefect naming the members.
void refuseOverlappingMembers(const std::vector<ZipMember>& members, const std::vector<MemberExtent>& extents,
                              const DirectoryLocation& directory)
{
    std::vector<Span> spans;
    spans.reserve(extents.size() + 1);
    for (std::size_t index = 0; index < extents.size(); ++index)
        spans.push_back({extents[index].headerOffset, extents[index].end, index});
    if (directory.size > 0)
        spans.push_back({directory.offset, directory.offset + directory.size, theDirectory});
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.begin != b.begin ? a.begin < b.begin : a.owner < b.owner; });
    // Sorted by start, a span overlaps an earlier one exactly when it starts
    // before the furthest end reached so far.
    const Span* furthest = nullptr;
    for (const Span& span : spans) {
        if (furthest && span.begin < furthest->end)
            throw overlapDefect(members, *furthest, span);
        if (!furthest || span.end > furthest->end)
            furthest = &span;
    }
}

// Refuses an archive whose members would unpack to more than
// maxUnpackedBytesPerArchive together. No member unpacks to more than its
// entry declares, so this bounds the work of unpacking every one of them.
void checkTotalSize(const std::vector<ZipMember>& members)
{
    std::uint64_t total = 0;
    for (const ZipMember& member : members) {
        total += member.uncompressedSize; // each at most maxMemberBytes: no overflow
        if (total > maxUnpackedBytesPerArchive)
            throw ZipDefect("its members would unpack to more than " +
                            std::to_string(maxUnpackedBytesPerArchive / mebibyte) + " MiB in all");
    }
}

} // namespace

DirectoryLocation locateDirectory(std::string_view archive)
{
    // An end record whose comment ends the file lies in its last 64 KiB.
    constexpr std::uint64_t longestTail = endRecordBytes + 0xFFFF;
    EndRecordSearch search(archive);
    const std::uint64_t tail = archive.size() > longestTail ? archive.size() - longestTail : 0;
    if (const auto found = search.find(tail, true))
        return *found;
    if (const auto found = search.find(0, false))
        return *found;
    search.fail();
}

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
