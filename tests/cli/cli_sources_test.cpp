// vendrel-cli sources, update, why and export against one local server:
// several sources in one change, only blocking entries taken, conditional
// GETs that write nothing, sources that fail alone, and each entry's origin.

#include "cli/cli_app.h"

#include "cli_run.h"
#include "fake_platform.h"
#include "local_http_server.h"
#include "unzip_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::FakePlatform;
using testing_support::LocalHttpServer;
using Response = LocalHttpServer::Response;

const std::string userHosts = "127.0.0.1 localhost\n0.0.0.0 mine.example\n10.0.0.5 nas.example\n";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The entry an update writes for `name`, with the hosts file's localhost address.
std::string blocked(const std::string& name) { return "127.0.0.1\t" + name + "\n"; }

std::string zipOf(const std::string& member, const std::string& text)
{
    return unzip_test::handMadeArchive({{member, text}});
}

class CliSources : public testing::Test {
protected:
    FakePlatform fake;
    LocalHttpServer server;
    const std::string hostsPath = fake.writeFile(fake.root() + "/hosts", userHosts);
    const std::string dataDir = fake.root() + "/data";

    void SetUp() override { fake.style = {"box", std::vector<std::string>{"debian"}, "\n"}; }

    CliRun cli(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--hosts", hostsPath, "--data-dir", dataDir});
        return runCliCapturing(arguments, fake);
    }
    // Lists `names` as sources, one served path each ("/NAME").
    void writeSources(const std::vector<std::string>& names)
    {
        std::string text;
        for (const std::string& name : names)
            text += "[" + name + "]\naddress = " + server.url("/" + name) + "\n";
        fake.writeFile(dataDir + "/sources.ini", text);
    }
    std::string hosts() const { return FakePlatform::readFile(hostsPath); }
    std::size_t versions() const
    {
        std::size_t count = 0;
        if (std::filesystem::exists(dataDir + "/history"))
            for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dataDir + "/history"))
                ++count;
        return count;
    }
};

TEST_F(CliSources, UpdateAppliesEverySourceInOneChangeAndTakesOnlyBlockingEntries)
{
    writeSources({"zipped", "plain"});
    server.serve("/zipped", {200, zipOf("hosts.txt", "0.0.0.0 ads.example\r\n6.6.6.6 bank.example\r\n")});
    server.serve("/plain", {200, "# domains\ntracker.example\nads.example\nbad_name\nlocalhost\nbox\n"});
    const std::size_t before = versions();
    const CliRun run = cli({"update"});
    ASSERT_EQ(run.status, vendrel::cli::Success) << run.err << run.out;
    EXPECT_TRUE(contains(run.out, "zipped: updated, 1 entry")) << run.out;
    EXPECT_TRUE(contains(run.out, "plain: updated, 2 entries")) << run.out;
    const std::string text = hosts();
    EXPECT_TRUE(contains(text, blocked("ads.example"))) << text;
    EXPECT_TRUE(contains(text, blocked("tracker.example")));
    EXPECT_TRUE(contains(text, "10.0.0.5 nas.example\n"));
    for (const char* never : {"bank.example", "bad_name", "\r", "0.0.0.0 box"})
        EXPECT_FALSE(contains(text, never)) << never;
    EXPECT_EQ(versions(), before + 1);
}

TEST_F(CliSources, AnUnchangedSourceWritesNothingAndSaysSo)
{
    writeSources({"etag", "dated", "same"});
    Response etag(200, "a.example\n");
    etag.etag = "\"v1\"";
    Response dated(200, "b.example\n");
    dated.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
    server.serve("/etag", etag);
    server.serve("/dated", dated);
    server.serve("/same", {200, "c.example\n"}); // no validators: the same body is unchanged too
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
    const std::string written = hosts();
    const std::size_t kept = versions();

    const CliRun again = cli({"update", "--exit-status"});
    EXPECT_EQ(again.status, vendrel::cli::NothingChanged) << again.err;
    EXPECT_TRUE(contains(again.out, "nothing changed")) << again.out;
    EXPECT_EQ(server.notModifiedAnswers(), 2u);
    EXPECT_EQ(hosts(), written);
    EXPECT_EQ(versions(), kept);
    EXPECT_EQ(cli({"update"}).status, vendrel::cli::Success); // without --exit-status
}

