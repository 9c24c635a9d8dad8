#include "editor_fixture.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string threeLines = "127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n# a remark\r\n";

class ListEditingTest : public EditorFixture {
protected:
    HostsTableView* list() const { return w().hostsList; }
    QPoint cellCentre(int row, int column) const
    {
        return list()->visualRect(window->model().index(row, column)).center();
    }
    void doubleClickCell(int row, int column)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }
    // Types into the cell: the first key opens the editor, the rest go to it.
    void typeIntoCell(const QString& text)
    {
        QTest::keyClick(list(), text.at(0).toLatin1());
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(qobject_cast<QLineEdit*>(editor)) << "typing on a cell opens its editor";
        for (const QChar character : text.mid(1))
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
};

TEST_F(ListEditingTest, CellEditIsOnDiskBeforeTheNextButtonsCommandRuns)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    window->activateWindow();
    doubleClickCell(1, 1);
    ASSERT_TRUE(list()->inCellSelection());
    typeIntoCell(QStringLiteral("tracker.example.org"));
    EXPECT_EQ(cell(1, 1), "tracker.example.org") << "every change is stored in the cell at once";
    EXPECT_EQ(hostsOnDisk(), threeLines) << "the file is written when the editor is left";

    // The toggle makes the file read-only: had the save come after it, it would fail.
    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\ttracker.example.org\r\n#\ta remark\r\n");
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_FALSE(list()->inCellSelection());
    EXPECT_EQ(list()->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ListEditingTest, DoubleClickInTheReadOnlyStateKeepsRowSelection)
{
    writeHosts(threeLines);
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly);
    ASSERT_TRUE(start());
    doubleClickCell(1, 1);
    EXPECT_FALSE(list()->inCellSelection());
    EXPECT_EQ(list()->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(window->model().flags(window->model().index(1, 1)) & Qt::ItemIsEditable);
}

TEST_F(ListEditingTest, DoubleClickWithoutAnEditorStaysInCellSelection)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    doubleClickCell(0, 0);
    EXPECT_EQ(list()->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    EXPECT_TRUE(list()->inCellSelection());
    EXPECT_EQ(hostsOnDisk(), threeLines);
}

TEST_F(ListEditingTest, WritableToggleChangesStateWithoutReloadingRows)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    system.writeFile(hostsPath(), "1.2.3.4 changed.example\r\n");

    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    EXPECT_EQ(system.fileAttributes(hostsPath()), platform::ReadOnly);
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts Writable?"_s);
    EXPECT_EQ(rowCount(), 3) << "rows stay as they were";
    EXPECT_EQ(cell(1, 1), "ads.example.com");

    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    EXPECT_EQ(system.fileAttributes(hostsPath()), 0);
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts ReadOnly?"_s);
    EXPECT_EQ(cell(1, 1), "ads.example.com");
}

TEST_F(ListEditingTest, RightClickDoesNotMoveTheSelection)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cellCentre(0, 0));
    QTest::mousePress(list()->viewport(), Qt::RightButton, {}, cellCentre(2, 0));
    QTest::mouseRelease(list()->viewport(), Qt::RightButton, {}, cellCentre(2, 0));
    EXPECT_EQ(list()->selectedRow(), 0);
}

TEST_F(ListEditingTest, RowsTheUserDidNotEditKeepTheirBytes)
{
    const std::string mixed = "0.0.0.0 caf\xE9.example\r\n0.0.0.0 \xC3\xBC"
                              "ber.example\r\n0.0.0.0 plain.example\r\n";
    writeHosts(mixed);
    ASSERT_TRUE(start());
    EXPECT_EQ(window->model().data(window->model().index(0, 1), Qt::DisplayRole).toString(),
              QString::fromUtf8("caf\xC3\xA9.example"));
    EXPECT_EQ(window->model().data(window->model().index(1, 1), Qt::DisplayRole).toString(),
              QString::fromUtf8("\xC3\xBC"
                                "ber.example"));

    window->activateWindow();
    doubleClickCell(2, 1);
    typeIntoCell(QString::fromUtf8("n\xC3\xA9w.example"));
    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    // The file as a whole is not UTF-8, so the typed text joins it in the 8-bit code page.
    EXPECT_EQ(hostsOnDisk(), "0.0.0.0\tcaf\xE9.example\r\n0.0.0.0\t\xC3\xBC"
                             "ber.example\r\n"
                             "0.0.0.0\tn\xE9w.example\r\n");
}

