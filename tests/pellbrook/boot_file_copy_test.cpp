// The real platform's copy of a boot file, on files in a temporary folder.

#include "platform/boot_platform.h"

#include "fake_boot_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using testing_support::FakeBootPlatform;

struct stat statusOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

class BootFileCopyTest : public ::testing::Test {
protected:
    FakeBootPlatform folders; // only for its temporary drive
    const std::unique_ptr<platform::BootPlatform> system = platform::createSystemBootPlatform();
    const std::string bootIni = folders.drive('C') + "boot.ini";
    const std::string backup = bootIni + ".PLB";
    const std::string text = "[boot loader]\ntimeout=30\n";

    void SetUp() override
    {
        folders.writeFile(bootIni, text);
        ASSERT_EQ(::chmod(bootIni.c_str(), 0600), 0);
    }
};

TEST_F(BootFileCopyTest, BackupTakesTheModeOfTheBootFile)
{
    ASSERT_TRUE(system->copyFile(bootIni, backup));
    EXPECT_EQ(FakeBootPlatform::readFile(backup), text);
    EXPECT_EQ(statusOf(backup).st_mode & 07777, 0600u);
}

TEST_F(BootFileCopyTest, OlderBackupOpenToAllIsReplacedByAClosedOne)
{
    folders.writeFile(backup, "old");
    ASSERT_EQ(::chmod(backup.c_str(), 0644), 0);
    ASSERT_TRUE(system->copyFile(bootIni, backup));
    EXPECT_EQ(FakeBootPlatform::readFile(backup), text);
    EXPECT_EQ(statusOf(backup).st_mode & 07777, 0600u);
}

TEST_F(BootFileCopyTest, BackupTakesOwnerAndExtendedAttributes)
{
    const char* const name = "user.pellbrook-test";
    if (::setxattr(bootIni.c_str(), name, "kept", 4, 0) != 0)
        GTEST_SKIP() << "this file system holds no user attributes";
    const bool mayGiveOwners = ::geteuid() == 0;
    if (mayGiveOwners) {
        ASSERT_EQ(::chown(bootIni.c_str(), 4321, 4321), 0);
    }

    ASSERT_TRUE(system->copyFile(bootIni, backup));
    char value[16] = {};
    EXPECT_EQ(::getxattr(backup.c_str(), name, value, sizeof value), 4);
    EXPECT_EQ(std::string(value), "kept");
    const struct stat copied = statusOf(backup);
    EXPECT_EQ(copied.st_uid, statusOf(bootIni).st_uid);
    EXPECT_EQ(copied.st_gid, statusOf(bootIni).st_gid);
    EXPECT_EQ(copied.st_mode & 07777, 0600u) << "the mode is given after the owner";
}

TEST_F(BootFileCopyTest, MissingSourceLeavesTheTargetAlone)
{
    folders.writeFile(backup, "old");
    EXPECT_FALSE(system->copyFile(folders.drive('C') + "missing.ini", backup));
    EXPECT_EQ(FakeBootPlatform::readFile(backup), "old");
    EXPECT_FALSE(system->copyFile(folders.drive('D'), backup)) << "a folder is not copied";
}

TEST_F(BootFileCopyTest, LinkedTargetIsFollowed)
{
    const std::string elsewhere = folders.writeFile(folders.drive('D') + "boot.ini.PLB", "old");
    std::filesystem::create_symlink(elsewhere, backup);
    ASSERT_TRUE(system->copyFile(bootIni, backup));
    EXPECT_TRUE(std::filesystem::is_symlink(backup));
    EXPECT_EQ(FakeBootPlatform::readFile(elsewhere), text);
    EXPECT_EQ(statusOf(elsewhere).st_mode & 07777, 0600u);
}

} // namespace
