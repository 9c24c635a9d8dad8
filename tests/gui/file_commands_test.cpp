#include "editor_fixture.h"

#include "platform/file_identity.h"
#include "vendrel/hosts_table_model.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string unsorted = "# my list\r\n127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n127.0.0.1 A.example # ad\r\n"
                             "192.168.1.5 nas\r\n";
const std::string sorted = "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tA.example\r\n127.0.0.1\tb.example\r\n"
                           "192.168.1.5 nas\r\n";

class FileCommandsTest : public EditorFixture {
protected:
    void SetUp() override { writeHosts(unsorted); }

    std::string otherFile(const std::string& name, const std::string& bytes)
    {
        return system.writeFile(system.root() + "/picked/" + name, bytes);
    }
    void pick(const std::string& path) { prompter.answerFile(QString::fromStdString(path)); }
    bool panelIsIdle() const
    {
        return !w().selectFile->isEnabled() && !w().appendChoice->isChecked() && !w().replaceChoice->isChecked() &&
               !w().mergeChoice->isChecked();
    }
    QString lastMessage() const { return prompter.shown().empty() ? QString() : prompter.shown().back().text; }
};

TEST_F(FileCommandsTest, SortAsksThenNormalisesTheFileAndReloads)
{
    ASSERT_TRUE(start());
    prompter.answer(false);
    m().sortFile->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK make changes to your Hosts file.\r\n"_s
                             u"*Note* - Sort will alphabetize your HOSTS file and remove #statements."_s);
    EXPECT_EQ(hostsOnDisk(), unsorted) << "Cancel changes nothing";

    prompter.answer(true);
    m().sortFile->trigger();
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tA.example\r\n127.0.0.1\tb.example\r\n"
                             "192.168.1.5\tnas\r\n")
        << "the list is saved before it is sorted";
    EXPECT_EQ(rowCount(), 5);
    EXPECT_EQ(cell(2, 1), "A.example");
    EXPECT_EQ(progressText(), "5 Lines - Idle");
}

TEST_F(FileCommandsTest, ASortThatChangesNothingWritesNothingAndSaysSo)
{
    ASSERT_TRUE(start());
    prompter.answer(true);
    m().sortFile->trigger();
    const std::string once = hostsOnDisk();
    const auto identity = platform::fileIdentity(hostsPath());
    prompter.answer(true);
    m().sortFile->trigger();
    EXPECT_EQ(platform::fileIdentity(hostsPath()), identity) << "the sorted file was written again";
    EXPECT_EQ(hostsOnDisk(), once);
    EXPECT_EQ(progressText(), hostsPath() + " is unchanged");
}

TEST_F(FileCommandsTest, MergeRewritesTheOtherAddressAndSorts)
{
    const std::string other = otherFile("list.txt", "0.0.0.0 c.example\n0.0.0.0 b.example\n");
    ASSERT_TRUE(start());
    pick(other);
    prompter.answer(true);
    m().mergeFile->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK make changes to your Hosts file.\r\n"_s
                             u"**Note Merge will alphabetize your HOSTS file and remove #statements."_s);
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tA.example\r\n127.0.0.1\tb.example\r\n"
                             "127.0.0.1\tc.example\r\n192.168.1.5 nas\r\n");
    EXPECT_EQ(rowCount(), 6);

    pick({}); // cancelled dialog
    m().mergeFile->trigger();
    EXPECT_EQ(rowCount(), 6);
}