// A source that fails is an error for it alone: the others apply, and its
// entries of the last update stand.
TEST_F(CliSources, ASourceThatFailsKeepsItsLastGoodEntries)
{
    writeSources({"good", "bad"});
    server.serve("/good", {200, "good.example\n"});
    server.serve("/bad", {200, "kept.example\n"});
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
    Response stalled(200, "late.example\n");
    stalled.stallMilliseconds = 3000;
    const std::string bomb = unzip_test::handMadeArchive({{"hosts", std::string(64, 'a'), std::uint64_t{1} << 40, 8}});
    const struct {
        const char* what;
        Response answer;
        std::vector<std::string> options;
        const char* reason;
    } cases[] = {
        {"404", {404, "<html>gone</html>"}, {}, "404"},
        {"500", {500, ""}, {}, "500"},
        {"a web page", {200, "<!DOCTYPE html>\n<html><body>Sign in</body></html>\n"}, {}, "web page"},
        {"binary data", {200, std::string("ads.example\n\0\0\x01", 15)}, {}, "binary data"},
        {"a bomb", {200, bomb}, {}, "bad"},
        {"no entry", {200, "# nothing\n6.6.6.6 bank.example\n"}, {}, "without a single blocking entry"},
        {"a stall", stalled, {"--max-seconds", "1"}, "longer than 1 second"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        server.serve("/good", {200, "good.example\nnew.example\n" + std::string(test.what) + ".example\n"});
        server.serve("/bad", test.answer);
        std::vector<std::string> arguments{"update"};
        arguments.insert(arguments.end(), test.options.begin(), test.options.end());
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.status, vendrel::cli::Failure);
        EXPECT_TRUE(contains(run.err, "bad: failed: ")) << run.err;
        EXPECT_TRUE(contains(run.err, "Its 1 entry of the last update stand.")) << run.err;
        EXPECT_TRUE(contains(run.err, test.reason) || test.reason == std::string("bad")) << run.err;
        EXPECT_TRUE(contains(hosts(), blocked("kept.example")));
        EXPECT_TRUE(contains(hosts(), blocked("new.example")));
    }
    EXPECT_FALSE(contains(hosts(), "late.example"));
}

TEST_F(CliSources, DisablingOrRemovingASourceRemovesOnlyWhatItAloneGave)
{
    fake.writeFile(hostsPath, userHosts + "0.0.0.0 shared-with-me.example\n");
    writeSources({"one", "two"});
    server.serve("/one", {200, "only-one.example\nboth.example\nshared-with-me.example\n"});
    server.serve("/two", {200, "both.example\nonly-two.example\n"});
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);

    ASSERT_EQ(cli({"sources", "disable", "one"}).status, vendrel::cli::Success);
    const CliRun run = cli({"update"});
    ASSERT_EQ(run.status, vendrel::cli::Success) << run.err;
    EXPECT_TRUE(contains(run.out, "Added 0 and removed 1 entries.")) << run.out;
    const std::string text = hosts();
    EXPECT_FALSE(contains(text, "only-one.example"));
    for (const char* kept : {"both.example", "only-two.example", "shared-with-me.example", "mine.example"})
        EXPECT_TRUE(contains(text, kept)) << kept;

    ASSERT_EQ(cli({"sources", "remove", "two"}).status, vendrel::cli::Success);
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
    EXPECT_FALSE(contains(hosts(), "both.example"));
    EXPECT_TRUE(contains(hosts(), "shared-with-me.example"));
}

