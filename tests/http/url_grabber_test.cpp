// The transfer itself: what is asked for, what is written, what is reported.

#include "grabber_fixture.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

using testing_support::LocalHttpServer;
using testing_support::UrlGrabberTest;

TEST_F(UrlGrabberTest, BodyIsWrittenWholeAndTheRequestIsAnUncachedHttp10Get)
{
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "0.0.0.0 host" + std::to_string(i) + ".example\r\n";
    server.serve("/winhelp2002/hosts.zip", {200, body});
    grabber.Referer = "www.vendrel.example.org";
    fetch("/winhelp2002/hosts.zip");
    EXPECT_TRUE(recorder.has("done"));
    EXPECT_EQ(written(), body);
    EXPECT_EQ(recorder.doneSize, body.size());
    EXPECT_EQ(grabber.BytesRead(), body.size());
    EXPECT_EQ(grabber.TotalSize(), body.size());
    EXPECT_EQ(grabber.status(), vendrel::GrabberStatus::Stopped);
    EXPECT_TRUE(recorder.urlChangeRefused) << "the URL cannot change while the completion runs";

    const std::string request = server.requests().at(0);
    EXPECT_TRUE(request.starts_with("GET /winhelp2002/hosts.zip HTTP/1.0\r\n"));
    EXPECT_NE(request.find("User-Agent: UrlGrabber\r\n"), std::string::npos);
    EXPECT_NE(request.find("Referer: www.vendrel.example.org\r\n"), std::string::npos);
    EXPECT_NE(request.find("Pragma: no-cache\r\n"), std::string::npos);
    EXPECT_NE(request.find("Cache-Control: no-cache\r\n"), std::string::npos);

    // Every read is at most 1025 bytes, and positions only grow.
    std::uint64_t previous = 0;
    for (const std::uint64_t position : recorder.positions) {
        EXPECT_LE(position - previous, 1025u);
        previous = position;
    }
}

// A conditional GET: the validators of an answer are kept, and sent back
// they make the server's 304 a delivery that writes no file.
TEST_F(UrlGrabberTest, ANotModifiedAnswerIsDeliveredWithoutAFile)
{
    LocalHttpServer::Response list(200, "ads.example\n");
    list.etag = "\"v7\"";
    list.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
    server.serve("/list", list);
    fetch("/list");
    ASSERT_TRUE(recorder.has("done"));
    EXPECT_FALSE(grabber.answer().notModified);
    EXPECT_EQ(grabber.answer().etag, "\"v7\"");
    EXPECT_EQ(grabber.answer().lastModified, "Tue, 08 Dec 2026 10:00:00 GMT");

    std::filesystem::remove(target);
    for (const bool byDate : {false, true}) {
        grabber.IfNoneMatch = byDate ? "" : "\"v7\"";
        grabber.IfModifiedSince = byDate ? "Tue, 08 Dec 2026 10:00:00 GMT" : "";
        recorder.events.clear();
        fetch("/list");
        EXPECT_TRUE(recorder.has("done")) << recorder.error;
        EXPECT_TRUE(grabber.answer().notModified);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    EXPECT_EQ(server.notModifiedAnswers(), 2u);
    EXPECT_NE(server.requests().at(1).find("If-None-Match: \"v7\"\r\n"), std::string::npos);
}

TEST_F(UrlGrabberTest, EmptyBodyEndsWithOneProgressAtZeroAndAnEmptyFile)
{
    server.serve("/empty", {200, ""});
    fetch("/empty");
    EXPECT_TRUE(recorder.has("done"));
    EXPECT_EQ(recorder.doneSize, 0u);
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(written(), "");
    EXPECT_FALSE(recorder.positions.empty());
    EXPECT_EQ(recorder.positions.back(), 0u);
}

TEST_F(UrlGrabberTest, RedirectsAreFollowed)
{
    server.serve("/old", {301, "", server.url("/new")});
    server.serve("/new", {200, "moved body"});
    fetch("/old");
    EXPECT_EQ(written(), "moved body");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(server.requests()[1].starts_with("GET /new HTTP/1.0\r\n"));
}

class CutShort : public UrlGrabberTest, public testing::WithParamInterface<bool> {};

TEST_P(CutShort, IsAnErrorAndWritesNothing)
{
    folders.writeFile(target, "older download");
    LocalHttpServer::Response cut{200, std::string(10000, 'x')};
    cut.chunked = GetParam();
    cut.cutAfter = 4000;
    server.serve("/cut", cut);
    fetch("/cut");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_TRUE(recorder.has("error"));
    EXPECT_FALSE(recorder.error.empty());
    EXPECT_EQ(written(), "older download");
}

INSTANTIATE_TEST_SUITE_P(UrlGrabber, CutShort, testing::Bool(), [](const testing::TestParamInfo<bool>& info) {
    return info.param ? "ChunkedBody" : "BodyWithContentLength";
});

TEST_F(UrlGrabberTest, ASilentServerIsGivenUp)
{
    LocalHttpServer::Response silent{200, "late"};
    silent.stallMilliseconds = 8000;
    server.serve("/stall", silent);
    fetch("/stall");
    EXPECT_TRUE(recorder.has("error"));
    EXPECT_NE(recorder.error.find("stopped sending"), std::string::npos) << recorder.error;
}

TEST_F(UrlGrabberTest, StopMidBodyDeliversNothingAndKeepsTheOlderFile)
{
    folders.writeFile(target, "older download");
    grabber.OnProgress = [this](std::uint64_t position, std::uint64_t) {
        if (position > 3000)
            grabber.Stop();
    };
    server.serve("/long", {200, std::string(200000, 'y')});
    fetch("/long");
    EXPECT_FALSE(recorder.has("done"));
    EXPECT_FALSE(recorder.has("error"));
    EXPECT_LT(grabber.BytesRead(), 200000u) << "the transfer ends at the Stop";
    EXPECT_EQ(grabber.status(), vendrel::GrabberStatus::Stopped);
    EXPECT_EQ(written(), "older download");
}

TEST_F(UrlGrabberTest, AHandlersErrorDoesNotEndTheTransfer)
{
    grabber.OnProgress = [](std::uint64_t, std::uint64_t) { throw std::runtime_error("handler failed"); };
    server.serve("/hosts.zip", {200, std::string(5000, 'z')});
    fetch("/hosts.zip");
    EXPECT_TRUE(recorder.has("done")) << recorder.error;
    EXPECT_EQ(written(), std::string(5000, 'z'));
}

TEST_F(UrlGrabberTest, AnUnreachableServerIsReported)
{
    grabber.setUrl("http://127.0.0.1:1/hosts.zip");
    grabber.Start();
    ASSERT_TRUE(grabber.waitUntilEnded(20000));
    EXPECT_TRUE(recorder.has("error"));
    EXPECT_FALSE(recorder.has("done"));
}

TEST(UrlGrabberUrl, TheUrlIsStoredInItsHttpForm)
{
    vendrel::HttpUrlGrabber grabber([](std::function<void()> event) { event(); });
    grabber.setUrl("HTTP://www.example.org/winhelp2002/hosts.zip");
    EXPECT_EQ(grabber.Url(), "http://www.example.org/winhelp2002/hosts.zip");
    grabber.setUrl("www.example.org");
    EXPECT_EQ(grabber.Url(), "http://www.example.org/");
}

} // namespace
