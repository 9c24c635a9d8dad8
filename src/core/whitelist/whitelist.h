#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/hosts/system_lines.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

inline constexpr const char* whitelistFileName = "whitelist.txt";

// The whitelist file in the program folder: one host cell per line, exactly
// as the hosts list showed it (a host name and any remark behind it).
std::string whitelistPathIn(const std::string& programFolder);

// The whitelist's lines; none when the file does not exist.
std::vector<std::string> readWhitelist(const std::string& whitelistPath);

// Writes text typed as the whitelist: its lines, each one (the last
// included) ending in CR LF, as every whitelist line does.
void writeWhitelistText(const std::string& whitelistPath, std::string_view text);

// Adds one entry as the whitelist's new last line, creating the file if needed.
void appendToWhitelist(const std::string& whitelistPath, std::string_view host);

// Removes every row but the first whose host cell equals a whole whitelist
// line, byte for byte (letter case and blanks count), unless it is a system
// line. Returns how many went.
std::size_t removeWhitelistedRows(HostsRows& rows, const std::vector<std::string>& whitelist,
                                  const SystemLines& systemLines = SystemLines());

// Adds a row "<redirect> " / entry for every non-empty whitelist line, for
// the sort to turn into blocking entries; never one that would block a name
// of the system's own (the machine's).
void addWhitelistRows(HostsRows& rows, const std::vector<std::string>& whitelist, std::string_view redirectAddress,
                      const SystemLines& systemLines = SystemLines());

} // namespace vendrel
