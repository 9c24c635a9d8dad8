#pragma once

#include "core/error.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace vendrel {

enum class GrabberStatus : int { Stopped = 0, Connecting = 1, Receiving = 2, Finished = 3 };

// Raised when the URL is changed while a transfer runs or finishes.
class GrabberNotStopped : public Error {
public:
    GrabberNotStopped() : Error("The grabber is not stopped, you cannot change its URL.") {}
};

// The body of one transfer, held in memory up to a limit. Its block never
// grows past the limit, so a body at the limit costs the limit and no more. It
// grows with realloc, which lets the allocator move a large block by
// remapping its pages rather than copying them, so growing does not need the
// old and the new block at once.
class GrabberBody {
public:
    explicit GrabberBody(std::uint64_t limit) : limit_(limit) {}
    ~GrabberBody() { release(); }
    GrabberBody(const GrabberBody&) = delete;
    GrabberBody& operator=(const GrabberBody&) = delete;

    // Makes room for the length the server announced, up to the limit, so
    // that a body of that length is never moved.
    void expect(std::uint64_t length);
    // Appends `bytes`; false, keeping none of them, when the body would
    // exceed the limit. Throws std::bad_alloc when memory runs out.
    bool append(std::string_view bytes);
    std::string_view bytes() const { return {data_, size_}; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    void release();

private:
    void reallocate(std::size_t capacity);

    std::uint64_t limit_;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Hands `event` to the thread that owns the grabber and returns without
// waiting for it to run. Where the owner has no event loop, a poster may run
// the event at once on the worker thread; its handlers must then neither
// restart nor destroy the grabber.
using EventPoster = std::function<void(std::function<void()> event)>;

// Fetches one URL over HTTP (and HTTPS, where a server redirects there) on a
// worker thread, holding the body in memory and writing it to FileName once
// it is complete. Events are posted to the owner's thread; an event of a
// transfer that was stopped, replaced by a newer Start or outlived by its
// grabber does nothing when it arrives.
class HttpUrlGrabber {
public:
    explicit HttpUrlGrabber(EventPoster poster) : poster_(std::move(poster)) {}
    // Stops the transfer and joins its thread, which never waits for the owner.
    ~HttpUrlGrabber() { endTransfer(); }
    HttpUrlGrabber(const HttpUrlGrabber&) = delete;
    HttpUrlGrabber& operator=(const HttpUrlGrabber&) = delete;

    const std::string& Url() const { return url_; }
    // Refused with GrabberNotStopped unless the status is Stopped, and with
    // Error for an address that is not http or https (downloadAddress).
    void setUrl(const std::string& url);

    std::string FileName = "output.txt";
    std::string Agent = "UrlGrabber";
    std::string Referer;
    // The port when the URL names none; 0 means the standard one.
    std::uint32_t Port = 80;
    // A server that sends nothing for this long is given up.
    int StallTimeoutSeconds = 60;
    // A transfer still running after this long, redirects included, is stopped.
    int TimeLimitSeconds = 600;
    // Bodies larger than this are refused.
    std::uint64_t MaximumBodySize = std::uint64_t{256} << 20;
    // Redirects beyond this many are refused, as are redirects away from http and https.
    static constexpr int MaximumRedirects = 5;
    // A conditional GET: sent when not empty, the ETag and the Last-Modified
    // date an earlier answer gave. The server's 304 then ends the transfer as
    // delivered, with answer().notModified and no file written.
    std::string IfNoneMatch;
    std::string IfModifiedSince;

    // What the final answer said of its body, for the next conditional GET.
    struct Answer {
        bool notModified = false;
        std::string etag;
        std::string lastModified;
    };
    // Of the last transfer that was delivered; read it in OnDoneFile or after.
    const Answer& answer() const { return answer_; }

    GrabberStatus status() const { return status_; }
    std::uint64_t TotalSize() const { return totalSize_; }
    std::uint64_t BytesRead() const { return bytesRead_; }

    // Stops any running transfer and joins its thread, which never waits for this one; then starts a new
    // transfer and returns without waiting for it.
    void Start();
    // Asks the running transfer to end and returns at once; nothing more of it is delivered.
    void Stop() { stop_.request_stop(); }
    // Waits until the current transfer has ended; false when it is still running after `milliseconds`.
    bool waitUntilEnded(int milliseconds) const;

    // Body bytes received so far, and the announced length (0 when none was).
    // While the owner is busy, several chunks are reported by one event.
    std::function<void(std::uint64_t position, std::uint64_t totalSize)> OnProgress;
    // The body has been written to FileName.
    std::function<void(std::uint64_t fileSize)> OnDoneFile;
    std::function<void(const std::string& message)> OnError;

private:
    class Transfer;

    // What a transfer needs of the settings, copied when it starts.
    struct Request {
        std::string url, fileName, agent, referer, ifNoneMatch, ifModifiedSince;
        std::uint32_t port;
        int stallTimeoutSeconds, timeLimitSeconds;
        std::uint64_t maximumBodySize;
    };

    void endTransfer();
    // The transfer, on the worker thread; its failures become OnError.
    void run(const Request& request, const std::stop_token& stop);
    // The system's HTTP client at work: libcurl (http_transfer_curl.cpp) or
    // WinInet (http_transfer_wininet.cpp). Throws on failures it does not post.
    void runTransfer(const Request& request, const std::stop_token& stop);
    void setRunning(bool running);

    // Called on the worker thread.
    void post(const std::stop_token& stop, std::function<void()> event);
    void postProgress(const std::stop_token& stop);
    // The answer goes with the event, so that the owner reads it only once the transfer is done.
    void postDone(const std::stop_token& stop, std::uint64_t fileSize, Answer answer);
    void postError(const std::stop_token& stop, const std::string& message);

    EventPoster poster_;
    std::string url_;
    Answer answer_;
    std::atomic<GrabberStatus> status_{GrabberStatus::Stopped};
    std::atomic<std::uint64_t> totalSize_{0};
    std::atomic<std::uint64_t> bytesRead_{0};
    // A progress event is on its way; later chunks wait for it instead of queueing more.
    std::atomic<bool> progressPosted_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable ended_;
    bool running_ = false;
    // Of the current transfer. Kept apart from the thread, which is stored
    // only after it has started, so that a handler on the worker thread may call Stop.
    std::stop_source stop_;
    std::jthread worker_;
};

} // namespace vendrel
