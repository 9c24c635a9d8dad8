#include "editor_fixture.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string fourLines =
    "127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n# a remark\r\n0.0.0.0 tracker.example.net # why\r\n";

class LineCommandsTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts(fourLines); }

    HostsTableView* list() const { return w().hostsList; }
    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint centre = list()->visualRect(window->model().index(row, 0)).center();
        QTest::mouseClick(list()->viewport(), button, {}, centre);
    }
    void clickAddLineBox() { QTest::mouseClick(w().addLineBox, Qt::LeftButton); }
    void search(const QString& text, QPushButton* button)
    {
        w().searchBox->setText(text);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    int selected() const { return list()->selectedRow(); }
};

TEST_F(LineCommandsTest, CheckBoxCommentsTheSelectedLineOutAndSaves)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    clickRow(1);
    EXPECT_FALSE(w().commentCheckBox->isChecked());
    EXPECT_EQ(w().commentCheckBox->text(), u"Selected Line is Not a Comment"_s);

    QTest::mouseClick(w().commentCheckBox, Qt::LeftButton);
    EXPECT_TRUE(w().commentCheckBox->isChecked());
    EXPECT_EQ(w().commentCheckBox->text(), u"Selected Line Is a Comment"_s);
    EXPECT_EQ(cell(1, 0), "#0.0.0.0");
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n#0.0.0.0\tads.example.com\r\n#\ta remark\r\n"
                             "0.0.0.0\ttracker.example.net # why\r\n");
    EXPECT_EQ(QApplication::focusWidget(), list());
}

TEST_F(LineCommandsTest, MenuAndPopupToggleTheSameLineBackAndForth)
{
    ASSERT_TRUE(start());
    clickRow(2);
    EXPECT_TRUE(w().commentCheckBox->isChecked()) << "a mouse press refreshes the check box";
    m().toggleComment->trigger();
    EXPECT_EQ(cell(2, 0), " ");
    EXPECT_FALSE(w().commentCheckBox->isChecked());
    m().popupToggleComment->trigger();
    EXPECT_EQ(cell(2, 0), "# ") << "the comment mark goes in front of the blank left behind";
    EXPECT_TRUE(hostsOnDisk().find("\r\n# \ta remark\r\n") != std::string::npos);
}

TEST_F(LineCommandsTest, RightClickKeepsTheSelectionAndTheCheckBox)
{
    ASSERT_TRUE(start());
    clickRow(2);
    clickRow(1, Qt::RightButton);
    m().popup->hide();
    EXPECT_EQ(selected(), 2);
    EXPECT_TRUE(w().commentCheckBox->isChecked());
}

TEST_F(LineCommandsTest, AddLineBoxPrefillsShortTextWithTheRedirectAddress)
{
    ASSERT_TRUE(start());
    clickAddLineBox();
    EXPECT_EQ(w().addLineBox->text(), u"127.0.0.1  "_s);
    EXPECT_EQ(w().addLineBox->cursorPosition(), 11);

    w().addLineBox->setText(QStringLiteral("abcd"));
    clickAddLineBox();
    EXPECT_EQ(w().addLineBox->text(), u"127.0.0.1  "_s) << "four characters are replaced";

    w().addLineBox->setText(QStringLiteral("abcde"));
    clickAddLineBox();
    EXPECT_EQ(w().addLineBox->text(), u"abcde"_s) << "five characters are kept";
}

TEST_F(LineCommandsTest, PlusAppendsTheTypedLineSelectsItAndSaves)
{
    ASSERT_TRUE(start());
    clickAddLineBox();
    QTest::keyClicks(w().addLineBox, QStringLiteral("new.example.org"));
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_EQ(rowCount(), 5);
    EXPECT_EQ(cell(4, 0), "127.0.0.1");
    EXPECT_EQ(cell(4, 1), "new.example.org");
    EXPECT_EQ(selected(), 4);
    EXPECT_TRUE(w().addLineBox->text().isEmpty());
    EXPECT_EQ(progressText(), "5 Lines - Idle");
    EXPECT_TRUE(hostsOnDisk().ends_with("\r\n127.0.0.1\tnew.example.org\r\n"));
}

TEST_F(LineCommandsTest, PlusTakesOddTextAsItIs)
{
    ASSERT_TRUE(start());
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_TRUE(hostsOnDisk().ends_with("# why\r\n\t\r\n")) << "an empty box adds an empty row";

    w().addLineBox->setText(QStringLiteral("justoneword"));
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_EQ(cell(5, 0), "");
    EXPECT_EQ(cell(5, 1), "justoneword");

    w().addLineBox->setText(QStringLiteral(" 1.2.3.4 lead"));
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_EQ(cell(6, 0), "");
    EXPECT_EQ(cell(6, 1), "1.2.3.4 lead");
}

