#include "cli/cli_app.h"
#include "core/bulk/file_sort.h"
#include "core/hosts/default_hosts.h"
#include "core/hosts/line_ends.h"
#include "core/hosts/text_file.h"

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string dataFolder = VENDREL_TEST_DATA;
const std::string tabLedFile = dataFolder + "/arcaz21_hosts_tab-led-line_unchecky-block";
const std::string crLfFile = dataFolder + "/fademind_add.2o7Net_hosts_crlf";
// The file of the same name in saved/: the list as the editor saves it.
std::string savedForm(const std::string& file) { return dataFolder + "/saved" + file.substr(dataFolder.size()); }

class Cli : public testing::Test {
protected:
    FakePlatform fake;

    CliRun run(const std::vector<std::string>& arguments) { return runCliCapturing(arguments, fake); }
};

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// ---------------------------------------------------------------------------
// show and lines on real hosts files.

TEST_F(Cli, ShowPrintsTheListAsTheEditorSavesIt)
{
    const CliRun result = run({"--hosts", tabLedFile, "show"});
    EXPECT_EQ(result.status, vendrel::cli::Success);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, FakePlatform::readFile(savedForm(tabLedFile)));
    EXPECT_TRUE(result.out.starts_with("#\tCopyright (c) 1993-2009 Microsoft Corp.\r\n#\t\r\n"));
    EXPECT_TRUE(contains(result.out, "\r\n127.0.0.1\tlocalhost\r\n#\t::1             localhost\r\n\t\r\n"));
    EXPECT_TRUE(contains(result.out, "\r\n0.0.0.0\t0.0.0.0 # fix for traceroute and netstat display anomaly\r\n"));
}

TEST_F(Cli, ShowOfCrLfFileHasNoExtraLines)
{
    const CliRun result = run({"--hosts", crLfFile, "show"});
    EXPECT_EQ(result.status, vendrel::cli::Success);
    EXPECT_EQ(result.out, FakePlatform::readFile(savedForm(crLfFile)));
    EXPECT_TRUE(result.out.starts_with("0.0.0.0\tsanalytics.spark.co.nz\r\n0.0.0.0\tanalytics.metro.com.kz\r\n"));
    EXPECT_FALSE(contains(result.out, "\r\n\t\r\n")) << "a CR LF became two line breaks";
    EXPECT_FALSE(contains(result.out, "\r\r"));
}

