#include "editor_fixture.h"

#include "vendrel/hosts_table_model.h"
#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string sortedHosts = "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tb.example\r\n"
                                "127.0.0.1\ttrack.example # remark\r\n";

class WhitelistTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts(sortedHosts); }
    std::string whitelistFile() const { return system.programFolderPath() + "/whitelist.txt"; }
    std::string whitelistOnDisk() const { return testing_support::FakePlatform::readFile(whitelistFile()); }
    void selectRow(int row) { w().hostsList->selectRow(row); }
    bool hasHost(const std::string& host) const
    {
        for (int row = 0; row < rowCount(); ++row)
            if (cell(row, 1) == host)
                return true;
        return false;
    }
};

TEST_F(WhitelistTest, ARemovedHostBroughtBackByAMergeIsRemovedAgain)
{
    ASSERT_TRUE(start());
    selectRow(2);
    prompter.answer(true);
    QTest::mouseClick(w().deleteLineAddToWhitelist, Qt::LeftButton);
    EXPECT_EQ(prompter.shown().back().text, u"Press OK to Delete line and Add to Whitelist"_s);
    EXPECT_EQ(prompter.shown().size(), 1u) << "deleting asks no second question";
    EXPECT_EQ(whitelistOnDisk(), "ads.example\r\n");
    EXPECT_FALSE(hasHost("ads.example"));

    const std::string list = system.writeFile(system.root() + "/list", "0.0.0.0 ads.example\r\n");
    prompter.answerFile(QString::fromStdString(list));
    prompter.answer(true);
    m().mergeFile->trigger();
    EXPECT_TRUE(hasHost("ads.example"));

    m().removeWhitelistItems->trigger();
    EXPECT_FALSE(hasHost("ads.example"));
    EXPECT_EQ(hostsOnDisk().find("ads.example"), std::string::npos);
    EXPECT_EQ(progressText(), std::to_string(rowCount()) + " Lines - Idle");
}

TEST_F(WhitelistTest, OnlyExactHostCellsAreRemovedAndNeverTheFirstRow)
{
    system.writeFile(whitelistFile(), "ADS.EXAMPLE\r\nb.example \r\ntrack.example\r\nlocalhost\r\n");
    ASSERT_TRUE(start());
    m().removeWhitelistItems->trigger();
    EXPECT_EQ(rowCount(), 5) << "case, a trailing blank or a missing remark match nothing; row one stays";

    system.writeFile(whitelistFile(), "track.example # remark\r\n\r\nb.example\r\n");
    m().removeWhitelistItems->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n127.0.0.1\tads.example\r\n")
        << "an empty whitelist line matches the empty row";
}

TEST_F(WhitelistTest, WithoutAWhitelistRemoveStillSavesAndAddDoesNothing)
{
    writeHosts("127.0.0.1 localhost\r\n0.0.0.0 x.example\r\n");
    ASSERT_TRUE(start());
    m().addWhitelistItems->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n0.0.0.0 x.example\r\n");
    m().removeWhitelistItems->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\tx.example\r\n");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(WhitelistTest, AddThenRemoveLeavesNoWhitelistedHost)
{
    system.writeFile(whitelistFile(), "new.example\r\n\r\nads.example\r\n");
    ASSERT_TRUE(start());
    m().addWhitelistItems->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tb.example\r\n"
                             "127.0.0.1\tnew.example\r\n127.0.0.1\ttrack.example\r\n");
    m().removeWhitelistItems->trigger();
    EXPECT_FALSE(hasHost("new.example"));
    EXPECT_FALSE(hasHost("ads.example"));
    EXPECT_TRUE(hasHost("b.example"));
}

TEST_F(WhitelistTest, WhitelistModeSwitchesMenusAndExitDiscardsEdits)
{
    system.writeFile(whitelistFile(), "one.example\r\ntwo.example\r\n");
    ASSERT_TRUE(start());
    m().viewEditWhitelist->trigger();
    QPlainTextEdit* area = w().memopadText;
    EXPECT_TRUE(area->isVisible());
    EXPECT_EQ(area->pos(), QPoint(1, 1));
    EXPECT_EQ(area->width(), window->frameGeometry().width() - 6) << "follows the outer width";
    EXPECT_GE(area->geometry().bottom(), area->parentWidget()->height() - 1) << "reaches the bottom";
    EXPECT_EQ(area->toPlainText(), u"one.example\ntwo.example\n"_s);

    for (QAction* off : {m().appendFile, m().replaceFile, m().mergeFile, m().removeWhitelistItems,
                         m().addWhitelistItems, m().viewEditWhitelist, m().recovery->menuAction(),
                         m().edit->menuAction(), m().memopad->menuAction(), m().download->menuAction()})
        EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
    for (QAction* on : {m().exit, m().saveAndExitWhitelist, m().exitWhitelist, m().help->menuAction()})
        EXPECT_TRUE(on->isEnabled()) << on->text().toStdString();

    area->appendPlainText(QStringLiteral("three.example"));
    m().exitWhitelist->trigger();
    EXPECT_FALSE(area->isVisible());
    EXPECT_TRUE(area->toPlainText().isEmpty());
    EXPECT_EQ(whitelistOnDisk(), "one.example\r\ntwo.example\r\n");
    EXPECT_TRUE(m().viewEditWhitelist->isEnabled());
    EXPECT_FALSE(m().exitWhitelist->isEnabled());
    EXPECT_TRUE(m().memopad->menuAction()->isEnabled());
}

TEST_F(WhitelistTest, SaveAndExitWritesExactlyTheLines)
{
    ASSERT_TRUE(start());
    m().viewEditWhitelist->trigger();
    EXPECT_TRUE(w().memopadText->toPlainText().isEmpty()) << "no whitelist yet";
    w().memopadText->setPlainText(QStringLiteral("a.example\n  spaced # kept  \nlast"));
    m().saveAndExitWhitelist->trigger();
    EXPECT_EQ(whitelistOnDisk(), "a.example\r\n  spaced # kept  \r\nlast\r\n");
    EXPECT_FALSE(w().memopadText->isVisible());
}

} // namespace
