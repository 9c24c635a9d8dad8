// The hosts list as the user sees it: what stays in view, which line shows as
// selected, what the comment check box describes, and how a cell edit ends.

#include "editor_fixture.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <vector>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string fourLines =
    "127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n# a remark\r\n0.0.0.0 caf\xE9.example\r\n";

class ListViewTest : public EditorFixture {
protected:
    void SetUp() override
    {
        writeHosts(fourLines);
        ASSERT_TRUE(start());
        window->activateWindow();
    }

    HostsTableView* list() const { return w().hostsList; }
    QModelIndex index(int row, int column) const { return window->model().index(row, column); }
    QString shownText(int row, int column) const { return index(row, column).data(Qt::DisplayRole).toString(); }

    void click(int row, int column, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers,
                          list()->visualRect(index(row, column)).center());
    }
    // Lets the list's delayed reaction to a click (it waits out a possible double click) run.
    static void waitOutDoubleClick() { QTest::qWait(QApplication::doubleClickInterval() + 150); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(list(), key, modifiers); }
    void pressFromTheTop(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        press(Qt::Key_Home, Qt::ControlModifier);
        press(key, modifiers);
    }

    // Double-clicks a cell and types `text` on it; the editor that opened, or null.
    QLineEdit* editCell(int row, int column, const QString& text)
    {
        click(row, column);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(index(row, column)).center());
        QTest::keyClick(list(), text.at(0).toLatin1());
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (editor)
            QTest::keyClicks(editor, text.mid(1));
        return editor;
    }

    std::vector<int> selectedRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& selected : list()->selectionModel()->selectedRows())
            rows.push_back(selected.row());
        return rows;
    }
    int currentRow() const { return list()->currentIndex().row(); }
    bool checkBoxSaysComment() const
    {
        const bool captionSaysComment = w().commentCheckBox->text() == u"Selected Line Is a Comment"_s;
        EXPECT_EQ(w().commentCheckBox->isChecked(), captionSaysComment) << "tick and caption agree";
        return w().commentCheckBox->isChecked();
    }
};

TEST_F(ListViewTest, NothingTheUserDoesScrollsTheAddressColumnOutOfView)
{
    const QPoint rightEdge(list()->viewport()->width() - 2, list()->visualRect(index(1, 0)).center().y());
    QLineEdit* editor = nullptr;
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        {"a click on a host cell",
         [&] {
             click(1, 1);
             waitOutDoubleClick();
         }},
        {"End", [&] { pressFromTheTop(Qt::Key_End); }},
        {"Ctrl+End", [&] { pressFromTheTop(Qt::Key_End, Qt::ControlModifier); }},
        {"Right", [&] { pressFromTheTop(Qt::Key_Right); }},
        {"a drag to the right edge",
         [&] {
             QTest::mousePress(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(index(1, 0)).center());
             QTest::mouseMove(list()->viewport(), rightEdge);
             QTest::qWait(300);
             QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rightEdge);
             waitOutDoubleClick();
         }},
        {"opening a host cell's editor",
         [&] {
             editor = editCell(2, 1, QStringLiteral("edited remark"));
             waitOutDoubleClick();
         }},
        {"ending the edit with Return",
         [&] {
             ASSERT_TRUE(editor);
             QTest::keyClick(editor, Qt::Key_Return);
         }},
        {"ending an address cell's edit with Tab",
         [&] {
             editor = editCell(3, 0, QStringLiteral("0.0.0.1"));
             waitOutDoubleClick();
             ASSERT_TRUE(editor);
             QTest::keyClick(editor, Qt::Key_Tab);
         }},
    };
    for (const auto& [action, run] : actions) {
        list()->horizontalScrollBar()->setValue(0);
        run();
        QCoreApplication::processEvents(); // Return closes the editor through the event queue
        EXPECT_EQ(list()->horizontalScrollBar()->value(), 0) << "after " << action;
        const QRect address = list()->visualRect(index(currentRow(), 0));
        EXPECT_TRUE(list()->viewport()->rect().contains(address)) << "after " << action;
    }
    EXPECT_EQ(shownText(2, 1), u"edited remark"_s);
}

