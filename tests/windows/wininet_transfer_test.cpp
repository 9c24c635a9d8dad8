// The WinInet transfer against a local server: the status notifications the
// library gives, and the request it sends.

#include "core/download/url_grabber.h"
#include "core/download/wininet_status_watch.h"

#include "local_http_server.h"
#include "temporary_folder.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

namespace {

using testing_support::LocalHttpServer;

class WinInetTransfer : public testing::Test {
protected:
    void SetUp() override
    {
        vendrel::wininet_status_watch::install([this](std::uint32_t status) {
            const std::lock_guard lock(mutex);
            statuses.push_back(status);
        });
        grabber.FileName = folder + "\\hosts.zip";
        grabber.OnProgress = [this](std::uint64_t, std::uint64_t) { ++progressEvents; };
        grabber.OnDoneFile = [this](std::uint64_t size) { doneSize = size; };
        grabber.OnError = [this](const std::string& message) { error = message; };
    }
    void TearDown() override
    {
        vendrel::wininet_status_watch::clear();
        std::filesystem::remove_all(folder);
    }
    void fetch(const std::string& path)
    {
        grabber.setUrl(server.url(path));
        grabber.Start();
        ASSERT_TRUE(grabber.waitUntilEnded(20000));
    }
    bool saw(std::uint32_t status)
    {
        const std::lock_guard lock(mutex);
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }

    LocalHttpServer server;
    std::string folder = testing_support::createTemporaryFolder("vendrel-wininet-");
    vendrel::HttpUrlGrabber grabber{[](std::function<void()> event) { event(); }};
    std::mutex mutex;
    std::vector<std::uint32_t> statuses;
    int progressEvents = 0;
    std::uint64_t doneSize = 0;
    std::string error;
};

// Only the connection carries a context, so its notifications are the ones
// that arrive: its handle's creation and its closing.
TEST_F(WinInetTransfer, TheConnectionsNotificationsArriveAndEachIsAProgressEvent)
{
    server.serve("/winhelp2002/hosts.zip", {200, std::string(3000, 'h')});
    fetch("/winhelp2002/hosts.zip");
    EXPECT_EQ(error, "");
    EXPECT_EQ(doneSize, 3000u);
    EXPECT_TRUE(saw(INTERNET_STATUS_HANDLE_CREATED));
    EXPECT_TRUE(saw(INTERNET_STATUS_HANDLE_CLOSING));
    const std::lock_guard lock(mutex);
    EXPECT_GE(static_cast<std::size_t>(progressEvents), statuses.size());
    for (const std::uint32_t status : statuses)
        EXPECT_TRUE(status == INTERNET_STATUS_HANDLE_CREATED || status == INTERNET_STATUS_HANDLE_CLOSING ||
                    status == INTERNET_STATUS_REQUEST_COMPLETE)
            << "a notification of a handle without context: " << status;
}

TEST_F(WinInetTransfer, TheRequestIsAnUncachedHttp10GetWithTheAgentAndTheReferer)
{
    grabber.Referer = "www.vendrel.example.org";
    server.serve("/download/hosts.zip", {200, "PK"});
    fetch("/download/hosts.zip");
    const std::string request = server.requests().at(0);
    EXPECT_TRUE(request.starts_with("GET /download/hosts.zip HTTP/1.0\r\n")) << request;
    EXPECT_NE(request.find("User-Agent: UrlGrabber\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Referer: www.vendrel.example.org\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Pragma: no-cache\r\n"), std::string::npos) << request;
    EXPECT_EQ(grabber.TotalSize(), 2u);
}

TEST_F(WinInetTransfer, AnUnreachableServerIsReportedWithWinInetsOwnText)
{
    grabber.setUrl("http://127.0.0.1:1/hosts.zip");
    grabber.Start();
    ASSERT_TRUE(grabber.waitUntilEnded(20000));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find("network error"), std::string::npos) << "a code without its text: " << error;
}

} // namespace
