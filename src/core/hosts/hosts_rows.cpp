#include "core/hosts/hosts_rows.h"

#include "platform/text_bytes.h"

#include <algorithm>
#include <stdexcept>

namespace vendrel {

HostsRows::HostsRows() : rows_(1) {}

HostsRows::HostsRows(std::size_t count) : rows_(std::max<std::size_t>(count, 1)) {}

HostsRows::HostsRows(std::string bytes, std::vector<Row> rows)
    : bytes_(std::move(bytes)), rows_(std::move(rows))
{
    if (bytes_.size() >= editedCell)
        throw std::length_error("a hosts list of 2 GiB or more");
    if (rows_.empty())
        rows_.emplace_back();
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
    Row& target = rows_.at(row);
    (column == AddressColumn ? target.address : target.host) = store(bytes);
}

void HostsRows::setRow(std::size_t row, std::string_view address, std::string_view host)
{
    // Both texts may refer to the edit buffer: copy before either store can move it.
    const std::string addressCopy(address);
    const std::string hostCopy(host);
    Row& target = rows_.at(row);
    target.address = store(addressCopy);
    target.host = store(hostCopy);
}

void HostsRows::appendRow(std::string_view address, std::string_view host)
{
    rows_.emplace_back();
    setRow(rows_.size() - 1, address, host);
}

void HostsRows::removeRow(std::size_t row)
{
    if (row >= rows_.size())
        throw std::out_of_range("row outside the hosts list");
    if (rows_.size() == 1)
        rows_[0] = Row{};
    else
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

std::size_t HostsRows::cellBytes() const
{
    std::size_t total = 0;
    for (const Row& row : rows_)
        total += row.address.length + row.host.length;
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
