#include "editor_fixture.h"

#include "vendrel/web_addresses.h"

#include "vendrel/hosts_table_view.h"
#include "vendrel/status_progress_bar.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

class MemopadTest : public EditorFixture {
protected:
    QPlainTextEdit* area() const { return w().memopadText; }
    void open() { m().openInMemopad->trigger(); }
};

TEST_F(MemopadTest, OpenShowsTheWholeFileAndSwitchesTheMenus)
{
    writeHosts("# header\n\n127.0.0.1\tlocalhost\r0.0.0.0 x.example\r\n");
    ASSERT_TRUE(start());
    open();
    EXPECT_TRUE(area()->isVisible());
    EXPECT_EQ(area()->toPlainText(), u"# header\n\n127.0.0.1\tlocalhost\n0.0.0.0 x.example\n"_s);
    EXPECT_EQ(area()->font().pixelSize(), 13);
    for (QAction* off : {m().appendFile, m().replaceFile, m().mergeFile, m().openInMemopad, m().recovery->menuAction(),
                         m().download->menuAction(), m().whitelist->menuAction(), m().edit->menuAction()})
        EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
    for (QAction* on : {m().saveSubmenu->menuAction(), m().exitMemopad, m().exit, m().help->menuAction()})
        EXPECT_TRUE(on->isEnabled()) << on->text().toStdString();
}

// The text area lies over every other control: a search of the list hidden
// under it must not move that list, and ">>" cannot be reached.
TEST_F(MemopadTest, TheAreaLiesOverTheSearchPanelWhichWaitsUntilTheModeEnds)
{
    writeHosts("127.0.0.1 localhost\r\n0.0.0.0 x.example\r\n");
    ASSERT_TRUE(start());
    open();
    const QWidget* client = area()->parentWidget();
    EXPECT_EQ(client->children().last(), area()) << "the area is last in the stacking order";
    for (const QWidget* under : {static_cast<QWidget*>(w().hostsList), static_cast<QWidget*>(w().searchPanel),
                                 static_cast<QWidget*>(w().progressBar)})
        EXPECT_TRUE(area()->geometry().contains(under->geometry())) << under->metaObject()->className();
    w().searchBox->setText(QStringLiteral("x.example"));
    QTest::mouseClick(w().searchForward, Qt::LeftButton);
    EXPECT_FALSE(w().searchForward->isEnabled());
    EXPECT_EQ(w().hostsList->currentIndex().row(), 0);
    EXPECT_TRUE(prompter.shown().empty());
    m().exitMemopad->trigger();
    EXPECT_TRUE(w().searchForward->isEnabled());
}

TEST_F(MemopadTest, SaveWritesTheFilesLineBreakBetweenLinesAndNothingAfterTheLast)
{
    writeHosts("127.0.0.1 localhost\r\n0.0.0.0 a.example\r\n");
    ASSERT_TRUE(start());
    open();
    m().saveHosts->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n0.0.0.0 a.example\r\n") << "the text area's LF become CR LF again";

    area()->setPlainText(QStringLiteral("127.0.0.1 localhost\n0.0.0.0 b.example"));
    m().saveHosts->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n0.0.0.0 b.example") << "no break added after the last line";
    EXPECT_TRUE(area()->isVisible()) << "saving keeps the mode";
}

TEST_F(MemopadTest, TabKeyInsertsATabThatIsSaved)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    window->activateWindow();
    open();
    area()->moveCursor(QTextCursor::End);
    QTest::keyClicks(area(), QStringLiteral("0.0.0.0"));
    QTest::keyClick(area(), Qt::Key_Tab);
    QTest::keyClicks(area(), QStringLiteral("t.example"));
    m().saveHostsExitMemopad->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n0.0.0.0\tt.example");
    EXPECT_FALSE(area()->isVisible());
    EXPECT_EQ(cell(1, 1), "t.example") << "leaving reloads the list";
    EXPECT_TRUE(m().openInMemopad->isEnabled());
    EXPECT_FALSE(m().exitMemopad->isEnabled());
}

TEST_F(MemopadTest, EightBitFilesComeBackByteForByte)
{
    const std::string latin = "127.0.0.1 localhost\r\n0.0.0.0 caf\xE9.example # \xA0nbsp\r\n";
    writeHosts(latin);
    ASSERT_TRUE(start());
    open();
    EXPECT_TRUE(area()->toPlainText().contains(QString::fromUtf8("caf\xC3\xA9")));
    m().saveHosts->trigger();
    EXPECT_EQ(hostsOnDisk(), latin);
}

