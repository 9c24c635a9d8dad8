#include "editor_fixture.h"

#include "fake_privileged_writer.h"
#include "local_http_server.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

using testing_support::FakePlatform;
using testing_support::LocalHttpServer;

const std::string hostsText = "127.0.0.1 localhost\r\n0.0.0.0 mine.example\r\n";

class DownloadTest : public EditorFixture {
protected:
    LocalHttpServer server;

    void SetUp() override
    {
        writeHosts(hostsText);
        server.serve("/winhelp2002/hosts.zip", {200, FakePlatform::readFile(VENDREL_GUI_TEST_DATA "/mvps_hosts.zip")});
        server.serve("/download/hosts.zip", {200, FakePlatform::readFile(VENDREL_GUI_TEST_DATA "/hphosts_hosts.zip")});
    }

    bool startEditor()
    {
        MainWindowOptions options;
        options.dpi = 96;
        options.endProgram = [this](int code) { endedWith = code; };
        options.shell = &shell;
        options.downloadHost = server.hostAndPort();
        window = std::make_unique<MainWindow>(system, prompter, options);
        return window->FormCreate();
    }
    bool startSlowMerge(int stallMilliseconds);

    // Lets the window handle the worker's events until `done` holds.
    template <typename Condition>
    bool waitFor(Condition done, int milliseconds = 15000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < milliseconds)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    bool downloadEnded()
    {
        return window->grabber().status() == vendrel::GrabberStatus::Stopped && !m().cancelDownload->isEnabled();
    }
    bool menusIdle() const
    {
        return m().mvpsSubmenu->menuAction()->isEnabled() && m().edit->menuAction()->isEnabled() &&
               m().appendFile->isEnabled() && !m().cancelDownload->isEnabled();
    }
    std::string programFile(const std::string& name) const { return system.programFolderPath() + "/" + name; }
};

TEST_F(DownloadTest, MergeAsksThenAppliesTheListAndCleansUp)
{
    ASSERT_TRUE(startEditor());
    prompter.answer(true);
    prompter.answer(true); // what the list left out
    m().mvpsMerge->trigger();
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_EQ(prompter.shown()[0].caption, u"Warning"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"Press OK to download\r\nhttp://"_s +
                                            QString::fromStdString(server.hostAndPort()) +
                                            u"/winhelp2002/hosts.zip\r\nand MERGE it with your Hosts file."_s);
    EXPECT_TRUE(m().cancelDownload->isEnabled());
    EXPECT_FALSE(m().mvpsSubmenu->menuAction()->isEnabled());
    EXPECT_FALSE(m().whitelist->menuAction()->isEnabled());
    EXPECT_TRUE(m().exit->isEnabled());

    ASSERT_TRUE(waitFor([this] { return hostsOnDisk().starts_with("127.0.0.1\tlocalhost\r\n\r\n"); }));
    ASSERT_TRUE(waitFor([this] { return window->grabber().status() == vendrel::GrabberStatus::Stopped; }));
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tmine.example\r\n"
                             "127.0.0.1\ttrack.example\r\n");
    EXPECT_TRUE(menusIdle());
    EXPECT_EQ(progressText(), "5 Lines - Idle");
    EXPECT_FALSE(std::filesystem::exists(programFile("hosts.zip")));
    EXPECT_FALSE(std::filesystem::exists(programFile("HOSTS")));
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[1].text, u"1 line of list mvps was not a blocking entry and was left out."_s);
}

// The list is applied as every command is: a write the administrator's
// helper is refused ends those rights, as after any other change.
TEST_F(DownloadTest, ARefusedWriteOfTheListEndsTheAdministratorsRightsNotTheDownloadAlone)
{
    testing_support::FakePrivilegedWriter writer{hostsPath()};
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly);
    system.refuseAttributeChanges = true;
    system.privilegedWriter = &writer;
    ASSERT_TRUE(startEditor());
    prompter.answer(true); // administrator rights
    QTest::mouseClick(w().writableToggle, Qt::LeftButton);
    ASSERT_FALSE(window->hostsReadOnly());
    writer.grantsAuthorisation = false;
    prompter.answer(true); // the download
    prompter.answer(true); // the refusal
    m().mvpsMerge->trigger();
    ASSERT_TRUE(waitFor([this] { return downloadEnded(); }));
    const QString told = prompter.shown().back().text;
    EXPECT_TRUE(told.endsWith(u"The list is read-only again."_s)) << told.toStdString();
    EXPECT_FALSE(told.contains(u"trouble downloading"_s)) << told.toStdString();
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(hostsOnDisk(), hostsText);
    EXPECT_FALSE(std::filesystem::exists(programFile("hosts.zip")));
    EXPECT_FALSE(endedWith.has_value());
}

