#include "core/download/unzip/directory_location.h"

#include "core/download/unzip/little_endian.h"
#include "core/download/unzip/zip_defect.h"
#include "core/download/unzip/zip_limits.h"

#include <optional>

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t directoryEntrySignature = 0x02014b50;
constexpr std::uint64_t endRecordBytes = 22;
constexpr std::uint64_t zip64LocatorBytes = 20;
constexpr std::uint64_t zip64EndBytes = 56;

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
    return end.disk == 0xFFFF || end.directoryDisk == 0xFFFF || end.entriesOnDisk == 0xFFFF ||
           end.entries == 0xFFFF || end.directorySize == 0xFFFFFFFF || end.directoryOffset == 0xFFFFFFFF;
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

} // namespace vendrel::unzip
