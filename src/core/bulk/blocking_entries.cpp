#include "core/bulk/blocking_entries.h"

#include "core/bulk/blocking_address.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <vector>

namespace vendrel {
namespace {

// Whether `c` may stand next to an address inside a longer address or name.
bool continuesAWord(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == ':' ||
           c == '-' || c == '_';
}

// Whether `line` holds `address` as a whole word: not inside a longer
// address ("127.0.0.10") or name, but also in a comment that mentions it.
bool holdsAddressAsWord(std::string_view line, std::string_view address)
{
    for (std::size_t at = line.find(address); at != std::string_view::npos; at = line.find(address, at + 1)) {
        const std::size_t end = at + address.size();
        if ((at == 0 || !continuesAWord(line[at - 1])) && (end == line.size() || !continuesAWord(line[end])))
            return true;
    }
    return false;
}

// Where the address of an address cell begins, after the "#" (and blanks)
// of a commented entry.
std::size_t addressStart(std::string_view cell)
{
    const std::size_t start = cell.find_first_not_of("# \t");
    return start == std::string_view::npos ? cell.size() : start;
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
        if (!holdsAddressAsWord(lines[i], redirectAddress))
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
        const std::size_t start = addressStart(address);
        if (equalsIgnoringAsciiCase(address.substr(start), redirectAddress))
            rows.setCell(row, HostsRows::AddressColumn, std::string(address.substr(0, start)).append(*newAddress));
    }
    return std::string(*newAddress);
}

} // namespace vendrel
