#pragma once

#include "core/hosts/hosts_rows.h"

#include <string>
#include <utility>
#include <vector>

// The cells of hosts-list rows as plain pairs, for building rows in a test
// and comparing them with what a function made.
namespace rows_test_support {

using Cells = std::pair<std::string, std::string>;

inline vendrel::HostsRows rowsOf(const std::vector<Cells>& cells)
{
    vendrel::HostsRows rows;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i == 0)
            rows.setRow(0, cells[i].first, cells[i].second);
        else
            rows.appendRow(cells[i].first, cells[i].second);
    }
    return rows;
}

inline std::vector<Cells> cellsOf(const vendrel::HostsRows& rows)
{
    std::vector<Cells> cells;
    for (std::size_t row = 0; row < rows.size(); ++row)
        cells.emplace_back(rows.address(row), rows.host(row));
    return cells;
}

} // namespace rows_test_support
