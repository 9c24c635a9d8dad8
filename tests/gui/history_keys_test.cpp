// Ctrl+Z and Ctrl+Shift+Z / Ctrl+Y in the editor: window-wide undo and redo
// of the changes made to the hosts file, and their refusals.

#include "editor_fixture.h"

#include "vendrel/hosts_table_view.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

namespace {

const std::string threeLines = "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example.com\r\n# a remark\r\n";

class HistoryKeysTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts(threeLines); }

    bool startFocused()
    {
        if (!start())
            return false;
        window->activateWindow();
        w().hostsList->setFocus();
        w().hostsList->selectRow(1);
        return true;
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), key, modifiers);
    }
};

TEST_F(HistoryKeysTest, UndoAndRedoWalkTheFileAndTheListBackAndForth)
{
    ASSERT_TRUE(startFocused());
    m().toggleComment->trigger();
    const std::string toggled = hostsOnDisk();
    ASSERT_NE(toggled, threeLines);

    press(Qt::Key_Z);
    EXPECT_EQ(hostsOnDisk(), threeLines);
    EXPECT_EQ(cell(1, 0), "0.0.0.0") << "the list shows the file as it is again";
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(hostsOnDisk(), toggled);
    EXPECT_EQ(cell(1, 0), "#0.0.0.0");
    press(Qt::Key_Z);
    press(Qt::Key_Y);
    EXPECT_EQ(hostsOnDisk(), toggled);
    EXPECT_EQ(endedWith, std::nullopt);
}

TEST_F(HistoryKeysTest, AnUndoOverAnotherProgramsChangeIsToldAndTheProgramGoesOn)
{
    ASSERT_TRUE(startFocused());
    m().toggleComment->trigger();
    const std::string theirs = "127.0.0.1\tlocalhost\r\n0.0.0.0\ttheirs.example\r\n";
    writeHosts(theirs);
    prompter.answer(true);
    press(Qt::Key_Z);
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_TRUE(prompter.shown().back().text.contains(QStringLiteral("changed by another program")))
        << prompter.shown().back().text.toStdString();
    EXPECT_EQ(hostsOnDisk(), theirs);
    EXPECT_EQ(endedWith, std::nullopt) << "a refused undo is no failure";

    prompter.answer(true);
    press(Qt::Key_Y);
    EXPECT_TRUE(prompter.shown().back().text.contains(QStringLiteral("no change to redo")));
}

TEST_F(HistoryKeysTest, InMemopadTheKeysAreTheTextsOwn)
{
    ASSERT_TRUE(startFocused());
    m().toggleComment->trigger();
    const std::string toggled = hostsOnDisk();
    m().openInMemopad->trigger();
    w().memopadText->setFocus();
    press(Qt::Key_Z);
    EXPECT_EQ(hostsOnDisk(), toggled) << "the file's undo waits while Memopad shows it";
}

} // namespace