// What an update reads back decides what it removes: a list planted in the
// data folder, or one a killed update left, never removes a line.
TEST_F(CliSources, PlantedRecordsNeverRemoveALine)
{
    const std::string folder = dataDir + "/sources/";
    const struct {
        const char* what;
        std::function<void()> damage;
    } cases[] = {
        {"a planted list of applied names",
         [&] { fake.writeFile(folder + "applied.names", "ads.example\nmine.example\nother.example\n"); }},
        {"applied names without their record",
         [&] {
             std::filesystem::remove(folder + "applied.record");
             fake.writeFile(folder + "applied.names", "mine.example\nother.example\n");
         }},
        {"a source's planted list", [&] { fake.writeFile(folder + "source.one.names", "mine.example\n"); }},
        {"a damaged record of the update", [&] { fake.writeFile(folder + "applied.record", "vendrel applied\n"); }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::filesystem::remove_all(dataDir);
        fake.writeFile(hostsPath, userHosts + "0.0.0.0 other.example\n");
        writeSources({"one", "two"});
        Response one(200, "ads.example\n");
        one.etag = "\"1\"";
        server.serve("/one", one);
        server.serve("/two", {200, "two.example\n"});
        ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
        test.damage();
        server.serve("/two", {200, "changed.example\n"}); // the update works the names out anew
        const CliRun run = cli({"update"});
        EXPECT_EQ(run.status, vendrel::cli::Success) << run.err;
        for (const char* kept : {"mine.example", "other.example", "ads.example", "changed.example"})
            EXPECT_TRUE(contains(hosts(), kept)) << kept << '\n' << hosts();
    }
}

TEST_F(CliSources, TheWhitelistLetsNamesAndWholeDomainsThrough)
{
    writeSources({"list"});
    server.serve("/list", {200, "ads.example\ncdn.shop.example\nshop.example\nother.example\n"});
    fake.writeFile(dataDir + "/whitelist.txt", "ADS.example\r\n*.shop.example\r\n");
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
    EXPECT_TRUE(contains(hosts(), "other.example"));
    for (const char* allowed : {"ads.example", "shop.example"})
        EXPECT_FALSE(contains(hosts(), allowed)) << allowed;

    fake.writeFile(dataDir + "/whitelist.txt", "");
    const CliRun run = cli({"update"}); // the lists are unchanged, the whitelist is not
    EXPECT_TRUE(contains(run.out, "Added 3 and removed 0 entries.")) << run.out;
}

TEST_F(CliSources, WhyNamesTheSourcesOrTheUsersOwnLine)
{
    writeSources({"one", "two"});
    server.serve("/one", {200, "ads.example\nmine.example\n"});
    server.serve("/two", {200, "ads.example\n"});
    ASSERT_EQ(cli({"update"}).status, vendrel::cli::Success);
    const struct {
        const char* host;
        int status;
        const char* said;
    } cases[] = {
        {"ADS.example", vendrel::cli::Success, "ads.example: line 4 (127.0.0.1), from the source one and two"},
        {"mine.example", vendrel::cli::Success, "mine.example: your own line 5 (127.0.0.1), also in the source one"},
        {"nas.example", vendrel::cli::Success, "nas.example: your own line 3 (10.0.0.5)"},
        {"absent.example", vendrel::cli::Failure, "absent.example is in no line of "},
        {"not_a_name", vendrel::cli::WrongUsage, ""},
    };
    for (const auto& test : cases) {
        const CliRun run = cli({"why", test.host});
        EXPECT_EQ(run.status, test.status) << test.host << run.err;
        EXPECT_TRUE(contains(run.out, test.said)) << run.out << hosts();
    }
}

TEST_F(CliSources, ExportWritesTheBlockingEntriesForAResolver)
{
    fake.writeFile(hostsPath, "127.0.0.1 localhost\n::1 localhost\n127.0.1.1 box\n0.0.0.0 B.example a.example\n"
                              "10.0.0.5 nas.example\n# 0.0.0.0 off.example\n");
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"hosts", "0.0.0.0 a.example\n0.0.0.0 b.example\n"},
        {"domains", "a.example\nb.example\n"},
        {"dnsmasq", "address=/a.example/#\naddress=/b.example/#\n"},
        {"unbound", "server:\n  local-zone: \"a.example.\" always_null\n  local-zone: \"b.example.\" always_null\n"},
        {"rpz", "@ IN NS localhost.\na.example CNAME .\nb.example CNAME .\n"},
    };
    for (const auto& test : cases) {
        const CliRun run = cli({"export", "--format", test.format});
        EXPECT_EQ(run.status, vendrel::cli::Success) << run.err;
        EXPECT_TRUE(run.out.ends_with(test.expected)) << test.format << ":\n" << run.out;
    }
    EXPECT_EQ(cli({"export", "--format", "bind"}).status, vendrel::cli::WrongUsage);
    const std::string output = fake.root() + "/blocked.conf";
    ASSERT_EQ(cli({"export", "--format", "domains", "--output", output}).status, vendrel::cli::Success);
    EXPECT_EQ(FakePlatform::readFile(output), "a.example\nb.example\n");
}

