#pragma once

#include "core/hosts/hosts_rows.h"

#include <QAbstractTableModel>

// The hosts list as Qt sees it: two columns over the core's rows, decoded for
// display only when a cell is painted. Edits are written into the rows at once.
class HostsTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit HostsTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const vendrel::HostsRows& rows() const { return rows_; }
    // Replaces every row (a reload).
    void resetRows(vendrel::HostsRows rows);
    // Lets a command change rows directly; call rowsChanged() afterwards.
    vendrel::HostsRows& editableRows() { return rows_; }
    void rowsChanged();

    void setEditable(bool editable) { editable_ = editable; }

private:
    vendrel::HostsRows rows_;
    bool editable_ = true;
};
