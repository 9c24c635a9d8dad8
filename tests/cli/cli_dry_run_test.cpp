// vendrel-cli --dry-run and --diff: every command that changes the hosts file
// tells what it would change and leaves every file as it was.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string original = "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n0.0.0.0 B.example\r\n# note\r\n"
                             "0.0.0.0 wl.example\r\n127.0.0.1 c.example\r\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CliDryRun : public testing::Test {
protected:
    FakePlatform fake;
    std::string hostsFile = fake.writeFile(fake.root() + "/etc/hosts", original);
    std::string dataDir = fake.root() + "/data";
    std::string other = fake.writeFile(fake.root() + "/other.txt", "0.0.0.0 new.example\r\n");

    void SetUp() override
    {
        fake.writeFile(dataDir + "/whitelist.txt", "wl.example\r\n");
        fake.writeFile(dataDir + "/hostsbak.bak", "127.0.0.1 localhost\r\n");
    }
    CliRun run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsFile, "--data-dir", dataDir});
        return runCliCapturing(arguments, fake);
    }
    // Every file under the fake's root with its bytes.
    std::map<std::string, std::string> everyFile() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(fake.root()))
            if (entry.is_regular_file())
                files[entry.path().string()] = FakePlatform::readFile(entry.path().string());
        return files;
    }
};

TEST_F(CliDryRun, EveryChangingCommandTellsItsChangeAndWritesNothing)
{
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success); // one version, for undo and restore-version
    ASSERT_EQ(run({"undo"}).status, vendrel::cli::Success); // and one step for redo, kept as version 2
    const std::map<std::string, std::string> before = everyFile();
    const std::vector<std::vector<std::string>> commands = {{"toggle", "2"},
                                                            {"delete", "2"},
                                                            {"add", "0.0.0.0 added.example"},
                                                            {"sort"},
                                                            {"merge", other},
                                                            {"append", other},
                                                            {"replace", other},
                                                            {"remove-blocking"},
                                                            {"swap"},
                                                            {"restore"},
                                                            {"restore-default"},
                                                            {"whitelist-remove"},
                                                            {"whitelist-add"},
                                                            {"whitelist-line", "2"},
                                                            {"redo"},
                                                            {"restore-version", "2"}};
    for (std::vector<std::string> command : commands) {
        const std::string name = command.front();
        command.insert(command.begin(), "--dry-run");
        const CliRun result = run(command);
        EXPECT_EQ(result.status, vendrel::cli::Success) << name << ": " << result.err;
        EXPECT_TRUE(contains(result.out, "Dry run: \"")) << name << ": " << result.out;
        EXPECT_TRUE(contains(result.out, "nothing was written.\nLines: ")) << name << ": " << result.out;
        EXPECT_EQ(everyFile(), before) << name;
    }
}

TEST_F(CliDryRun, TheSummaryIsWhatTheCommandThenDoes)
{
    const CliRun dry = run({"sort", "--dry-run"});
    ASSERT_EQ(dry.status, vendrel::cli::Success) << dry.err;
    EXPECT_TRUE(contains(dry.out, "\"Sort File\" would write " + hostsFile)) << dry.out;
    EXPECT_TRUE(contains(dry.out, "Lines: 6 -> 5\n")) << dry.out;
    EXPECT_TRUE(contains(dry.out, "Comments dropped: 1")) << dry.out;
    EXPECT_EQ(FakePlatform::readFile(hostsFile), original);

    const CliRun sorted = run({"sort"});
    ASSERT_EQ(sorted.status, vendrel::cli::Success);
    EXPECT_TRUE(contains(sorted.out, "5 Lines")) << sorted.out;
}

TEST_F(CliDryRun, DiffShowsTheChangedLinesAsAUnifiedDiff)
{
    const CliRun result = run({"--diff", "toggle", "2"});
    ASSERT_EQ(result.status, vendrel::cli::Success) << result.err;
    EXPECT_TRUE(contains(result.out, "--- " + hostsFile + "\n+++ " + hostsFile + "\n@@ -1,6 +1,6 @@\n")) << result.out;
    EXPECT_TRUE(contains(result.out, "\n-0.0.0.0 b.example\r\n")) << result.out;
    EXPECT_TRUE(contains(result.out, "\n+#0.0.0.0\tb.example\r\n")) << result.out;
    EXPECT_EQ(FakePlatform::readFile(hostsFile), original);
}

TEST_F(CliDryRun, IsRefusedByCommandsThatDoNotChangeTheHostsFileAndSaysWhenNothingWouldBeWritten)
{
    for (const std::string name : {"show", "lines", "backup", "history"}) {
        const CliRun refused = run({"--dry-run", name});
        EXPECT_EQ(refused.status, vendrel::cli::WrongUsage) << name;
        EXPECT_TRUE(contains(refused.err, name + " does not change the hosts file")) << refused.err;
    }
    std::filesystem::remove(dataDir + "/whitelist.txt");
    const CliRun nothing = run({"--dry-run", "whitelist-add"});
    EXPECT_EQ(nothing.status, vendrel::cli::Success) << nothing.err;
    EXPECT_TRUE(contains(nothing.out, "Dry run: the command would not write " + hostsFile)) << nothing.out;
}

} // namespace
