#include "pellbrook/pellbrook_app.h"
#include "pellbrook/safe_mode_dialog.h"

#include "fake_boot_platform.h"
#include "gui_doubles.h"

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBootPlatform;

bool anyWindowShown()
{
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            return true;
    return false;
}

TEST(Start, SecondInstanceEndsAtOnceShowingNothing)
{
    FakeBootPlatform machine;
    ScriptedPrompter prompter;
    RecordingWebLinkOpener web;
    const auto firstInstance = machine.claimSingleInstance(pellbrook::instanceName);
    ASSERT_TRUE(firstInstance);
    EXPECT_EQ(pellbrook::runPellbrook(machine, prompter, web), -1);
    EXPECT_FALSE(anyWindowShown());
    EXPECT_TRUE(machine.events.empty());
}

TEST(Start, FirstInstanceRunsTheDialogAndLetsTheNextOneIn)
{
    FakeBootPlatform machine;
    ScriptedPrompter prompter;
    RecordingWebLinkOpener web;
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<pellbrook::SafeModeDialog*>(QApplication::activeModalWidget());
        sawDialog = dialog != nullptr;
        EXPECT_FALSE(machine.claimSingleInstance(pellbrook::instanceName)) << "held while the dialog runs";
        if (dialog)
            dialog->reject();
    });
    EXPECT_EQ(pellbrook::runPellbrook(machine, prompter, web), 0);
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(machine.claimSingleInstance(pellbrook::instanceName)) << "released at the end";
    EXPECT_EQ(machine.restartRequests, 0);
}

// The built program, started while the lock is held, exits with -1 (255 as
// an exit status) before it shows anything. Should the lock ever fail, the
// dialog would wait offscreen without input until the timeout kills it.
TEST(Start, SecondProgramExitsWithMinusOne)
{
    FakeBootPlatform machine;
    const std::string runtime = machine.drive('C');
    const auto firstInstance = platform::claimInstanceLock(runtime, pellbrook::instanceName);
    ASSERT_TRUE(firstInstance);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Where the lock lies: the runtime folder on POSIX, the temporary folder on Windows.
    for (const char* folder : {"XDG_RUNTIME_DIR", "TMP", "TEMP"})
        environment.insert(QString::fromLatin1(folder), QString::fromStdString(runtime));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(PELLBROOK_PROGRAM), {});
    const bool ended = program.waitForFinished(20000);
    if (!ended)
        program.kill();
    ASSERT_TRUE(ended);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode() & 0xff, 255); // Windows gives all 32 bits of the -1
}

} // namespace
