#include "core/bulk/blocking_entries.h"

#include "core/bulk/address_words.h"
#include "core/bulk/blocking_address.h"
#include "core/bulk/line_file_writers.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/text_file.h"
#include "core/text/ascii_text.h"

#include <optional>
#include <vector>

namespace vendrel {
namespace {

// Whether `line` is a localhost line of the redirect address, as the one
// the removal writes.
bool isLocalhostLine(std::string_view line, std::string_view redirectAddress)
{
    std::string scratch;
    const LineCells cells = splitHostsLine(line, scratch);
    return cells.address == redirectAddress && equalsIgnoringAsciiCase(cells.host, "localhost");
}

// The row the redirect address is read from: the last whose host is
// "localhost" and whose address is no IPv6 one.
std::optional<std::size_t> redirectRow(const HostsRows& rows)
{
    for (std::size_t row = rows.size(); row-- > 0;)
        if (equalsIgnoringAsciiCase(rows.host(row), "localhost") && !isIpv6Address(rows.address(row)))
            return row;
    return std::nullopt;
}

// After the redirect row at `redirect` moved to `newAddress`: a row
// "127.0.0.1 localhost" in front of it when it left the loopback address and
// no row before gives localhost that address; the one a swap put there taken
// out again when it comes back.
void keepLoopbackLocalhost(HostsRows& rows, std::size_t redirect, std::string_view newAddress)
{
    if (newAddress == loopbackAddress) {
        if (redirect > 0 && rows.address(redirect - 1) == loopbackAddress && rows.host(redirect - 1) == "localhost")
            rows.removeRow(redirect - 1);
        return;
    }
    for (std::size_t row = 0; row < redirect; ++row)
        if (mapsLocalhostToLoopback(rows.address(row), rows.host(row)))
            return;
    rows.insertRow(redirect, loopbackAddress, "localhost");
}

// Where the address of an address cell begins, after the "#" (and blanks)
// of a commented entry.
std::size_t addressStart(std::string_view cell)
{
    const std::size_t start = cell.find_first_not_of("# \t");
    return start == std::string_view::npos ? cell.size() : start;
}

} // namespace

std::optional<BlockingRemoval> removeBlockingEntries(std::string_view hostsText, std::string_view redirectAddress,
                                                     const Progress& progress, const SystemLines& systemLines)
{
    const auto otherAddress = otherBlockingAddress(redirectAddress);
    if (!otherAddress)
        return std::nullopt;
    const auto lines = splitLines(hostsText);
    progress.start(processingCaption, lines.size());
    BlockingRemoval removal;
    std::vector<std::string_view> kept;
    kept.reserve(lines.size());
    // The localhost line takes the place of the first one removed (the
    // header of a sorted file), at the top when none was.
    std::optional<std::size_t> localhostPlace;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!holdsAddressAsWord(line, redirectAddress) || systemLines.isSystemLine(line)) {
            kept.push_back(line);
            removal.otherAddressEntries += beginsWithAddress(line, *otherAddress) ? 1 : 0;
        } else if (isLocalhostLine(line, redirectAddress)) {
            localhostPlace = localhostPlace.value_or(kept.size());
        } else {
            ++removal.removedEntries;
        }
        progress.step(i);
    }
    const std::string localhostLine = std::string(redirectAddress) + " \tlocalhost";
    const auto place = static_cast<std::ptrdiff_t>(localhostPlace.value_or(0));
    if (place < static_cast<std::ptrdiff_t>(kept.size()) && trimSpaceAndControls(kept[place]).empty())
        kept[place] = localhostLine;
    else
        kept.insert(kept.begin() + place, localhostLine);
    removal.text = joinLines(kept);
    return removal;
}

std::optional<std::string> swapLocalhosts(HostsRows& rows, std::string_view redirectAddress,
                                          const SystemLines& systemLines)
{
    const auto newAddress = otherBlockingAddress(redirectAddress);
    if (!newAddress)
        return std::nullopt;
    const std::optional<std::size_t> redirect = redirectRow(rows);
    // Where localhost is resolved from the file, only the redirect line's localhost moves.
    const auto keptLocalhost = [&](std::size_t row) {
        return systemLines.resolvesLocalhostFromFile() && row != redirect &&
               equalsIgnoringAsciiCase(rows.host(row), "localhost");
    };
    for (std::size_t row = rows.size(); row-- > 0;) {
        const std::string_view address = rows.address(row);
        const std::size_t start = addressStart(address);
        if (equalsIgnoringAsciiCase(address.substr(start), redirectAddress) &&
            !systemLines.isSystemEntry(address, rows.host(row)) && !keptLocalhost(row))
            rows.setCell(row, HostsRows::AddressColumn, std::string(address.substr(0, start)).append(*newAddress));
    }
    if (systemLines.resolvesLocalhostFromFile() && redirect)
        keepLoopbackLocalhost(rows, *redirect, *newAddress);
    return std::string(*newAddress);
}

} // namespace vendrel
