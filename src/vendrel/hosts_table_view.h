#pragma once

#include <QTableView>

namespace vendrel::gui {

// The two-column hosts grid. Normally whole rows are selected and cells are
// read-only; a double click (when the file is writable) switches to single
// cell selection, where typing on a cell opens an editor whose every change
// is stored at once. Leaving that editor returns to row selection and
// announces it, so that the window saves the list; Escape instead puts the
// cell back as it was and announces nothing.
//
// One line is always selected, and it is the current line: the first after
// every reset of the model. The list only ever scrolls up and down; the
// address column stays in view.
class HostsTableView final : public QTableView {
    Q_OBJECT

public:
    explicit HostsTableView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    void setEditingAllowed(bool allowed) { editingAllowed_ = allowed; }
    bool editingAllowed() const { return editingAllowed_; }
    bool inCellSelection() const { return selectionBehavior() == SelectItems; }

    // Closes an open cell editor, which saves it; used before every command.
    void finishCellEdit();
    int selectedRow() const;
    void selectRow(int row);

signals:
    // A mouse button was pressed on the list (after the selection moved).
    void mousePressed();
    // A cell editor was left; its text is already in the model.
    void cellEditorLeft();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    void enterCellSelection();
    void leaveCellSelection();

    bool editingAllowed_ = true;
    // The cell whose editor is open and its bytes from before the edit.
    QPersistentModelIndex editedCell_;
    QVariant uneditedBytes_;
};

} // namespace vendrel::gui
