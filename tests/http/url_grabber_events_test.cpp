// How events reach the owner: posted without the transfer waiting for them,
// and dropped when they arrive for a transfer that was stopped, replaced or
// outlived by its grabber. Here the test plays the owner's thread and runs
// the queued events itself.

#include "grabber_fixture.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using testing_support::FakePlatform;
using testing_support::LocalHttpServer;

class EventQueue {
public:
    void post(std::function<void()> event)
    {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::size_t size()
    {
        const std::lock_guard lock(mutex_);
        return events_.size();
    }
    void runAll()
    {
        std::vector<std::function<void()>> taken;
        {
            const std::lock_guard lock(mutex_);
            taken.swap(events_);
        }
        for (const auto& event : taken)
            event();
    }

private:
    std::mutex mutex_;
    std::vector<std::function<void()>> events_;
};

class QueuedEvents : public ::testing::Test {
protected:
    FakePlatform folders;
    LocalHttpServer server;
    EventQueue queue;
    std::vector<std::uint64_t> positions;
    std::vector<std::uint64_t> doneSizes;
    std::vector<std::string> errors;
    std::string target = folders.root() + "/hosts.zip";
    std::unique_ptr<vendrel::HttpUrlGrabber> grabber = makeGrabber();

    std::unique_ptr<vendrel::HttpUrlGrabber> makeGrabber()
    {
        auto made = std::make_unique<vendrel::HttpUrlGrabber>(
            [this](std::function<void()> event) { queue.post(std::move(event)); });
        made->Port = 0;
        made->FileName = target;
        made->StallTimeoutSeconds = 10;
        made->OnProgress = [this](std::uint64_t position, std::uint64_t) { positions.push_back(position); };
        made->OnDoneFile = [this](std::uint64_t size) { doneSizes.push_back(size); };
        made->OnError = [this](const std::string& message) { errors.push_back(message); };
        return made;
    }
    void start(const std::string& path)
    {
        grabber->setUrl(server.url(path));
        grabber->Start();
    }
    void fetch(const std::string& path)
    {
        start(path);
        ASSERT_TRUE(grabber->waitUntilEnded(20000)) << "the transfer must not wait for its events";
    }
    bool nothingDelivered() const { return positions.empty() && doneSizes.empty() && errors.empty(); }
};

TEST_F(QueuedEvents, TheTransferEndsWithoutWaitingAndProgressIsNotQueuedPerChunk)
{
    server.serve("/hosts.zip", {200, std::string(100000, 'h')});
    fetch("/hosts.zip");
    EXPECT_EQ(FakePlatform::readFile(target), std::string(100000, 'h')) << "written before the completion runs";
    EXPECT_EQ(queue.size(), 2u) << "one progress event for all chunks, and the completion";
    queue.runAll();
    EXPECT_EQ(positions, std::vector<std::uint64_t>{100000}) << "progress shows the counters when it runs";
    EXPECT_EQ(doneSizes, std::vector<std::uint64_t>{100000});
}

TEST_F(QueuedEvents, AStopBeforeTheEventsArriveDeliversNone)
{
    server.serve("/hosts.zip", {200, "body"});
    fetch("/hosts.zip");
    grabber->Stop();
    queue.runAll();
    EXPECT_TRUE(nothingDelivered());
}

TEST_F(QueuedEvents, ANewStartDropsTheEventsOfTheTransferBefore)
{
    server.serve("/first", {200, "first body"});
    server.serve("/second", {200, "the second body"});
    fetch("/first");
    fetch("/second");
    queue.runAll();
    EXPECT_EQ(doneSizes, std::vector<std::uint64_t>{15});
    EXPECT_EQ(positions, std::vector<std::uint64_t>{15});
}

TEST_F(QueuedEvents, EventsThatArriveAfterTheGrabberIsGoneDoNothing)
{
    server.serve("/hosts.zip", {200, "body"});
    fetch("/hosts.zip");
    grabber.reset();
    queue.runAll(); // a handler reaching the destroyed grabber is a fault the sanitizer reports
    EXPECT_TRUE(nothingDelivered());
}

class StalledServer : public QueuedEvents {
protected:
    void SetUp() override
    {
        LocalHttpServer::Response stalled{200, "late"};
        stalled.stallMilliseconds = 8000;
        server.serve("/stall", stalled);
        start("/stall");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (grabber->status() != vendrel::GrabberStatus::Receiving && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(grabber->status(), vendrel::GrabberStatus::Receiving);
    }
};

TEST_F(StalledServer, StopReturnsAtOnceAndTheTransferEndsSoonAfter)
{
    EXPECT_THROW(grabber->setUrl("http://elsewhere.example/"), vendrel::GrabberNotStopped);
    const auto stopped = std::chrono::steady_clock::now();
    grabber->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(100));
    EXPECT_TRUE(grabber->waitUntilEnded(3000));
    EXPECT_EQ(grabber->status(), vendrel::GrabberStatus::Stopped);
    queue.runAll();
    EXPECT_TRUE(nothingDelivered());
}

TEST_F(StalledServer, DestroyingTheGrabberEndsTheTransferPromptly)
{
    const auto destroyed = std::chrono::steady_clock::now();
    grabber.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - destroyed, std::chrono::seconds(3));
    queue.runAll();
    EXPECT_TRUE(nothingDelivered());
}

} // namespace
