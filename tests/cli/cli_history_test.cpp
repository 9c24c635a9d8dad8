// The history commands of vendrel-cli: the versions every change keeps, and
// undo, redo and restore-version over them.

#include "cli/cli_app.h"
#include "core/editing/line_commands.h"
#include "core/history/hosts_history.h"
#include "core/hosts/hosts_loader.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/list_file_format.h"

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include <string>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string original = "127.0.0.1 localhost\r\n0.0.0.0 b.example\r\n0.0.0.0 B.example\r\n# note\r\n";

class CliHistory : public testing::Test {
protected:
    FakePlatform fake;
    std::string hostsFile = fake.writeFile(fake.root() + "/etc/hosts", original);
    std::string dataDir = fake.root() + "/data";

    void SetUp() override { fake.writeFile(dataDir + "/whitelist.txt", "b.example\r\n"); }
    CliRun run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsFile, "--data-dir", dataDir});
        return runCliCapturing(arguments, fake);
    }
    std::string onDisk() const { return FakePlatform::readFile(hostsFile); }
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What the editor writes of `text` after `change` of its rows.
std::string savedAfter(const std::string& text, const std::function<void(vendrel::HostsRows&)>& change)
{
    vendrel::LoadedHosts loaded = vendrel::parseHostsText(text, "hosts");
    change(loaded.rows);
    return vendrel::withLineBreaks(vendrel::formatList(loaded.rows), vendrel::lineBreakOf(text, vendrel::crLf));
}

TEST_F(CliHistory, LineCommandsOnASavedListWriteWhatTheEditorWouldAndUndoToTheExactBytes)
{
    ASSERT_EQ(run({"toggle", "1"}).status, vendrel::cli::Success); // the list as the editor saves it
    std::mt19937 random(9);
    std::vector<std::string> states{onDisk()};
    for (int step = 0; step < 40; ++step) {
        const std::string row = std::to_string(1 + random() % 4);
        const std::size_t index = std::stoul(row) - 1;
        switch (random() % 3) {
        case 0:
            ASSERT_EQ(run({"toggle", row}).status, vendrel::cli::Success);
            EXPECT_EQ(onDisk(),
                      savedAfter(states.back(), [&](auto& rows) { vendrel::toggleLineComment(rows, index); }));
            break;
        case 1:
            if (run({"delete", row}).status != vendrel::cli::Success)
                continue; // a list shorter than the row
            EXPECT_EQ(onDisk(), savedAfter(states.back(), [&](auto& rows) { vendrel::deleteRow(rows, index); }));
            break;
        default:
            ASSERT_EQ(run({"add", "0.0.0.0 added" + row + ".example"}).status, vendrel::cli::Success);
            EXPECT_EQ(onDisk(), savedAfter(states.back(),
                                           [&](auto& rows) { rows.appendRow("0.0.0.0", "added" + row + ".example"); }));
        }
        if (onDisk() != states.back())
            states.push_back(onDisk());
    }
    for (const vendrel::VersionInfo& version : vendrel::HostsHistory(dataDir + "/history").versions()) {
        if (version.base != 0) {
            EXPECT_LE(version.diskSize, 4096u) << "version " << version.number;
        }
    }
    while (states.size() > 1) {
        states.pop_back();
        ASSERT_EQ(run({"undo"}).status, vendrel::cli::Success);
        ASSERT_EQ(onDisk(), states.back());
    }
}

TEST_F(CliHistory, ListsTheVersionsAndStepsThroughThem)
{
    EXPECT_TRUE(contains(run({"history"}).out, "No versions"));
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    const std::string sorted = onDisk();
    ASSERT_EQ(run({"toggle", "1"}).status, vendrel::cli::Success);
    const std::string toggled = onDisk();

    const CliRun listing = run({"history"});
    EXPECT_TRUE(contains(listing.out, "1  ")) << listing.out;
    EXPECT_TRUE(contains(listing.out, "  Sort File  4 -> ")) << listing.out;
    EXPECT_TRUE(contains(listing.out, "2  ")) << listing.out;
    EXPECT_TRUE(contains(listing.out, "Toggle Comment")) << listing.out;

    const CliRun undone = run({"undo"});
    EXPECT_EQ(undone.status, vendrel::cli::Success) << undone.err;
    EXPECT_TRUE(contains(undone.out, "Undone: Toggle Comment")) << undone.out;
    EXPECT_EQ(onDisk(), sorted);
    EXPECT_TRUE(contains(run({"redo"}).out, "Redone: Toggle Comment"));
    EXPECT_EQ(onDisk(), toggled);

    EXPECT_EQ(run({"restore-version", "1"}).status, vendrel::cli::Success);
    EXPECT_EQ(onDisk(), original);
}

