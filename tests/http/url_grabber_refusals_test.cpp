// What the grabber refuses to deliver: answers outside 200-299, redirect
// chains that are too long or leave http and https, transfers that take too
// long, and bodies over the size limit. A refusal is an error event, and the
// file from an earlier download stays as it was.

#include "grabber_fixture.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using testing_support::LocalHttpServer;
using testing_support::UrlGrabberTest;

const std::string olderDownload = "older download";

struct AnswerCase {
    const char* name;
    LocalHttpServer::Response response;
    const char* error;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

LocalHttpServer::Response withReason(LocalHttpServer::Response response, std::string reason)
{
    response.reason = std::move(reason);
    return response;
}

class RefusedAnswer : public UrlGrabberTest, public testing::WithParamInterface<AnswerCase> {};

TEST_P(RefusedAnswer, IsAnErrorThatNamesTheStatusLine)
{
    folders.writeFile(target, olderDownload);
    server.serve("/hosts.zip", GetParam().response);
    fetch("/hosts.zip");
    EXPECT_EQ(recorder.error, GetParam().error);
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_EQ(written(), olderDownload);
}

INSTANTIATE_TEST_SUITE_P(
    UrlGrabber, RefusedAnswer,
    testing::Values(
        AnswerCase{"NotFoundPage", {404, "<html><body>Not Found</body></html>"}, "The server answered 404 Not Found."},
        AnswerCase{"ServerErrorWithAnArchiveBody",
                   {500, std::string("PK\x03\x04", 4) + std::string(200, 'z')},
                   "The server answered 500 Internal Server Error."},
        AnswerCase{"CodeWithoutReasonPhrase", withReason({503, "busy"}, ""), "The server answered 503."},
        AnswerCase{"OwnReasonPhrase", withReason({429, "slow down"}, "Too Many Requests Today"),
                   "The server answered 429 Too Many Requests Today."},
        AnswerCase{"ControlCharactersInTheReasonAreDropped", withReason({502, ""}, "Bad\x07\x1b Gateway"),
                   "The server answered 502 Bad Gateway."},
        AnswerCase{"RedirectWithoutLocation", {300, "pick one"}, "The server answered 300 Multiple Choices."}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(UrlGrabberTest, ARedirectToAnErrorPageReportsTheErrorPage)
{
    folders.writeFile(target, olderDownload);
    server.serve("/winhelp2002/hosts.zip", {302, "see there", server.url("/gone.zip")});
    fetch("/winhelp2002/hosts.zip");
    EXPECT_EQ(recorder.error, "The server answered 404 Not Found.");
    EXPECT_EQ(written(), olderDownload);
}

// ---------------------------------------------------------------------------
// Redirects: at most five, and only to http or https.

class RedirectChain : public UrlGrabberTest {
protected:
    // /hop0 redirects to /hop1 and so on; /hop<redirects> is the archive.
    void serveChain(int redirects)
    {
        for (int hop = 0; hop < redirects; ++hop)
            server.serve("/hop" + std::to_string(hop),
                         {307, "redirect page", server.url("/hop" + std::to_string(hop + 1))});
        server.serve("/hop" + std::to_string(redirects), {200, "the archive"});
    }
};

TEST_F(RedirectChain, FiveRedirectsAreFollowedToTheBody)
{
    serveChain(5);
    fetch("/hop0");
    EXPECT_TRUE(recorder.has("done")) << recorder.error;
    EXPECT_EQ(written(), "the archive");
    EXPECT_EQ(server.requests().size(), 6u);
}

TEST_F(RedirectChain, ASixthRedirectIsRefused)
{
    folders.writeFile(target, olderDownload);
    serveChain(6);
    fetch("/hop0");
    EXPECT_EQ(recorder.error, "The server redirected more than 5 times; the download was stopped.");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_EQ(written(), olderDownload);
    EXPECT_EQ(server.requests().size(), 6u) << "the sixth redirect must not be followed";
}

class RedirectElsewhere : public UrlGrabberTest, public testing::WithParamInterface<const char*> {};

TEST_P(RedirectElsewhere, IsRefused)
{
    // A local file the redirect points at; its text must never be delivered.
    const std::string secret = folders.writeFile(folders.root() + "/secret", "local file text");
    const std::string location = std::string(GetParam()) == "file" ? "file://" + secret
                                                                   : "ftp://" + server.hostAndPort() + "/hosts.zip";
    folders.writeFile(target, olderDownload);
    server.serve("/hosts.zip", {302, "", location});
    fetch("/hosts.zip");
    EXPECT_EQ(recorder.error, "The server redirected to " + location +
                                  ", which is not an http or https address; the download was refused.");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_EQ(written(), olderDownload);
    EXPECT_EQ(server.requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(UrlGrabber, RedirectElsewhere, testing::Values("file", "ftp"));

// ---------------------------------------------------------------------------
// Time and size.

struct SlowCase {
    const char* name;
    int stallMilliseconds;
    int byteIntervalMilliseconds;
};

void PrintTo(const SlowCase& c, std::ostream* os) { *os << c.name; }

class SlowServer : public UrlGrabberTest, public testing::WithParamInterface<SlowCase> {};

TEST_P(SlowServer, IsStoppedAtTheTimeLimit)
{
    grabber.TimeLimitSeconds = 1;
    grabber.StallTimeoutSeconds = 10;
    LocalHttpServer::Response slow{200, std::string(200, 't')};
    slow.stallMilliseconds = GetParam().stallMilliseconds;
    slow.byteIntervalMilliseconds = GetParam().byteIntervalMilliseconds;
    server.serve("/slow.zip", slow);
    folders.writeFile(target, olderDownload);
    const auto started = std::chrono::steady_clock::now();
    fetch("/slow.zip");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(recorder.error, "The download took longer than 1 second and was stopped.");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_EQ(written(), olderDownload);
}

// Five bytes a second is never a stall, but 200 bytes take 40 seconds.
INSTANTIATE_TEST_SUITE_P(UrlGrabber, SlowServer,
                         testing::Values(SlowCase{"Trickle", 0, 200}, SlowCase{"SilentAfterTheHeaders", 8000, 0}),
                         [](const testing::TestParamInfo<SlowCase>& info) { return std::string(info.param.name); });

constexpr std::size_t bodyLimit = 50000;

struct SizeCase {
    const char* name;
    bool chunked;
    bool announceLength;
    std::size_t bodySize;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class BodySize : public UrlGrabberTest, public testing::WithParamInterface<SizeCase> {
protected:
    void fetchBody()
    {
        grabber.MaximumBodySize = bodyLimit;
        LocalHttpServer::Response response{200, std::string(GetParam().bodySize, 'x')};
        response.chunked = GetParam().chunked;
        response.announceLength = GetParam().announceLength;
        server.serve("/big", response);
        fetch("/big");
    }
};

class BodyOverTheLimit : public BodySize {};

TEST_P(BodyOverTheLimit, IsRefusedAndWritesNothing)
{
    fetchBody();
    EXPECT_EQ(recorder.error, "The download is larger than 50000 bytes and was refused.");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_FALSE(std::filesystem::exists(target));
}

INSTANTIATE_TEST_SUITE_P(UrlGrabber, BodyOverTheLimit,
                         testing::Values(SizeCase{"Announced", false, true, 100000},
                                         SizeCase{"EndedByClosing", false, false, 100000},
                                         SizeCase{"Chunked", true, false, 100000},
                                         SizeCase{"ChunkedByOneByte", true, false, bodyLimit + 1}),
                         [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

class BodyAtTheLimit : public BodySize {};

TEST_P(BodyAtTheLimit, IsDeliveredWhole)
{
    fetchBody();
    EXPECT_TRUE(recorder.has("done")) << recorder.error;
    EXPECT_EQ(written(), std::string(bodyLimit, 'x'));
}

INSTANTIATE_TEST_SUITE_P(UrlGrabber, BodyAtTheLimit,
                         testing::Values(SizeCase{"Announced", false, true, bodyLimit},
                                         SizeCase{"Chunked", true, false, bodyLimit}),
                         [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

} // namespace
