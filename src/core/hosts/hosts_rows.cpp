#include "core/hosts/hosts_rows.h"

#include "platform/text_bytes.h"

#include <algorithm>
#include <stdexcept>

namespace vendrel {

HostsRows::HostsRows() : rows_(1) {}

HostsRows::HostsRows(std::size_t count) : rows_(std::max<std::size_t>(count, 1)) {}

HostsRows::HostsRows(std::string bytes, const std::vector<Row>& rows)
    : HostsRows(std::move(bytes), rows.size(), [&rows](std::string_view, const auto& add) {
          for (const Row& row : rows)
              add(row);
      })
{
}

void HostsRows::refuseOversizedText() const
{
    if (bytes_.size() >= editedCell)
        throw std::length_error("a hosts list of 2 GiB or more");
}

std::optional<HostsRows::PackedRow> HostsRows::packed(const Row& row) const
{
    const std::uint32_t start = row.address.offset;
    const bool oneBuffer = (start & editedCell) == (row.host.offset & editedCell);
    if (!oneBuffer || row.host.offset < start || row.host.offset - start >= inSideTable ||
        row.host.length >= inSideTable)
        return std::nullopt;
    const auto distance = static_cast<std::uint16_t>(row.host.offset - start);
    if (addressLength(start, distance) != row.address.length)
        return std::nullopt;
    return PackedRow{start, distance, static_cast<std::uint16_t>(row.host.length)};
}

void HostsRows::place(PackedRow& at, const Row& row)
{
    if (const auto compact = packed(row)) {
        at = *compact;
        return;
    }
    // A row already in the side table keeps its entry, so that edits do not pile entries up.
    if (at.hostLength != inSideTable) {
        at = PackedRow{static_cast<std::uint32_t>(sideTable_.size()), 0, inSideTable};
        sideTable_.emplace_back();
    }
    sideTable_[at.start] = row;
}

void HostsRows::appendSpans(const Row& row)
{
    rows_.emplace_back();
    place(rows_.back(), row);
}

std::string_view HostsRows::cell(std::size_t row, int column) const
{
    return column == AddressColumn ? address(row) : host(row);
}

HostsRows::Span HostsRows::store(std::string_view bytes)
{
    // Text that already lies in the file's buffer needs no copy.
    const char* begin = bytes_.data();
    if (bytes.data() >= begin && bytes.data() + bytes.size() <= begin + bytes_.size())
        return Span{static_cast<std::uint32_t>(bytes.data() - begin), static_cast<std::uint32_t>(bytes.size())};
    if (bytes.size() == lastEdit_.length && view(lastEdit_) == bytes)
        return lastEdit_;
    if (edits_.size() + bytes.size() >= editedCell)
        throw std::length_error("the hosts list's edits reached 2 GiB; save and load the file again");
    const Span span{static_cast<std::uint32_t>(edits_.size()) | editedCell, static_cast<std::uint32_t>(bytes.size())};
    edits_.append(bytes);
    lastEdit_ = span;
    return span;
}

void HostsRows::setCell(std::size_t row, int column, std::string_view bytes)
{
    PackedRow& target = rows_.at(row);
    Row cells = spans(target);
    (column == AddressColumn ? cells.address : cells.host) = store(bytes);
    place(target, cells);
    changed(Change{row, 1, 1});
}

void HostsRows::setRow(std::size_t row, std::string_view address, std::string_view host)
{
    // Both texts may refer to the edit buffer: copy before the store can move it. Stored
    // side by side, the two cells fit the eight-byte row.
    const std::string both = std::string(address) + std::string(host);
    const Span stored = store(both);
    place(rows_.at(row), Row{Span{stored.offset, static_cast<std::uint32_t>(address.size())},
                             Span{stored.offset + static_cast<std::uint32_t>(address.size()),
                                  static_cast<std::uint32_t>(host.size())}});
    changed(Change{row, 1, 1});
}

void HostsRows::appendRow(std::string_view address, std::string_view host)
{
    rows_.emplace_back();
    setRow(rows_.size() - 1, address, host);
    lastChange_ = Change{rows_.size() - 1, 0, 1};
}

void HostsRows::insertRow(std::size_t row, std::string_view address, std::string_view host)
{
    if (row > rows_.size())
        throw std::out_of_range("row outside the hosts list");
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), PackedRow{});
    setRow(row, address, host);
    lastChange_ = Change{row, 0, 1};
}

void HostsRows::removeRow(std::size_t row)
{
    if (row >= rows_.size())
        throw std::out_of_range("row outside the hosts list");
    if (rows_.size() == 1) {
        rows_[0] = PackedRow{};
        changed(Change{0, 1, 1});
    } else {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
        changed(Change{row, 1, 0});
    }
}

std::size_t HostsRows::cellBytes() const
{
    std::size_t total = 0;
    for (const PackedRow& packedRow : rows_) {
        const Row row = spans(packedRow);
        total += row.address.length + row.host.length;
    }
    return total;
}

bool holdsEightBitText(const HostsRows& rows)
{
    if (rows.utf8ByteOrderMark())
        return false;
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (!platform::isValidUtf8(rows.address(row)) || !platform::isValidUtf8(rows.host(row)))
            return true;
    return false;
}

} // namespace vendrel
