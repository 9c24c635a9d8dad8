#include "core/bulk/blocking_entries.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <vector>

namespace vendrel {
namespace {

// Replaces every occurrence of `from` in `cell`, ignoring ASCII case.
std::string replaceIgnoringCase(std::string_view cell, std::string_view from, std::string_view to)
{
    std::string result;
    std::size_t i = 0;
    while (i < cell.size()) {
        if (equalsIgnoringAsciiCase(cell.substr(i, from.size()), from)) {
            result.append(to);
            i += from.size();
        } else {
            result += cell[i++];
        }
    }
    return result;
}

} // namespace

std::optional<std::string> removeBlockingEntries(std::string_view hostsText, std::string_view redirectAddress,
                                                 const Progress& progress)
{
    if (!isBlockingAddress(redirectAddress))
        return std::nullopt;
    const auto lines = splitLines(hostsText);
    progress.start(processingCaption, lines.size());
    std::vector<std::string_view> kept;
    kept.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(redirectAddress) == std::string_view::npos)
            kept.push_back(lines[i]);
        progress.step(i);
    }
    const std::string localhostLine = std::string(redirectAddress) + " \tlocalhost";
    if (!kept.empty() && trimSpaceAndControls(kept.front()).empty())
        kept.front() = localhostLine;
    else
        kept.insert(kept.begin(), localhostLine);
    return joinLines(kept);
}

std::optional<std::string> swapLocalhosts(HostsRows& rows, std::string_view redirectAddress)
{
    const auto newAddress = otherBlockingAddress(redirectAddress);
    if (!newAddress)
        return std::nullopt;
    for (std::size_t row = rows.size(); row-- > 0;) {
        const std::string_view address = rows.address(row);
        if (containsIgnoringAsciiCase(address, redirectAddress))
            rows.setCell(row, HostsRows::AddressColumn, replaceIgnoringCase(address, redirectAddress, *newAddress));
    }
    return std::string(*newAddress);
}

} // namespace vendrel
