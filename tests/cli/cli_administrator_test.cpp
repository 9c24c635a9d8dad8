// Writing a hosts file the user may not write: vendrel-cli goes through the
// administrator's helper, and the helper itself (the test build, whose
// target file the test chooses) checks what it is given.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"
#include "fake_privileged_writer.h"
#include "platform/posix/child_process.h"
#include "platform/posix/rewrite_record.h"
#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing_support::FakePlatform;
using testing_support::FakePrivilegedWriter;

const std::string twoLines = "127.0.0.1 localhost\r\n0.0.0.0 ads.example\r\n";

TEST(CliAdministrator, AReadOnlySystemHostsFileIsWrittenThroughTheHelperOrNotAtAll)
{
    FakePlatform fake;
    const std::string hosts = fake.writeFile(fake.hostsPath(), twoLines);
    fake.setAttributesDirectly(hosts, platform::ReadOnly);
    FakePrivilegedWriter writer(hosts);
    fake.privilegedWriter = &writer;
    const std::vector<std::string> toggle = {"--hosts", hosts, "--data-dir", fake.root() + "/data", "toggle", "2"};

    const CliRun written = runCliCapturing(toggle, fake);
    EXPECT_EQ(written.status, vendrel::cli::Success) << written.err;
    EXPECT_EQ(writer.writes, 1);
    EXPECT_EQ(FakePlatform::readFile(hosts), "127.0.0.1\tlocalhost\r\n#0.0.0.0\tads.example\r\n");

    writer.grantsAuthorisation = false;
    const std::string before = FakePlatform::readFile(hosts);
    const CliRun refused = runCliCapturing(toggle, fake);
    EXPECT_EQ(refused.status, vendrel::cli::Failure);
    EXPECT_NE(refused.err.find("authorisation to change the hosts file was not given"), std::string::npos)
        << refused.err;
    EXPECT_EQ(FakePlatform::readFile(hosts), before);
}

class HostsWriterHelper : public testing::Test {
protected:
    FakePlatform fake;
    std::string target = fake.writeFile(fake.root() + "/etc/hosts", twoLines);

    // The helper given `input` as the text it is told of (length and digest).
    platform::posix::ChildOutcome write(const std::string& input) { return run(input, framing(input)); }

    static std::vector<std::string> framing(const std::string& text)
    {
        return {"--length", std::to_string(text.size()), "--sha256", platform::sha256Hex(text)};
    }

    platform::posix::ChildOutcome run(const std::string& input, std::vector<std::string> arguments)
    {
        ::setenv("VENDREL_HOSTS_WRITER_TARGET", target.c_str(), 1);
        arguments.insert(arguments.begin(), VENDREL_HOSTS_WRITER_PROGRAM);
        auto outcome = platform::posix::runWithInput(arguments, input);
        ::unsetenv("VENDREL_HOSTS_WRITER_TARGET");
        return outcome;
    }
};

