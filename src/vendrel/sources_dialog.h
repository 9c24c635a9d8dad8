#pragma once

#include "core/sources/block_list_sources.h"
#include "core/sources/source_records.h"

#include <QDialog>

#include <string>
#include <vector>

class QLineEdit;
class QTableWidget;

namespace vendrel::gui {

class Prompter;

// The block-list sources the update fetches, one row each: name, address,
// whether it is enabled (a check box), and its last update, entries and
// result from the records. Sources are added below the table and removed
// with the selected row; every change is written to the sources file at once.
class SourcesDialog final : public QDialog {
public:
    SourcesDialog(QWidget* parent, Prompter& prompter, std::string sourcesPath, const SourceRecords& records,
                  std::vector<ListSource> sources);

    QTableWidget* table() const { return table_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* addressEdit() const { return address_; }
    const std::vector<ListSource>& sources() const { return sources_; }

    // Adds the source typed below the table; false, telling why, when it is refused.
    bool addTypedSource();
    // Removes the source of the selected row.
    void removeSelectedSource();

private:
    void fillTable();
    void enabledChanged(int row, bool enabled);
    // Writes the sources; false, telling why, when the file cannot be written.
    bool save();
    void tell(const QString& text);

    Prompter& prompter_;
    std::string sourcesPath_;
    const SourceRecords& records_;
    std::vector<ListSource> sources_;
    QTableWidget* table_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    bool filling_ = false;
};

} // namespace vendrel::gui
