#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The records and limits of the ZIP format as the unpacker reads them: the
// limits an archive must keep to, little-endian fields, stored names,
// defects, compression methods, DOS times and the zip64 extra field.
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
        value = (value << 8) |
                static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset) + static_cast<std::size_t>(i)]);
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

inline std::uint64_t read64(std::string_view bytes, std::uint64_t offset) { return readLittleEndian(bytes, offset, 8); }

// Whether the four bytes at `offset` exist and hold `signature`.
inline bool hasSignature(std::string_view bytes, std::uint64_t offset, std::uint32_t signature)
{
    return fitsInside(bytes.size(), offset, 4) && read32(bytes, offset) == signature;
}

// The part of a stored name after its last "/" or "\"; the whole name when
// it has neither.
std::string_view fileNamePart(std::string_view storedName);

// Whether a file-name part names no file: empty, "." or "..". An archive
// with such a member (other than a folder entry) is refused.
bool namesNoFile(std::string_view fileName);

// A stored name as it may be shown in a message: control bytes become "?",
// and a very long name is cut short with "...".
std::string printableName(std::string_view storedName);

// Something wrong with the archive's bytes. The message is the reason alone,
// such as "its directory points outside the file"; the archive reports it
// as a vendrel::Error that names the archive file.
class ZipDefect : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes hold no end record at all: not a ZIP archive.
class NotZipArchive : public ZipDefect {
public:
    NotZipArchive() : ZipDefect("is not a ZIP archive") {}
};

// A defect of one member, such as `member "lists/hosts" fails its CRC-32 check`.
inline ZipDefect memberDefect(std::string_view storedName, const std::string& what)
{
    return ZipDefect("member \"" + printableName(storedName) + "\" " + what);
}

inline constexpr std::uint16_t storedMethod = 0;
inline constexpr std::uint16_t deflatedMethod = 8;

// A compression method as a message shows it: "12 (bzip2)", or the bare
// number for a method without a known name.
std::string describeMethod(std::uint16_t method);

// The moment a DOS date and time (local time, two-second steps, years from
// 1980) stand for, or nothing when a field is out of range (month 0, say).
std::optional<std::time_t> fromDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime);

// The three directory fields the zip64 extended-information extra field can
// stand in for, as read from the 32-bit fields of a directory entry.
struct WideFields {
    std::uint64_t uncompressedSize = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
};

// Replaces each field that holds 0xFFFFFFFF by its 64-bit value from the
// zip64 extra field (id 0x0001) of `extraFields`, which lists them in this
// order, only those that are replaced. Nothing when a field needs a value
// the extra field does not hold.
std::optional<WideFields> widenFromZip64Extra(WideFields fields, std::string_view extraFields);

} // namespace vendrel::unzip
