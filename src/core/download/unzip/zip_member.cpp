#include "core/download/unzip/zip_member.h"

namespace vendrel {
namespace {

constexpr std::uint16_t encryptedFlag = 0x0001;
constexpr std::uint16_t strongEncryptionFlag = 0x0040;
constexpr std::uint32_t dosReadOnly = 0x01;

// Hosts whose external attributes carry the DOS attribute byte: MS-DOS and
// its FAT, OS/2 HPFS, Windows NTFS and VFAT.
bool recordsDosAttributes(std::uint8_t host)
{
    return host == 0 || host == 6 || host == 11 || host == 14;
}

} // namespace

bool ZipMember::isDirectory() const
{
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

bool ZipMember::isEncrypted() const
{
    return (flags & (encryptedFlag | strongEncryptionFlag)) != 0;
}

bool ZipMember::isReadOnly() const
{
    return recordsDosAttributes(madeBy) && (externalAttributes & dosReadOnly) != 0;
}

} // namespace vendrel
