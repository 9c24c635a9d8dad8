#include "editor_fixture.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>

using namespace vendrel::gui; // the editor's classes

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string typicalHosts = "# comment\r\n127.0.0.1 localhost\r\n0.0.0.0 ads.example.com\r\n";

class StartupTest : public EditorFixture {};

TEST_F(StartupTest, LoadsTheHostsFileAndShowsTheLineCount)
{
    writeHosts(typicalHosts);
    ASSERT_TRUE(start());
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(cell(2, 0), "0.0.0.0");
    EXPECT_EQ(cell(2, 1), "ads.example.com");
    EXPECT_EQ(window->redirectAddress(), "127.0.0.1");
    EXPECT_EQ(progressText(), "3 Lines - Idle");
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts ReadOnly?"_s);
    EXPECT_TRUE(w().editingTools->isEnabled());
    EXPECT_EQ(system.trimCalls, 1);
    EXPECT_EQ(hostsOnDisk(), typicalHosts) << "loading alone never writes";
}

TEST_F(StartupTest, SystemFileOkClearsOnlyHiddenAndSystem)
{
    writeHosts(typicalHosts);
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly | platform::Hidden | platform::System);
    prompter.answer(true);
    ASSERT_TRUE(start());

    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto& warning = prompter.shown()[0];
    EXPECT_EQ(warning.caption, u"Warning"_s);
    EXPECT_TRUE(warning.okCancel);
    EXPECT_EQ(warning.text,
              QString::fromLatin1("Your HOSTS file is marked as a \"system file\" and can NOT be manipulated.\r\n"
                                  "Press OK to remove hidden and system file attributes, CANCEL to Quit.\r\n\r\n"
                                  "       ***Vendrel will NOT reset these attributes.***"));
    EXPECT_EQ(system.fileAttributes(hostsPath()), platform::ReadOnly);
    EXPECT_EQ(rowCount(), 3);
    EXPECT_TRUE(window->hostsReadOnly());
}

TEST_F(StartupTest, SystemFileCancelEndsWithoutTouchingTheFile)
{
    writeHosts(typicalHosts);
    system.setAttributesDirectly(hostsPath(), platform::Hidden | platform::System);
    prompter.answer(false);
    EXPECT_FALSE(start());
    EXPECT_EQ(endedWith, 0);
    EXPECT_EQ(system.fileAttributes(hostsPath()), platform::Hidden | platform::System);
    EXPECT_EQ(system.attributeChanges, 0);
    EXPECT_EQ(system.trimCalls, 0) << "nothing was loaded";
}

TEST_F(StartupTest, HiddenFileIsMadeVisibleWithoutAsking)
{
    writeHosts(typicalHosts);
    system.setAttributesDirectly(hostsPath(), platform::Hidden);
    ASSERT_TRUE(start());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(system.fileAttributes(hostsPath()), 0);
}

TEST_F(StartupTest, ReadOnlyFileLoadsInTheReadOnlyState)
{
    writeHosts(typicalHosts);
    system.setAttributesDirectly(hostsPath(), platform::ReadOnly);
    ASSERT_TRUE(start());
    EXPECT_EQ(rowCount(), 3);
    EXPECT_TRUE(window->hostsReadOnly());
    EXPECT_EQ(w().writableToggle->text(), u"Make Hosts Writable?"_s);
    const std::initializer_list<const QWidget*> editingControls = {w().editingTools, w().backupAndRestore,
                                                                   w().fileHandling, w().widenButton};
    for (const QWidget* control : editingControls)
        EXPECT_FALSE(control->isEnabled());
    for (const QMenu* menu : {m().recovery, m().edit, m().download, m().whitelist, m().memopad})
        EXPECT_FALSE(menu->menuAction()->isEnabled()) << menu->title().toStdString();
    EXPECT_FALSE(m().appendFile->isEnabled());
    EXPECT_TRUE(m().exit->isEnabled());
    EXPECT_TRUE(m().help->menuAction()->isEnabled());
    EXPECT_TRUE(w().searchPanel->isEnabled());
    EXPECT_EQ(system.fileAttributes(hostsPath()), platform::ReadOnly) << "start-up never clears read-only";
}

TEST_F(StartupTest, MissingFileOkWritesTheDefaultTextAndLoadsIt)
{
    prompter.answer(true);
    ASSERT_TRUE(start());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Confirm"_s);
    EXPECT_EQ(prompter.shown()[0].text, u"HOSTS file does not exist, press OK to create HOSTS file, Cancel to Quit."_s);
    EXPECT_EQ(rowCount(), 19);
    EXPECT_EQ(window->redirectAddress(), "127.0.0.1");
    const std::string written = hostsOnDisk();
    EXPECT_TRUE(written.ends_with("#  \r\n127.0.0.1 localhost\r\n"));
    EXPECT_EQ(progressText(), "19 Lines - Idle");
}

TEST_F(StartupTest, MissingFileCancelEndsAndWritesNothing)
{
    prompter.answer(false);
    EXPECT_FALSE(start());
    EXPECT_EQ(endedWith, 0);
    EXPECT_FALSE(system.fileExists(hostsPath()));
}

TEST_F(StartupTest, OlderSystemsUseTheHostsFileInTheOsFolderAndHideNtMenus)
{
    testing_support::FakePlatform olderSystem(false);
    const std::string legacy = olderSystem.legacyHostsPath(olderSystem.windowsDirectory());
    olderSystem.writeFile(legacy, typicalHosts);
    MainWindowOptions options;
    options.dpi = 96;
    options.endProgram = [this](int code) { endedWith = code; };
    MainWindow older(olderSystem, prompter, options);
    ASSERT_TRUE(older.FormCreate());
    EXPECT_EQ(older.hostsPath(), legacy);
    EXPECT_FALSE(older.menus().memopad->menuAction()->isVisible());
    EXPECT_FALSE(older.menus().checkDnsService->isVisible());
}

TEST_F(StartupTest, NtSystemsShowMemopadAndDnsItemsAndHelpOnlyWithItsFile)
{
    writeHosts(typicalHosts);
    ASSERT_TRUE(start());
    EXPECT_TRUE(m().memopad->menuAction()->isVisible());
    EXPECT_TRUE(m().checkDnsService->isVisible());
    EXPECT_TRUE(m().dnsSeparator->isVisible());
    EXPECT_FALSE(m().viewHelpFile->isVisible());

    system.writeFile(system.programFolder() + "/Vendrel.chm", "help");
    window.reset();
    ASSERT_TRUE(start());
    EXPECT_TRUE(m().viewHelpFile->isVisible());
}

TEST_F(StartupTest, FileWithNulBytesIsRefusedAndLeftWhole)
{
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("1\0002\0007\000", 6);
    writeHosts(utf16);
    prompter.answer(true);
    EXPECT_FALSE(start());
    EXPECT_EQ(endedWith, 1);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].caption, u"Error"_s);
    EXPECT_TRUE(prompter.shown()[0].text.startsWith(u"ERROR: Cannot load "_s + QString::fromStdString(hostsPath())));
    EXPECT_EQ(hostsOnDisk(), utf16);
}

TEST_F(StartupTest, UnreadableSystemFolderEndsWithThePlatformsText)
{
    system.failSystemDirectory = true;
    prompter.answer(true);
    EXPECT_FALSE(start());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, u"ERROR: The system cannot find the path specified."_s);
    EXPECT_EQ(endedWith, 1);
}

} // namespace
