// The commands on the selected line: comment toggle, add, delete, clipboard
// and search.

#include "vendrel/line_commands.h"

#include "core/editing/line_commands.h"
#include "core/editing/row_search.h"
#include "core/hosts/editor_paths.h"
#include "core/hosts/text_file.h"
#include "core/session/hosts_document.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/cell_text_codec.h"
#include "vendrel/click_watcher.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_menus.h"
#include "vendrel/main_widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

namespace vendrel::gui {

namespace {

const QString commentCaption = QStringLiteral("Selected Line Is a Comment");
const QString notCommentCaption = QStringLiteral("Selected Line is Not a Comment");

} // namespace

LineCommands::LineCommands(CommandHost& host, HostsTableModel& model, ControlRecords controls)
    : CommandFamily(host), model_(model)
{
    MainMenus& menus = controls.menus;
    MainWidgets& widgets = controls.widgets;
    widgets.commentCheckBox = newButton<QCheckBox>(notCommentCaption + QStringLiteral("  "),
                                                   [this] { commentCheckBoxClick(); });
    menus.toggleComment = newAction("Toggle Comment", [this] { toggleCommentClick(); });
    menus.popupToggleComment = newAction("Toggle Comment", [this] { toggleCommentClick(); });
    connect(widgets.hostsList, &HostsTableView::mousePressed, this,
            [this] { host_.runCommand([this] { UpdateCommentState(); }); });
    // Keys, deletes and reloads move the selected line too. The selection
    // model stays the same through model resets, so one connection serves.
    connect(widgets.hostsList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { UpdateCommentState(); });

    auto* addLineBoxClicks = new ClickWatcher(widgets.addLineBox);
    connect(addLineBoxClicks, &ClickWatcher::clicked, this,
            [this] { host_.runCommand([this] { addLineBoxClick(); }); });
    widgets.addLineButton = newButton<QPushButton>(QStringLiteral("+"), [this] { addLineClick(); });
    widgets.addLineButton->setToolTip(QStringLiteral("Add Line"));

    menus.deleteLine = newAction("Delete Line", [this] { deleteLineClick(); });
    menus.popupDeleteLine = newAction("Delete line", [this] { deleteLineClick(); });
    widgets.deleteSelectedLine = newButton<QPushButton>(QStringLiteral("Delete Selected Line"),
                                                        [this] { deleteLineClick(); });

    menus.copyHostsToClipboard = newAction("Copy Hosts to Clipboard", [this] { copyHostsToClipboardClick(); });
    menus.popupCopyDomain = newAction("Copy Domain to Clipboard", [this] { copyDomainToClipboardClick(); });

    widgets.searchBackward = newButton<QPushButton>(QStringLiteral("<<"), [this] { search(false); });
    widgets.searchForward = newButton<QPushButton>(QStringLiteral(">>"), [this] { search(true); });
}

int LineCommands::selectedRow() const { return host_.widgets().hostsList->selectedRow(); }

void LineCommands::UpdateCommentState()
{
    const bool comment = vendrel::isCommentRow(model_.rows(), static_cast<std::size_t>(selectedRow()));
    host_.widgets().commentCheckBox->setChecked(comment);
    host_.widgets().commentCheckBox->setText(comment ? commentCaption : notCommentCaption);
}

void LineCommands::ToggleLineComment()
{
    BusyCursor busy;
    model_.changeRow(selectedRow(), vendrel::toggleLineComment);
    saveRows("Toggle Comment");
}

void LineCommands::commentCheckBoxClick()
{
    host_.widgets().hostsList->setFocus();
    ToggleLineComment();
    UpdateCommentState();
}

void LineCommands::toggleCommentClick()
{
    ToggleLineComment();
    UpdateCommentState();
}

void LineCommands::addLineBoxClick()
{
    QLineEdit* box = host_.widgets().addLineBox;
    if (box->text().size() >= 5)
        return;
    box->setText(QString::fromStdString(host_.document().redirectAddress()) + QStringLiteral("  "));
    box->end(false);
}

void LineCommands::addLineClick()
{
    const QString typed = host_.widgets().addLineBox->text();
    const std::optional<std::string> line = model_.encodeTyped(typed);
    if (!line) {
        ask({Prompter::Kind::Error, QStringLiteral("Error"),
             codePageRefusal(typed, QStringLiteral("the line was not added.")), false});
        return;
    }
    const auto [address, host] = vendrel::splitTypedLine(*line);
    model_.appendRow(address, host);
    host_.widgets().addLineBox->clear();
    host_.widgets().hostsList->selectRow(model_.rowCount() - 1);
    host_.ShowLineCount();
    saveRows("Add Line");
    host_.updateHelpItemVisibility();
}

void LineCommands::deleteLineClick()
{
    if (confirm(QStringLiteral("Press OK to Delete selected line.")))
        deleteline();
}

void LineCommands::deleteline()
{
    host_.dialogParent()->repaint();
    const int row = selectedRow();
    model_.deleteRow(row);
    host_.widgets().hostsList->selectRow(std::min(row, model_.rowCount() - 1));
    saveRows("Delete Line");
    host_.ShowLineCount();
}

void LineCommands::copyHostsToClipboardClick()
{
    std::string text;
    vendrel::forEachLine(vendrel::readWholeFile(host_.document().path()),
                         [&text](std::string_view line) { text.append(line).append("\r\n"); });
    QGuiApplication::clipboard()->setText(decodeCellBytes(text));
    ask({Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Copied to Clipboard"), false});
}

void LineCommands::copyDomainToClipboardClick()
{
    const std::string_view host = model_.rows().host(static_cast<std::size_t>(selectedRow()));
    QGuiApplication::clipboard()->setText(decodeCellBytes(host));
}

void LineCommands::search(bool forward)
{
    vendrel::SearchOutcome outcome{};
    {
        BusyCursor busy;
        const QString typed = host_.widgets().searchBox->text();
        // Text the file cannot hold is in none of its lines, in whatever bytes.
        const vendrel::RowMatcher matcher(model_.encodeTyped(typed).value_or(typed.toUtf8().toStdString()));
        outcome = vendrel::searchRows(model_.rows(), static_cast<std::size_t>(selectedRow()),
                                      forward ? vendrel::SearchDirection::Forward : vendrel::SearchDirection::Backward,
                                      matcher);
        host_.widgets().hostsList->selectRow(static_cast<int>(outcome.selection));
    }
    if (outcome.found) {
        UpdateCommentState();
        return;
    }
    if (ask({Prompter::Kind::Notice, QStringLiteral("Nothing Found"), QStringLiteral("Search String Not Found"),
             false}))
        host_.widgets().searchBox->setFocus();
}

} // namespace vendrel::gui
