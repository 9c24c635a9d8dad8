#pragma once

#include <QTableView>

// The two-column hosts grid. Normally whole rows are selected and cells are
// read-only; a double click (when the file is writable) switches to single
// cell selection, where typing on a cell opens an editor whose every change
// is stored at once. Leaving that editor returns to row selection and
// announces it, so that the window saves the list.
class HostsTableView final : public QTableView {
    Q_OBJECT

public:
    explicit HostsTableView(QWidget* parent = nullptr);

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

private:
    void enterCellSelection();
    void leaveCellSelection();

    bool editingAllowed_ = true;
};