TEST_F(CliSources, SourcesAreListedAddedAndRefusedWhenWrong)
{
    const CliRun listed = cli({"sources"});
    EXPECT_TRUE(contains(listed.out, "mvps  enabled  http://www.mvps.org/winhelp2002/hosts.zip\n    never updated"))
        << listed.out;
    EXPECT_TRUE(contains(listed.out, "hphosts  enabled"));
    ASSERT_EQ(cli({"sources", "add", "mine", "https://lists.example/block.txt", "--format", "text"}).status,
              vendrel::cli::Success);
    EXPECT_TRUE(contains(cli({"sources", "list"}).out, "mine  enabled  https://lists.example/block.txt"));
    const struct {
        std::vector<std::string> arguments;
        int status;
    } refused[] = {
        {{"sources", "add", "mine", "http://x.example/"}, vendrel::cli::Failure},
        {{"sources", "add", "x", "ftp://x.example/list"}, vendrel::cli::Failure},
        {{"sources", "add", "bad/name", "http://x.example/"}, vendrel::cli::WrongUsage},
        {{"sources", "remove", "nobody"}, vendrel::cli::Failure},
        {{"sources", "rename", "mine"}, vendrel::cli::WrongUsage},
    };
    for (const auto& test : refused)
        EXPECT_EQ(cli(test.arguments).status, test.status) << test.arguments[1];

    const std::string sourcesFile = dataDir + "/sources.ini";
    const struct {
        const char* text;
        const char* said;
    } badFiles[] = {
        {"[a]\naddress = http://a.example/\nspeed = fast\n", "line 3: there is no key speed"},
        {"address = http://a.example/\n", "line 1: a key comes before the first [name]"},
        {"[a]\naddress = http://a.example/\n[A]\naddress = http://b.example/\n", "line 3: the name A is given twice"},
        {"# x\n[a]\nenabled = no\n", "line 2: the source a has no address"},
        {"[a]\naddress = gopher://a.example/\n", "line 2: Cannot download from gopher://a.example/"},
        {"[a]\njust words\n", "line 2: it is neither"},
    };
    for (const auto& test : badFiles) {
        fake.writeFile(sourcesFile, test.text);
        const CliRun run = cli({"update"});
        EXPECT_EQ(run.status, vendrel::cli::Failure);
        EXPECT_TRUE(contains(run.err, test.said)) << run.err;
        EXPECT_EQ(hosts(), userHosts);
    }
}

TEST_F(CliSources, AWrittenUpdateFlushesTheRunningNameCaches)
{
    writeSources({"list"});
    server.serve("/list", {200, "ads.example\n"});
    fake.runningNameCaches = {"systemd-resolved", "nscd"};
    const CliRun run = cli({"update"});
    EXPECT_TRUE(contains(run.out, "Flushed the name cache of systemd-resolved and nscd.")) << run.out;
    EXPECT_EQ(fake.nameCacheFlushes, 1);
    cli({"update"}); // nothing changed: nothing to flush
    EXPECT_EQ(fake.nameCacheFlushes, 1);
}

} // namespace
