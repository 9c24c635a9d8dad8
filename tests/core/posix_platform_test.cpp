#include "core/hosts/editor_paths.h"
#include "platform/platform.h"
#include "platform/posix/os_release.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;

unsigned permissionBits(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return 0xFFFF;
    return info.st_mode & 07777;
}

// Sets an environment variable for the lifetime of the object and puts the
// old value (or its absence) back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class PosixPlatform : public testing::Test {
protected:
    // Only its temporary folder is used; the platform under test is the real one.
    FakePlatform scratch;
    std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();

    std::string fileWithMode(const std::string& name, unsigned mode)
    {
        const std::string path = scratch.writeFile(scratch.root() + "/" + name, "x");
        ::chmod(path.c_str(), static_cast<mode_t>(mode));
        return path;
    }
};

TEST_F(PosixPlatform, FolderHasTheDirectoryBit)
{
    const auto attributes = system->fileAttributes(scratch.root());
    ASSERT_TRUE(attributes.has_value());
    EXPECT_TRUE(*attributes & platform::Directory);
    EXPECT_TRUE(system->directoryExists(scratch.root()));
    EXPECT_FALSE(system->fileExists(scratch.root()));
}

TEST_F(PosixPlatform, WritableFileHasNoBits)
{
    const std::string path = fileWithMode("writable", 0644);
    EXPECT_EQ(system->fileAttributes(path), std::optional<std::uint16_t>(0));
    EXPECT_TRUE(system->fileExists(path));
    EXPECT_FALSE(system->directoryExists(path));
}

TEST_F(PosixPlatform, FileWithoutWriteBitsIsReadOnly)
{
    // Decided by the mode bits, so this holds for root too.
    const std::string path = fileWithMode("readonly", 0444);
    const auto attributes = system->fileAttributes(path);
    ASSERT_TRUE(attributes.has_value());
    EXPECT_TRUE(*attributes & platform::ReadOnly);
    EXPECT_FALSE(*attributes & platform::Directory);
}

TEST_F(PosixPlatform, MissingPathHasNoAttributes)
{
    const std::string path = scratch.root() + "/missing";
    EXPECT_EQ(system->fileAttributes(path), std::nullopt);
    EXPECT_FALSE(system->fileExists(path));
    EXPECT_FALSE(system->directoryExists(path));
    EXPECT_FALSE(system->setFileAttributes(path, platform::ReadOnly));
}

struct ModeChangeCase {
    const char* name;
    unsigned before;
    std::uint16_t attributes;
    unsigned after;
};

void PrintTo(const ModeChangeCase& c, std::ostream* os) { *os << c.name; }

class PosixAttributeChange : public PosixPlatform, public testing::WithParamInterface<ModeChangeCase> {};

TEST_P(PosixAttributeChange, SetsTheExpectedModeBits)
{
    const ModeChangeCase& c = GetParam();
    const std::string path = fileWithMode("file", c.before);
    EXPECT_TRUE(system->setFileAttributes(path, c.attributes));
    EXPECT_EQ(permissionBits(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    PosixPlatform, PosixAttributeChange,
    testing::Values(ModeChangeCase{"ReadOnlyRemovesEveryWriteBit", 0666, platform::ReadOnly, 0444},
                    ModeChangeCase{"ReadOnlyKeepsReadAndExecuteBits", 0751, platform::ReadOnly, 0551},
                    ModeChangeCase{"ClearingAddsTheOwnersWriteBit", 0444, 0, 0644},
                    ModeChangeCase{"ClearingLeavesOtherWriteBitsAlone", 0460, 0, 0660},
                    ModeChangeCase{"HiddenAndSystemAloneClearReadOnly", 0400, platform::Hidden | platform::System,
                                   0600}),
    [](const testing::TestParamInfo<ModeChangeCase>& info) { return std::string(info.param.name); });

TEST_F(PosixPlatform, ProgramFolderIsInsideXdgDataHomeAndIsCreated)
{
    const std::string dataHome = scratch.root() + "/data-home";
    const ScopedEnvironment environment("XDG_DATA_HOME", dataHome);
    const std::string folder = system->programFolder();
    EXPECT_EQ(folder, dataHome + "/vendrel");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(PosixPlatform, ProgramFolderFallsBackToHomeLocalShare)
{
    const std::string home = scratch.root() + "/home";
    const ScopedEnvironment noDataHome("XDG_DATA_HOME", "");
    const ScopedEnvironment homeVariable("HOME", home);
    const std::string folder = system->programFolder();
    EXPECT_EQ(folder, home + "/.local/share/vendrel");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(PosixPlatform, HostsFileIsEtcHosts)
{
    // Only reads whether /etc exists; nothing is written there.
    EXPECT_EQ(system->systemDirectory(), "/etc");
    EXPECT_EQ(vendrel::chooseHostsPath(*system, system->systemDirectory(), system->windowsDirectory()), "/etc/hosts");
}

} // namespace

TEST(OsRelease, NamesTheDistributionAndTheOnesItIsLike)
{
    using platform::posix::osReleaseIdentifiers;
    EXPECT_EQ(osReleaseIdentifiers("NAME=\"Linux Mint\"\nID=linuxmint\nID_LIKE=\"ubuntu debian\"\n"),
              (std::vector<std::string>{"linuxmint", "ubuntu", "debian"}));
    EXPECT_EQ(osReleaseIdentifiers("ID='opensuse-tumbleweed'\r\nIDX=no\n"),
              (std::vector<std::string>{"opensuse-tumbleweed"}));
    EXPECT_TRUE(osReleaseIdentifiers("NAME=nothing\n").empty());
}