// What others put in the history folder is read as hostile: a name beyond
// any number the history writes is no version (the next number would wrap to
// 0), a header's control characters are not sent to the terminal, and a
// refused undo says nothing was undone.
TEST_F(CliHistory, PlantedFilesNeitherRenumberTheVersionsNorReachTheTerminal)
{
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    std::string planted = FakePlatform::readFile(dataDir + "/history/00000001.version");
    planted.replace(planted.find("command Sort File"), 17, "command \x1b[2JSort");
    fake.writeFile(dataDir + "/history/00000001.version", planted);
    fake.writeFile(dataDir + "/history/18446744073709551615.version", planted);
    ASSERT_EQ(run({"toggle", "1"}).status, vendrel::cli::Success);

    const CliRun listing = run({"history"});
    EXPECT_TRUE(contains(listing.out, "?[2JSort")) << listing.out;
    EXPECT_FALSE(contains(listing.out, "\x1b")) << listing.out;
    EXPECT_TRUE(contains(listing.out, "2  ")) << "the toggle's version is version 2: " << listing.out;
    EXPECT_TRUE(contains(run({"undo"}).out, "Undone: Toggle Comment"));

    fake.writeFile(hostsFile, "127.0.0.1 localhost\r\n");
    const CliRun refused = run({"undo"});
    EXPECT_NE(refused.status, vendrel::cli::Success);
    EXPECT_FALSE(contains(refused.out, "Undone")) << refused.out;
}

TEST_F(CliHistory, AChangeKeepsItsVersionInADataFolderItCreates)
{
    dataDir = fake.root() + "/new/data";
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    EXPECT_TRUE(contains(run({"undo"}).out, "Undone: Sort File"));
    EXPECT_EQ(onDisk(), original);
}

TEST_F(CliHistory, WithoutADataFolderAChangeIsMadeOnlyWhenNoHistoryIsAsked)
{
    dataDir = fake.writeFile(fake.root() + "/a-file", "not a folder") + "/data";
    const CliRun refused = run({"sort"});
    EXPECT_EQ(refused.status, vendrel::cli::Failure);
    EXPECT_TRUE(contains(refused.err, "Cannot create folder")) << refused.err;
    EXPECT_EQ(onDisk(), original);
    EXPECT_EQ(run({"--no-history", "sort"}).status, vendrel::cli::Success);
    EXPECT_NE(onDisk(), original);
}

// Under the hosts file's lock no other writer is at work: what a killed one
// left in the history folder goes when the next command starts.
TEST_F(CliHistory, WhatAKilledWriterLeftInTheHistoryGoesAtTheNextCommand)
{
    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    const std::string history = dataDir + "/history/";
    fake.writeFile(history + ".00000002.version.tmp-Ab3dE9", std::string(100000, 'x'));
    fake.writeFile(history + "piece-0-0.draft", std::string(100000, 'x'));
    ASSERT_EQ(run({"lines"}).status, vendrel::cli::Success);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(history))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"00000001.version"});
}

TEST_F(CliHistory, RefusalsNameTheReasonAndChangeNothing)
{
    const CliRun nothing = run({"undo"});
    EXPECT_NE(nothing.status, vendrel::cli::Success);
    EXPECT_TRUE(contains(nothing.err, "no change to undo")) << nothing.err;

    ASSERT_EQ(run({"sort"}).status, vendrel::cli::Success);
    fake.writeFile(hostsFile, "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");
    const CliRun refused = run({"undo"});
    EXPECT_NE(refused.status, vendrel::cli::Success);
    EXPECT_TRUE(contains(refused.err, "changed by another program")) << refused.err;
    EXPECT_EQ(onDisk(), "127.0.0.1 localhost\r\n0.0.0.0 theirs.example\r\n");

    const CliRun wrong = run({"restore-version", "x"});
    EXPECT_EQ(wrong.status, vendrel::cli::WrongUsage) << wrong.err;
    EXPECT_NE(run({"restore-version", "99"}).status, vendrel::cli::Success);
}

} // namespace
