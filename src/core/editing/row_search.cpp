#include "core/editing/row_search.h"

#include "core/text/ascii_text.h"
#include "platform/text_case.h"

#include <algorithm>

namespace vendrel {
namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

RowMatcher::RowMatcher(std::string_view searchText)
    : needle_(platform::lowerCaseForLocale(searchText)), needleIsAscii_(isAscii(needle_))
{
}

bool RowMatcher::matchesCell(std::string_view cell) const
{
    if (isAscii(cell))
        return needleIsAscii_ && containsIgnoringAsciiCase(cell, needle_);
    return platform::lowerCaseForLocale(cell).find(needle_) != std::string::npos;
}

bool RowMatcher::matchesRow(const HostsRows& rows, std::size_t row) const
{
    return !needle_.empty() && (matchesCell(rows.address(row)) || matchesCell(rows.host(row)));
}

SearchOutcome searchRows(const HostsRows& rows, std::size_t selected, SearchDirection direction,
                         const RowMatcher& matcher)
{
    const std::size_t last = rows.size() - 1;
    if (direction == SearchDirection::Forward) {
        const bool wraps = selected == last;
        const std::size_t first = wraps ? 0 : selected + 1;
        const std::size_t end = wraps ? last : rows.size();
        for (std::size_t row = first; row < end; ++row)
            if (matcher.matchesRow(rows, row))
                return {row, true};
        return {wraps ? 0 : selected, false};
    }
    const bool wraps = selected == 0;
    const std::size_t start = wraps ? last : selected - 1;
    const std::size_t stop = wraps ? 1 : 0; // lowest row examined
    for (std::size_t row = start + 1; row-- > stop;)
        if (matcher.matchesRow(rows, row))
            return {row, true};
    return {wraps ? last : selected, false};
}

} // namespace vendrel
