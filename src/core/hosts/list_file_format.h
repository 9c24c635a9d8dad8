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
