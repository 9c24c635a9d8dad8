// vendrel-cli download against a local server. A download that fails in any
// way ends with exit status 1 and an ERROR line that says why, and leaves the
// hosts file and the data folder as they were.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"
#include "local_http_server.h"
#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing_support::FakePlatform;
using testing_support::LocalHttpServer;

// An archive holding a 155-line list as HOSTS, the member the mvps list uses.
const std::string archive = FakePlatform::readFile(VENDREL_ARCHIVE_FIXTURES "/stored-upper.zip");
const std::string originalHosts = "127.0.0.1\tlocalhost\r\n0.0.0.0\tkept.example\r\n";
const std::string usage = "usage: vendrel-cli download mvps|hphosts merge|replace [--url URL] [--max-seconds N]";

class CliDownload : public testing::Test {
protected:
    FakePlatform fake;
    LocalHttpServer server;
    const std::string hostsPath = fake.writeFile(fake.root() + "/hosts", originalHosts);
    const std::string dataDir = fake.root() + "/data";
    const std::string url = server.url("/winhelp2002/hosts.zip");

    // Runs "download" with `arguments` on the test's hosts file and data folder.
    CliRun download(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsPath, "--data-dir", dataDir, "download"});
        return runCliCapturing(arguments, fake);
    }

    std::vector<std::string> dataFiles() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(dataDir))
            for (const auto& entry : std::filesystem::directory_iterator(dataDir))
                names.push_back(entry.path().filename().string());
        return names;
    }

    void expectNothingChanged()
    {
        EXPECT_EQ(FakePlatform::readFile(hostsPath), originalHosts);
        EXPECT_EQ(dataFiles(), std::vector<std::string>());
    }
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliDownload, AMergeAppliesTheListAndLeavesNoDownloadBehind)
{
    server.serve("/winhelp2002/hosts.zip", {200, archive});
    const CliRun result = download({"mvps", "merge", "--url", url, "--max-seconds", "30"});
    ASSERT_EQ(result.status, vendrel::cli::Success) << result.err;
    const std::string hosts = FakePlatform::readFile(hostsPath);
    EXPECT_TRUE(contains(hosts, "127.0.0.1\tads1.tracker.example\r\n")) << hosts;
    EXPECT_TRUE(contains(hosts, "127.0.0.1\tkept.example\r\n"));
    EXPECT_TRUE(contains(result.out, " Lines - Idle"));
    EXPECT_EQ(dataFiles(), std::vector<std::string>{"history"});
}

// Whatever the server sends, only blocking entries reach the hosts file: a
// served redirect of a name never does.
TEST_F(CliDownload, OnlyBlockingEntriesOfAServedListComeIn)
{
    const std::string list = "# a list\r\n6.6.6.6 bank.example\r\n0.0.0.0 ads.example # note\r\n"
                             "127.0.0.1 localhost\r\nbad_name.example\r\ntracker.example\r\n";
    // An archive, or the list itself as plain text, whatever the address calls it.
    for (const std::string& body : {unzip_test::handMadeArchive({{"HOSTS", list}}), list}) {
        fake.writeFile(hostsPath, originalHosts);
        server.serve("/winhelp2002/hosts.zip", {200, body});
        const CliRun result = download({"mvps", "merge", "--url", url});
        ASSERT_EQ(result.status, vendrel::cli::Success) << result.err;
        EXPECT_EQ(FakePlatform::readFile(hostsPath),
                  "127.0.0.1\tlocalhost\r\n\r\n127.0.0.1\tads.example\r\n127.0.0.1\tkept.example\r\n"
                  "127.0.0.1\ttracker.example\r\n");
        EXPECT_TRUE(contains(result.out, "3 lines of list mvps were not blocking entries and were left out.\n"))
            << result.out;
    }
}

TEST_F(CliDownload, AnAddressThatIsNotHttpOrHttpsIsRefused)
{
    for (const std::string refused : {"ftp://127.0.0.1/hosts.zip", "file:///etc/hosts"}) {
        const CliRun result = download({"mvps", "merge", "--url", refused});
        EXPECT_EQ(result.status, vendrel::cli::Failure);
        EXPECT_TRUE(contains(result.err, "only http and https addresses are fetched")) << result.err;
        expectNothingChanged();
    }
}

