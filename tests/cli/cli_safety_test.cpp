// vendrel-cli as scripts run it: many at once, after a kill, on odd paths,
// short of memory. Each command must leave the hosts file either as it was
// or as the command makes it, never anything between.

#include "cli/cli_app.h"
#include "platform/posix/rewrite_record.h"
#include "platform/write_faults.h"

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string program = VENDREL_CLI_PROGRAM;

class CliSafety : public testing::Test {
protected:
    FakePlatform fake;
    std::string hostsFile = fake.root() + "/etc/hosts";
    std::string dataDir = fake.root() + "/data";
    std::string listFile = fake.writeFile(fake.root() + "/list.txt",
                                          "0.0.0.0 one.example\r\n127.0.0.1 two.example\r\n");

    void SetUp() override
    {
        fake.writeFile(hostsFile,
                       "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n#0.0.0.0 a.example\r\n127.0.0.1 c.example\r\n");
        fake.writeFile(dataDir + "/hostsbak.bak", "127.0.0.1\tlocalhost\r\n");
        fake.writeFile(dataDir + "/whitelist.txt", "b.example\r\n");
    }
    void TearDown() override { platform::write_faults::clear(); }

    CliRun run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsFile, "--data-dir", dataDir});
        return runCliCapturing(arguments, fake);
    }
};

// Counts the files written: each write begins with the first piece of a new file.
class WriteCounter {
public:
    WriteCounter()
    {
        platform::write_faults::install([this](platform::write_faults::Step step, std::uint64_t offset) {
            if (step == platform::write_faults::Step::NewFile && offset == 0)
                ++writes_;
            return 0;
        });
    }
    int writes() const { return writes_; }

private:
    int writes_ = 0;
};

class OneWrite : public CliSafety, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(OneWrite, EveryCommandReplacesTheHostsFileInOneStep)
{
    std::vector<std::string> command = GetParam();
    for (std::string& argument : command)
        if (argument == "LIST")
            argument = listFile;
    const WriteCounter counter;
    const CliRun result = run(command);
    ASSERT_EQ(result.status, 0) << result.err;
    // The version of the file kept in its history, then the file itself, then
    // the version compressed in place.
    EXPECT_EQ(counter.writes(), 3);
    const auto versions = std::filesystem::directory_iterator(dataDir + "/history");
    EXPECT_EQ(std::distance(begin(versions), end(versions)), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, OneWrite,
    testing::Values(std::vector<std::string>{"sort"}, std::vector<std::string>{"merge", "LIST"},
                    std::vector<std::string>{"append", "LIST"}, std::vector<std::string>{"replace", "LIST"},
                    std::vector<std::string>{"remove-blocking"}, std::vector<std::string>{"swap"},
                    std::vector<std::string>{"toggle", "2"}, std::vector<std::string>{"add", "0.0.0.0 c.example"},
                    std::vector<std::string>{"restore"}, std::vector<std::string>{"whitelist-remove"},
                    std::vector<std::string>{"whitelist-add"}),
    [](const testing::TestParamInfo<std::vector<std::string>>& info) {
        std::string name = info.param[0];
        std::erase(name, '-');
        return name;
    });

// The data folder keeps copies of the hosts file, which may be private: the
// folder the tool creates, the history in it and every copy are the owner's alone.
TEST_F(CliSafety, CopiesOfAPrivateHostsFileAreTheOwnersAlone)
{
    namespace fs = std::filesystem;
    ASSERT_EQ(::chmod(hostsFile.c_str(), 0600), 0);
    dataDir = fake.root() + "/new/data";
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    ASSERT_EQ(run({"add", "0.0.0.0 a.example"}).status, vendrel::cli::Success);
    ASSERT_EQ(run({"backup"}).status, vendrel::cli::Success);
    const auto modeOf = [](const std::string& path) { return fs::status(path).permissions() & fs::perms::all; };
    EXPECT_EQ(modeOf(dataDir), fs::perms::owner_all);
    EXPECT_EQ(modeOf(dataDir + "/history"), fs::perms::owner_all);
    for (const auto& entry : fs::directory_iterator(dataDir + "/history"))
        EXPECT_EQ(modeOf(entry.path().string()), fs::perms::owner_read | fs::perms::owner_write) << entry.path();
    EXPECT_EQ(modeOf(dataDir + "/hostsbak.bak"), fs::perms::owner_read | fs::perms::owner_write);
}

// The temporary files of writers killed before they finished go at the start
// of the next change; one a live writer holds is left to it.
TEST_F(CliSafety, TheNextChangeRemovesWhatDeadWritersLeftButNotALiveOnesFile)
{
    const std::vector<std::string> dead = {
        fake.root() + "/etc/.hosts.tmp-Zq81Kd0pLmA2",
        dataDir + "/.hostsbak.bak.tmp-a81KdQ0pLmZ2",
        dataDir + "/.hosts.zip.tmp-Kd0p81LmZqA2",
        dataDir + "/history/.00000001.version.tmp-0pLmA2Zq81Kd",
        dataDir + "/history/.piece-0-0.draft.tmp-LmA2Zq81Kd0p",
    };
    for (const std::string& file : dead)
        fake.writeFile(file, "a dead writer's text");
    const std::string live = fake.writeFile(fake.root() + "/etc/.hosts.tmp-LiveWriter00", "a live writer's text");
    const int liveFd = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);

