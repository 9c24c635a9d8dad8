#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/hosts/system_lines.h"
#include "core/progress.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// What "Remove All Blocking Entries" makes of a hosts text.
struct BlockingRemoval {
    std::string text;
    // Lines that went besides localhost lines: the entries and the comments that mention the address.
    std::size_t removedEntries = 0;
    // Entries that block with the other blocking address, which stay.
    std::size_t otherAddressEntries = 0;
};

// Hosts-file text without every line that holds the redirect address as a
// whole word (its address, a commented entry's, or a comment that mentions
// it; never inside a longer address or name, never a system line), with the
// localhost line "<address> \tlocalhost" where the first localhost line of
// the address stood (at the top when there was none): in place of a line
// there that is blank, before one that holds content, alone when nothing is left.
// Nothing when the redirect address is not a blocking address: then no line
// can be told to be blocking.
std::optional<BlockingRemoval> removeBlockingEntries(std::string_view hostsText, std::string_view redirectAddress,
                                                     const Progress& progress = {},
                                                     const SystemLines& systemLines = SystemLines());

// Switches the address column of every row whose address is the redirect
// address (case ignored, also after the "#" of a commented entry; never
// inside a longer address, never in a system line) to the other blocking
// address. Where the system resolves localhost from the file, only the
// redirect line's localhost moves, and "127.0.0.1 localhost" stands in front
// of it while it has the other address. Returns the new redirect address, or nothing (rows untouched)
// when the redirect address is not a blocking address.
std::optional<std::string> swapLocalhosts(HostsRows& rows, std::string_view redirectAddress,
                                          const SystemLines& systemLines = SystemLines());

} // namespace vendrel