TEST_F(MemopadTest, TextAnEightBitFileCannotHoldIsNotSaved)
{
    const std::string latin = "127.0.0.1 localhost\r\n0.0.0.0 caf\xE9.example\r\n";
    writeHosts(latin);
    ASSERT_TRUE(start());
    open();
    area()->appendPlainText(QString::fromUtf8("0.0.0.0 \xC5\x82odz.example"));
    prompter.answer(true);
    m().saveHosts->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(QString::fromUtf8("\xC5\x82"))) << "names the character";
    EXPECT_TRUE(prompter.shown()[0].text.endsWith(u"nothing was written."_s)) << prompter.shown()[0].text.toStdString();
    EXPECT_EQ(hostsOnDisk(), latin);
    EXPECT_TRUE(area()->isVisible()) << "the typed text stays";
}

TEST_F(MemopadTest, ExitDiscardsEditsAndSaveAsLeavesTheHostsFile)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    open();
    area()->setPlainText(QStringLiteral("edited"));
    const std::string copy = system.root() + "/copy.txt";
    prompter.answerFile(QString::fromStdString(copy));
    prompter.answer(true);
    m().saveAs->trigger();
    EXPECT_EQ(prompter.shown().back().text, u"File saved"_s);
    EXPECT_EQ(testing_support::FakePlatform::readFile(copy), "edited");

    prompter.answerFile(QString());
    m().saveAs->trigger();
    EXPECT_EQ(prompter.shown().size(), 1u) << "a cancelled dialog shows nothing";

    m().exitMemopad->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n");
    open();
    EXPECT_EQ(area()->toPlainText(), u"127.0.0.1 localhost\n"_s);
}

TEST_F(MemopadTest, AFailingSaveKeepsTheModeAndTheText)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    open();
    area()->setPlainText(QStringLiteral("typed text"));
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly);
    prompter.answer(true);
    m().saveHostsExitMemopad->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Error"_s);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(u"ERROR: Cannot create file"_s));
    EXPECT_FALSE(endedWith.has_value());
    EXPECT_TRUE(area()->isVisible());
    EXPECT_EQ(area()->toPlainText(), u"typed text"_s);
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n");
}

TEST_F(MemopadTest, WebLinksAndTheHelpFileGoToTheDesktop)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    m().makeDonation->trigger();
    m().visitMakerSite->trigger();
    m().visitForums->trigger();
    m().mvpsVisit->trigger();
    m().hphostsVisit->trigger();
    m().viewHelpFile->trigger();
    ASSERT_EQ(shell.opened.size(), 6);
    EXPECT_EQ(shell.opened[0],
              u"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=donate%40vendrel%2eexample%2eorg"_s
              u"&item_name=Vendrel by www%2evendrel%2eexample%2eorg&no_shipping=0&no_note=1&tax=0&currency_code=USD"_s);
    EXPECT_EQ(shell.opened[1], u"www.vendrel.example.org"_s);
    EXPECT_EQ(shell.opened[2], u"http://forums.rodavavur.example.net"_s);
    EXPECT_EQ(shell.opened[3], u"www.mvps.org/winhelp2002/hosts.htm"_s);
    EXPECT_EQ(shell.opened[4], u"http://hosts-file.net/"_s);
    EXPECT_EQ(shell.opened[5],
              QString::fromLatin1(
                  QUrl::fromLocalFile(QString::fromStdString(system.programFolder() + "/Vendrel.chm")).toEncoded()));
}

TEST_F(MemopadTest, HelpItemFollowsTheHelpFileAfterEveryAdd)
{
    writeHosts("127.0.0.1 localhost\r\n");
    ASSERT_TRUE(start());
    EXPECT_FALSE(m().viewHelpFile->isVisible());
    const std::string help = system.writeFile(system.programFolder() + "/Vendrel.chm", "help");
    m().toggleComment->trigger();
    EXPECT_FALSE(m().viewHelpFile->isVisible()) << "only adding a line looks again";
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_TRUE(m().viewHelpFile->isVisible());
    std::filesystem::remove(help);
    QTest::mouseClick(w().addLineButton, Qt::LeftButton);
    EXPECT_FALSE(m().viewHelpFile->isVisible());
}

} // namespace
