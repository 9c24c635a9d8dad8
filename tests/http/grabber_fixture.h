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
// as the command line's poster runs them.
struct GrabberRecorder {
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<std::uint64_t> positions;
    std::string error;
    std::uint64_t doneSize = 0;
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
    vendrel::HttpUrlGrabber grabber{[](std::function<void()> event) { event(); }};
    std::string target = folders.root() + "/hosts.zip";

    void SetUp() override
    {
        grabber.Port = 0;
        grabber.FileName = target;
        grabber.StallTimeoutSeconds = 2;
        grabber.OnProgress = [this](std::uint64_t position, std::uint64_t) {
            const std::lock_guard lock(recorder.mutex);
            recorder.positions.push_back(position);
        };
        grabber.OnDoneFile = [this](std::uint64_t size) {
            recorder.doneSize = size;
            recorder.add("done");
            try {
                grabber.setUrl("http://elsewhere.example/");
            } catch (const vendrel::GrabberNotStopped&) {
                recorder.urlChangeRefused = true;
            }
        };
        grabber.OnError = [this](const std::string& message) {
            recorder.error = message;
            recorder.add("error");
        };
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
