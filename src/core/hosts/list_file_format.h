#pragma once

#include "core/hosts/hosts_rows.h"

#include <string>
#include <string_view>
#include <utility>

namespace vendrel {

// The format the hosts list is saved in: one line per row, the address cell,
// a TAB, the host cell, CR LF. A cell that holds a TAB is quoted with blanks
// (a blank, the cell with each blank doubled, a blank). An empty row is a
// lone TAB. A UTF-8 byte-order mark that stood in front of the loaded file is
// written back in front of the first line.
std::string formatList(const HostsRows& rows);
// The `count` rows from `first` as formatList writes them, each line ended
// by `lineBreak`, without the byte-order mark.
std::string formatRows(const HostsRows& rows, std::size_t first, std::size_t count, std::string_view lineBreak);
// One row's line as formatList writes it, ended by `lineBreak`.
void appendListLine(std::string& out, std::string_view address, std::string_view host, std::string_view lineBreak);

// Writes formatList(rows) to `path`, replacing the file atomically.
void SaveList(const HostsRows& rows, const std::string& path);
// The same for the backup of the hosts file, which may be private: the
// backup is its owner's alone, and a link at `path` is replaced, not followed.
void saveBackupList(const HostsRows& rows, const std::string& path);

// The two cells of one saved line: split at the TAB between them, with a
// cell the writer quoted unquoted again.
std::pair<std::string, std::string> parseListLine(std::string_view line);

// Reads a file in the list format back into rows.
HostsRows readListFile(const std::string& path);

} // namespace vendrel
