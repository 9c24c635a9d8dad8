#pragma once

#include "fake_platform.h"
#include "scripted_prompter.h"
#include "vendrel/desktop_shell.h"
#include "vendrel/main_window.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

using namespace vendrel::gui; // the editor's classes

// Shows QString values readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// A desktop that records what it was asked to open instead of opening it.
class RecordingShell final : public DesktopShell {
public:
    void open(const QString& target) override { opened.append(target); }
    QStringList opened;
};

// An editor window on a fake platform with pre-answered prompts. The program
// end is recorded instead of leaving an event loop.
class EditorFixture : public ::testing::Test {
protected:
    testing_support::FakePlatform system;
    ScriptedPrompter prompter;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window;
    std::optional<int> endedWith;
    // Where start() has the window fetch the block lists from ("name:port"); their publishers when empty.
    std::string downloadHost;

    std::string hostsPath() const { return system.hostsPath(); }
    void writeHosts(const std::string& bytes) { system.writeFile(hostsPath(), bytes); }
    std::string hostsOnDisk() const { return testing_support::FakePlatform::readFile(hostsPath()); }

    // An answer left over means a prompt the test expected never came.
    void TearDown() override { EXPECT_TRUE(prompter.allAnswersUsed()) << "a scripted answer was left unused"; }

    // Creates the window and runs its start-up; false when the program ended.
    bool start(double dpi = 96.0);

    const MainWidgets& w() const { return window->widgets(); }
    const MainMenus& m() const { return window->menus(); }
    std::string cell(int row, int column) const;
    int rowCount() const;
    std::string progressText() const;
};