TEST_F(DownloadTest, ReplaceWritesTheMembersLinesWithCrLf)
{
    ASSERT_TRUE(startEditor());
    prompter.answer(true);
    prompter.answer(true); // what the list left out
    m().hphostsReplace->trigger();
    EXPECT_TRUE(prompter.shown()[0].text.endsWith(u"\r\nand REPLACE your Hosts file."_s));
    ASSERT_TRUE(waitFor([this] { return hostsOnDisk().find("hp-one") != std::string::npos; }));
    ASSERT_TRUE(waitFor([this] { return downloadEnded(); }));
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1 localhost\r\n127.0.0.1 hp-one.example\r\n127.0.0.1 hp-two.example\r\n");
    EXPECT_FALSE(std::filesystem::exists(programFile("HOSTS.txt")));
}

TEST_F(DownloadTest, ARunningDnsClientServiceStopsEveryDownload)
{
    system.serviceStates["dnscache"] = 4;
    ASSERT_TRUE(startEditor());
    prompter.answer(true);
    m().mvpsMerge->trigger();
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(u"Your DNSClient Service is running and\r\n"_s));
    EXPECT_TRUE(prompter.shown()[0].text.endsWith(u"Download CANCELLED."_s));
    EXPECT_TRUE(menusIdle());
    EXPECT_TRUE(server.requests().empty());

    prompter.answer(true);
    m().checkDnsService->trigger();
    EXPECT_EQ(prompter.shown().back().text, u"DNS Service IS running"_s);
    system.serviceStates["dnscache"] = 2; // start pending counts as not running
    prompter.answer(true);
    m().checkDnsService->trigger();
    EXPECT_EQ(prompter.shown().back().caption, u"Information"_s);
    EXPECT_EQ(prompter.shown().back().text, u"DNS Service is NOT running"_s);
}

TEST_F(DownloadTest, ABodyThatIsNotAnArchiveIsReportedAndChangesNothing)
{
    server.serve("/winhelp2002/hosts.zip", {200, "<html>maintenance</html>"});
    system.writeFile(programFile("HOSTS"), "0.0.0.0 stale.example\r\n");
    ASSERT_TRUE(startEditor());
    prompter.answer(true); // confirmation
    prompter.answer(true); // the trouble report
    m().mvpsMerge->trigger();
    ASSERT_TRUE(waitFor([this] { return prompter.shown().size() == 2; }));
    ASSERT_TRUE(waitFor([this] { return downloadEnded(); }));
    EXPECT_TRUE(prompter.shown()[1].text.startsWith(u"Vendrel had trouble downloading."_s));
    EXPECT_NE(prompter.shown()[1].text.indexOf(u"sent a web page, not a block list"_s), -1);
    EXPECT_EQ(hostsOnDisk(), hostsText) << "a stale list of the same name is never applied";
    EXPECT_TRUE(menusIdle());
    EXPECT_FALSE(std::filesystem::exists(programFile("hosts.zip")));
}

// Starts the editor and a merge download from a server that waits
// `stallMilliseconds` before it answers; false when the editor did not start.
bool DownloadTest::startSlowMerge(int stallMilliseconds)
{
    LocalHttpServer::Response slow{200, FakePlatform::readFile(VENDREL_GUI_TEST_DATA "/mvps_hosts.zip")};
    slow.stallMilliseconds = stallMilliseconds;
    server.serve("/winhelp2002/hosts.zip", slow);
    if (!startEditor())
        return false;
    prompter.answer(true);
    m().mvpsMerge->trigger();
    return true;
}

TEST_F(DownloadTest, CancelReturnsToIdleAndIgnoresLateProgress)
{
    ASSERT_TRUE(startSlowMerge(3000));
    EXPECT_EQ(progressText(), "Connecting to Site");
    m().cancelDownload->trigger();
    EXPECT_TRUE(menusIdle());
    EXPECT_EQ(progressText(), "2 Lines - Idle");
    ASSERT_TRUE(waitFor([this] { return window->grabber().status() == vendrel::GrabberStatus::Stopped; }));
    EXPECT_EQ(progressText(), "2 Lines - Idle");
    EXPECT_EQ(hostsOnDisk(), hostsText);
}

TEST_F(DownloadTest, ClosingTheWindowDuringADownloadEndsItPromptly)
{
    ASSERT_TRUE(startSlowMerge(8000));
    ASSERT_TRUE(waitFor([this] { return window->grabber().status() == vendrel::GrabberStatus::Receiving; }));
    QElapsedTimer timer;
    timer.start();
    window.reset();
    EXPECT_LT(timer.elapsed(), 3000);
    QApplication::processEvents(); // events the worker posted before it ended find no window and do nothing
    EXPECT_EQ(hostsOnDisk(), hostsText);
}

TEST_F(DownloadTest, OlderSystemsDownloadNothing)
{
    testing_support::FakePlatform older(false);
    older.writeFile(older.legacyHostsPath(older.windowsDirectory()), hostsText);
    MainWindowOptions options;
    options.dpi = 96;
    options.endProgram = [this](int code) { endedWith = code; };
    options.downloadHost = server.hostAndPort();
    MainWindow olderWindow(older, prompter, options);
    ASSERT_TRUE(olderWindow.FormCreate());
    olderWindow.menus().mvpsMerge->trigger();
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