struct LinesCase {
    const char* name;
    std::string file;
    std::string out;
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class CliLines : public Cli, public testing::WithParamInterface<LinesCase> {};

TEST_P(CliLines, PrintsTheStatusBarText)
{
    const CliRun result = run({"--hosts", GetParam().file, "lines"});
    EXPECT_EQ(result.status, vendrel::cli::Success) << result.err;
    EXPECT_EQ(result.out, GetParam().out);
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Cli, CliLines,
                         testing::Values(LinesCase{"FinalLineBreakAddsNoLine", tabLedFile, "67 Lines - Idle\n"},
                                         LinesCase{"CrLfCountsOnce", crLfFile, "2030 Lines - Idle\n"},
                                         LinesCase{"LastLineWithoutBreakCounts",
                                                   dataFolder + "/abadi199_hosts_lan-mappings_no-final-newline",
                                                   "27 Lines - Idle\n"}),
                         [](const testing::TestParamInfo<LinesCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The hosts file the editor would open, when --hosts is not given.

TEST_F(Cli, WithoutHostsOptionUsesTheEditorsHostsFile)
{
    fake.writeFile(fake.hostsPath(), "127.0.0.1 localhost\r\n::1\tlocalhost\r\n");
    const CliRun show = run({"show"});
    EXPECT_EQ(show.status, vendrel::cli::Success) << show.err;
    EXPECT_EQ(show.out, "127.0.0.1\tlocalhost\r\n::1\tlocalhost\r\n");
    EXPECT_EQ(run({"lines"}).out, "2 Lines - Idle\n");
}

TEST_F(Cli, OnAnOlderSystemUsesTheLegacyHostsFile)
{
    FakePlatform older(false);
    older.writeFile(older.windowsDirectory() + "/HOSTS", "10.0.0.1 legacy\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(vendrel::cli::runCli({"show"}, older, out, err), vendrel::cli::Success) << err.str();
    EXPECT_EQ(out.str(), "10.0.0.1\tlegacy\r\n");
}

TEST_F(Cli, UnreadableSystemFolderFailsWithThePlatformsText)
{
    fake.failSystemDirectory = true;
    const CliRun result = run({"show"});
    EXPECT_EQ(result.status, vendrel::cli::Failure);
    EXPECT_EQ(result.err, "ERROR: The system cannot find the path specified.\n");
    EXPECT_EQ(result.out, "");
}

// ---------------------------------------------------------------------------
// Failures and wrong usage.

TEST_F(Cli, MissingHostsFileFailsWithTheFileError)
{
    const std::string path = fake.root() + "/no-such-hosts";
    const CliRun result = run({"--hosts", path, "show"});
    EXPECT_EQ(result.status, vendrel::cli::Failure);
    EXPECT_TRUE(result.err.starts_with("ERROR: Cannot open file " + path)) << result.err;
    EXPECT_EQ(result.out, "");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class CliUsage : public Cli, public testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, ExitsWithTwoAndPointsToHelp)
{
    // Every case names an existing hosts file where it names one, so only the
    // usage itself can be at fault.
    const CliRun result = run(GetParam().arguments);
    EXPECT_EQ(result.status, vendrel::cli::WrongUsage);
    EXPECT_TRUE(contains(result.err, "--help")) << result.err;
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(Cli, CliUsage,
                         testing::Values(UsageCase{"NoArguments", {}},
                                         UsageCase{"UnknownCommand", {"--hosts", tabLedFile, "frobnicate"}},
                                         UsageCase{"HostsWithoutValue", {"--hosts"}},
                                         UsageCase{"DataDirWithoutValue", {"--hosts", tabLedFile, "--data-dir"}},
                                         UsageCase{"OptionsButNoCommand", {"--hosts", tabLedFile}},
                                         UsageCase{"UnknownOption", {"--verbose", "--hosts", tabLedFile, "show"}},
                                         UsageCase{"ExtraArgumentToShow", {"--hosts", tabLedFile, "show", "extra"}},
                                         UsageCase{"ExtraArgumentToLines", {"--hosts", tabLedFile, "lines", "1"}}),
                         [](const testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

TEST_F(Cli, HelpListsBothCommandsAndSucceeds)
{
    const CliRun result = run({"--help"});
    EXPECT_EQ(result.status, vendrel::cli::Success);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("Usage: vendrel-cli")) << result.out;
    EXPECT_TRUE(contains(result.out, "\n  show ")) << result.out;
    EXPECT_TRUE(contains(result.out, "\n  lines ")) << result.out;
}

// --version answers before any hosts file is looked for, like --help.
TEST_F(Cli, VersionPrintsTheNameAndVersionWithoutAHostsFile)
{
    fake.failSystemDirectory = true;
    const CliRun result = run({"--version"});
    EXPECT_EQ(result.status, vendrel::cli::Success);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(std::regex_match(result.out, std::regex("vendrel-cli [0-9]+(\\.[0-9]+)+\n"))) << result.out;
    EXPECT_TRUE(contains(run({"--help"}).out, "\n  --version ")) << "the help does not name --version";
}

// The manual page is made from the help: help2man takes a command apart from
// its summary only where two spaces stand between them.
TEST_F(Cli, HelpSetsEveryCommandTwoSpacesApartFromItsSummary)
{
    const std::string help = run({"--help"}).out;
    for (const vendrel::cli::CliCommand& command : vendrel::cli::commandTable()) {
        const std::size_t start = help.find("\n  " + command.name + " ");
        ASSERT_NE(start, std::string::npos) << command.name;
        const std::string line = help.substr(start + 1, help.find('\n', start + 1) - start - 1);
        EXPECT_TRUE(line.ends_with("  " + command.summary)) << line;
    }
}

TEST_F(Cli, VersionBeforeACommandRunsNothing)
{
    const std::string content = "127.0.0.1 localhost\n0.0.0.0 ads.example\n";
    const std::string hostsFile = fake.writeFile(fake.root() + "/hosts", content);
    const CliRun result = run({"--version", "--hosts", hostsFile, "delete", "2"});
    EXPECT_EQ(result.status, vendrel::cli::Success);
    EXPECT_EQ(result.out, run({"--version"}).out);
    EXPECT_EQ(FakePlatform::readFile(hostsFile), content);
}

// ---------------------------------------------------------------------------
// toggle, delete and add: the file is loaded as the editor loads it, changed
// and saved whole in the editor's list format.

const std::string fourLines =
    "127.0.0.1 localhost\r\n#1.2.3.4   ads.example\r\n# some words here\r\n0.0.0.0\tads.example";

class CliLineCommand : public Cli {
protected:
    std::string hostsFile;

    CliRun runOn(const std::string& content, std::vector<std::string> command)
    {
        hostsFile = fake.writeFile(fake.root() + "/hosts", content);
        command.insert(command.begin(), {"--hosts", hostsFile});
        return run(command);
    }
};

struct ChangeCase {
    const char* name;
    std::string content;
    std::vector<std::string> command;
    std::string saved;
    std::string out;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class CliChange : public CliLineCommand, public testing::WithParamInterface<ChangeCase> {};

TEST_P(CliChange, SavesTheWholeListAndPrintsTheLineCount)
{
    const ChangeCase& c = GetParam();
    const CliRun result = runOn(c.content, c.command);
    EXPECT_EQ(result.status, vendrel::cli::Success) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(FakePlatform::readFile(hostsFile), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliChange,
    testing::Values(
        ChangeCase{"ToggleCommentsOut",
                   fourLines,
                   {"toggle", "1"},
                   "#127.0.0.1\tlocalhost\r\n#1.2.3.4\tads.example\r\n#\tsome words here\r\n0.0.0.0\tads.example\r\n",
                   "4 Lines - Idle\n"},
        ChangeCase{"ToggleCommentsIn",
                   fourLines,
                   {"toggle", "2"},
                   "127.0.0.1\tlocalhost\r\n1.2.3.4\tads.example\r\n#\tsome words here\r\n0.0.0.0\tads.example\r\n",
                   "4 Lines - Idle\n"},
        ChangeCase{"ToggleOfLoneHashLeavesABlank",
                   fourLines,
                   {"toggle", "3"},
                   "127.0.0.1\tlocalhost\r\n#1.2.3.4\tads.example\r\n \tsome words here\r\n0.0.0.0\tads.example\r\n",
                   "4 Lines - Idle\n"},
        ChangeCase{"ToggleLastLine",
                   fourLines,
                   {"toggle", "4"},
                   "127.0.0.1\tlocalhost\r\n#1.2.3.4\tads.example\r\n#\tsome words here\r\n#0.0.0.0\tads.example\r\n",
                   "4 Lines - Idle\n"},
        ChangeCase{"ToggleOfLineWithoutBlank", "1.2.3.4\r\n", {"toggle", "1"}, "#\t1.2.3.4\r\n", "1 Lines - Idle\n"},
        ChangeCase{"DeleteFirstLine",
                   fourLines,
                   {"delete", "1"},
                   "#1.2.3.4\tads.example\r\n#\tsome words here\r\n0.0.0.0\tads.example\r\n",
                   "3 Lines - Idle\n"},
        ChangeCase{"DeleteLastLine",
                   fourLines,
                   {"delete", "4"},
                   "127.0.0.1\tlocalhost\r\n#1.2.3.4\tads.example\r\n#\tsome words here\r\n",
                   "3 Lines - Idle\n"},
        ChangeCase{"DeleteOfOnlyLineKeepsIt",
                   "1.2.3.4 only.example\r\n",
                   {"delete", "1"},
                   "1.2.3.4\tonly.example\r\n",
                   "1 Lines - Idle\n"},
        ChangeCase{"AddAppendsAddressAndHost",
                   "127.0.0.1 localhost\r\n",
                   {"add", "10.0.0.1  new.example"},
                   "127.0.0.1\tlocalhost\r\n10.0.0.1\tnew.example\r\n",
                   "2 Lines - Idle\n"},
        ChangeCase{"AddWithLeadingBlankHasNoAddress",
                   "127.0.0.1 localhost\r\n",
                   {"add", " lead words"},
                   "127.0.0.1\tlocalhost\r\n\tlead words\r\n",
                   "2 Lines - Idle\n"},
        ChangeCase{"AddWithoutBlankIsAllHost",
                   "127.0.0.1 localhost\r\n",
                   {"add", "solo.example"},
                   "127.0.0.1\tlocalhost\r\n\tsolo.example\r\n",
                   "2 Lines - Idle\n"},
        ChangeCase{"AddKeepsByteOrderMark",
                   "\xEF\xBB\xBF"
                   "127.0.0.1 localhost\r\n",
                   {"add", "::1 localhost"},
                   "\xEF\xBB\xBF"
                   "127.0.0.1\tlocalhost\r\n::1\tlocalhost\r\n",
                   "2 Lines - Idle\n"}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    std::vector<std::string> command;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class CliRefusedChange : public CliLineCommand, public testing::WithParamInterface<RefusedCase> {};

TEST_P(CliRefusedChange, IsWrongUsageAndLeavesTheFileAlone)
{
    const CliRun result = runOn(fourLines, GetParam().command);
    EXPECT_EQ(result.status, vendrel::cli::WrongUsage);
    EXPECT_TRUE(contains(result.err, "--help")) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(FakePlatform::readFile(hostsFile), fourLines);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliRefusedChange,
    testing::Values(
        RefusedCase{"ToggleLineZero", {"toggle", "0"}}, RefusedCase{"ToggleAfterTheLastLine", {"toggle", "5"}},
        RefusedCase{"ToggleNegative", {"toggle", "-1"}}, RefusedCase{"ToggleNotANumber", {"toggle", "two"}},
        RefusedCase{"ToggleNumberWithTrailingText", {"toggle", "2x"}}, RefusedCase{"ToggleFraction", {"toggle", "1.5"}},
        RefusedCase{"ToggleEmptyNumber", {"toggle", ""}}, RefusedCase{"ToggleWithoutNumber", {"toggle"}},
        RefusedCase{"DeleteLineZero", {"delete", "0"}}, RefusedCase{"DeleteAfterTheLastLine", {"delete", "5"}},
        RefusedCase{"DeleteNegative", {"delete", "-4"}}, RefusedCase{"DeleteNotANumber", {"delete", "last"}},
        RefusedCase{"DeleteNumberTooLargeForAnyType", {"delete", "184467440737095516160"}},
        RefusedCase{"DeleteTwoNumbers", {"delete", "1", "2"}}, RefusedCase{"AddWithoutText", {"add"}},
        RefusedCase{"AddTwoTexts", {"add", "1.2.3.4", "host"}}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST_F(Cli, HelpListsTheLineCommands)
{
    const std::string help = run({"--help"}).out;
    EXPECT_TRUE(contains(help, "\n  toggle N ")) << help;
    EXPECT_TRUE(contains(help, "\n  delete N ")) << help;
    EXPECT_TRUE(contains(help, "\n  add TEXT ")) << help;
}

// ---------------------------------------------------------------------------
// Whole-file commands: each prints the line count of the file it leaves.

class CliFileCommand : public Cli {
protected:
    std::string hostsFile = fake.root() + "/hosts";
    std::string otherFile = fake.root() + "/other";
    std::string dataDir = fake.root() + "/data";
    std::string backupFile = dataDir + "/hostsbak.bak";

    void SetUp() override { std::filesystem::create_directories(dataDir); }

    // Runs the command on the hosts file; the argument "FILE" names the other file.
    CliRun runCommand(std::vector<std::string> command)
    {
        for (std::string& argument : command)
            if (argument == "FILE")
                argument = otherFile;
        command.insert(command.begin(), {"--hosts", hostsFile, "--data-dir", dataDir});
        return run(command);
    }
};

struct FileChangeCase {
    const char* name;
    std::string hosts;
    std::vector<std::string> command;
    std::string other;
    std::string saved;
    std::string out;
};

void PrintTo(const FileChangeCase& c, std::ostream* os) { *os << c.name; }

class CliFileChange : public CliFileCommand, public testing::WithParamInterface<FileChangeCase> {};

TEST_P(CliFileChange, WritesTheFileAndPrintsItsLineCount)
{
    const FileChangeCase& c = GetParam();
    fake.writeFile(hostsFile, c.hosts);
    fake.writeFile(otherFile, c.other);
    const CliRun result = runCommand(c.command);
    EXPECT_EQ(result.status, vendrel::cli::Success) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(FakePlatform::readFile(hostsFile), c.saved);
    EXPECT_EQ(result.out, c.out);
}

const std::string defaultHostsText = [] {
    std::string text;
    for (const std::string& line : vendrel::defaultHostsLines())
        text += line + "\r\n";
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Cli, CliFileChange,
    testing::Values(FileChangeCase{"SortUsesTheLocalhostLinesAddress",
                                   "0.0.0.0 b.example\n# c\n127.0.0.1 localhost\n0.0.0.0 a.example # x\n",
                                   {"sort"},
                                   "",
                                   "127.0.0.1\tlocalhost\n\n127.0.0.1\ta.example\n127.0.0.1\tb.example\n",
                                   "4 Lines - Idle\n"},
                    FileChangeCase{"SortToNullRouteKeepsOtherLines",
                                   "0.0.0.0 localhost\n127.0.0.1 b.example\n10.0.0.5 nas\n",
                                   {"sort"},
                                   "",
                                   "0.0.0.0\tlocalhost\n\n0.0.0.0\tb.example\n10.0.0.5\tnas\n",
                                   "4 Lines - Idle\n"},
                    FileChangeCase{"SortWithoutLocalhostLineUsesLoopback",
                                   "0.0.0.0 a.example\n",
                                   {"sort"},
                                   "",
                                   "127.0.0.1\tlocalhost\n\n127.0.0.1\ta.example\n",
                                   "3 Lines - Idle\n"},
                    FileChangeCase{"MergeConvertsToTheRedirectAndSorts",
                                   "0.0.0.0 localhost\n0.0.0.0 b.example\n",
                                   {"merge", "FILE"},
                                   "127.0.0.1 a.example\n# 127.0.0.1 old\n",
                                   "0.0.0.0\tlocalhost\n\n0.0.0.0\ta.example\n0.0.0.0\tb.example\n",
                                   "4 Lines - Idle\n"},
                    FileChangeCase{"AppendStartsOnANewLine",
                                   "127.0.0.1 localhost",
                                   {"append", "FILE"},
                                   "0.0.0.0 a.example\nb.lan",
                                   "127.0.0.1 localhost\r\n0.0.0.0 a.example\r\nb.lan\r\n",
                                   "3 Lines - Idle\n"},
                    FileChangeCase{"ReplaceWritesTheOtherFileWithTheHostsFilesLineBreak",
                                   "old\n",
                                   {"replace", "FILE"},
                                   "a\rb\r\n",
                                   "a\nb\n",
                                   "2 Lines - Idle\n"},
                    FileChangeCase{"RemoveBlockingLeavesTheOtherLines",
                                   "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\ta.example\r\n192.168.1.5\tnas\r\n",
                                   {"remove-blocking"},
                                   "",
                                   "127.0.0.1 \tlocalhost\r\n192.168.1.5\tnas\r\n",
                                   "2 Lines - Idle\n"},
                    FileChangeCase{"SwapSavesTheListWithTheOtherAddress",
                                   "127.0.0.1 localhost\n127.0.0.1 a.example\n# note\n",
                                   {"swap"},
                                   "",
                                   "0.0.0.0\tlocalhost\n0.0.0.0\ta.example\n#\tnote\n",
                                   "3 Lines - Idle\n"},
                    FileChangeCase{"RestoreDefaultWritesTheSystemsText",
                                   "0.0.0.0 a.example\r\n",
                                   {"restore-default"},
                                   "",
                                   defaultHostsText,
                                   "19 Lines - Idle\n"}),
    [](const testing::TestParamInfo<FileChangeCase>& info) { return std::string(info.param.name); });

struct FileRefusalCase {
    const char* name;
    std::string hosts;
    std::vector<std::string> command;
    int status;
    std::string errorPart;
};

void PrintTo(const FileRefusalCase& c, std::ostream* os) { *os << c.name; }

class CliFileRefusal : public CliFileCommand, public testing::WithParamInterface<FileRefusalCase> {};

TEST_P(CliFileRefusal, LeavesHostsFileAndBackupAlone)
{
    const FileRefusalCase& c = GetParam();
    fake.writeFile(hostsFile, c.hosts);
    const CliRun result = runCommand(c.command);
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(contains(result.err, c.errorPart)) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(FakePlatform::readFile(hostsFile), c.hosts);
    EXPECT_FALSE(std::filesystem::exists(backupFile));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliFileRefusal,
    testing::Values(
        FileRefusalCase{"RemoveBlockingWithoutLocalhostLine",
                        "0.0.0.0 a.example\n",
                        {"remove-blocking"},
                        vendrel::cli::Failure,
                        "No blocking address is set: the hosts file has no localhost line"},
        FileRefusalCase{"RemoveBlockingWithLocalhostOnAnotherAddress",
                        "10.0.0.1 localhost\n127.0.0.1 a.example\n",
                        {"remove-blocking"},
                        vendrel::cli::Failure,
                        "the last localhost line is '10.0.0.1 localhost'"},
        FileRefusalCase{"SwapWithoutLocalhostLine",
                        "0.0.0.0 a.example\n",
                        {"swap"},
                        vendrel::cli::Failure,
                        "the hosts file has no localhost line"},
        FileRefusalCase{"SwapWhenTheLastLocalhostLineHasAnotherAddress",
                        "127.0.0.1 localhost\n10.9.9.9\tlocalhost\n",
                        {"swap"},
                        vendrel::cli::Failure,
                        "the last localhost line is '10.9.9.9 localhost', whose address is neither"},
        FileRefusalCase{"RemoveBlockingWhenEveryEntryBlocksWithTheOtherAddress",
                        "127.0.0.1 localhost\n::1 localhost\n0.0.0.0 a.example\n0.0.0.0 b.example\n",
                        {"remove-blocking"},
                        vendrel::cli::Failure,
                        "No line held 127.0.0.1; 2 entries block with 0.0.0.0. Swap localhosts first to remove those."},
        FileRefusalCase{"MergeOfMissingFile",
                        "127.0.0.1 localhost\n",
                        {"merge", "FILE"},
                        vendrel::cli::Failure,
                        "Cannot open file"},
        FileRefusalCase{"AppendOfMissingFile",
                        "127.0.0.1 localhost\n",
                        {"append", "FILE"},
                        vendrel::cli::Failure,
                        "Cannot open file"},
        FileRefusalCase{
            "RestoreWithoutBackup", "127.0.0.1 localhost\n", {"restore"}, vendrel::cli::Failure, "Cannot open file"},
        FileRefusalCase{"MergeWithoutFile", "127.0.0.1 localhost\n", {"merge"}, vendrel::cli::WrongUsage, "--help"},
        FileRefusalCase{
            "BackupWithAnotherArgument", "127.0.0.1 localhost\n", {"backup", "x"}, vendrel::cli::WrongUsage, "--help"},
        FileRefusalCase{"BackupWithTwoArguments",
                        "127.0.0.1 localhost\n",
                        {"backup", "--force", "x"},
                        vendrel::cli::WrongUsage,
                        "--help"}),
    [](const testing::TestParamInfo<FileRefusalCase>& info) { return std::string(info.param.name); });

TEST_F(CliFileCommand, RestoreAfterBackupGivesTheSavedList)
{
    fake.writeFile(hostsFile, FakePlatform::readFile(tabLedFile));
    const std::string saved = FakePlatform::readFile(savedForm(tabLedFile));
    const CliRun backup = runCommand({"backup"});
    EXPECT_EQ(backup.status, vendrel::cli::Success) << backup.err;
    EXPECT_EQ(backup.out, "67 Lines - Idle\n");
    EXPECT_EQ(FakePlatform::readFile(backupFile), saved);

    fake.writeFile(hostsFile, "127.0.0.1 localhost\r\n");
    const CliRun restore = runCommand({"restore"});
    EXPECT_EQ(restore.status, vendrel::cli::Success) << restore.err;
    EXPECT_EQ(restore.out, "67 Lines - Idle\n");
    EXPECT_EQ(FakePlatform::readFile(hostsFile), saved);
}

TEST_F(CliFileCommand, BackupKeepsAnExistingOneUnlessForced)
{
    fake.writeFile(hostsFile, "127.0.0.1 localhost\n0.0.0.0 a.example\n");
    fake.writeFile(backupFile, "older backup\r\n");

    const CliRun refused = runCommand({"backup"});
    EXPECT_EQ(refused.status, vendrel::cli::Failure);
    EXPECT_TRUE(contains(refused.err, "backup already exists")) << refused.err;
    EXPECT_TRUE(contains(refused.err, "--force")) << refused.err;
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(FakePlatform::readFile(backupFile), "older backup\r\n");

    const CliRun forced = runCommand({"backup", "--force"});
    EXPECT_EQ(forced.status, vendrel::cli::Success) << forced.err;
    EXPECT_EQ(forced.out, "2 Lines - Idle\n");
    EXPECT_EQ(FakePlatform::readFile(backupFile), "127.0.0.1\tlocalhost\r\n0.0.0.0\ta.example\r\n");
}

// Real lists: the result holds no line with the other address, and sorting it
// again changes nothing.
TEST_F(CliFileCommand, MergeOfRealListsGivesOneSortedLoopbackList)
{
    fake.writeFile(hostsFile, FakePlatform::readFile(dataFolder + "/urlhaus_hosts_tab-separated"));
    fake.writeFile(otherFile, FakePlatform::readFile(crLfFile));
    const CliRun merge = runCommand({"merge", "FILE"});
    ASSERT_EQ(merge.status, vendrel::cli::Success) << merge.err;

    const std::string merged = FakePlatform::readFile(hostsFile);
    const std::vector<std::string_view> lines = vendrel::splitLines(merged);
    EXPECT_EQ(merge.out, std::to_string(lines.size()) + " Lines - Idle\n");
    // The hosts file's LF line ends are kept, the merged file's CR LF ones are not.
    EXPECT_TRUE(merged.starts_with("127.0.0.1\tlocalhost\n\n127.0.0.1\t"));
    EXPECT_TRUE(contains(merged, "\n127.0.0.1\t1.off3.ru\n")) << "a line of the hosts file is missing";
    EXPECT_TRUE(contains(merged, "\n127.0.0.1\tsanalytics.spark.co.nz\n")) << "a merged line is missing";
    EXPECT_FALSE(contains(merged, "\r"));
    for (const std::string_view line : lines)
        EXPECT_FALSE(line.starts_with("0.0.0.0")) << line;
    EXPECT_EQ(vendrel::withLineBreaks(vendrel::sortHostsText(merged, "127.0.0.1"), "\n"), merged);

    const CliRun sort = runCommand({"sort"});
    EXPECT_EQ(sort.status, vendrel::cli::Success) << sort.err;
    EXPECT_TRUE(sort.out.ends_with(merge.out)) << sort.out;
    EXPECT_TRUE(contains(sort.out, " is unchanged")) << "sorting the sorted file changes nothing: " << sort.out;
    EXPECT_EQ(FakePlatform::readFile(hostsFile), merged);
}

TEST_F(CliFileCommand, SortOfRealFilesIsIdempotent)
{
    for (const std::string& file : {tabLedFile, crLfFile, dataFolder + "/yabooo666_hosts_leading-trailing-spaces"}) {
        SCOPED_TRACE(file);
        fake.writeFile(hostsFile, FakePlatform::readFile(file));
        ASSERT_EQ(runCommand({"sort"}).status, vendrel::cli::Success);
        const std::string sorted = FakePlatform::readFile(hostsFile);
        const std::string address = sorted.substr(0, sorted.find('\t'));
        const std::string other = address == "127.0.0.1" ? "0.0.0.0" : "127.0.0.1";
        for (const std::string_view line : vendrel::splitLines(sorted))
            EXPECT_FALSE(line.starts_with(other)) << line;
        ASSERT_EQ(runCommand({"sort"}).status, vendrel::cli::Success);
        EXPECT_EQ(FakePlatform::readFile(hostsFile), sorted);
    }
}

} // namespace
