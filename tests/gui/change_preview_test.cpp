// The editor's confirmations of whole-file commands tell, under "Show
// Details...", what the command will do; what OK then writes is what they told.

#include "editor_fixture.h"

#include "core/history/hosts_history.h"
#include "core/preview/change_summary.h"
#include "vendrel/cell_text_codec.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>
#include <functional>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string unsorted = "# my list\r\n127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n127.0.0.1 A.example # ad\r\n"
                             "127.0.0.1 a.example\r\n192.168.1.5 nas\r\n";

class ChangePreviewTest : public EditorFixture {
protected:
    std::string picked = system.writeFile(system.root() + "/picked.txt", "0.0.0.0 new.example\n# theirs\n");

    void SetUp() override
    {
        writeHosts(unsorted);
        system.writeFile(system.programFolderPath() + "/hostsbak.bak", "127.0.0.1 localhost\r\n");
    }
    void clickPanel(QRadioButton* choice)
    {
        QTest::mouseClick(choice, Qt::LeftButton);
        QTest::mouseClick(w().selectFile, Qt::LeftButton);
    }
    // The details the change from `before` to the file now on disk is told with.
    QString detailsOfWhatWasWritten(const std::string& before) const
    {
        return decodeFileBytes(vendrel::describeChange(vendrel::summarizeChange(before, hostsOnDisk()))).text;
    }
    std::size_t versionsKept() const
    {
        return vendrel::HostsHistory(system.programFolderPath() + "/history").versions().size();
    }
};

TEST_F(ChangePreviewTest, EveryWholeFileConfirmationTellsTheChangeOKThenMakes)
{
    struct Case {
        const char* name;
        bool picksFile;
        std::function<void()> run;
    };
    const std::vector<Case> cases = {
        {"sort", false, [this] { m().sortFile->trigger(); }},
        {"merge", true, [this] { m().mergeFile->trigger(); }},
        {"append", true, [this] { m().appendFile->trigger(); }},
        {"replace", true, [this] { m().replaceFile->trigger(); }},
        {"panel merge", true, [this] { clickPanel(w().mergeChoice); }},
        {"panel append", true, [this] { clickPanel(w().appendChoice); }},
        {"panel replace", true, [this] { clickPanel(w().replaceChoice); }},
        {"restore backup", false, [this] { m().restoreBackup->trigger(); }},
        {"restore default", false, [this] { m().restoreMsHosts->trigger(); }},
    };
    ASSERT_TRUE(start());
    for (const Case& command : cases) {
        writeHosts(unsorted);
        window->PopulateList();
        if (command.picksFile)
            prompter.answerFile(QString::fromStdString(picked));
        prompter.answer(true);
        command.run();
        ASSERT_FALSE(prompter.shown().empty()) << command.name;
        const Prompter::Message& asked = prompter.shown().back();
        EXPECT_EQ(asked.caption, u"Confirm"_s) << command.name;
        EXPECT_NE(hostsOnDisk(), unsorted) << command.name;
        EXPECT_TRUE(asked.details.startsWith(u"Lines: 6 -> "_s)) << command.name << ": " << asked.details.toStdString();
        EXPECT_EQ(asked.details, detailsOfWhatWasWritten(unsorted)) << command.name;
    }
}

TEST_F(ChangePreviewTest, CancelLeavesTheFileAndTheRowsAsTheyWereAndKeepsNoVersion)
{
    ASSERT_TRUE(start());
    prompter.answer(false);
    m().sortFile->trigger();
    const QString details = prompter.shown().back().details;
    EXPECT_TRUE(details.contains(u"Comments dropped: 1"_s)) << details.toStdString();
    EXPECT_EQ(hostsOnDisk(), unsorted);
    EXPECT_EQ(rowCount(), 6);
    EXPECT_EQ(cell(0, 0) + cell(0, 1), "#my list");
    EXPECT_EQ(versionsKept(), 0u);
}

TEST_F(ChangePreviewTest, AChangeMadeElsewhereWhileTheQuestionIsShownIsNotWrittenOver)
{
    const std::string theirs = unsorted + "0.0.0.0 theirs.example\r\n";
    ASSERT_TRUE(start());
    prompter.whileNextShown([&] { writeHosts(theirs); });
    prompter.answer(true);  // the sort's question
    prompter.answer(false); // the offer to reload
    m().sortFile->trigger();
    EXPECT_EQ(hostsOnDisk(), theirs);
    EXPECT_TRUE(prompter.shown().back().text.contains(u"was changed by another program"_s))
        << prompter.shown().back().text.toStdString();
    EXPECT_EQ(versionsKept(), 0u);
    EXPECT_FALSE(endedWith.has_value());
}

TEST_F(ChangePreviewTest, TheDownloadQuestionSaysTheChangeCannotBeCountedBeforeTheListArrives)
{
    ASSERT_TRUE(start());
    prompter.answer(false);
    m().mvpsMerge->trigger();
    ASSERT_FALSE(prompter.shown().empty());
    const QString details = prompter.shown().back().details;
    EXPECT_TRUE(details.contains(u"cannot be counted yet"_s)) << details.toStdString();
}

} // namespace