TEST_F(ListViewTest, TheFirstLineShowsAsSelectedAtStartAndAfterEveryReload)
{
    EXPECT_EQ(selectedRows(), std::vector<int>{0}) << "the line Delete would act on is highlighted";
    EXPECT_EQ(currentRow(), 0);
    EXPECT_FALSE(checkBoxSaysComment());

    click(2, 0);
    EXPECT_TRUE(checkBoxSaysComment());
    prompter.answer(true);
    m().sortFile->trigger(); // saves, sorts and reloads
    ASSERT_EQ(cell(0, 1), "localhost");
    EXPECT_EQ(selectedRows(), std::vector<int>{0});
    EXPECT_EQ(currentRow(), 0);
    EXPECT_FALSE(checkBoxSaysComment()) << "the check box describes the line selected by the reload";
}

TEST_F(ListViewTest, SelectionAndCurrentLineNeverPartWays)
{
    click(1, 1);
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
    press(Qt::Key_Down);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    EXPECT_EQ(currentRow(), 2);

    click(2, 0, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), std::vector<int>{2}) << "Ctrl+click on the selected line keeps it selected";
    press(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), std::vector<int>{2}) << "Ctrl+Space keeps it selected";
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    EXPECT_EQ(currentRow(), 2);

    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(20, list()->viewport()->height() - 4));
    EXPECT_EQ(selectedRows(), std::vector<int>{2}) << "a click below the last line";

    press(Qt::Key_End, Qt::ControlModifier);
    prompter.answer(true);
    QTest::mouseClick(w().deleteSelectedLine, Qt::LeftButton);
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    EXPECT_EQ(currentRow(), 2);
}

TEST_F(ListViewTest, CheckBoxFollowsTheCurrentLineHoweverItMoves)
{
    click(1, 0);
    EXPECT_FALSE(checkBoxSaysComment());
    press(Qt::Key_Down);
    EXPECT_TRUE(checkBoxSaysComment()) << "a keyboard move to the comment line";
    press(Qt::Key_Up);
    EXPECT_FALSE(checkBoxSaysComment());

    prompter.answer(true);
    QTest::mouseClick(w().deleteSelectedLine, Qt::LeftButton);
    ASSERT_EQ(cell(1, 0), "#");
    EXPECT_TRUE(checkBoxSaysComment()) << "the comment line moved up into the selection";

    w().addLineBox->setText(QStringLiteral("0.0.0.0 new.example"));
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_EQ(currentRow(), 3);
    EXPECT_FALSE(checkBoxSaysComment()) << "the added line is selected";
}

TEST_F(ListViewTest, EscapeCancelsACellEditAndWritesNothing)
{
    QLineEdit* editor = editCell(3, 1, QStringLiteral("typed.example"));
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(hostsOnDisk(), fourLines);
    EXPECT_EQ(shownText(3, 1), QString::fromUtf8("caf\xC3\xA9.example"));
    EXPECT_FALSE(list()->inCellSelection()) << "leaving the editor returns to row selection";
    EXPECT_TRUE(prompter.shown().empty());

    m().toggleComment->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example.com\r\n#\ta remark\r\n"
                             "#0.0.0.0\tcaf\xE9.example\r\n")
        << "the cell has its own bytes back";
}

TEST_F(ListViewTest, EveryOtherWayOutOfACellEditorSavesIt)
{
    const std::vector<std::pair<const char*, std::function<void(QLineEdit*)>>> waysOut = {
        {"Return", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Return); }},
        {"Tab", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Tab); }},
        {"Down", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Down); }},
        {"a click on another line", [this](QLineEdit*) { click(0, 0); }},
        {"a click on a button", [this](QLineEdit*) { QTest::mouseClick(w().widenButton, Qt::LeftButton); }},
    };
    for (const auto& [wayOut, leave] : waysOut) {
        const std::string typed = std::string("left by ") + wayOut;
        QLineEdit* editor = editCell(1, 1, QString::fromStdString(typed));
        ASSERT_TRUE(editor) << wayOut;
        leave(editor);
        QCoreApplication::processEvents(); // Return closes the editor through the event queue
        EXPECT_EQ(cell(1, 1), typed) << wayOut;
        EXPECT_NE(hostsOnDisk().find("0.0.0.0\t" + typed + "\r\n"), std::string::npos) << wayOut;
    }
}

} // namespace