    ASSERT_EQ(run({"add", "0.0.0.0 c.example"}).status, vendrel::cli::Success);
    for (const std::string& file : dead)
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    EXPECT_TRUE(std::filesystem::exists(live));
    ::close(liveFd);
}

// What a kill in the middle of a rewrite in place leaves: the file cut
// short and the record of its new text beside it.
TEST_F(CliSafety, AnInterruptedRewriteIsFinishedByTheNextChangeNotByAReader)
{
    const std::string before = "127.0.0.1 localhost\r\n0.0.0.0 old.example\r\n";
    const std::string after = "127.0.0.1 localhost\r\n0.0.0.0 whole.example\r\n";
    const std::string copy = fake.root() + "/etc/.hosts.complete-copy";
    fake.writeFile(hostsFile, after.substr(0, 30) + before.substr(30));
    struct stat info {};
    ASSERT_EQ(::stat(hostsFile.c_str(), &info), 0);
    fake.writeFile(copy, platform::posix::encodeRewriteRecord(
                             {info.st_dev, info.st_ino, info.st_uid, info.st_mode, after, before}));
    const std::string cut = FakePlatform::readFile(hostsFile);

    for (const std::vector<std::string>& reader : {std::vector<std::string>{"lines"}, {"--dry-run", "sort"}}) {
        const CliRun read = run(reader);
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_NE(read.err.find("was interrupted; the next command that changes the file settles it first"),
                  std::string::npos)
            << read.err;
        EXPECT_EQ(FakePlatform::readFile(hostsFile), cut) << reader[0] << " only reads";
    }
    const CliRun changed = run({"add", "0.0.0.0 new.example"});
    EXPECT_EQ(changed.status, 0) << changed.err;
    EXPECT_NE(changed.err.find("was interrupted; it was finished from its record " + copy), std::string::npos)
        << changed.err;
    EXPECT_EQ(FakePlatform::readFile(hostsFile),
              "127.0.0.1\tlocalhost\r\n0.0.0.0\twhole.example\r\n0.0.0.0\tnew.example\r\n");
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_EQ(run({"undo"}).status, 0);
    EXPECT_EQ(FakePlatform::readFile(hostsFile), after) << "the finished rewrite is where the undo stops";
}

TEST_F(CliSafety, APipeOrADeviceAsHostsFileIsRefusedWithoutWaiting)
{
    ::alarm(20); // a blocking open would hang the test
    const std::string pipe = fake.root() + "/etc/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    hostsFile = pipe;
    const CliRun onPipe = run({"add", "0.0.0.0 c.example"});
    EXPECT_EQ(onPipe.status, 1);
    EXPECT_NE(onPipe.err.find(pipe + ": it is a named pipe (FIFO), not a regular file"), std::string::npos)
        << onPipe.err;
    hostsFile = "/dev/zero";
    const CliRun onDevice = run({"show"});
    EXPECT_EQ(onDevice.status, 1);
    EXPECT_NE(onDevice.err.find("a character device"), std::string::npos) << onDevice.err;
    ::alarm(0);
}

// Twenty scripts adding a line each at the same moment: every one reports
// success, so every line must be in the file.
TEST_F(CliSafety, ParallelWritersEachKeepTheirChange)
{
    constexpr int writers = 20;
    std::vector<pid_t> children;
    for (int writer = 0; writer < writers; ++writer) {
        const std::string line = "0.0.0.0 writer" + std::to_string(writer) + ".example";
        const pid_t child = ::fork();
        if (child == 0) {
            std::freopen("/dev/null", "w", stdout);
            ::execl(program.c_str(), program.c_str(), "--hosts", hostsFile.c_str(), "--data-dir", dataDir.c_str(),
                    "add", line.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::string text = FakePlatform::readFile(hostsFile);
    for (int writer = 0; writer < writers; ++writer)
        EXPECT_NE(text.find("writer" + std::to_string(writer) + ".example"), std::string::npos) << writer;
}

TEST_F(CliSafety, RunningOutOfMemoryWhileLoadingNamesTheFileAndItsLines)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot run under a memory limit";
#else
    // Fifty million empty lines: far more rows than 300 MB of address space holds.
    const std::string huge = fake.writeFile(fake.root() + "/empty-lines", std::string(50000000, '\n'));
    const std::string errFile = fake.root() + "/stderr";
    const std::string command = "ulimit -v 300000; '" + program + "' --hosts '" + huge + "' --data-dir '" + dataDir +
                                "' lines 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(FakePlatform::readFile(errFile), "ERROR: Not enough memory to load " + huge + " (50000000 lines)\n");
#endif
}

} // namespace
