// Writing a hosts file the user may not write: vendrel-cli goes through the
// administrator's helper, and the helper itself (the test build, whose
// target file the test chooses) checks what it is given.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"
#include "fake_privileged_writer.h"
#include "platform/posix/child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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

    platform::posix::ChildOutcome run(const std::string& input, std::vector<std::string> arguments = {})
    {
        ::setenv("VENDREL_HOSTS_WRITER_TARGET", target.c_str(), 1);
        arguments.insert(arguments.begin(), VENDREL_HOSTS_WRITER_PROGRAM);
        const auto outcome = platform::posix::runWithInput(arguments, input);
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
    const auto outcome = run("0.0.0.0 new.example\r\n");
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
    const auto binary = run(std::string("0.0.0.0 a.example\0\r\n", 20));
    EXPECT_EQ(binary.exitStatus, 1);
    EXPECT_NE(binary.errorOutput.find("holds NUL bytes"), std::string::npos) << binary.errorOutput;

    const auto withPath = run("0.0.0.0 a.example\r\n", {fake.root() + "/other"});
    EXPECT_EQ(withPath.exitStatus, 2);
    EXPECT_NE(withPath.errorOutput.find("usage: vendrel-hosts-writer [--check]"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(fake.root() + "/other"));

    const auto check = run("0.0.0.0 a.example\r\n", {"--check"});
    EXPECT_EQ(check.exitStatus, 0);
    EXPECT_EQ(FakePlatform::readFile(target), twoLines);
}

} // namespace
