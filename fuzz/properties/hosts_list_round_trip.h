#pragma once

#include "properties/violation.h"

#include "core/error.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/hosts_rows.h"
#include "core/hosts/list_file_format.h"
#include "core/hosts/text_file.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Hosts text loaded into rows, saved in the list format and read back again,
// once with the list-file reader and once with the hosts loader, which is how
// the editor reloads the hosts file it has just saved. Both must give the
// loaded rows: the loader's cells never hold a TAB, CR or LF and its address
// cells never begin with a blank, so every saved line is "address TAB host"
// and splits back exactly. The one thing the saved text cannot tell apart is
// a first address cell that begins with the bytes of the UTF-8 byte-order
// mark in rows loaded without one: both readers take those bytes as the mark,
// and the hosts loader then splits what is left of the first line anew.
namespace fuzz_properties {

struct ListRows {
    std::vector<std::pair<std::string, std::string>> cells;
    bool byteOrderMark = false;
};

inline ListRows listRowsOf(const vendrel::HostsRows& rows)
{
    ListRows list;
    list.byteOrderMark = rows.utf8ByteOrderMark();
    for (std::size_t row = 0; row < rows.size(); ++row)
        list.cells.emplace_back(rows.address(row), rows.host(row));
    return list;
}

// What reading the saved rows back must give.
inline ListRows expectedReadBack(const vendrel::HostsRows& rows)
{
    ListRows expected = listRowsOf(rows);
    std::string& firstAddress = expected.cells.front().first;
    if (!expected.byteOrderMark && firstAddress.starts_with(vendrel::utf8ByteOrderMark)) {
        firstAddress.erase(0, vendrel::utf8ByteOrderMark.size());
        expected.byteOrderMark = true;
    }
    return expected;
}

// Saved text read line by line with the list-file reader's line parser, the
// way readListFile reads a file.
inline ListRows readSavedList(std::string_view saved)
{
    ListRows read;
    read.byteOrderMark = saved.starts_with(vendrel::utf8ByteOrderMark);
    if (read.byteOrderMark)
        saved.remove_prefix(vendrel::utf8ByteOrderMark.size());
    vendrel::forEachLine(saved, [&read](std::string_view line) { read.cells.push_back(vendrel::parseListLine(line)); });
    return read;
}

// Rows before `firstCompared` are only counted.
inline Violation differenceOf(const char* reader, const ListRows& expected, const ListRows& read,
                              std::size_t firstCompared = 0)
{
    const std::string prefix = std::string(reader) + ": ";
    if (read.byteOrderMark != expected.byteOrderMark)
        return prefix + "the byte-order mark was " + (expected.byteOrderMark ? "lost" : "invented");
    if (read.cells.size() != expected.cells.size())
        return prefix + std::to_string(read.cells.size()) + " rows instead of " + std::to_string(expected.cells.size());
    for (std::size_t row = firstCompared; row < read.cells.size(); ++row)
        if (read.cells[row] != expected.cells[row])
            return prefix + "row " + std::to_string(row) + " is " + shown(read.cells[row].first) + " / " +
                   shown(read.cells[row].second) + " instead of " + shown(expected.cells[row].first) + " / " +
                   shown(expected.cells[row].second);
    return {};
}

inline Violation hostsListRoundTrip(std::string_view input)
{
    vendrel::LoadedHosts loaded;
    try {
        loaded = vendrel::parseHostsText(std::string(input), "input");
    } catch (const vendrel::Error&) {
        return {}; // NUL bytes or UTF-16: the loader refuses the file
    }
    const std::string saved = vendrel::formatList(loaded.rows);
    const ListRows expected = expectedReadBack(loaded.rows);
    if (Violation difference = differenceOf("list-file reader", expected, readSavedList(saved)))
        return difference;

    vendrel::LoadedHosts reloaded;
    try {
        reloaded = vendrel::parseHostsText(saved, "saved list");
    } catch (const vendrel::Error& error) {
        return std::string("hosts loader: refuses the saved list: ") + error.what();
    }
    const bool firstRowChanged = expected.byteOrderMark != loaded.rows.utf8ByteOrderMark();
    if (Violation difference = differenceOf("hosts loader", expected, listRowsOf(reloaded.rows),
                                            firstRowChanged ? 1 : 0))
        return difference;
    if (!firstRowChanged && reloaded.redirectAddress != loaded.redirectAddress)
        return "hosts loader: the redirect address changed from " + shown(loaded.redirectAddress.value_or("(none)")) +
               " to " + shown(reloaded.redirectAddress.value_or("(none)"));
    return {};
}

} // namespace fuzz_properties
