#include "editor_fixture.h"

#include "vendrel/hosts_table_view.h"
#include "vendrel/status_progress_bar.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

class WindowLayoutTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts("127.0.0.1 localhost\r\n"); }
};

TEST_F(WindowLayoutTest, At96DpiTheControlsSitWhereTheArithmeticPutsThem)
{
    ASSERT_TRUE(start(96));
    EXPECT_EQ(w().hostsList->geometry(), QRect(8, 6, 311, 411));
    EXPECT_EQ(w().toolColumn->geometry(), QRect(327, 8, 216, 411));
    EXPECT_EQ(w().progressBar->geometry(), QRect(8, 431, 299, 24));
    EXPECT_EQ(w().widenButton->geometry(), QRect(263, 399, 35, 16));
    EXPECT_EQ(w().searchPanel->geometry(), QRect(311, 417, 216, 50));
    EXPECT_EQ(w().writableToggle->pos(), QPoint(339, 28));
    EXPECT_EQ(window->centralWidget()->size(), QSize(551, 467)) << "shrink-wrapped, then 8 wider";
    EXPECT_EQ(window->minimumSize(), window->size());
    EXPECT_EQ(w().hostsList->columnWidth(0), 90);
    EXPECT_EQ(w().hostsList->columnWidth(1), 1100) << "widened by the reload";
    EXPECT_EQ(w().hostsList->rowHeight(0), 16);
}

TEST_F(WindowLayoutTest, Above96DpiEverythingShrinksBeforeTheLayout)
{
    ASSERT_TRUE(start(120));
    EXPECT_EQ(w().hostsList->geometry(), QRect(8, 6, 247, 340));
    EXPECT_EQ(w().toolColumn->geometry(), QRect(263, 6, 174, 340));
    EXPECT_EQ(w().addLineButton->font().pixelSize(), 16);
    EXPECT_EQ(window->font().pixelSize(), 9);
    EXPECT_EQ(w().hostsList->rowHeight(0), 13);
}

TEST_F(WindowLayoutTest, WidenTwiceReturnsNextToTheToolColumn)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    EXPECT_EQ(w().hostsList->width(), 537) << "the 551-pixel window less 14";
    EXPECT_EQ(w().widenButton->text(), u"<"_s);
    EXPECT_EQ(w().widenButton->pos(), QPoint(489, 399));
    EXPECT_EQ(QApplication::focusWidget(), w().searchBox);

    QTest::mouseClick(w().widenButton, Qt::LeftButton);
    EXPECT_EQ(w().hostsList->width(), 313);
    EXPECT_EQ(w().widenButton->text(), u">"_s);
}

TEST_F(WindowLayoutTest, EnlargingTheWindowStretchesTheListAndMovesTheTools)
{
    ASSERT_TRUE(start());
    const QSize before = window->size();
    window->resize(before + QSize(100, 50));
    QApplication::processEvents();
    EXPECT_EQ(w().hostsList->geometry(), QRect(8, 6, 411, 461));
    EXPECT_EQ(w().toolColumn->pos(), QPoint(427, 8));
    EXPECT_EQ(w().writableToggle->pos(), QPoint(439, 28));
    EXPECT_EQ(w().widenButton->pos(), QPoint(363, 449));
    EXPECT_EQ(w().progressBar->pos(), QPoint(8, 481));
    EXPECT_EQ(w().searchPanel->pos(), QPoint(311, 467));
}

} // namespace
