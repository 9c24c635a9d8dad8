#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/progress.h"

#include <optional>
#include <string>
#include <string_view>

namespace vendrel {

inline constexpr const char* processingCaption = "Processing Hosts File";
inline constexpr const char* populatingCaption = "Populating List - Please Wait";

struct LoadedHosts {
    HostsRows rows;
    // Address of the last line whose host cell is "localhost" in any case
    // and whose address is no IPv6 address; nothing when the file has no such line.
    std::optional<std::string> redirectAddress;
    // That whole line, as the list shows it (blanks for TABs, trimmed).
    std::string redirectLine;
};

// The last line whose host cell is "localhost" in any case (IPv6 lines
// passed over): its address
// cell, and the whole line as the list shows it (blanks for TABs, trimmed).
struct RedirectLine {
    std::string address;
    std::string line;
};

// Splits hosts-file text into rows: TABs become blanks, each line is trimmed,
// the first word becomes the address cell and the trimmed rest the host cell.
// A lone "#" is an address. Throws Error (naming `path`) for text the list
// cannot hold: NUL bytes or UTF-16. A UTF-8 byte-order mark is set aside.
LoadedHosts parseHostsText(std::string text, const std::string& path, const Progress& progress = {});

// Reads and parses the hosts file at `path`.
LoadedHosts loadHostsFile(const std::string& path, const Progress& progress = {});

// Throws Error (naming `path`) for text parseHostsText refuses.
void refuseUnloadable(std::string_view text, const std::string& path);

// The two cells parseHostsText makes of one line (without its line break);
// they view the line, or `scratch` when the line holds TABs.
struct LineCells {
    std::string_view address;
    std::string_view host;
};
LineCells splitHostsLine(std::string_view line, std::string& scratch);

// The redirect line parseHostsText finds in `text`, without making rows.
std::optional<RedirectLine> findRedirectLine(std::string_view text);

// The number of rows loadHostsFile makes of the file at `path`, without
// making them; throws as loadHostsFile does.
std::size_t countHostsFileRows(const std::string& path);

} // namespace vendrel