TEST_F(FileCommandsTest, AppendMenuReloadsEvenAfterCancel)
{
    const std::string other = otherFile("extra", "1.2.3.4 extra.example");
    ASSERT_TRUE(start());
    system.writeFile(hostsPath(), "0.0.0.0 changed.example\r\n");
    pick(other);
    prompter.answer(false);
    m().appendFile->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK make changes to Append file to your Hosts file."_s);
    EXPECT_EQ(rowCount(), 1) << "the list was reloaded from the file";

    pick(other);
    prompter.answer(true);
    m().appendFile->trigger();
    EXPECT_EQ(hostsOnDisk(), "0.0.0.0 changed.example\r\n1.2.3.4 extra.example\r\n");
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(FileCommandsTest, ReplaceWithAnEmptyFileLeavesOneEmptyRow)
{
    const std::string empty = otherFile("empty", "");
    ASSERT_TRUE(start());
    pick(empty);
    prompter.answer(true);
    m().replaceFile->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK to Replace Your Hosts File."_s);
    EXPECT_EQ(hostsOnDisk(), "");
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(progressText(), "1 Lines - Idle");
}

TEST_F(FileCommandsTest, PanelReturnsToIdleAfterEveryOutcome)
{
    const std::string other = otherFile("list", "0.0.0.0 c.example\r\n");
    ASSERT_TRUE(start());
    EXPECT_TRUE(panelIsIdle());

    QTest::mouseClick(w().appendChoice, Qt::LeftButton);
    EXPECT_TRUE(w().selectFile->isEnabled());
    pick({});
    QTest::mouseClick(w().selectFile, Qt::LeftButton);
    EXPECT_TRUE(panelIsIdle()) << "after a cancelled dialog";

    QTest::mouseClick(w().replaceChoice, Qt::LeftButton);
    pick(other);
    prompter.answer(false);
    QTest::mouseClick(w().selectFile, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), u"Press OK to Replace you Hosts File"_s);
    EXPECT_TRUE(panelIsIdle()) << "after a cancelled confirmation";
    EXPECT_EQ(hostsOnDisk(), unsorted);

    QTest::mouseClick(w().appendChoice, Qt::LeftButton);
    pick(other);
    prompter.answer(true);
    QTest::mouseClick(w().selectFile, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), u"Press OK to Append File to your Hosts File"_s);
    EXPECT_TRUE(panelIsIdle()) << "after an append";
    EXPECT_EQ(hostsOnDisk(), unsorted + "0.0.0.0 c.example\r\n");

    QTest::mouseClick(w().mergeChoice, Qt::LeftButton);
    pick(other);
    prompter.answer(true);
    QTest::mouseClick(w().selectFile, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), u"Press OK make changes to your Hosts file.\r\n"_s
                             u"*Note* - Merge will alphabetize your HOSTS file and remove #statements."_s);
    EXPECT_TRUE(panelIsIdle()) << "after a merge";
    EXPECT_TRUE(hostsOnDisk().starts_with("127.0.0.1\tlocalhost\r\n\r\n"));
}

TEST_F(FileCommandsTest, APickedFileThatIsNotTextLeavesTheHostsFileWhole)
{
    const std::string binary = otherFile("binary", std::string("0.0.0.0 x\0y\r\n", 13));
    ASSERT_TRUE(start());
    pick(binary);
    prompter.answer(true); // the error box: the file is read before anything is asked
    m().replaceFile->trigger();
    EXPECT_TRUE(lastMessage().startsWith(u"ERROR: Cannot load "_s + QString::fromStdString(binary)));
    EXPECT_EQ(hostsOnDisk(), unsorted);
}

TEST_F(FileCommandsTest, RemoveAllBlockingLeavesTheLocalhostLineAndOtherAddresses)
{
    writeHosts(sorted + "0.0.0.0\tkept.example\r\n# about 127.0.0.1\r\n");
    ASSERT_TRUE(start());
    prompter.answer(true);
    QTest::mouseClick(w().removeAllBlocking, Qt::LeftButton);
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 \tlocalhost\r\n192.168.1.5 nas\r\n0.0.0.0\tkept.example\r\n");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Vendrel"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"Your changes have been made"_s);
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(progressText(), "3 Lines - Idle");
}

TEST_F(FileCommandsTest, TheRefusalNamesTheLocalhostLineWhoseAddressIsNotABlockingOne)
{
    writeHosts("127.0.0.1 localhost\r\n10.9.9.9\tlocalhost\r\n");
    ASSERT_TRUE(start());
    prompter.answer(true);
    m().swapLocalhosts->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.contains(u"the last localhost line is '10.9.9.9 localhost'"_s))
        << prompter.shown()[0].text.toStdString();
}

