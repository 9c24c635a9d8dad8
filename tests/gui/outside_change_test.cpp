// The editor and another program changing the same hosts file: the editor
// never overwrites the other change without telling the user.

#include "editor_fixture.h"

#include "vendrel/hosts_table_view.h"

#include <QAction>

#include <chrono>
#include <thread>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string threeLines = "127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n# a remark\r\n";
const std::string theirs = "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n";

class OutsideChangeTest : public EditorFixture {
protected:
    void SetUp() override
    {
        writeHosts(threeLines);
        ASSERT_TRUE(start());
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // a later modification time
        writeHosts(theirs);
        w().hostsList->selectRow(1);
    }
};

TEST_F(OutsideChangeTest, AnEditIsNotWrittenOverItAndOkLoadsTheOtherChange)
{
    prompter.answer(true);
    m().toggleComment->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Warning"_s);
    EXPECT_TRUE(prompter.shown()[0].text.contains(u"was changed by another program"_s))
        << prompter.shown()[0].text.toStdString();
    EXPECT_EQ(hostsOnDisk(), theirs);
    EXPECT_FALSE(endedWith.has_value());
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(cell(1, 1), "theirs.example");
}

TEST_F(OutsideChangeTest, CancelKeepsTheListAndTheNextChangeReplacesTheFile)
{
    prompter.answer(false);
    m().toggleComment->trigger();
    EXPECT_EQ(hostsOnDisk(), theirs);
    EXPECT_EQ(cell(1, 0), "#0.0.0.0") << "the list still shows the user's change";
    m().toggleComment->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n0.0.0.0\tads.example.com\r\n#\ta remark\r\n");
    EXPECT_TRUE(prompter.allAnswersUsed());
}

} // namespace
