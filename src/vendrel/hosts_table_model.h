#pragma once

#include "core/hosts/hosts_rows.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>

// The hosts list as Qt sees it: two columns over the core's rows, decoded for
// display only when a cell is painted. Edits are written into the rows at once.
class HostsTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // A cell's bytes as the file holds them (a QByteArray), for putting a cell
    // back exactly as it was.
    static constexpr int CellBytesRole = Qt::UserRole;

    explicit HostsTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Typed text (Qt::EditRole) is stored in the file's code page; text that
    // code page cannot hold is refused (false) and the cell keeps its bytes.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const vendrel::HostsRows& rows() const { return rows_; }
    // Typed text as bytes of the file's code page (the 8-bit one or UTF-8);
    // nothing when that code page cannot hold it.
    std::optional<std::string> encodeTyped(const QString& text) const;
    // Replaces every row (a reload).
    void resetRows(vendrel::HostsRows rows);
    // Runs `change` on the rows and announces that one row changed.
    template <typename Change>
    void changeRow(int row, Change&& change)
    {
        change(rows_, static_cast<std::size_t>(row));
        emit dataChanged(index(row, 0), index(row, 1));
    }
    // Runs `change` on all rows at once, which may also add or remove rows.
    template <typename Change>
    void changeAllRows(Change&& change)
    {
        beginResetModel();
        change(rows_);
        eightBit_.reset();
        endResetModel();
    }
    // Empties every cell; the row count stays.
    void clearCells();
    void appendRow(std::string_view address, std::string_view host);
    // Removes a row; the only row of the list stays.
    void deleteRow(int row);

    void setEditable(bool editable) { editable_ = editable; }

private:
    vendrel::HostsRows rows_;
    bool editable_ = true;
    // Whether the rows are in the 8-bit code page; found when first needed.
    mutable std::optional<bool> eightBit_;
};
