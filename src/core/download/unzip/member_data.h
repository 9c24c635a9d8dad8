#pragma once

#include "core/download/unzip/zip_member.h"

#include <string_view>

namespace vendrel::unzip {

// The stored (compressed) bytes of `member`, which follow its local header.
// Only the local header's name and extra-field lengths are taken from it;
// sizes come from the directory. Throws ZipDefect when the header is not
// there or the data run past the end of the archive.
std::string_view memberData(std::string_view archive, const ZipMember& member);

} // namespace vendrel::unzip
