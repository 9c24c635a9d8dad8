#pragma once

#include "core/download/unzip/directory_location.h"
#include "core/download/unzip/zip_member.h"

#include <string_view>
#include <vector>

namespace vendrel::unzip {

// Reads the entries of the central directory at `location`, in archive
// order, and checks that the archive is safe to expand: every member has a
// usable file name, data inside the file, at most maxMemberBytes unpacked
// and a compression ratio of at most maxCompressionRatio; the entries fill
// the directory exactly; no member's local header and data overlap
// another's or the directory; and all members together unpack to at most
// maxUnpackedBytesPerArchive. Throws ZipDefect naming the first problem.
std::vector<ZipMember> readCentralDirectory(std::string_view archive, const DirectoryLocation& location);

} // namespace vendrel::unzip
