// How vendrel-cli reads its command line: the program's options before the
// command, the command's own options among its arguments, and wrong usage.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using testing_support::FakePlatform;

const std::string original = "127.0.0.1 localhost\n";

struct LineCase {
    const char* name;
    std::vector<std::string> arguments; // "HOSTS" stands for the test's hosts file
    int status;
    std::vector<std::string> outParts;
    std::string errPart;
    std::string hostsAfter; // empty: as it was
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class CliCommandLine : public testing::TestWithParam<LineCase> {};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_P(CliCommandLine, IsReadAsGetoptLongReadsIt)
{
    const LineCase& c = GetParam();
    FakePlatform fake;
    const std::string hostsFile = fake.writeFile(fake.root() + "/hosts", original);
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments)
        arguments.push_back(argument == "HOSTS"           ? hostsFile
                            : argument == "--hosts=HOSTS" ? "--hosts=" + hostsFile
                                                          : argument);
    const CliRun result = runCliCapturing(arguments, fake);
    EXPECT_EQ(result.status, c.status) << result.err;
    for (const std::string& part : c.outParts)
        EXPECT_TRUE(contains(result.out, part)) << part << " is not in:\n" << result.out;
    EXPECT_TRUE(contains(result.err, c.errPart)) << result.err;
    if (c.status == vendrel::cli::WrongUsage) {
        EXPECT_EQ(result.out, "");
        const std::string& command = arguments.at(2); // every wrong usage here names its command third
        EXPECT_TRUE(result.err.ends_with("Try 'vendrel-cli " + command + " --help'.\n")) << result.err;
    }
    EXPECT_EQ(FakePlatform::readFile(hostsFile), c.hostsAfter.empty() ? original : c.hostsAfter);
}

const std::string added = "127.0.0.1\tlocalhost\n\t-x.example\n";
const std::string addedDryRun = "127.0.0.1\tlocalhost\n\t--dry-run\n";
const int ok = vendrel::cli::Success;
const int usage = vendrel::cli::WrongUsage;

INSTANTIATE_TEST_SUITE_P(
    Cli, CliCommandLine,
    testing::Values(
        LineCase{"HostsWithEquals", {"--hosts=HOSTS", "lines"}, ok, {"1 Lines - Idle"}, "", ""},
        LineCase{"HostsAsNextWord", {"--hosts", "HOSTS", "lines"}, ok, {"1 Lines - Idle"}, "", ""},
        LineCase{"ShortHelpOfTheProgram", {"-h"}, ok, {"Usage: vendrel-cli", "\n  backup [--force]  "}, "", ""},
        LineCase{"DoubleDashEndsTheOptions", {"--hosts", "HOSTS", "add", "--", "-x.example"}, ok, {}, "", added},
        LineCase{
            "DryRunAfterDoubleDashIsText", {"--hosts", "HOSTS", "add", "--", "--dry-run"}, ok, {}, "", addedDryRun},
        LineCase{"OptionAfterArgument", {"--hosts", "HOSTS", "add", "a.example", "--dry-run"}, ok, {"Dry run"}, "", ""},
        LineCase{
            "OptionBeforeArgument", {"--hosts", "HOSTS", "add", "--diff", "a.example"}, ok, {"+\ta.example"}, "", ""},
        LineCase{"DashWordWithoutDoubleDash",
                 {"--hosts", "HOSTS", "add", "-x.example"},
                 usage,
                 {},
                 "unknown option -x.example",
                 ""},
        LineCase{"UnknownOption", {"--hosts", "HOSTS", "sort", "--force"}, usage, {}, "unknown option --force", ""},
        LineCase{"HostsAfterTheCommand",
                 {"--data-dir", "HOSTS", "lines", "--hosts", "x"},
                 usage,
                 {},
                 "unknown option --hosts",
                 ""},
        LineCase{"MissingValue",
                 {"--hosts", "HOSTS", "download", "mvps", "merge", "--url"},
                 usage,
                 {},
                 "--url needs a value",
                 ""},
        LineCase{"ValueOfAnOptionWithoutOne",
                 {"--hosts", "HOSTS", "sort", "--dry-run=yes"},
                 usage,
                 {},
                 "--dry-run takes no value",
                 ""},
        LineCase{"RepeatedOption",
                 {"--hosts", "HOSTS", "backup", "--force", "--force"},
                 usage,
                 {},
                 "--force is given twice",
                 ""},
        LineCase{"RepeatedBeforeAndAfterTheCommand",
                 {"--dry-run", "--hosts=HOSTS", "sort", "--dry-run"},
                 usage,
                 {},
                 "--dry-run is given twice",
                 ""},
        LineCase{"TooFewArguments", {"--hosts", "HOSTS", "unzip", "a.zip", "HOSTS"}, usage, {}, "needs DIR", ""},
        LineCase{"TooManyArguments", {"--hosts", "HOSTS", "toggle", "1", "2"}, usage, {}, "'2'", ""},
        LineCase{"HelpOfACommandNamesItsOptions",
                 {"--hosts", "HOSTS", "download", "--help"},
                 ok,
                 {"download mvps|hphosts merge|replace", "\n  --url URL  ", "\n  --max-seconds N  ", "\n  --quiet  ",
                  "\n  --dry-run  ", "\n  -h, --help  "},
                 "",
                 ""},
        LineCase{"ShortHelpOfACommandWithoutItsArguments",
                 {"--hosts", "HOSTS", "backup", "-h"},
                 ok,
                 {"Usage: vendrel-cli", "backup [--force]", "\n  --force  "},
                 "",
                 ""}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

} // namespace
