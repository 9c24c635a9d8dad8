#include "vendrel/hosts_table_view.h"

#include "vendrel/cell_text_codec.h"
#include "vendrel/hosts_table_model.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace vendrel::gui {

namespace {

// Takes back the last change of `line`, which the file's code page cannot
// hold, and says so beside the editor.
void refuseTypedText(QLineEdit* line, const QString& text)
{
    if (line->isUndoAvailable())
        line->undo();
    const QString refusal = codePageRefusal(text, QStringLiteral("it was not typed."));
    QToolTip::showText(line->mapToGlobal(QPoint(0, line->height())), refusal, line);
}

// An editor that stores every change of its text in the cell at once.
class WriteThroughDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const QPersistentModelIndex cell(index);
            QAbstractItemModel* model = const_cast<QAbstractItemModel*>(index.model());
            connect(line, &QLineEdit::textEdited, line, [model, cell, line](const QString& text) {
                if (cell.isValid() && !model->setData(cell, text, Qt::EditRole))
                    refuseTypedText(line, text);
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

void HostsTableView::setModel(QAbstractItemModel* model)
{
    if (QAbstractItemModel* previous = this->model())
        disconnect(previous, &QAbstractItemModel::modelReset, this, nullptr);
    QTableView::setModel(model);
    // Connected after the view's and the selection model's own handlers, which empty the selection.
    if (model)
        connect(model, &QAbstractItemModel::modelReset, this, [this] { selectRow(0); });
    selectRow(0);
}

void HostsTableView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // Scrolling to a cell scrolls to its line only. The host column is far
    // wider than the list, and with no horizontal scroll bar a list scrolled
    // sideways could not be scrolled back.
    QTableView::scrollTo(index.siblingAtColumn(0), hint);
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
    if (!first.isValid())
        return;
    const auto wholeRow = inCellSelection() ? QItemSelectionModel::NoUpdate : QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | wholeRow);
    scrollTo(first);
}

QItemSelectionModel::SelectionFlags HostsTableView::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const
{
    // A click below the last line, Ctrl+click and Ctrl+Space would leave no line selected.
    const QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    if (!index.isValid() || (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
        return QItemSelectionModel::NoUpdate;
    return command;
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

bool HostsTableView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // The editor writes every change into the cell, so the cell's bytes are
    // kept from before it opens (the key that opens it is its first change).
    const bool opening = index.isValid() && !indexWidget(index);
    const QVariant before = opening ? index.data(HostsTableModel::CellBytesRole) : QVariant();
    const bool handled = QTableView::edit(index, trigger, event);
    if (opening && indexWidget(index)) {
        editedCell_ = index;
        uneditedBytes_ = before;
    }
    return handled;
}

void HostsTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool cancelled = hint == QAbstractItemDelegate::RevertModelCache; // Escape
    if (cancelled && editedCell_.isValid())
        model()->setData(editedCell_, uneditedBytes_, HostsTableModel::CellBytesRole);
    editedCell_ = QPersistentModelIndex();
    QTableView::closeEditor(editor, hint);
    leaveCellSelection();
    if (!cancelled)
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
    selectRow(currentIndex().row());
}

} // namespace vendrel::gui
