#include "core/error.h"
#include "core/hosts/text_file.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;

unsigned permissionBits(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return 0xFFFF;
    return info.st_mode & 07777;
}

void setPermissionBits(const std::string& path, unsigned bits)
{
    ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(bits)), 0) << path;
}

using testing_support::namesIn;

class AtomicWrite : public testing::Test {
protected:
    FakePlatform fake;
    std::string folder = fake.root() + "/work";
    std::string target = folder + "/hosts";

    void SetUp() override { fs::create_directories(folder); }

    // Expects writeWholeFile to fail with an Error that names `path`.
    void expectRefused(const std::string& path, std::string_view bytes)
    {
        try {
            vendrel::writeWholeFile(path, bytes);
            ADD_FAILURE() << "writing " << path << " did not throw";
        } catch (const vendrel::Error& error) {
            EXPECT_NE(std::string_view(error.what()).find(path), std::string_view::npos) << error.what();
        }
    }
};

TEST_F(AtomicWrite, CreatesAMissingFile)
{
    vendrel::writeWholeFile(target, "127.0.0.1 localhost\r\n");
    EXPECT_EQ(FakePlatform::readFile(target), "127.0.0.1 localhost\r\n");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

TEST_F(AtomicWrite, ReplacesLongerContentCompletely)
{
    fake.writeFile(target, std::string(4096, 'o'));
    vendrel::writeWholeFile(target, "new");
    EXPECT_EQ(FakePlatform::readFile(target), "new");
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

class AtomicWritePermissions : public AtomicWrite, public testing::WithParamInterface<unsigned> {};

TEST_P(AtomicWritePermissions, KeepsTheTargetsPermissionBits)
{
    fake.writeFile(target, "old");
    setPermissionBits(target, GetParam());
    vendrel::writeWholeFile(target, "new");
    EXPECT_EQ(FakePlatform::readFile(target), "new");
    EXPECT_EQ(permissionBits(target), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Modes, AtomicWritePermissions, testing::Values(0640u, 0602u, 0755u),
                         [](const testing::TestParamInfo<unsigned>& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Mode%04o", info.param);
                             return std::string(name);
                         });

TEST_F(AtomicWrite, KeepsTheTargetsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    constexpr uid_t otherUser = 65534;
    constexpr gid_t otherGroup = 65534;
    fake.writeFile(target, "old");
    ASSERT_EQ(::chown(target.c_str(), otherUser, otherGroup), 0);
    vendrel::writeWholeFile(target, "new");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, otherUser);
    EXPECT_EQ(info.st_gid, otherGroup);
    EXPECT_EQ(FakePlatform::readFile(target), "new");
}

TEST_F(AtomicWrite, FollowsASymlinkAndReplacesTheFileItNames)
{
    const std::string elsewhere = fake.root() + "/real";
    fs::create_directories(elsewhere);
    const std::string real = fake.writeFile(elsewhere + "/hosts.real", "old");
    setPermissionBits(real, 0640);
    fs::create_symlink("../real/hosts.real", target);

    vendrel::writeWholeFile(target, "new");

    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(fs::read_symlink(target), fs::path("../real/hosts.real"));
    EXPECT_EQ(FakePlatform::readFile(real), "new");
    EXPECT_EQ(permissionBits(real), 0640u);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
    EXPECT_EQ(namesIn(elsewhere), std::vector<std::string>{"hosts.real"});
}

struct ReadOnlyCase {
    const char* name;
    unsigned mode;
};

void PrintTo(const ReadOnlyCase& c, std::ostream* os) { *os << c.name; }

class AtomicWriteReadOnly : public AtomicWrite, public testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(AtomicWriteReadOnly, RefusesAndLeavesTheFileAsItWas)
{
    // Decided by the mode bits, so the refusal holds even for root, whom the
    // kernel would let write.
    fake.writeFile(target, "old content");
    setPermissionBits(target, GetParam().mode);
    expectRefused(target, "new content");
    EXPECT_EQ(FakePlatform::readFile(target), "old content");
    EXPECT_EQ(permissionBits(target), GetParam().mode);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

INSTANTIATE_TEST_SUITE_P(Modes, AtomicWriteReadOnly,
                         testing::Values(ReadOnlyCase{"ReadableByAll", 0444}, ReadOnlyCase{"NoBitsAtAll", 0000},
                                         ReadOnlyCase{"ExecutableNotWritable", 0555}),
                         [](const testing::TestParamInfo<ReadOnlyCase>& info) { return std::string(info.param.name); });

TEST_F(AtomicWrite, RefusesAReadOnlyFileBehindASymlink)
{
    const std::string real = fake.writeFile(folder + "/real", "old");
    setPermissionBits(real, 0444);
    fs::create_symlink("real", target);
    expectRefused(target, "new");
    EXPECT_EQ(FakePlatform::readFile(real), "old");
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"hosts", "real"}));
}

TEST_F(AtomicWrite, MissingFolderThrowsNamingThePath)
{
    const std::string path = folder + "/missing/hosts";
    expectRefused(path, "new");
    EXPECT_FALSE(fs::exists(folder + "/missing"));
    EXPECT_TRUE(namesIn(folder).empty());
}

TEST_F(AtomicWrite, FolderAsTargetThrowsAndStaysAFolder)
{
    fs::create_directories(target);
    expectRefused(target, "new");
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"hosts"});
}

} // namespace
