#include "core/error.h"
#include "core/hosts/editor_paths.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using testing_support::FakePlatform;

TEST(EditorPaths, HostsFileLivesInTheHostsFolderWhenItExists)
{
    FakePlatform fake;
    const std::string systemDir = fake.systemDirectory();
    const std::string expected = fake.hostsFolder(systemDir) + "/hosts";
    EXPECT_EQ(vendrel::chooseHostsPath(fake, systemDir, fake.windowsDirectory()), expected);
    EXPECT_EQ(expected, fake.hostsPath());
}

TEST(EditorPaths, OlderSystemsUseTheLegacyFileInTheOsFolder)
{
    FakePlatform fake(false);
    ASSERT_FALSE(std::filesystem::exists(fake.hostsFolder(fake.systemDirectory())));
    EXPECT_EQ(vendrel::chooseHostsPath(fake, fake.systemDirectory(), fake.windowsDirectory()),
              fake.windowsDirectory() + "/HOSTS");
}

TEST(EditorPaths, AFileNamedLikeTheHostsFolderDoesNotCount)
{
    FakePlatform fake(false);
    fake.writeFile(fake.hostsFolder(fake.systemDirectory()), "not a folder");
    EXPECT_EQ(vendrel::chooseHostsPath(fake, fake.systemDirectory(), fake.windowsDirectory()),
              fake.windowsDirectory() + "/HOSTS");
}

TEST(EditorPaths, LocateDerivesEveryPath)
{
    FakePlatform fake;
    const vendrel::EditorPaths paths = vendrel::locateEditorPaths(fake);
    EXPECT_EQ(paths.systemDir, fake.root() + "/system");
    EXPECT_EQ(paths.windowsDir, fake.root() + "/windows");
    EXPECT_EQ(vendrel::hostsPathIn(fake, paths), fake.hostsPath());
    EXPECT_EQ(paths.programFolder, fake.programFolder());
    EXPECT_EQ(paths.backupPath(), fake.programFolder() + "/hostsbak.bak");
    EXPECT_EQ(paths.whitelistPath(), fake.programFolder() + "/whitelist.txt");
}

TEST(EditorPaths, UnreadableSystemFolderThrowsThePlatformsText)
{
    FakePlatform fake;
    fake.failSystemDirectory = true;
    try {
        vendrel::locateEditorPaths(fake);
        FAIL() << "locateEditorPaths did not throw";
    } catch (const vendrel::Error& error) {
        EXPECT_FALSE(fake.lastErrorText().empty());
        EXPECT_EQ(std::string(error.what()), fake.lastErrorText());
    }
}

} // namespace
