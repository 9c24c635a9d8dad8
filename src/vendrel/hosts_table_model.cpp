#include "vendrel/hosts_table_model.h"

#include "core/editing/line_commands.h"
#include "vendrel/cell_text_codec.h"

#include <algorithm>

namespace vendrel::gui {

HostsTableModel::HostsTableModel(vendrel::HostsRows& rows, QObject* parent) : QAbstractTableModel(parent), rows_(rows)
{
}

int HostsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HostsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant HostsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const std::string_view bytes = rows_.cell(static_cast<std::size_t>(index.row()), index.column());
    if (role == CellBytesRole)
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return decodeCellBytes(bytes);
    return {};
}

bool HostsTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || (role != Qt::EditRole && role != CellBytesRole))
        return false;
    const auto row = static_cast<std::size_t>(index.row());
    const std::string_view previous = rows_.cell(row, index.column());
    if (role == Qt::EditRole && value.toString() == decodeCellBytes(previous))
        return true; // unchanged text keeps its original bytes
    const std::optional<std::string> bytes = role == CellBytesRole ? value.toByteArray().toStdString()
                                                                   : encodeTyped(value.toString());
    if (!bytes)
        return false;
    rows_.setCell(row, index.column(), *bytes);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags HostsTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid())
        result |= Qt::ItemIsEditable;
    return result;
}

std::optional<std::string> HostsTableModel::encodeTyped(const QString& text) const
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return text.toLatin1().toStdString();
    if (!eightBit_)
        eightBit_ = vendrel::holdsEightBitText(rows_);
    return encodeFileText(text, *eightBit_);
}

void HostsTableModel::rowsAboutToBeReplaced() { beginResetModel(); }

void HostsTableModel::rowsReplaced()
{
    eightBit_.reset();
    endResetModel();
}

void HostsTableModel::appendRow(std::string_view address, std::string_view host)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.appendRow(address, host);
    endInsertRows();
}

void HostsTableModel::deleteRow(int row)
{
    if (rowCount() < 2)
        return;
    beginRemoveRows({}, row, row);
    vendrel::deleteRow(rows_, static_cast<std::size_t>(row));
    endRemoveRows();
}

} // namespace vendrel::gui
