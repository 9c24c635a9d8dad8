#include "core/editing/row_search.h"

#include "platform/text_case.h"

#include <algorithm>

namespace vendrel {
namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `lowerNeedle` occurs in `haystack` when ASCII letters are folded.
bool containsFoldingAscii(std::string_view haystack, std::string_view lowerNeedle)
{
    if (lowerNeedle.size() > haystack.size())
        return false;
    const std::size_t lastStart = haystack.size() - lowerNeedle.size();
    for (std::size_t start = 0; start <= lastStart; ++start) {
        if (asciiLower(haystack[start]) != lowerNeedle[0])
            continue;
        std::size_t i = 1;
        while (i < lowerNeedle.size() && asciiLower(haystack[start + i]) == lowerNeedle[i])
            ++i;
        if (i == lowerNeedle.size())
            return true;
    }
    return false;
}

} // namespace

RowMatcher::RowMatcher(std::string_view searchText)
    : needle_(platform::lowerCaseForLocale(searchText)), needleIsAscii_(isAscii(needle_))
{
}

bool RowMatcher::matchesCell(std::string_view cell) const
{
    if (needleIsAscii_ || isAscii(cell))
        return containsFoldingAscii(cell, needle_);
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
