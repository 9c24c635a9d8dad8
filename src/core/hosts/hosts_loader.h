#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/progress.h"

#include <optional>
#include <string>

namespace vendrel {

inline constexpr const char* processingCaption = "Processing Hosts File";
inline constexpr const char* populatingCaption = "Populating List - Please Wait";

struct LoadedHosts {
    HostsRows rows;
    // Address of the last line whose host cell is "localhost" in any case;
    // nothing when the file has no such line.
    std::optional<std::string> redirectAddress;
    // That whole line, as the list shows it (blanks for TABs, trimmed).
    std::string redirectLine;
};

// Splits hosts-file text into rows: TABs become blanks, each line is trimmed,
// the first word becomes the address cell and the trimmed rest the host cell.
// A lone "#" is an address. Throws Error (naming `path`) for text the list
// cannot hold: NUL bytes or UTF-16. A UTF-8 byte-order mark is set aside.
LoadedHosts parseHostsText(std::string text, const std::string& path, const Progress& progress = {});

// Reads and parses the hosts file at `path`.
LoadedHosts loadHostsFile(const std::string& path, const Progress& progress = {});

} // namespace vendrel
