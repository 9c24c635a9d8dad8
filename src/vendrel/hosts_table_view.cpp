#include "vendrel/hosts_table_view.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

// An editor that stores every change of its text in the cell at once.
class WriteThroughDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const QPersistentModelIndex cell(index);
            QAbstractItemModel* model = const_cast<QAbstractItemModel*>(index.model());
            connect(line, &QLineEdit::textEdited, line, [model, cell](const QString& text) {
                if (cell.isValid())
                    model->setData(cell, text, Qt::EditRole);
            });
        }
        return editor;
    }
};

} // namespace

HostsTableView::HostsTableView(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new WriteThroughDelegate(this));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::ClickFocus); // skipped by the TAB key
    setContextMenuPolicy(Qt::CustomContextMenu);
    viewport()->setCursor(Qt::PointingHandCursor);

    horizontalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(16);
}

void HostsTableView::finishCellEdit()
{
    if (QWidget* editor = indexWidget(currentIndex()))
        closeEditor(editor, QAbstractItemDelegate::NoHint);
}

int HostsTableView::selectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : 0;
}

void HostsTableView::selectRow(int row)
{
    const QModelIndex first = model()->index(row, 0);
    setCurrentIndex(first);
    QTableView::selectRow(row);
    scrollTo(first);
}

void HostsTableView::mousePressEvent(QMouseEvent* event)
{
    // A right click opens the popup menu for the selected line without moving it.
    if (event->button() != Qt::RightButton)
        QTableView::mousePressEvent(event);
    emit mousePressed();
}

void HostsTableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (editingAllowed_ && event->button() == Qt::LeftButton)
        enterCellSelection();
    QTableView::mouseDoubleClickEvent(event);
}

void HostsTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    leaveCellSelection();
    emit cellEditorLeft();
}

void HostsTableView::enterCellSelection()
{
    setSelectionBehavior(SelectItems);
    setEditTriggers(AnyKeyPressed | SelectedClicked | EditKeyPressed);
    viewport()->setCursor(Qt::IBeamCursor);
}

void HostsTableView::leaveCellSelection()
{
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    viewport()->setCursor(Qt::PointingHandCursor);
    if (currentIndex().isValid())
        QTableView::selectRow(currentIndex().row());
}
