// A block list downloaded through WinInet from a local server and merged,
// with Windows' own platform plugin: the transfer's events reach the window
// through the desktop's message loop while the window stays responsive.

#include "editor_fixture.h"
#include "local_http_server.h"
#include "vendrel/main_menus.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

using namespace vendrel::gui; // the editor's classes

namespace {

using testing_support::FakePlatform;

class DownloadDesktopTest : public EditorFixture {
protected:
    testing_support::LocalHttpServer server;

    template <typename Condition>
    bool waitFor(Condition done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 15000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};

TEST_F(DownloadDesktopTest, AMergedListArrivesThroughWinInet)
{
    server.serve("/winhelp2002/hosts.zip", {200, FakePlatform::readFile(VENDREL_GUI_TEST_DATA "/mvps_hosts.zip")});
    writeHosts("127.0.0.1 localhost\r\n0.0.0.0 mine.example\r\n");
    MainWindowOptions options;
    options.endProgram = [this](int code) { endedWith = code; };
    options.shell = &shell;
    options.downloadHost = server.hostAndPort();
    window = std::make_unique<MainWindow>(system, prompter, options);
    ASSERT_TRUE(window->FormCreate());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    prompter.answer(true);
    prompter.answer(true); // what the list left out
    m().mvpsMerge->trigger();
    ASSERT_TRUE(waitFor([this] { return hostsOnDisk().starts_with("127.0.0.1\tlocalhost\r\n\r\n"); }));
    ASSERT_TRUE(waitFor([this] { return window->grabber().status() == vendrel::GrabberStatus::Stopped; }));
    EXPECT_EQ(hostsOnDisk(), "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tmine.example\r\n"
                             "127.0.0.1\ttrack.example\r\n");
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(progressText(), "5 Lines - Idle");
    EXPECT_TRUE(prompter.allAnswersUsed());
}

} // namespace
