#pragma once

#include "core/hosts/hosts_rows.h"
#include "core/session/hosts_document.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>

namespace vendrel::gui {

// The hosts list as Qt sees it: two columns over rows it does not own (the
// document's), decoded for display only when a cell is painted. Edits are
// written into the rows at once. As the rows' observer it announces a
// wholesale replacement as a reset.
class HostsTableModel final : public QAbstractTableModel, public vendrel::RowsObserver {
    Q_OBJECT

public:
    // A cell's bytes as the file holds them (a QByteArray), for putting a cell
    // back exactly as it was.
    static constexpr int CellBytesRole = Qt::UserRole;

    explicit HostsTableModel(vendrel::HostsRows& rows, QObject* parent = nullptr);

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
    void rowsAboutToBeReplaced() override;
    void rowsReplaced() override;
    // Runs `change` on the rows and announces that one row changed.
    template <typename Change>
    void changeRow(int row, Change&& change)
    {
        change(rows_, static_cast<std::size_t>(row));
        emit dataChanged(index(row, 0), index(row, 1));
    }
    void appendRow(std::string_view address, std::string_view host);
    // Removes a row; the only row of the list stays.
    void deleteRow(int row);

    void setEditable(bool editable) { editable_ = editable; }

private:
    vendrel::HostsRows& rows_;
    bool editable_ = true;
    // Whether the rows are in the 8-bit code page; found when first needed.
    mutable std::optional<bool> eightBit_;
};

} // namespace vendrel::gui
