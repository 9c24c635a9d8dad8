// vendrel-cli as scheduled jobs use it: a data folder that does not exist
// yet, and lists saved by editors that put a byte-order mark in front.

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string mark = "\xEF\xBB\xBF";

class CliScripts : public testing::Test {
protected:
    FakePlatform fake;
    std::string hostsFile = fake.writeFile(fake.root() + "/etc/hosts", "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n");
    std::string dataDir = fake.root() + "/not/yet/there";

    CliRun run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsFile, "--data-dir", dataDir});
        return runCliCapturing(arguments, fake);
    }
    // How often the mark stands in the hosts file anywhere but in front.
    std::size_t marksInside() const
    {
        const std::string text = FakePlatform::readFile(hostsFile);
        std::size_t count = 0;
        for (std::size_t at = text.find(mark, 1); at != std::string::npos; at = text.find(mark, at + 1))
            ++count;
        return count;
    }
};

TEST_F(CliScripts, BackupAndWhitelistCreateTheDataFolderOnFirstUse)
{
    const CliRun backup = run({"backup"});
    EXPECT_EQ(backup.status, 0) << backup.err;
    EXPECT_EQ(FakePlatform::readFile(dataDir + "/hostsbak.bak"), "127.0.0.1\tlocalhost\r\n0.0.0.0\tb.example\r\n");

    dataDir = fake.root() + "/another/new/folder";
    const CliRun whitelisted = run({"whitelist-line", "2"});
    EXPECT_EQ(whitelisted.status, 0) << whitelisted.err;
    EXPECT_EQ(FakePlatform::readFile(dataDir + "/whitelist.txt"), "b.example\r\n");
}

TEST_F(CliScripts, AByteOrderMarkOfAListNeverLandsInsideTheHostsFile)
{
    const std::string list = fake.writeFile(fake.root() + "/list.txt", mark + "0.0.0.0 a.example\r\n");
    // The merge sorts (and moves the entry to the redirect address); the append adds the line as it is.
    for (const auto& [command, line] :
         {std::pair{"merge", "\n127.0.0.1\ta.example\r\n"}, std::pair{"append", "\n0.0.0.0 a.example\r\n"}}) {
        const CliRun result = run({command, list});
        ASSERT_EQ(result.status, 0) << command << ": " << result.err;
        EXPECT_EQ(marksInside(), 0u) << command << ": " << FakePlatform::readFile(hostsFile);
        EXPECT_NE(FakePlatform::readFile(hostsFile).find(line), std::string::npos) << command;
    }
    const CliRun replaced = run({"replace", list});
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_EQ(FakePlatform::readFile(hostsFile), "0.0.0.0 a.example\r\n");
}

TEST_F(CliScripts, AListThatIsNotTextIsNamedAndTheHostsFileStaysAsItWas)
{
    const std::string before = FakePlatform::readFile(hostsFile);
    const std::string zip = fake.writeFile(fake.root() + "/list.zip", std::string("PK\x03\x04\0\0", 6));
    for (const char* command : {"merge", "append", "replace"}) {
        const CliRun result = run({command, zip});
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_EQ(result.err, "ERROR: Cannot load " + zip +
                                  ": the file holds NUL bytes, so it is not a plain text hosts file; "
                                  "the hosts file was not changed.\n")
            << command;
        EXPECT_EQ(FakePlatform::readFile(hostsFile), before) << command;
    }
}

TEST_F(CliScripts, SortingAMarkedHostsFileKeepsTheMarkInFront)
{
    fake.writeFile(hostsFile, mark + "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n0.0.0.0 a.example\r\n");
    const CliRun result = run({"sort"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(FakePlatform::readFile(hostsFile),
              mark + "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.example\r\n127.0.0.1\tb.example\r\n");
}

} // namespace
