#include "core/bulk/sort_lines.h"

#include "core/error.h"
#include "platform/platform.h"

namespace vendrel {

SortLines::SortLines(std::string entryPrefix, std::size_t expectedLines, std::size_t expectedBytes)
    : entryPrefix_(std::move(entryPrefix))
{
    ends_.reserve(expectedLines);
    bodies_.reserve(expectedBytes);
    // Both are read all over while the lines are sorted.
    platform::adviseLargeBlock(ends_.data(), expectedLines * sizeof(std::uint32_t));
    platform::adviseLargeBlock(bodies_.data(), expectedBytes);
}

void SortLines::add(std::string_view body, bool entry)
{
    if (bodies_.size() + body.size() >= entryBit)
        throw Error("The hosts text is too large to sort: its lines hold 2 GiB or more.");
    bodies_.append(body);
    ends_.push_back(static_cast<std::uint32_t>(bodies_.size()) | (entry ? entryBit : 0));
    entries_ += entry ? 1 : 0;
}

std::string_view SortLines::text(std::size_t line, std::string& scratch) const
{
    if (!isEntry(line))
        return body(line);
    scratch.assign(entryPrefix_).append(body(line));
    return scratch;
}

std::size_t SortLines::textBytesWithBreaks() const
{
    return bodies_.size() + entries_ * entryPrefix_.size() + 2 * size();
}

} // namespace vendrel
