#include "core/download/unzip/member_data.h"

#include "core/download/unzip/zip_format.h"

#define ZLIB_CONST
#include <zlib.h>

#include <climits>

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint64_t localHeaderBytes = 30;

static_assert(maxArchiveBytes < UINT_MAX && maxMemberBytes < UINT_MAX,
              "zlib counts a whole member's bytes in one unsigned int");

// A zlib stream set up for raw inflate, ended with the object.
class RawInflater {
public:
    RawInflater()
    {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK)
            throw ZipDefect("cannot be unpacked: the decompressor could not start");
    }
    ~RawInflater() { inflateEnd(&stream_); }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
};

[[noreturn]] void failOn(int result, const z_stream& stream)
{
    if (result == Z_MEM_ERROR)
        throw ZipDefect("cannot be unpacked: out of memory");
    throw ZipDefect(std::string("has damaged compressed data (") + (stream.msg ? stream.msg : "unknown error") + ")");
}

} // namespace

MemberExtent memberExtent(std::string_view archive, const ZipMember& member)
{
    const std::uint64_t header = member.localHeaderOffset;
    if (!fitsInside(archive.size(), header, localHeaderBytes))
        throw memberDefect(member.name, "points outside the file");
    if (!hasSignature(archive, header, localHeaderSignature))
        throw memberDefect(member.name, "has a damaged local header");
    const std::uint64_t start = header + localHeaderBytes + read16(archive, header + 26) + read16(archive, header + 28);
    if (!fitsInside(archive.size(), start, member.compressedSize))
        throw memberDefect(member.name, "has data that run past the end of the file");
    return {header, start, start + member.compressedSize};
}

std::string_view memberData(std::string_view archive, const ZipMember& member)
{
    const MemberExtent extent = memberExtent(archive, member);
    return archive.substr(static_cast<std::size_t>(extent.dataOffset), static_cast<std::size_t>(member.compressedSize));
}

std::string inflateRaw(std::string_view compressed, std::uint64_t expectedSize)
{
    std::string out(static_cast<std::size_t>(expectedSize), '\0');
    RawInflater inflater;
    z_stream& stream = inflater.stream();
    stream.next_in = reinterpret_cast<const Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    // Once the output is full, one spare byte tells whether the stream
    // would go on past the declared size.
    Bytef spare = 0;
    bool usingSpare = false;
    for (;;) {
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK && result != Z_BUF_ERROR)
            failOn(result, stream);
        if (stream.avail_out == 0) {
            if (usingSpare)
                throw ZipDefect("holds more data than its directory entry declares");
            stream.next_out = &spare;
            stream.avail_out = 1;
            usingSpare = true;
        } else if (stream.avail_in == 0) {
            throw ZipDefect("is truncated");
        }
    }
    if (stream.total_out > expectedSize)
        throw ZipDefect("holds more data than its directory entry declares");
    if (stream.total_out < expectedSize)
        throw ZipDefect("holds less data than its directory entry declares");
    const std::uint64_t consumed = compressed.size() - stream.avail_in;
    if (expectedSize > consumed * maxCompressionRatio)
        throw ZipDefect("has a compression ratio over 1000");
    return out;
}

} // namespace vendrel::unzip
