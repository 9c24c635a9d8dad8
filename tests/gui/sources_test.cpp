// The Download menu's sources: the dialog that lists and edits them, and
// Update All Sources, which runs as a download does and applies every
// enabled source in one change.

#include "editor_fixture.h"

#include "local_http_server.h"
#include "vendrel/sources_dialog.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

using testing_support::FakePlatform;
using testing_support::LocalHttpServer;

class SourcesTest : public EditorFixture {
protected:
    LocalHttpServer server;

    void SetUp() override
    {
        writeHosts("127.0.0.1 localhost\r\n0.0.0.0 mine.example\r\n");
        system.writeFile(system.programFolderPath() + "/sources.ini",
                         "[one]\naddress = " + server.url("/one") + "\n[two]\naddress = " + server.url("/two") +
                             "\n[off]\naddress = " + server.url("/off") + "\nenabled = no\n");
        server.serve("/one", {200, "ads.example\n6.6.6.6 bank.example\n"});
        server.serve("/two", {200, "0.0.0.0 track.example\n"});
        MainWindowOptions options;
        options.endProgram = [this](int code) { endedWith = code; };
        options.shell = &shell;
        window = std::make_unique<MainWindow>(system, prompter, options);
        ASSERT_TRUE(window->FormCreate());
    }

    // The window, and the update it may run, go while the server still answers.
    void TearDown() override
    {
        window.reset();
        EditorFixture::TearDown();
    }

    template <typename Condition>
    bool waitFor(Condition done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 15000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    bool idle() const { return m().updateAllSources->isEnabled() && !m().cancelDownload->isEnabled(); }
    std::string sourcesFile() const { return FakePlatform::readFile(system.programFolderPath() + "/sources.ini"); }
};

TEST_F(SourcesTest, UpdateAllSourcesAppliesTheEnabledOnesInOneChange)
{
    prompter.answer(true); // the question
    prompter.answer(true); // the report
    m().updateAllSources->trigger();
    EXPECT_TRUE(m().cancelDownload->isEnabled());
    EXPECT_FALSE(m().showSources->isEnabled());
    ASSERT_TRUE(waitFor([this] { return idle() && prompter.shown().size() == 2; }));
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tmine.example\r\n"
                             "127.0.0.1\ttrack.example\r\n");
    EXPECT_EQ(prompter.shown()[0].text, u"Press OK to download the 2 enabled sources\r\nand UPDATE your Hosts file "
                                        u"with them."_s);
    const QString report = prompter.shown()[1].text;
    EXPECT_TRUE(report.contains(u"one: updated, 1 entry; 1 line of list one was not a blocking entry"_s))
        << report.toStdString();
    EXPECT_TRUE(report.contains(u"Added 2 and removed 0 entries."_s)) << report.toStdString();
    EXPECT_EQ(progressText(), "5 Lines - Idle");
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(system.programFolderPath() + "/sources/source.one.record"));
}

TEST_F(SourcesTest, CancelDownloadEndsAnUpdateAndChangesNothing)
{
    LocalHttpServer::Response slow(200, "late.example\n");
    slow.stallMilliseconds = 5000;
    server.serve("/two", slow);
    const std::string before = hostsOnDisk();
    prompter.answer(true);
    m().updateAllSources->trigger();
    ASSERT_TRUE(waitFor([this] { return server.requests().size() == 2; }));
    m().cancelDownload->trigger();
    EXPECT_TRUE(idle());
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(hostsOnDisk(), before);
    EXPECT_EQ(prompter.shown().size(), 1u);
}

// The dialog is driven as a user would: type a source and Add, clear a
// check box, select a row and Remove; every step is in the file at once.
TEST_F(SourcesTest, TheDialogAddsEnablesAndRemovesSources)
{
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<SourcesDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTableWidget* table = dialog->table();
        EXPECT_EQ(table->rowCount(), 3);
        EXPECT_EQ(table->item(2, 2)->checkState(), Qt::Unchecked);
        dialog->nameEdit()->setText(u"more"_s);
        dialog->addressEdit()->setText(u"https://lists.example/more.txt"_s);
        EXPECT_TRUE(dialog->addTypedSource());
        EXPECT_EQ(table->rowCount(), 4);
        dialog->nameEdit()->setText(u"ONE"_s);
        dialog->addressEdit()->setText(u"https://x.example/"_s);
        prompter.answer(true);
        EXPECT_FALSE(dialog->addTypedSource()); // the name is taken
        table->item(0, 2)->setCheckState(Qt::Unchecked);
        table->selectRow(1);
        dialog->removeSelectedSource();
        EXPECT_EQ(table->rowCount(), 3);
        driven = true;
        dialog->reject();
    });
    m().showSources->trigger();
    ASSERT_TRUE(driven);
    const std::string text = sourcesFile();
    EXPECT_NE(text.find("[one]\naddress = " + server.url("/one") + "\nenabled = no\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("[two]"), std::string::npos);
    EXPECT_NE(text.find("[more]\naddress = https://lists.example/more.txt\nenabled = yes\n"), std::string::npos);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, u"There is a source named ONE already."_s);
}

} // namespace
