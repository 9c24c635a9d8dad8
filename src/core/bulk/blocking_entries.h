#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/progress.h"

#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

// Hosts-file text without every line that holds the redirect address as a
// whole word (its address, a commented entry's, or a comment that mentions
// it; never inside a longer address or name), led by the localhost line
// "<address> \tlocalhost": in place of a first line that is blank, before one
// that holds content, alone when nothing is left. Nothing when the redirect
// address is not a blocking address: then no line can be told to be blocking.
std::optional<std::string> removeBlockingEntries(std::string_view hostsText, std::string_view redirectAddress,
                                                 const Progress& progress = {});

// Switches the address column of every row whose address is the redirect
// address (case ignored, also after the "#" of a commented entry; never
// inside a longer address) to the other blocking address. Returns
// the new redirect address, or nothing (rows untouched) when the redirect
// address is not a blocking address.
std::optional<std::string> swapLocalhosts(HostsRows& rows, std::string_view redirectAddress);

} // namespace vendrel