TEST_F(CliDownload, ADryRunTellsWhatTheListWouldChangeAndLeavesNothingBehind)
{
    server.serve("/winhelp2002/hosts.zip", {200, archive});
    const CliRun result = download({"mvps", "replace", "--url", url, "--dry-run", "--quiet"});
    ASSERT_EQ(result.status, vendrel::cli::Success) << result.err;
    EXPECT_TRUE(contains(result.out, "\"Download Replace\" would write")) << result.out;
    EXPECT_TRUE(contains(result.out, "2 lines of list mvps were not blocking entries and were left out.\n"))
        << result.out;
    EXPECT_TRUE(contains(result.out, "Lines: 2 -> 151\n")) << result.out;
    expectNothingChanged();
}

// Run from a script with standard error in a log file: one line at the end,
// not one per progress report; --quiet gives none.
TEST_F(CliDownload, ProgressGoesToALogAsOneLineAndQuietGivesNone)
{
    server.serve("/winhelp2002/hosts.zip", {200, archive});
    const CliRun logged = download({"mvps", "merge", "--url", url});
    ASSERT_EQ(logged.status, vendrel::cli::Success) << logged.err;
    EXPECT_EQ(logged.err, "Downloaded " + std::to_string(archive.size()) + " bytes\n");
    const CliRun quiet = download({"mvps", "merge", "--quiet", "--url", url});
    ASSERT_EQ(quiet.status, vendrel::cli::Success) << quiet.err;
    EXPECT_EQ(quiet.err, "");
}

struct RefusalCase {
    const char* name;
    LocalHttpServer::Response response;
    const char* reason;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class CliDownloadRefused : public CliDownload, public testing::WithParamInterface<RefusalCase> {};

TEST_P(CliDownloadRefused, FailsWithTheServersAnswerAndChangesNothing)
{
    server.serve("/winhelp2002/hosts.zip", GetParam().response);
    const CliRun result = download({"mvps", "replace", "--url", url});
    EXPECT_EQ(result.status, vendrel::cli::Failure);
    EXPECT_TRUE(contains(result.err, "ERROR: Vendrel had trouble downloading " + url + ": " + GetParam().reason + "\n"))
        << result.err;
    EXPECT_FALSE(contains(result.err, "not a ZIP archive"));
    expectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(Cli, CliDownloadRefused,
                         testing::Values(RefusalCase{"ServerErrorWithAnArchiveBody",
                                                     {500, archive},
                                                     "The server answered 500 Internal Server Error."},
                                         RefusalCase{"NotFoundPage",
                                                     {404, "<html><body>Not Found</body></html>"},
                                                     "The server answered 404 Not Found."}),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(CliDownload, MaxSecondsStopsAServerThatSendsThreeBytesASecond)
{
    LocalHttpServer::Response trickle{200, archive};
    trickle.byteIntervalMilliseconds = 333;
    server.serve("/winhelp2002/hosts.zip", trickle);
    const auto started = std::chrono::steady_clock::now();
    const CliRun result = download({"mvps", "merge", "--max-seconds", "2", "--url", url});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(6));
    EXPECT_EQ(result.status, vendrel::cli::Failure);
    EXPECT_TRUE(contains(result.err, "ERROR: Vendrel had trouble downloading " + url +
                                         ": The download took longer than 2 seconds and was stopped.\n"))
        << result.err;
    expectNothingChanged();
}

class CliDownloadUsage : public CliDownload, public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliDownloadUsage, IsWrongUsageAndFetchesNothing)
{
    std::vector<std::string> arguments{"hphosts", "merge"};
    for (const std::string& argument : GetParam())
        arguments.push_back(argument == "URL" ? url : argument);
    const CliRun result = download(arguments);
    EXPECT_EQ(result.status, vendrel::cli::WrongUsage);
    EXPECT_TRUE(contains(result.err, usage) || contains(result.err, "--max-seconds needs a whole number"))
        << result.err;
    EXPECT_TRUE(server.requests().empty());
    expectNothingChanged();
}

INSTANTIATE_TEST_SUITE_P(Cli, CliDownloadUsage,
                         testing::Values(std::vector<std::string>{"--max-seconds"},
                                         std::vector<std::string>{"--url", "URL", "--max-seconds"},
                                         std::vector<std::string>{"--max-seconds", "0"},
                                         std::vector<std::string>{"--max-seconds", "2s"},
                                         std::vector<std::string>{"--url", "URL", "--url", "URL"},
                                         std::vector<std::string>{"--max-seconds", "2", "--max-seconds", "3"},
                                         std::vector<std::string>{"--timeout", "2"}));

} // namespace