TEST_F(HostsWriterHelper, WritesItsOneFileKeepingOwnerAndMode)
{
    ::chmod(target.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    const auto outcome = write("0.0.0.0 new.example\r\n");
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.errorOutput;
    EXPECT_EQ(FakePlatform::readFile(target), "0.0.0.0 new.example\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    const auto files = std::distance(std::filesystem::directory_iterator(fake.root() + "/etc"),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1) << "no temporary file is left";
}

TEST_F(HostsWriterHelper, RefusesTextThatIsNotPlainAndAnyPathItIsGiven)
{
    const auto binary = write(std::string("0.0.0.0 a.example\0\r\n", 20));
    EXPECT_EQ(binary.exitStatus, 1);
    EXPECT_NE(binary.errorOutput.find("holds NUL bytes"), std::string::npos) << binary.errorOutput;

    const auto withPath = run("0.0.0.0 a.example\r\n", {fake.root() + "/other"});
    EXPECT_EQ(withPath.exitStatus, 2);
    EXPECT_NE(withPath.errorOutput.find("usage: vendrel-hosts-writer --length N"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(fake.root() + "/other"));

    const auto check = run("0.0.0.0 a.example\r\n", {"--check"});
    EXPECT_EQ(check.exitStatus, 0);
    EXPECT_EQ(FakePlatform::readFile(target), twoLines);
}

// The caller holds the lock of the file the helper replaces; the helper
// passes the new file back, locked, so that no other writer gets in before
// the caller lets go.
TEST_F(HostsWriterHelper, PassesTheNewFileBackLockedForItsCaller)
{
    auto outcome = write("0.0.0.0 new.example\r\n");
    ASSERT_EQ(outcome.exitStatus, 0) << outcome.errorOutput;
    ASSERT_TRUE(outcome.passedFile);
    struct stat passed {
    }, now{};
    ASSERT_EQ(::fstat(outcome.passedFile.get(), &passed), 0);
    ASSERT_EQ(::stat(target.c_str(), &now), 0);
    EXPECT_EQ(passed.st_ino, now.st_ino) << "the file passed back is the new one";
    const platform::posix::UniqueFd other(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_NE(::flock(other.get(), LOCK_EX | LOCK_NB), 0) << "another writer got in";
    outcome.passedFile.reset();
    EXPECT_EQ(::flock(other.get(), LOCK_EX | LOCK_NB), 0);
}

// A caller killed while it sends the text, or one that sends something else,
// changes nothing: only the whole text it named is written.
TEST_F(HostsWriterHelper, WritesOnlyTheWholeTextItWasToldOf)
{
    const std::string text = "0.0.0.0 whole.example\r\n0.0.0.0 second.example\r\n";
    const struct {
        const char* name;
        std::string input;
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } cases[] = {
        {"cut short by a kill", text.substr(0, 20), framing(text), 1, "arrived incomplete (20 of 47 bytes)"},
        {"nothing at all", "", framing(text), 1, "arrived incomplete (0 of 47 bytes)"},
        {"more than it was told", text + "0.0.0.0 more.example\r\n", framing(text), 1, "arrived too long"},
        {"other bytes of the same length", std::string(text).replace(0, 7, "1.2.3.4"), framing(text), 1,
         "its SHA-256 digest differs"},
        {"no length or digest", text, {}, 2, "usage:"},
        {"a length that is no number", text, {"--length", "47x", "--sha256", platform::sha256Hex(text)}, 2, "usage:"},
        {"a digest that is none", text, {"--length", "47", "--sha256", "abc"}, 2, "usage:"},
    };
    for (const auto& c : cases) {
        const auto outcome = run(c.input, c.arguments);
        EXPECT_EQ(outcome.exitStatus, c.status) << c.name;
        EXPECT_NE(outcome.errorOutput.find(c.says), std::string::npos) << c.name << ": " << outcome.errorOutput;
        EXPECT_EQ(FakePlatform::readFile(target), twoLines) << c.name;
    }
    EXPECT_EQ(write(text).exitStatus, 0);
    EXPECT_EQ(FakePlatform::readFile(target), text);
}

TEST_F(HostsWriterHelper, RefusesASymbolicLinkAndCreatesAMissingFileForAllToRead)
{
    const std::string elsewhere = fake.writeFile(fake.root() + "/elsewhere", "mine\n");
    std::filesystem::remove(target);
    std::filesystem::create_symlink(elsewhere, target);
    const auto linked = write("0.0.0.0 a.example\r\n");
    EXPECT_EQ(linked.exitStatus, 1);
    EXPECT_NE(linked.errorOutput.find(target + " is a symbolic link to " + elsewhere), std::string::npos)
        << linked.errorOutput;
    EXPECT_EQ(FakePlatform::readFile(elsewhere), "mine\n");

    std::filesystem::remove(target);
    const mode_t umask = ::umask(0);
    const auto created = write("0.0.0.0 a.example\r\n");
    ::umask(umask);
    EXPECT_EQ(created.exitStatus, 0) << created.errorOutput;
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(info.st_uid, ::geteuid());
}

// A rewrite in place the helper began and a kill interrupted is the
// administrator's to finish, under the same proof as any other.
TEST_F(HostsWriterHelper, RepairsOnlyItsOwnInterruptedRewrite)
{
    const std::string after = "127.0.0.1 localhost\r\n0.0.0.0 whole.example\r\n";
    const std::string record = fake.root() + "/etc/.hosts.complete-copy";
    const struct {
        const char* name;
        std::string meanwhile; // what another program wrote over the file, if anything
        int status;
        std::string leaves;
    } cases[] = {
        {"untouched since the kill", "", 0, after},
        {"changed by another program", "0.0.0.0 theirs.example\r\n", 1, "0.0.0.0 theirs.example\r\n"},
    };
    for (const auto& c : cases) {
        fake.writeFile(target, after.substr(0, 25) + twoLines.substr(25));
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        fake.writeFile(record, platform::posix::encodeRewriteRecord(
                                   {info.st_dev, info.st_ino, info.st_uid, info.st_mode, after, twoLines}));
        if (!c.meanwhile.empty())
            std::ofstream(target, std::ios::binary | std::ios::trunc) << c.meanwhile;
        const auto outcome = run("", {"--repair"});
        EXPECT_EQ(outcome.exitStatus, c.status) << c.name << ": " << outcome.errorOutput;
        EXPECT_EQ(FakePlatform::readFile(target), c.leaves) << c.name;
        EXPECT_EQ(std::filesystem::exists(record), c.status != 0) << c.name << ": a record not used stays";
        std::filesystem::remove(record);
    }
}

} // namespace