TEST_F(ListEditingTest, FailedSaveShowsTheErrorAndEndsTheProgram)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    window->activateWindow();
    doubleClickCell(1, 1);
    typeIntoCell(QStringLiteral("x.example"));
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly); // changed behind the editor's back
    prompter.answer(true);
    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Error"_s);
    EXPECT_TRUE(
        prompter.shown()[0].text.startsWith(u"ERROR: Cannot create file "_s + QString::fromStdString(hostsPath())));
    EXPECT_EQ(endedWith, 1);
    EXPECT_EQ(hostsOnDisk(), threeLines);
}

TEST_F(ListEditingTest, ExitEndsTheProgramWithoutWriting)
{
    writeHosts(threeLines);
    ASSERT_TRUE(start());
    m().exit->trigger();
    EXPECT_EQ(endedWith, 0);
    EXPECT_EQ(hostsOnDisk(), threeLines);
}

// Typed text goes into the file in the file's own code page: the 8-bit one
// when the file holds 8-bit text, UTF-8 otherwise, and never as "?".
const std::string eightBitFile = "127.0.0.1\tlocalhost\r\n0.0.0.0\tcaf\xE9.example\r\n";
const QString polishL = QString::fromUtf8("\xC5\x82"); // not in the Western 8-bit code page

TEST_F(ListEditingTest, TypedLinesAndCellsTakeTheCodePageOfTheFile)
{
    for (const auto& [file, expectedE] :
         {std::pair{eightBitFile, std::string("\xE9")},
          std::pair{std::string("127.0.0.1\tlocalhost\r\n"), std::string("\xC3\xA9")}}) {
        writeHosts(file);
        ASSERT_TRUE(start());
        window->activateWindow();
        w().addLineBox->setText(QString::fromUtf8("0.0.0.0 n\xC3\xA9w.example"));
        QTest::mouseClick(w().addLineButton, Qt::LeftButton);
        EXPECT_EQ(hostsOnDisk(), file + "0.0.0.0\tn" + expectedE + "w.example\r\n");

        doubleClickCell(0, 1);
        typeIntoCell(QString::fromUtf8("h\xC3\xA9te"));
        QTest::mouseClick(w().widenButton, Qt::LeftButton);
        EXPECT_TRUE(hostsOnDisk().starts_with("127.0.0.1\th" + expectedE + "te\r\n")) << hostsOnDisk();
        EXPECT_TRUE(prompter.shown().empty());
    }
}

TEST_F(ListEditingTest, TextTheCodePageCannotHoldIsRefusedWithAMessage)
{
    writeHosts(eightBitFile);
    ASSERT_TRUE(start());
    window->activateWindow();

    w().addLineBox->setText(u"0.0.0.0 "_s + polishL + u"odz.example"_s);
    prompter.answer(true);
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Error"_s);
    EXPECT_TRUE(prompter.shown()[0].text.contains(u"Windows-1252"_s)) << prompter.shown()[0].text.toStdString();
    EXPECT_TRUE(prompter.shown()[0].text.contains(polishL)) << "names the character";
    EXPECT_TRUE(prompter.shown()[0].text.endsWith(u"the line was not added."_s))
        << prompter.shown()[0].text.toStdString();
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(hostsOnDisk(), eightBitFile);
    EXPECT_EQ(w().addLineBox->text(), u"0.0.0.0 "_s + polishL + u"odz.example"_s)
        << "the typed text stays to be mended";

    doubleClickCell(1, 1);
    typeIntoCell(u"x"_s + polishL + u"y"_s);
    EXPECT_TRUE(QToolTip::text().contains(polishL)) << QToolTip::text().toStdString();
    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    EXPECT_EQ(cell(1, 1), "xy") << "the character that cannot be stored was not typed";
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\txy\r\n");
}

TEST_F(ListEditingTest, SearchFindsTypedTextInAnEightBitFile)
{
    writeHosts("127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n0.0.0.0 caf\xE9.example\r\n");
    ASSERT_TRUE(start());
    w().searchBox->setText(QString::fromUtf8("CAf\xC3\xA9"));
    QTest::mouseClick(w().searchForward, Qt::LeftButton);
    EXPECT_TRUE(prompter.shown().empty()) << "found";
    EXPECT_EQ(list()->selectedRow(), 2);
}

} // namespace
