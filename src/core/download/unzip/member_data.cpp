#include "core/download/unzip/member_data.h"

#include "core/download/unzip/little_endian.h"
#include "core/download/unzip/zip_defect.h"

namespace vendrel::unzip {
namespace {

constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint64_t localHeaderBytes = 30;

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

} // namespace vendrel::unzip
