#include "core/download/url_grabber.h"

#include "core/download/download_address.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <new>

namespace vendrel {

void GrabberBody::expect(std::uint64_t length)
{
    const std::uint64_t room = std::min(length, limit_);
    if (room > capacity_)
        reallocate(static_cast<std::size_t>(room));
}

bool GrabberBody::append(std::string_view bytes)
{
    if (bytes.size() > limit_ - size_)
        return false;
    const std::size_t needed = size_ + bytes.size();
    if (needed > capacity_) {
        // Doubling keeps the number of moves small; the limit caps the last step.
        const std::uint64_t doubled = std::max<std::uint64_t>(std::uint64_t{capacity_} * 2, 64 * 1024);
        reallocate(static_cast<std::size_t>(std::min(limit_, std::max<std::uint64_t>(doubled, needed))));
    }
    std::copy(bytes.begin(), bytes.end(), data_ + size_);
    size_ = needed;
    return true;
}

void GrabberBody::reallocate(std::size_t capacity)
{
    void* grown = std::realloc(data_, capacity);
    if (!grown)
        throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
}

void GrabberBody::release()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

void HttpUrlGrabber::setUrl(const std::string& url)
{
    if (status() != GrabberStatus::Stopped)
        throw GrabberNotStopped();
    url_ = downloadAddress(url);
}

void HttpUrlGrabber::Start()
{
    endTransfer();
    status_ = GrabberStatus::Connecting;
    totalSize_ = 0;
    bytesRead_ = 0;
    progressPosted_ = false;
    setRunning(true);
    stop_ = std::stop_source();
    answer_ = {};
    Request request{url_,
                    FileName,
                    Agent,
                    Referer,
                    IfNoneMatch,
                    IfModifiedSince,
                    Port,
                    StallTimeoutSeconds,
                    TimeLimitSeconds,
                    MaximumBodySize};
    worker_ = std::jthread([this, request = std::move(request), stop = stop_.get_token()] {
        run(request, stop);
        status_ = GrabberStatus::Stopped;
        setRunning(false);
    });
}

void HttpUrlGrabber::run(const Request& request, const std::stop_token& stop)
{
    try {
        runTransfer(request, stop);
    } catch (const std::bad_alloc&) {
        postError(stop, "There is not enough memory for the download.");
    } catch (const std::exception& error) {
        postError(stop, error.what());
    }
}

void HttpUrlGrabber::endTransfer()
{
    stop_.request_stop();
    if (worker_.joinable())
        worker_.join();
}

void HttpUrlGrabber::setRunning(bool running)
{
    {
        const std::lock_guard lock(mutex_);
        running_ = running;
    }
    ended_.notify_all();
}

bool HttpUrlGrabber::waitUntilEnded(int milliseconds) const
{
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !running_; });
}

// The stop check runs where the event runs: on the owner's thread, the grabber
// cannot go away between the check and the handler, and a Stop made there
// before the event arrives is seen.
void HttpUrlGrabber::post(const std::stop_token& stop, std::function<void()> event)
{
    poster_([stop, event = std::move(event)] {
        if (stop.stop_requested())
            return;
        try {
            event();
        } catch (...) {
            // The transfer does not wait for its events, so a handler's error has no one to go to.
        }
    });
}

void HttpUrlGrabber::postProgress(const std::stop_token& stop)
{
    if (progressPosted_.exchange(true))
        return;
    post(stop, [this] {
        progressPosted_ = false;
        if (OnProgress)
            OnProgress(bytesRead_, totalSize_);
    });
}

void HttpUrlGrabber::postDone(const std::stop_token& stop, std::uint64_t fileSize, Answer answer)
{
    post(stop, [this, fileSize, answer = std::move(answer)] {
        answer_ = answer;
        if (OnDoneFile)
            OnDoneFile(fileSize);
    });
}

void HttpUrlGrabber::postError(const std::stop_token& stop, const std::string& message)
{
    status_ = GrabberStatus::Stopped;
    post(stop, [this, message] {
        if (OnError)
            OnError(message);
    });
}

} // namespace vendrel
