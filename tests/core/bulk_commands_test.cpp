#include "core/bulk/blocking_entries.h"
#include "core/bulk/file_merge.h"
#include "core/bulk/file_sort.h"
#include "core/bulk/line_file_writers.h"
#include "core/error.h"
#include "core/hosts/hosts_rows.h"
#include "session_driver.h"

#include "fake_platform.h"

#include "rows_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::FakePlatform;
using vendrel::HostsRows;
using rows_test_support::Cells;
using rows_test_support::cellsOf;
using rows_test_support::rowsOf;

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

using testing_support::namesIn;

// ---------------------------------------------------------------------------
// mergeHostsText

struct MergeCase {
    const char* name;
    std::string hosts;
    std::string merge;
    std::string redirect;
    std::string merged;
};

void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }

class MergeText : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeText, AppendsTheLinesAndConvertsTheOtherAddress)
{
    const MergeCase& c = GetParam();
    EXPECT_EQ(vendrel::mergeHostsText(c.hosts, c.merge, c.redirect), c.merged);
}

INSTANTIATE_TEST_SUITE_P(
    BulkCommands, MergeText,
    testing::Values(
        MergeCase{"HostsWithoutFinalBreakStillStartsMergeOnNewLine", "127.0.0.1 localhost", "127.0.0.1 a.example\n",
                  "127.0.0.1", "127.0.0.1 localhost\r\n127.0.0.1 a.example\r\n"},
        MergeCase{"NullRouteBecomesLoopbackInOldLinesAndComments", "0.0.0.0 old.example # was 0.0.0.0\n",
                  "0.0.0.0 new.example\n#0.0.0.0 off.example\n", "127.0.0.1",
                  "127.0.0.1 old.example # was 127.0.0.1\r\n127.0.0.1 new.example\r\n#127.0.0.1 off.example\r\n"},
        MergeCase{"LoopbackBecomesNullRoute", "127.0.0.1 localhost\r\n", "127.0.0.1\tx.example # 127.0.0.1\r",
                  "0.0.0.0", "0.0.0.0 localhost\r\n0.0.0.0\tx.example # 0.0.0.0\r\n"},
        MergeCase{"NothingReplacedWithoutRedirect", "127.0.0.1 a\n", "0.0.0.0 b", "", "127.0.0.1 a\r\n0.0.0.0 b\r\n"},
        MergeCase{"NothingReplacedForAnotherAddress", "127.0.0.1 a\n", "0.0.0.0 b", "10.0.0.1",
                  "127.0.0.1 a\r\n0.0.0.0 b\r\n"},
        MergeCase{"EmptyHostsGivesTheMergeLinesWithBlanks", "", "a\n\nb", "127.0.0.1", "a\r\n\r\nb\r\n"},
        MergeCase{"EmptyMergeGivesTheHostsLines", "a\rb\n", "", "127.0.0.1", "a\r\nb\r\n"},
        MergeCase{"BothEmpty", "", "", "0.0.0.0", ""}),
    [](const testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Files: merge, append and rewrite, as the hosts session runs them.

// A session on the hosts file at `hostsPath`, loaded when the file exists.
testing_support::SessionDriver sessionOn(const std::string& hostsPath)
{
    testing_support::SessionDriver session(hostsPath, fs::path(hostsPath).parent_path().string());
    session.document.loadIfPresent();
    return session;
}

// Plans a change with `plan` on a session on the hosts file and applies it.
template <typename Plan>
void applyOn(const std::string& hostsPath, Plan&& plan)
{
    testing_support::SessionDriver session = sessionOn(hostsPath);
    session.apply(plan(session.document));
}

class BulkFiles : public testing::Test {
protected:
    FakePlatform fake;
    std::string hostsPath = fake.root() + "/etc/hosts";
    std::string otherPath = fake.root() + "/in/other";

    void SetUp() override { fs::create_directories(fake.root() + "/etc"); }
};

TEST_F(BulkFiles, MergeAndSortWritesTheSortedMerge)
{
    fake.writeFile(hostsPath, "0.0.0.0 localhost\n0.0.0.0 b.example\n");
    fake.writeFile(otherPath, "127.0.0.1 a.example\n# 127.0.0.1 old\n127.0.0.1 B.EXAMPLE");
    applyOn(hostsPath, [&](const vendrel::HostsDocument& d) { return vendrel::planMerge(d, otherPath); });
    EXPECT_EQ(FakePlatform::readFile(hostsPath), "0.0.0.0\tlocalhost\n\n0.0.0.0\ta.example\n0.0.0.0\tB.EXAMPLE\n");
}

TEST_F(BulkFiles, MergeIntoMissingHostsFileMergesAsEmpty)
{
    fake.writeFile(otherPath, "0.0.0.0 b.example\n0.0.0.0 a.example\n");
    applyOn(hostsPath, [&](const vendrel::HostsDocument& d) { return vendrel::planMerge(d, otherPath); });
    EXPECT_EQ(FakePlatform::readFile(hostsPath),
              "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.example\r\n127.0.0.1\tb.example\r\n");
}

struct WriteCase {
    const char* name;
    bool rewrite;
    std::optional<std::string> existing; // nothing: the hosts file is missing
    std::string source;
    std::string result;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class LineFileWrite : public BulkFiles, public testing::WithParamInterface<WriteCase> {};

TEST_P(LineFileWrite, WritesTheSourceLinesWithTheFilesLineBreak)
{
    const WriteCase& c = GetParam();
    if (c.existing)
        fake.writeFile(hostsPath, *c.existing);
    fake.writeFile(otherPath, c.source);
    testing_support::SessionDriver session = sessionOn(hostsPath);
    if (c.rewrite)
        session.apply(vendrel::planReplace(session.document, otherPath));
    else
        session.apply(vendrel::planAppend(session.document, otherPath));
    EXPECT_EQ(FakePlatform::readFile(hostsPath), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    BulkCommands, LineFileWrite,
    testing::Values(WriteCase{"AppendToMissingFileCreatesIt", false, std::nullopt, "a.example\r\nb.example\r\n",
                              "a.example\r\nb.example\r\n"},
                    WriteCase{"AppendToEmptyFile", false, "", "a", "a\r\n"},
                    WriteCase{"AppendAfterFinalBreak", false, "x\r\n", "a\r\n", "x\r\na\r\n"},
                    WriteCase{"AppendToFileWithoutFinalBreakStartsANewLine", false, "x", "a\r\n", "x\r\na\r\n"},
                    WriteCase{"AppendToAnLfFileWritesLf", false, "x\ny\n", "a\r\nb\r\n", "x\ny\na\nb\n"},
                    WriteCase{"AMixedFileTakesItsFirstLinesBreak", false, "x\ny\r\n", "a\r\n", "x\ny\na\n"},
                    WriteCase{"LoneCrBreaksTakeThePlatformsBreak", false, "x\r", "a\rb", "x\r\na\r\nb\r\n"},
                    WriteCase{"AppendKeepsBlankAndPaddedLines", false, "x\r\n", "a\n\n b \n", "x\r\na\r\n\r\n b \r\n"},
                    WriteCase{"RewriteWithEmptyFileLeavesAnEmptyFile", true, "old\r\n", "", ""},
                    WriteCase{"RewriteWritesLfInputWithCrLf", true, "old", "a\nb", "a\r\nb\r\n"},
                    WriteCase{"RewriteOfMissingFileCreatesIt", true, std::nullopt, "a\r", "a\r\n"},
                    WriteCase{"RewriteOfAnLfFileWritesLf", true, "old\n", "a\r\nb\r\n", "a\nb\n"},
                    WriteCase{"RewriteKeepsTheSystemLinesTheOtherFileLacks", true,
                              "::1 localhost\n127.0.1.1  myhost\n0.0.0.0 old\n", "0.0.0.0 a\n::1\tlocalhost\n",
                              "127.0.1.1  myhost\n0.0.0.0 a\n::1\tlocalhost\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(BulkFiles, AppendingTwiceAppendsTwice)
{
    fake.writeFile(hostsPath, "127.0.0.1 localhost\r\n");
    fake.writeFile(otherPath, "0.0.0.0 a.example\n");
    testing_support::SessionDriver session = sessionOn(hostsPath);
    session.apply(vendrel::planAppend(session.document, otherPath));
    session.apply(vendrel::planAppend(session.document, otherPath));
    EXPECT_EQ(FakePlatform::readFile(hostsPath), "127.0.0.1 localhost\r\n0.0.0.0 a.example\r\n0.0.0.0 a.example\r\n");
}

// ---------------------------------------------------------------------------
// A write that fails leaves the hosts file as it was.

struct FailureCase {
    const char* name;
    std::function<void(const std::string& hostsPath, const std::string& otherPath)> run;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailedWrite : public BulkFiles, public testing::WithParamInterface<FailureCase> {
protected:
    void SetUp() override
    {
        BulkFiles::SetUp();
        fake.writeFile(otherPath, "0.0.0.0 merged.example\n");
    }

    void expectErrorNaming(const std::string& path)
    {
        try {
            GetParam().run(path, otherPath);
            ADD_FAILURE() << "no error for " << path;
        } catch (const vendrel::Error& error) {
            EXPECT_TRUE(contains(error.what(), path)) << error.what();
        }
    }
};

TEST_P(FailedWrite, ToReadOnlyHostsFileLeavesItWhole)
{
    const std::string old = "127.0.0.1 localhost\n0.0.0.0 old.example # kept\n";
    fake.writeFile(hostsPath, old);
    ASSERT_EQ(::chmod(hostsPath.c_str(), 0444), 0);
    expectErrorNaming(hostsPath);
    EXPECT_EQ(FakePlatform::readFile(hostsPath), old);
    EXPECT_EQ(namesIn(fake.root() + "/etc"), std::vector<std::string>{"hosts"}) << "a temporary file was left";
}

TEST_P(FailedWrite, IntoMissingFolderCreatesNothing)
{
    const std::string missing = fake.root() + "/gone/hosts";
    expectErrorNaming(missing);
    EXPECT_FALSE(fs::exists(fake.root() + "/gone"));
}

INSTANTIATE_TEST_SUITE_P(BulkCommands, FailedWrite,
                         testing::Values(FailureCase{"Sort",
                                                     [](const std::string& hosts, const std::string&) {
                                                         applyOn(hosts, [](const vendrel::HostsDocument& d) {
                                                             return vendrel::planSort(d);
                                                         });
                                                     }},
                                         FailureCase{"MergeAndSort",
                                                     [](const std::string& hosts, const std::string& other) {
                                                         applyOn(hosts, [&](const vendrel::HostsDocument& d) {
                                                             return vendrel::planMerge(d, other);
                                                         });
                                                     }},
                                         FailureCase{"Append",
                                                     [](const std::string& hosts, const std::string& other) {
                                                         applyOn(hosts, [&](const vendrel::HostsDocument& d) {
                                                             return vendrel::planAppend(d, other);
                                                         });
                                                     }},
                                         FailureCase{"Rewrite",
                                                     [](const std::string& hosts, const std::string& other) {
                                                         applyOn(hosts, [&](const vendrel::HostsDocument& d) {
                                                             return vendrel::planReplace(d, other);
                                                         });
                                                     }}),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(BulkFiles, MissingMergeFileLeavesHostsFileAlone)
{
    const std::string old = "127.0.0.1 localhost\n";
    fake.writeFile(hostsPath, old);
    const std::string missing = fake.root() + "/in/none";
    EXPECT_THROW(applyOn(hostsPath, [&](const vendrel::HostsDocument& d) { return vendrel::planMerge(d, missing); }),
                 vendrel::Error);
    EXPECT_EQ(FakePlatform::readFile(hostsPath), old);
}

// ---------------------------------------------------------------------------
// removeBlockingEntries

struct RemoveCase {
    const char* name;
    std::string text;
    std::string redirect;
    std::optional<std::string> result;
};

void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }

class RemoveBlocking : public testing::TestWithParam<RemoveCase> {};

TEST_P(RemoveBlocking, DropsRedirectLinesAndLeadsWithLocalhost)
{
    const RemoveCase& c = GetParam();
    const auto removal = vendrel::removeBlockingEntries(c.text, c.redirect);
    EXPECT_EQ(removal ? std::optional(removal->text) : std::nullopt, c.result);
}

const std::string sortedFile =
    "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.example\r\n127.0.0.1\tb.example\r\n192.168.1.5\tnas\r\n";

INSTANTIATE_TEST_SUITE_P(
    BulkCommands, RemoveBlocking,
    testing::Values(
        RemoveCase{"SortedFileKeepsItsOtherLines", sortedFile, "127.0.0.1",
                   "127.0.0.1 \tlocalhost\r\n192.168.1.5\tnas\r\n"},
        RemoveCase{"SortedNullRouteFile", "0.0.0.0\tlocalhost\r\n\r\n0.0.0.0\ta.example\r\n192.168.1.5\tnas\r\n",
                   "0.0.0.0", "0.0.0.0 \tlocalhost\r\n192.168.1.5\tnas\r\n"},
        RemoveCase{"TheRedirectAsAWholeWordDropsTheLine",
                   "#127.0.0.1 off.example\n10.0.0.1 nas # was 127.0.0.1\n127.0.0.10 longer.example\nkeep.lan\n"
                   "10.127.0.0.1.example\n",
                   "127.0.0.1",
                   "127.0.0.1 \tlocalhost\r\n127.0.0.10 longer.example\r\nkeep.lan\r\n10.127.0.0.1.example\r\n"},
        RemoveCase{"OtherBlockingAddressSurvivesAndLocalhostGoesInFront",
                   "127.0.0.1 localhost\n0.0.0.0 a.example\n127.0.0.1 b.example\n", "127.0.0.1",
                   "127.0.0.1 \tlocalhost\r\n0.0.0.0 a.example\r\n"},
        RemoveCase{"WhitespaceOnlyFirstSurvivorIsReplaced", "0.0.0.0 localhost\n \t \nnas\n", "0.0.0.0",
                   "0.0.0.0 \tlocalhost\r\nnas\r\n"},
        RemoveCase{"LaterBlankLinesStay", "nas\n\n", "127.0.0.1", "127.0.0.1 \tlocalhost\r\nnas\r\n\r\n"},
        RemoveCase{"NothingLeftGivesTheLocalhostLineAlone", "127.0.0.1 a\n127.0.0.1 b", "127.0.0.1",
                   "127.0.0.1 \tlocalhost\r\n"},
        RemoveCase{"EmptyText", "", "0.0.0.0", "0.0.0.0 \tlocalhost\r\n"},
        RemoveCase{"NoRedirect", sortedFile, "", std::nullopt},
        RemoveCase{"RedirectIsAnotherAddress", sortedFile, "10.0.0.1", std::nullopt},
        RemoveCase{"RedirectWithTrailingBlank", sortedFile, "127.0.0.1 ", std::nullopt}),
    [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// swapLocalhosts

struct SwapCase {
    const char* name;
    std::vector<Cells> before;
    std::string redirect;
    std::vector<Cells> after;
    std::optional<std::string> newAddress;
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }

class SwapLocalhosts : public testing::TestWithParam<SwapCase> {};

TEST_P(SwapLocalhosts, ChangesOnlyAddressCells)
{
    const SwapCase& c = GetParam();
    HostsRows rows = rowsOf(c.before);
    EXPECT_EQ(vendrel::swapLocalhosts(rows, c.redirect), c.newAddress);
    EXPECT_EQ(cellsOf(rows), c.after);
}

const std::vector<Cells> loopbackRows = {{"127.0.0.1", "localhost"},
                                         {"127.0.0.1", "a.example"},
                                         {"#127.0.0.1", "off.example"},
                                         {"10.0.0.1", "127.0.0.1"},
                                         {"", ""},
                                         {"192.168.1.5", "nas # 127.0.0.1"}};
const std::vector<Cells> nullRouteRows = {{"0.0.0.0", "localhost"},
                                          {"0.0.0.0", "a.example"},
                                          {"#0.0.0.0", "off.example"},
                                          {"10.0.0.1", "127.0.0.1"},
                                          {"", ""},
                                          {"192.168.1.5", "nas # 127.0.0.1"}};

INSTANTIATE_TEST_SUITE_P(
    BulkCommands, SwapLocalhosts,
    testing::Values(SwapCase{"LoopbackToNullRoute", loopbackRows, "127.0.0.1", nullRouteRows, "0.0.0.0"},
                    SwapCase{"NullRouteToLoopback",
                             nullRouteRows,
                             "0.0.0.0",
                             {{"127.0.0.1", "localhost"},
                              {"127.0.0.1", "a.example"},
                              {"#127.0.0.1", "off.example"},
                              {"10.0.0.1", "127.0.0.1"},
                              {"", ""},
                              {"192.168.1.5", "nas # 127.0.0.1"}},
                             "127.0.0.1"},
                    SwapCase{"CellAlreadyHoldingTheNewAddressKeepsIt",
                             {{"127.0.0.1", "localhost"}, {"0.0.0.0", "b.example"}},
                             "127.0.0.1",
                             {{"0.0.0.0", "localhost"}, {"0.0.0.0", "b.example"}},
                             "0.0.0.0"},
                    SwapCase{"OnlyTheWholeAddressIsSwapped",
                             {{"127.0.0.10", "dev.test"}, {"# 127.0.0.1", "off.example"}, {"127.0.0.1x", "odd"}},
                             "127.0.0.1",
                             {{"127.0.0.10", "dev.test"}, {"# 0.0.0.0", "off.example"}, {"127.0.0.1x", "odd"}},
                             "0.0.0.0"},
                    SwapCase{"NoRedirectLeavesRowsAlone", loopbackRows, "", loopbackRows, std::nullopt},
                    SwapCase{"OtherRedirectLeavesRowsAlone", loopbackRows, "10.0.0.1", loopbackRows, std::nullopt}),
    [](const testing::TestParamInfo<SwapCase>& info) { return std::string(info.param.name); });

TEST(BulkCommands, SwappingTwiceRestoresAndTurnsPriorNewAddressesToTheOld)
{
    HostsRows rows = rowsOf(loopbackRows);
    const auto first = vendrel::swapLocalhosts(rows, "127.0.0.1");
    ASSERT_EQ(first, "0.0.0.0");
    EXPECT_EQ(vendrel::swapLocalhosts(rows, *first), "127.0.0.1");
    EXPECT_EQ(cellsOf(rows), loopbackRows);

    HostsRows mixed = rowsOf({{"127.0.0.1", "localhost"}, {"0.0.0.0", "b.example"}});
    vendrel::swapLocalhosts(mixed, "127.0.0.1");
    vendrel::swapLocalhosts(mixed, "0.0.0.0");
    EXPECT_EQ(cellsOf(mixed), (std::vector<Cells>{{"127.0.0.1", "localhost"}, {"127.0.0.1", "b.example"}}));
}

} // namespace
