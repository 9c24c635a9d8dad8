#include "vendrel/sources_dialog.h"

#include "core/download/download_address.h"
#include "core/error.h"
#include "vendrel/prompter.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vendrel::gui {

namespace {

enum Column { NameColumn, AddressColumn, EnabledColumn, UpdatedColumn, EntriesColumn, ResultColumn, Columns };

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QString lastUpdate(const std::optional<SourceRecord>& record)
{
    if (!record || record->time == 0)
        return QStringLiteral("never");
    return QDateTime::fromSecsSinceEpoch(record->time).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

SourcesDialog::SourcesDialog(QWidget* parent, Prompter& prompter, std::string sourcesPath, const SourceRecords& records,
                             std::vector<ListSource> sources)
    : QDialog(parent), prompter_(prompter), sourcesPath_(std::move(sourcesPath)), records_(records),
      sources_(std::move(sources))
{
    setWindowTitle(QStringLiteral("Sources"));
    table_ = new QTableWidget(0, Columns, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("Enabled"),
                                       QStringLiteral("Last Update"), QStringLiteral("Entries"),
                                       QStringLiteral("Last Result")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_ && item->column() == EnabledColumn)
            enabledChanged(item->row(), item->checkState() == Qt::Checked);
    });

    name_ = new QLineEdit(this);
    name_->setPlaceholderText(QStringLiteral("name"));
    address_ = new QLineEdit(this);
    address_->setPlaceholderText(QStringLiteral("https://example.org/hosts.txt"));
    auto* add = new QPushButton(QStringLiteral("&Add"), this);
    auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
    connect(add, &QPushButton::clicked, this, [this] { addTypedSource(); });
    connect(address_, &QLineEdit::returnPressed, this, [this] { addTypedSource(); });
    connect(remove, &QPushButton::clicked, this, [this] { removeSelectedSource(); });
    auto* addRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&New source:"), this);
    label->setBuddy(name_);
    addRow->addWidget(label);
    addRow->addWidget(name_, 1);
    addRow->addWidget(address_, 3);
    addRow->addWidget(add);
    addRow->addWidget(remove);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(addRow);
    layout->addWidget(buttons);
    fillTable();
    resize(860, 320);
}

void SourcesDialog::fillTable()
{
    filling_ = true;
    table_->setRowCount(static_cast<int>(sources_.size()));
    for (int row = 0; row < static_cast<int>(sources_.size()); ++row) {
        const ListSource& source = sources_[static_cast<std::size_t>(row)];
        const std::optional<SourceRecord> record = records_.record(source.name);
        table_->setItem(row, NameColumn, readOnlyItem(QString::fromStdString(source.name)));
        table_->setItem(row, AddressColumn, readOnlyItem(QString::fromStdString(source.address)));
        auto* enabled = new QTableWidgetItem;
        enabled->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        enabled->setCheckState(source.enabled ? Qt::Checked : Qt::Unchecked);
        table_->setItem(row, EnabledColumn, enabled);
        table_->setItem(row, UpdatedColumn, readOnlyItem(lastUpdate(record)));
        table_->setItem(row, EntriesColumn, readOnlyItem(record ? QString::number(record->entries) : QString()));
        table_->setItem(row, ResultColumn, readOnlyItem(record ? QString::fromStdString(record->result) : QString()));
    }
    table_->resizeColumnsToContents();
    filling_ = false;
}

void SourcesDialog::enabledChanged(int row, bool enabled)
{
    sources_[static_cast<std::size_t>(row)].enabled = enabled;
    if (!save()) {
        sources_[static_cast<std::size_t>(row)].enabled = !enabled;
        fillTable();
    }
}

bool SourcesDialog::addTypedSource()
{
    const std::string name = name_->text().trimmed().toStdString();
    const std::string typed = address_->text().trimmed().toStdString();
    if (!isSourceName(name)) {
        tell(QStringLiteral("A source's name is 1 to 64 letters, digits, '-', '_' and '.'."));
        return false;
    }
    if (vendrel::hasSourceNamed(sources_, name)) {
        tell(QStringLiteral("There is a source named %1 already.").arg(QString::fromStdString(name)));
        return false;
    }
    try {
        sources_.push_back({name, downloadAddress(typed), true, ListFormat::Auto, {}});
    } catch (const Error& error) {
        tell(QString::fromStdString(error.what()));
        return false;
    }
    if (!save()) {
        sources_.pop_back();
        return false;
    }
    name_->clear();
    address_->clear();
    fillTable();
    return true;
}

void SourcesDialog::removeSelectedSource()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(sources_.size()))
        return;
    const ListSource removed = sources_[static_cast<std::size_t>(row)];
    sources_.erase(sources_.begin() + row);
    if (!save()) {
        sources_.insert(sources_.begin() + row, removed);
        return;
    }
    records_.forget(removed.name);
    fillTable();
}

bool SourcesDialog::save()
{
    try {
        writeSources(sourcesPath_, sources_);
        return true;
    } catch (const std::exception& error) {
        tell(QStringLiteral("The sources could not be saved to %1: %2")
                 .arg(QString::fromStdString(sourcesPath_), QString::fromLocal8Bit(error.what())));
        return false;
    }
}

void SourcesDialog::tell(const QString& text)
{
    prompter_.ask(this, {Prompter::Kind::Warning, QStringLiteral("Warning"), text, false});
}

} // namespace vendrel::gui
