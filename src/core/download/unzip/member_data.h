#pragma once

#include "core/download/unzip/zip_member.h"

#include <cstdint>
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

} // namespace vendrel::unzip
