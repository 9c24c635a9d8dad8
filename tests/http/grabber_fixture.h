#pragma once

#include "core/download/url_grabber.h"
#include "fake_platform.h"
#include "local_http_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

// Records the events of one transfer; events run on the worker thread here,
// as a test's own dispatcher does.
struct GrabberRecorder {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<std::uint64_t> positions;
    std::string error;
    std::uint32_t doneSize = 0;
    bool urlChangeRefused = false;

    void add(const std::string& event)
    {
        const std::lock_guard lock(mutex);
        events.push_back(event);
    }
    bool has(const std::string& event)
    {
        const std::lock_guard lock(mutex);
        return std::find(events.begin(), events.end(), event) != events.end();
    }
};

// A grabber that fetches from a local server into a temporary folder and
// records what it reports.
class UrlGrabberTest : public ::testing::Test {
protected:
    FakePlatform folders;
    LocalHttpServer server;
    GrabberRecorder recorder;
    vendrel::HttpUrlGrabber grabber{[](const std::function<void()>& handler) { handler(); }};
    std::string target = folders.root() + "/hosts.zip";

    void SetUp() override
    {
        grabber.Port = 0;
        grabber.FileName = target;
        grabber.StallTimeoutSeconds = 2;
        grabber.OnProgress = [this](vendrel::CustomUrlGrabber&, std::uint64_t position, std::uint64_t,
                                    const std::string&, bool&) {
            const std::lock_guard lock(recorder.mutex);
            recorder.positions.push_back(position);
        };
        grabber.OnDoneFile = [this](vendrel::CustomUrlGrabber& sender, const std::string&, std::uint32_t size,
                                    const std::string&) {
            recorder.doneSize = size;
            recorder.add("done");
            try {
                sender.setUrl("http://elsewhere.example/");
            } catch (const vendrel::GrabberNotStopped&) {
                recorder.urlChangeRefused = true;
            }
        };
        grabber.OnError = [this](vendrel::CustomUrlGrabber&, const std::string& message) {
            recorder.error = message;
            recorder.add("error");
        };
        grabber.OnConnectionClosed = [this](vendrel::CustomUrlGrabber&) { recorder.add("closed"); };
        grabber.OnRedirect = [this](vendrel::CustomUrlGrabber&) { recorder.add("redirect"); };
        grabber.OnConnectedToServer = [this](vendrel::CustomUrlGrabber&) { recorder.add("connected"); };
    }

    void fetch(const std::string& path)
    {
        grabber.setUrl(server.url(path));
        grabber.Start();
        ASSERT_TRUE(grabber.waitUntilEnded(20000));
    }
    std::string written() const { return FakePlatform::readFile(target); }
};

} // namespace testing_support
