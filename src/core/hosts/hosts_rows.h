#pragma once

#include "platform/platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel {

// The rows of the hosts list: two byte cells per row (address, host), never
// fewer than one row. The loaded file's bytes live in one buffer and each row
// refers into it in eight bytes: where its line starts, how far its host cell
// lies from there, and the host's length; the address cell runs from the
// start to its first blank before the host (as the loader splits a line), so
// it needs no length of its own. Cells written later go to a second, small
// buffer, so that an edit never moves the file's bytes; a row whose cells do
// not lie so (an edited cell, a cell of 64 KiB) keeps its two spans in a side
// table instead. Cells hold the file's bytes unchanged (any encoding).
class HostsRows {
public:
    enum Column : int { AddressColumn = 0, HostColumn = 1 };

    // 32-bit offsets and lengths: the loaded text is at most 1 GiB, and the
    // edit buffer is kept under 2 GiB.
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Row {
        Span address;
        Span host;
    };

    // One row with two empty cells.
    HostsRows();
    // `count` rows (at least one) with empty cells.
    explicit HostsRows(std::size_t count);
    // Rows that refer into `bytes`; an empty `rows` becomes one empty row.
    HostsRows(std::string bytes, const std::vector<Row>& rows);
    // The rows `split` makes of `bytes`: it is given the bytes, which no
    // longer move, and calls add(row) for each row in order. Room for
    // `expectedRows` is made first.
    template <typename Split>
    HostsRows(std::string bytes, std::size_t expectedRows, Split&& split) : bytes_(std::move(bytes))
    {
        refuseOversizedText();
        rows_.reserve(expectedRows);
        platform::adviseLargeBlock(rows_.data(), expectedRows * sizeof(PackedRow));
        split(std::string_view(bytes_), [this](const Row& row) { appendSpans(row); });
        if (rows_.empty())
            rows_.emplace_back();
    }

    std::size_t size() const { return rows_.size(); }

    std::string_view cell(std::size_t row, int column) const;
    std::string_view address(std::size_t row) const { return view(spans(rows_[row]).address); }
    std::string_view host(std::size_t row) const { return view(spans(rows_[row]).host); }

    void setCell(std::size_t row, int column, std::string_view bytes);
    void setRow(std::size_t row, std::string_view address, std::string_view host);
    void appendRow(std::string_view address, std::string_view host);
    // Puts a row in front of `row` (the row count: after the last).
    void insertRow(std::size_t row, std::string_view address, std::string_view host);
    // Removes a row; the last remaining row is emptied instead.
    void removeRow(std::size_t row);
    // Removes, in one pass, every row from `first` on for which
    // `remove(address, host)` is true; the others keep their order.
    // Returns how many went.
    template <typename Predicate>
    std::size_t removeRowsWhere(std::size_t first, Predicate&& remove)
    {
        if (first >= rows_.size())
            return 0;
        const auto kept = std::stable_partition(rows_.begin() + static_cast<std::ptrdiff_t>(first), rows_.end(),
                                                [&](const PackedRow& row) {
                                                    const Row cells = spans(row);
                                                    return !remove(view(cells.address), view(cells.host));
                                                });
        const auto removed = static_cast<std::size_t>(rows_.end() - kept);
        rows_.erase(kept, rows_.end());
        if (removed > 0)
            changed(std::nullopt);
        return removed;
    }

    // A UTF-8 byte-order mark stood in front of the first line.
    bool utf8ByteOrderMark() const { return utf8Bom_; }
    void setUtf8ByteOrderMark(bool present)
    {
        if (present != utf8Bom_)
            changed(std::nullopt);
        utf8Bom_ = present;
    }

    // What one change of the rows did: `removed` rows from `first` gave way
    // to `inserted` rows.
    struct Change {
        std::size_t first = 0;
        std::size_t removed = 0;
        std::size_t inserted = 0;
    };
    // How many changes were made since the rows were made, or since they
    // were marked written, and the last of them when it named its rows (a
    // removal of many rows does not): what a save needs to replace only the
    // lines of the rows that changed.
    std::size_t changesSinceWritten() const { return changes_; }
    const std::optional<Change>& lastChange() const { return lastChange_; }
    // The rows as they are now are the file's lines.
    void markWritten()
    {
        changes_ = 0;
        lastChange_.reset();
    }

    // Total bytes of all cells, for sizing output buffers.
    std::size_t cellBytes() const;
    // Bytes held for cells written since the rows were made.
    std::size_t editedBytes() const { return edits_.size(); }

private:
    // Offsets into the edit buffer carry this bit.
    static constexpr std::uint32_t editedCell = std::uint32_t{1} << 31;
    // A host length of this value marks a row kept in the side table.
    static constexpr std::uint16_t inSideTable = 0xFFFF;

    struct PackedRow {
        std::uint32_t start = 0;        // the address's offset, or the side table's index
        std::uint16_t hostDistance = 0; // from the address's start to the host's
        std::uint16_t hostLength = 0;
    };

    std::string_view view(Span span) const
    {
        if (span.offset & editedCell)
            return std::string_view(edits_).substr(span.offset & ~editedCell, span.length);
        return std::string_view(bytes_).substr(span.offset, span.length);
    }
    // The offset of `offset`'s bytes in memory, in whichever buffer holds them.
    const char* bytesAt(std::uint32_t offset) const
    {
        return (offset & editedCell ? edits_.data() : bytes_.data()) + (offset & ~editedCell);
    }
    // The length of an address that starts at `offset` and ends at its first
    // blank before `hostDistance`, or there.
    std::uint32_t addressLength(std::uint32_t offset, std::uint16_t hostDistance) const
    {
        const char* address = bytesAt(offset);
        const void* blank = std::memchr(address, ' ', hostDistance);
        return blank ? static_cast<std::uint32_t>(static_cast<const char*>(blank) - address) : hostDistance;
    }
    Row spans(const PackedRow& row) const
    {
        if (row.hostLength == inSideTable)
            return sideTable_[row.start];
        return Row{Span{row.start, addressLength(row.start, row.hostDistance)},
                   Span{row.start + row.hostDistance, row.hostLength}};
    }
    // The eight-byte form of `row`, when its cells lie so.
    std::optional<PackedRow> packed(const Row& row) const;
    // Gives row `at` the cells `row` names.
    void place(PackedRow& at, const Row& row);
    void appendSpans(const Row& row);
    void refuseOversizedText() const;
    Span store(std::string_view bytes);
    void changed(std::optional<Change> change)
    {
        ++changes_;
        lastChange_ = change;
    }

    std::string bytes_;
    std::string edits_;
    // The cell written last: a run of cells given the same text (a swap of
    // every address) shares one copy of it.
    Span lastEdit_{editedCell, 0};
    std::vector<PackedRow> rows_;
    std::vector<Row> sideTable_;
    bool utf8Bom_ = false;
    std::size_t changes_ = 0;
    std::optional<Change> lastChange_;
};

// Whether the rows are text in the 8-bit code page rather than UTF-8: a cell
// holds bytes that are not UTF-8, and no UTF-8 byte-order mark says otherwise.
// Plain ASCII counts as UTF-8. Text typed into the file is stored the same way.
bool holdsEightBitText(const HostsRows& rows);

} // namespace vendrel
