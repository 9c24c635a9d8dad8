#include "core/download/unzip/member_overlap.h"

#include "core/download/unzip/zip_defect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vendrel::unzip {
namespace {

constexpr std::size_t theDirectory = std::numeric_limits<std::size_t>::max();

// A range of the archive's bytes and what occupies it: a member's index, or
// theDirectory.
struct Span {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::size_t owner = 0;
};

ZipDefect overlapDefect(const std::vector<ZipMember>& members, const Span& one, const Span& other)
{
    const std::size_t first = std::min(one.owner, other.owner);
    const std::size_t second = std::max(one.owner, other.owner);
    if (second == theDirectory)
        return memberDefect(members[first].name, "overlaps the archive's directory");
    return ZipDefect("members \"" + printableName(members[first].name) + "\" and \"" +
                     printableName(members[second].name) + "\" overlap in the file");
}

} // namespace

void refuseOverlappingMembers(const std::vector<ZipMember>& members, const std::vector<MemberExtent>& extents,
                              const DirectoryLocation& directory)
{
    std::vector<Span> spans;
    spans.reserve(extents.size() + 1);
    for (std::size_t index = 0; index < extents.size(); ++index)
        spans.push_back({extents[index].headerOffset, extents[index].end, index});
    if (directory.size > 0)
        spans.push_back({directory.offset, directory.offset + directory.size, theDirectory});
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.owner < b.owner;
    });
    // Sorted by start, a span overlaps an earlier one exactly when it starts
    // before the furthest end reached so far.
    const Span* furthest = nullptr;
    for (const Span& span : spans) {
        if (furthest && span.begin < furthest->end)
            throw overlapDefect(members, *furthest, span);
        if (!furthest || span.end > furthest->end)
            furthest = &span;
    }
}

} // namespace vendrel::unzip
