#pragma once

#include "core/download/unzip/directory_location.h"
#include "core/download/unzip/member_data.h"
#include "core/download/unzip/zip_member.h"

#include <vector>

namespace vendrel::unzip {

// Refuses an archive in which the extents (local header and data) of two
// members overlap, two entries included that point at the same local header,
// or an extent overlaps the central directory at `directory`. Otherwise a
// small directory could name one large member thousands of times, and each
// entry would unpack it again. `extents[i]` is where `members[i]` lies.
// Sorts the extents once: O(n log n). Throws ZipDefect naming the members.
void refuseOverlappingMembers(const std::vector<ZipMember>& members, const std::vector<MemberExtent>& extents,
                              const DirectoryLocation& directory);

} // namespace vendrel::unzip