TEST_F(LineCommandsTest, DeleteAsksThenRemovesAndKeepsTheRowIndex)
{
    ASSERT_TRUE(start());
    clickRow(1);
    prompter.answer(false);
    QTest::mouseClick(w().deleteSelectedLine, Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Confirm"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"Press OK to Delete selected line."_s);
    EXPECT_EQ(rowCount(), 4) << "Cancel changes nothing";
    EXPECT_EQ(hostsOnDisk(), fourLines);

    prompter.answer(true);
    m().deleteLine->trigger();
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(cell(1, 0), "#") << "the following line moved up into the selection";
    EXPECT_EQ(progressText(), "3 Lines - Idle");
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n#\ta remark\r\n0.0.0.0\ttracker.example.net # why\r\n");
}

TEST_F(LineCommandsTest, DeletingTheLastLineSelectsTheNewLastLine)
{
    ASSERT_TRUE(start());
    clickRow(3);
    prompter.answer(true);
    m().popupDeleteLine->trigger();
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(selected(), 2);
}

TEST_F(LineCommandsTest, TheOnlyLineIsNeverDeleted)
{
    writeHosts("0.0.0.0 only.example\n");
    ASSERT_TRUE(start());
    prompter.answer(true);
    QTest::mouseClick(w().deleteSelectedLine, Qt::LeftButton);
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "only.example");
    EXPECT_EQ(hostsOnDisk(), "0.0.0.0\tonly.example\n");
}

TEST_F(LineCommandsTest, CopyHostsCopiesTheSavedFileFromDisk)
{
    ASSERT_TRUE(start());
    clickRow(1);
    m().toggleComment->trigger();
    prompter.answer(true);
    m().copyHostsToClipboard->trigger();
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(),
        u"127.0.0.1\tlocalhost\r\n#0.0.0.0\tads.example.com\r\n#\ta remark\r\n0.0.0.0\ttracker.example.net # why\r\n"_s);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].kind, Prompter::Kind::Notice);
    EXPECT_EQ(prompter.shown()[0].caption, u"Vendrel"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"Copied to Clipboard"_s);
}

TEST_F(LineCommandsTest, CopyDomainCopiesTheHostCellUnchanged)
{
    ASSERT_TRUE(start());
    clickRow(3);
    m().popupCopyDomain->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"tracker.example.net # why"_s);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(LineCommandsTest, SearchIgnoresCaseAndFindsTheNextOccurrence)
{
    writeHosts("# header\r\n127.0.0.1 localhost\r\n0.0.0.0 a.example\r\n::1 LocalHost\r\n");
    ASSERT_TRUE(start());
    search(QStringLiteral("LOCALHOST"), w().searchForward);
    EXPECT_EQ(selected(), 1);
    QTest::mouseClick(w().searchForward, Qt::LeftButton);
    EXPECT_EQ(selected(), 3);
    QTest::mouseClick(w().searchBackward, Qt::LeftButton);
    EXPECT_EQ(selected(), 1);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(LineCommandsTest, SearchWrapsAtTheEndsAndReachesTheFarRow)
{
    ASSERT_TRUE(start());
    clickRow(3);
    search(QStringLiteral("localhost"), w().searchForward);
    EXPECT_EQ(selected(), 0) << "from the last line the search starts over at the first";
    search(QStringLiteral("tracker"), w().searchBackward);
    EXPECT_EQ(selected(), 3) << "from the first line the search starts over at the last";
}

TEST_F(LineCommandsTest, SearchUpdatesTheCheckBoxWithoutTakingTheFocus)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    w().searchBox->setFocus();
    w().searchBox->setText(QStringLiteral("remark"));
    QTest::keyClick(w().searchBox, Qt::Key_Tab); // leave the focus on the ">>" button
    QWidget* focused = QApplication::focusWidget();
    w().searchForward->click();
    EXPECT_EQ(selected(), 2);
    EXPECT_TRUE(w().commentCheckBox->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), focused);
}

TEST_F(LineCommandsTest, NothingFoundTellsTheUserAndFocusesTheSearchBox)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    prompter.answer(true);
    search(QString(), w().searchForward);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Nothing Found"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"Search String Not Found"_s);
    EXPECT_EQ(prompter.shown()[0].kind, Prompter::Kind::Notice);
    EXPECT_EQ(QApplication::focusWidget(), w().searchBox);
}

TEST_F(LineCommandsTest, BackwardSearchOnOneLineFindsNothing)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    prompter.answer(true);
    search(QStringLiteral("localhost"), w().searchBackward);
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(selected(), 0);
}

} // namespace
