#pragma once

#include "core/hosts/hosts_rows.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vendrel {

// Case-insensitive substring test against the cells of a row. The search
// text is lower-cased once; ASCII cells are compared byte by byte without
// copying, other cells through the locale's lower-casing.
class RowMatcher {
public:
    explicit RowMatcher(std::string_view searchText);

    // An empty search text matches nothing.
    bool matchesRow(const HostsRows& rows, std::size_t row) const;

private:
    bool matchesCell(std::string_view cell) const;

    std::string needle_;
    bool needleIsAscii_ = true;
};

enum class SearchDirection { Backward, Forward };

struct SearchOutcome {
    std::size_t selection; // the row selected after the search
    bool found;
};

// Searches from the selected row, which is never examined itself. At the
// far end of its direction the selection first wraps to the other end, and
// every other row is then examined; elsewhere the rows up to the end are.
SearchOutcome searchRows(const HostsRows& rows, std::size_t selected, SearchDirection direction,
                         const RowMatcher& matcher);

} // namespace vendrel
