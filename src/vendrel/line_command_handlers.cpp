// The commands on the selected line: comment toggle, add, delete, clipboard
// and search.

#include "core/editing/line_commands.h"
#include "core/editing/row_search.h"
#include "core/hosts/text_file.h"
#include "vendrel/busy_cursor.h"
#include "vendrel/cell_text_codec.h"
#include "vendrel/click_watcher.h"
#include "vendrel/help_commands.h"
#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"
#include "vendrel/main_window.h"
#include "vendrel/prompter.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString commentCaption = QStringLiteral("Selected Line Is a Comment");
const QString notCommentCaption = QStringLiteral("Selected Line is Not a Comment");

} // namespace

void MainWindow::connectLineCommands()
{
    connectButton(widgets_.commentCheckBox, &MainWindow::commentCheckBoxClick);
    connectAction(menus_.toggleComment, &MainWindow::toggleCommentClick);
    connectAction(menus_.popupToggleComment, &MainWindow::toggleCommentClick);
    connect(widgets_.hostsList, &HostsTableView::mousePressed, this,
            [this] { runCommand([this] { UpdateCommentState(); }); });
    // Keys, deletes and reloads move the selected line too. The selection
    // model stays the same through model resets, so one connection serves.
    connect(widgets_.hostsList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { UpdateCommentState(); });

    auto* addLineBoxClicks = new ClickWatcher(widgets_.addLineBox);
    connect(addLineBoxClicks, &ClickWatcher::clicked, this, [this] { runCommand([this] { addLineBoxClick(); }); });
    connectButton(widgets_.addLineButton, &MainWindow::addLineClick);

    connectButton(widgets_.deleteSelectedLine, &MainWindow::deleteLineClick);
    connectAction(menus_.deleteLine, &MainWindow::deleteLineClick);
    connectAction(menus_.popupDeleteLine, &MainWindow::deleteLineClick);

    connectAction(menus_.copyHostsToClipboard, &MainWindow::copyHostsToClipboardClick);
    connectAction(menus_.popupCopyDomain, &MainWindow::copyDomainToClipboardClick);

    connectButton(widgets_.searchBackward, &MainWindow::searchBackwardClick);
    connectButton(widgets_.searchForward, &MainWindow::searchForwardClick);
}

int MainWindow::selectedRow() const
{
    return widgets_.hostsList->selectedRow();
}

void MainWindow::UpdateCommentState()
{
    const bool comment = vendrel::isCommentRow(model_->rows(), static_cast<std::size_t>(selectedRow()));
    widgets_.commentCheckBox->setChecked(comment);
    widgets_.commentCheckBox->setText(comment ? commentCaption : notCommentCaption);
}

void MainWindow::ToggleLineComment()
{
    BusyCursor busy;
    model_->changeRow(selectedRow(), vendrel::toggleLineComment);
    SaveList();
}

void MainWindow::commentCheckBoxClick()
{
    widgets_.hostsList->setFocus();
    ToggleLineComment();
    UpdateCommentState();
}

void MainWindow::toggleCommentClick()
{
    ToggleLineComment();
    UpdateCommentState();
}

void MainWindow::addLineBoxClick()
{
    QLineEdit* box = widgets_.addLineBox;
    if (box->text().size() >= 5)
        return;
    box->setText(QString::fromStdString(session_.redirectAddress()) + QStringLiteral("  "));
    box->end(false);
}

void MainWindow::addLineClick()
{
    const QString typed = widgets_.addLineBox->text();
    const std::optional<std::string> line = model_->encodeTyped(typed);
    if (!line) {
        prompter_.ask(this, {Prompter::Kind::Error, QStringLiteral("Error"),
                             codePageRefusal(typed, QStringLiteral("the line was not added.")), false});
        return;
    }
    const auto [address, host] = vendrel::splitTypedLine(*line);
    model_->appendRow(address, host);
    widgets_.addLineBox->clear();
    widgets_.hostsList->selectRow(model_->rowCount() - 1);
    ShowLineCount();
    SaveList();
    help_->updateHelpItemVisibility();
}

void MainWindow::deleteLineClick()
{
    if (ConfirmOK(prompter_, this, QStringLiteral("Press OK to Delete selected line.")))
        deleteline();
}

void MainWindow::deleteline()
{
    repaint();
    const int row = selectedRow();
    model_->deleteRow(row);
    widgets_.hostsList->selectRow(std::min(row, model_->rowCount() - 1));
    SaveList();
    ShowLineCount();
}

void MainWindow::copyHostsToClipboardClick()
{
    std::string text;
    vendrel::forEachLine(vendrel::readWholeFile(paths_.hostsPath), [&text](std::string_view line) {
        text.append(line).append("\r\n");
    });
    QGuiApplication::clipboard()->setText(decodeCellBytes(text));
    prompter_.ask(this, {Prompter::Kind::Notice, QStringLiteral("Vendrel"), QStringLiteral("Copied to Clipboard"), false});
}

void MainWindow::copyDomainToClipboardClick()
{
    const std::string_view host = model_->rows().host(static_cast<std::size_t>(selectedRow()));
    QGuiApplication::clipboard()->setText(decodeCellBytes(host));
}

void MainWindow::searchBackwardClick()
{
    search(false);
}

void MainWindow::searchForwardClick()
{
    search(true);
}

void MainWindow::search(bool forward)
{
    vendrel::SearchOutcome outcome{};
    {
        BusyCursor busy;
        const QString typed = widgets_.searchBox->text();
        // Text the file cannot hold is in none of its lines, in whatever bytes.
        const vendrel::RowMatcher matcher(model_->encodeTyped(typed).value_or(typed.toUtf8().toStdString()));
        outcome = vendrel::searchRows(model_->rows(), static_cast<std::size_t>(selectedRow()),
                                      forward ? vendrel::SearchDirection::Forward : vendrel::SearchDirection::Backward,
                                      matcher);
        widgets_.hostsList->selectRow(static_cast<int>(outcome.selection));
    }
    if (outcome.found) {
        UpdateCommentState();
        return;
    }
    if (prompter_.ask(this, {Prompter::Kind::Notice, QStringLiteral("Nothing Found"),
                             QStringLiteral("Search String Not Found"), false}))
        widgets_.searchBox->setFocus();
}