TEST_F(FileCommandsTest, WithoutABlockingAddressNothingIsRemovedOrSwapped)
{
    writeHosts("# 127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n");
    ASSERT_TRUE(start());
    EXPECT_EQ(window->redirectAddress(), "");
    prompter.answer(true);
    QTest::mouseClick(w().removeAllBlocking, Qt::LeftButton);
    prompter.answer(true);
    m().swapLocalhosts->trigger();
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Information"_s);
    EXPECT_TRUE(prompter.shown()[1].text.startsWith(u"No blocking address is set"_s));
    EXPECT_EQ(hostsOnDisk(), "# 127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n");
    EXPECT_EQ(cell(1, 1), "ads.example");
}

TEST_F(FileCommandsTest, RemoveSaysWhatItFoundWhenEveryEntryBlocksWithTheOtherAddress)
{
    const std::string linuxFile = "127.0.0.1 localhost\n::1 localhost\n0.0.0.0 a.example\n";
    writeHosts(linuxFile);
    ASSERT_TRUE(start());
    EXPECT_EQ(window->redirectAddress(), "127.0.0.1") << "the IPv6 localhost line names no blocking address";
    prompter.answer(true);
    QTest::mouseClick(w().removeAllBlocking, Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              u"No line held 127.0.0.1; 1 entry blocks with 0.0.0.0. Swap localhosts first to remove those."_s);
    EXPECT_EQ(hostsOnDisk(), linuxFile);
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(cell(2, 1), "a.example");
}

TEST_F(FileCommandsTest, SwapTwiceRestoresTheAddressColumn)
{
    writeHosts("127.0.0.1 localhost\r\n#127.0.0.1 off.example\r\n0.0.0.0 already.example\r\n");
    ASSERT_TRUE(start());
    m().swapLocalhosts->trigger();
    EXPECT_EQ(window->redirectAddress(), "0.0.0.0");
    EXPECT_EQ(hostsOnDisk(), "0.0.0.0\tlocalhost\r\n#0.0.0.0\toff.example\r\n0.0.0.0\talready.example\r\n");
    m().swapLocalhosts->trigger();
    EXPECT_EQ(window->redirectAddress(), "127.0.0.1");
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n#127.0.0.1\toff.example\r\n127.0.0.1\talready.example\r\n")
        << "a cell that held the new address follows the second swap";
}

TEST_F(FileCommandsTest, BackupAsksOnlyToOverwriteAndRestoreGivesTheSavedList)
{
    ASSERT_TRUE(start());
    EXPECT_FALSE(w().restoreBackup->isEnabled());
    prompter.answer(true);
    QTest::mouseClick(w().createBackup, Qt::LeftButton);
    ASSERT_EQ(prompter.shown().size(), 1u) << "the first backup does not ask";
    EXPECT_EQ(lastMessage(), u"Backup Successfully Created"_s);
    EXPECT_TRUE(w().restoreBackup->isEnabled());
    EXPECT_TRUE(m().restoreBackup->isEnabled());
    const std::string backup = testing_support::FakePlatform::readFile(window->paths().backupPath());
    EXPECT_EQ(backup, "#\tmy list\r\n127.0.0.1\tlocalhost\r\n0.0.0.0\tb.example\r\n127.0.0.1\tA.example # ad\r\n"
                      "192.168.1.5\tnas\r\n");

    prompter.answer(false);
    m().createBackup->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK to overwrite previous backup"_s);

    system.writeFile(hostsPath(), "0.0.0.0 other.example\r\n");
    prompter.answer(true);
    QTest::mouseClick(w().restoreBackup, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), u"Press OK to restore Backup Hosts File."_s);
    EXPECT_EQ(hostsOnDisk(), backup);
    EXPECT_EQ(rowCount(), 5);
    EXPECT_FALSE(window->hostsReadOnly());
}

TEST_F(FileCommandsTest, RestoreDefaultWritesTheStockFile)
{
    ASSERT_TRUE(start());
    prompter.answer(true);
    m().restoreMsHosts->trigger();
    EXPECT_EQ(lastMessage(), u"Press OK to Restore Microsofts original Hosts File"_s);
    EXPECT_EQ(rowCount(), 19);
    EXPECT_EQ(cell(18, 0), "127.0.0.1");
    EXPECT_EQ(cell(18, 1), "localhost");
    EXPECT_EQ(window->redirectAddress(), "127.0.0.1");
}

} // namespace
