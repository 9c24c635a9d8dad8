#pragma once

#include "core/download/unzip/zip_directory.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::unzip {

// Where a member lies in the archive's bytes: its local header, then its
// stored data, up to `end` (a data descriptor after it is not counted).
struct MemberExtent {
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t end = 0;
};

// Only the local header's name and extra-field lengths are taken from it;
// sizes come from the directory. Throws ZipDefect when the header is not
// there or the data run past the end of the archive.
MemberExtent memberExtent(std::string_view archive, const ZipMember& member);

// The stored (compressed) bytes of `member`, which follow its local header;
// throws as memberExtent() does.
std::string_view memberData(std::string_view archive, const ZipMember& member);

// Inflates a raw deflate stream (no zlib or gzip wrapper) that must unpack to
// exactly `expectedSize` bytes. The output never grows past that size: a
// stream that would yield more is stopped at once. Throws ZipDefect with the
// reason (damaged data, truncated stream, more or less data than declared,
// a compression ratio over the limit).
std::string inflateRaw(std::string_view compressed, std::uint64_t expectedSize);

} // namespace vendrel::unzip
