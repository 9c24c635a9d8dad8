#include "core/download/unzip/zip_archive.h"

#include "core/download/unzip/extract_members.h"
#include "core/download/unzip/member_data.h"
#include "core/download/unzip/zip_directory.h"
#include "core/download/unzip/zip_format.h"
#include "core/error.h"

#include <zlib.h>

#include <utility>

namespace vendrel {
namespace {

using unzip::ZipDefect;

Error unpackError(const std::string& archiveName, const ZipDefect& defect)
{
    return Error("Cannot unpack " + archiveName + ": " + defect.what());
}

std::string unpack(std::string_view data, const ZipMember& member)
{
    switch (member.method) {
    case unzip::storedMethod:
        if (data.size() != member.uncompressedSize)
            throw unzip::memberDefect(member.name, "is stored with two different sizes");
        return std::string(data);
    case unzip::deflatedMethod:
        try {
            return unzip::inflateRaw(data, member.uncompressedSize);
        } catch (const ZipDefect& defect) {
            throw unzip::memberDefect(member.name, defect.what());
        }
    default:
        throw unzip::memberDefect(member.name, "uses compression method " + unzip::describeMethod(member.method) +
                                                   ", which is not supported");
    }
}

} // namespace

ZipArchive ZipArchive::fromFile(const std::string& path) { return ZipArchive(unzip::readArchiveFile(path), path); }

ZipArchive ZipArchive::fromBytes(std::string bytes, std::string name)
{
    return ZipArchive(std::move(bytes), std::move(name));
}

ZipArchive::ZipArchive(std::string bytes, std::string name) : bytes_(std::move(bytes)), name_(std::move(name))
{
    try {
        members_ = unzip::readCentralDirectory(bytes_, unzip::locateDirectory(bytes_));
    } catch (const unzip::NotZipArchive& notZip) {
        throw Error(name_ + " " + notZip.what());
    } catch (const ZipDefect& defect) {
        throw unpackError(name_, defect);
    }
}

std::string ZipArchive::extract(std::size_t index) const
{
    const ZipMember& member = members_.at(index);
    try {
        if (member.isEncrypted())
            throw unzip::memberDefect(member.name, "is encrypted, which is not supported");
        std::string bytes = unpack(unzip::memberData(bytes_, member), member);
        const auto crc = ::crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
        if (crc != member.crc32)
            throw unzip::memberDefect(member.name, "fails its CRC-32 check");
        return bytes;
    } catch (const ZipDefect& defect) {
        throw unpackError(name_, defect);
    }
}

} // namespace vendrel
