#pragma once

#include "core/error.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vendrel {

enum class GrabberStatus : int { Stopped = 0, Connecting = 1, Receiving = 2, Finished = 3 };
enum class GrabberOutputMode { omFile, omStream };
enum class GrabberProxyMode { pmNoProxy, pmSysConfig, pmManual };

// Raised when the URL is changed while a transfer runs or finishes.
class GrabberNotStopped : public Error {
public:
    GrabberNotStopped() : Error("The grabber is not stopped, you cannot change its URL.") {}
};

// Runs a handler on the thread that owns the grabber (the GUI thread) and
// returns once it has run. The worker thread waits meanwhile.
using EventDispatcher = std::function<void(const std::function<void()>& handler)>;

class CustomUrlGrabber;

// The status and counters of one transfer, shared by the grabber and the
// thread that runs the transfer.
struct GrabberState {
    std::atomic<GrabberStatus> status{GrabberStatus::Stopped};
    std::atomic<std::uint64_t> totalSize{0};
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<int> lastStatusCode{0};
    // Set by Stop; read by the worker between library calls. Only ever goes to true.
    std::atomic<bool> endRequested{false};
    // Set when the grabber is destroyed: the worker then raises no more events.
    std::atomic<bool> abandoned{false};

    // Whether the transfer's thread still runs, for those who wait for it.
    void setRunning(bool running);
    bool waitUntilEnded(int milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
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

// The worker thread of one transfer. It copies what it needs from the grabber
// when it is made and touches the grabber itself only inside events, which
// run on the owner's thread and are skipped once the grabber is gone.
class CustomUrlGrabberThread {
public:
    CustomUrlGrabberThread(CustomUrlGrabber& owner, std::shared_ptr<GrabberState> state);
    virtual ~CustomUrlGrabberThread() = default;
    CustomUrlGrabberThread(const CustomUrlGrabberThread&) = delete;
    CustomUrlGrabberThread& operator=(const CustomUrlGrabberThread&) = delete;

    // The transfer; runs on the worker thread.
    virtual void Execute() = 0;

    std::string ErrorText;

protected:
    bool endRequested() const { return state_->endRequested; }
    void setStatus(GrabberStatus status) { state_->status = status; }
    // Runs `event` on the owner's thread and waits; an error the handler
    // raises is raised again here.
    void raise(const std::function<void(CustomUrlGrabber&)>& event);
    // On the owner's thread: status Stopped, then OnError with ErrorText.
    void raiseError();
    void raiseProgress();
    // Status notification `code`: progress, OnStatusChange, and the code's named event.
    void notifyStatus(int code);
    GrabberState& state() { return *state_; }
    CustomUrlGrabber& owner() { return owner_; }

    const std::string& url() const { return url_; }
    const std::string& fileName() const { return fileName_; }
    GrabberOutputMode outputMode() const { return outputMode_; }

private:
    CustomUrlGrabber& owner_;
    std::shared_ptr<GrabberState> state_;
    EventDispatcher dispatcher_;
    std::string url_;
    std::string fileName_;
    GrabberOutputMode outputMode_;
};

// Fetches one URL on a thread of its own and reports progress, completion
// and errors as events on the owner's thread.
class CustomUrlGrabber {
public:
    explicit CustomUrlGrabber(EventDispatcher dispatcher);
    virtual ~CustomUrlGrabber();
    CustomUrlGrabber(const CustomUrlGrabber&) = delete;
    CustomUrlGrabber& operator=(const CustomUrlGrabber&) = delete;

    const std::string& Url() const { return url_; }
    // Refused with GrabberNotStopped unless the status is Stopped.
    void setUrl(const std::string& url);

    std::string FileName = "output.txt";
    std::string Agent = "UrlGrabber";
    std::uint32_t Port = 80;
    std::string UserName;
    std::string Password;
    GrabberOutputMode OutputMode = GrabberOutputMode::omFile;
    // A server that sends nothing for this long is given up.
    int StallTimeoutSeconds = 60;
    // A transfer still running after this long, redirects included, is stopped.
    int TimeLimitSeconds = 600;
    // Bodies larger than this are refused.
    std::uint64_t MaximumBodySize = std::uint64_t{256} << 20;
    // Redirects beyond this many are refused, as are redirects away from http and https.
    static constexpr int MaximumRedirects = 5;

    GrabberStatus status() const { return state_->status; }
    std::uint64_t TotalSize() const { return state_->totalSize; }
    std::uint64_t BytesRead() const { return state_->bytesRead; }
    int lastStatusCode() const { return state_->lastStatusCode; }

    // Stops any running transfer, then starts a new one on a new thread; returns at once.
    void Start();
    // Asks the running transfer to end at its next check; returns at once.
    void Stop();
    // Waits until the current transfer has ended; false when it is still running after `milliseconds`.
    bool waitUntilEnded(int milliseconds) const { return state_->waitUntilEnded(milliseconds); }

    std::function<void(CustomUrlGrabber& sender, std::uint64_t position, std::uint64_t totalSize,
                       const std::string& url, bool& keepGoing)>
        OnProgress;
    std::function<void(CustomUrlGrabber& sender, const std::string& fileName, std::uint32_t fileSize,
                       const std::string& url)>
        OnDoneFile;
    std::function<void(CustomUrlGrabber& sender, std::string_view body, std::uint64_t size, const std::string& url)>
        OnDoneStream;
    std::function<void(CustomUrlGrabber& sender, const std::string& message)> OnError;
    std::function<void(CustomUrlGrabber& sender)> OnConnectionClosed;
    std::function<void(CustomUrlGrabber& sender)> OnStatusChange;

protected:
    virtual std::unique_ptr<CustomUrlGrabberThread> createThread(std::shared_ptr<GrabberState> state) = 0;
    // Raises the named event of a status code, if it has one.
    virtual void raiseStatusEvent(int code);

private:
    friend class CustomUrlGrabberThread;

    EventDispatcher dispatcher_;
    std::string url_;
    std::shared_ptr<GrabberState> state_;
};

// Adds the proxy settings and the named events of the status codes.
class ProxyingUrlGrabber : public CustomUrlGrabber {
public:
    using CustomUrlGrabber::CustomUrlGrabber;

    GrabberProxyMode ProxyMode = GrabberProxyMode::pmSysConfig;
    std::string ProxyAddresses = "proxyserver";
    std::string ProxyIgnoreList = "<local>";
    std::string ProxyUserName;
    std::string ProxyPassword;

    using Event = std::function<void(CustomUrlGrabber& sender)>;
    Event OnResolvingName, OnNameResolved, OnConnectingToServer, OnConnectedToServer, OnSendingRequest,
        OnRequestSent, OnReceivingResponse, OnResponseReceived, OnClosingConnection, OnRequestComplete, OnRedirect;

protected:
    void raiseStatusEvent(int code) override;
};

// Fetches over HTTP (and HTTPS, where a server redirects there).
class HttpUrlGrabber : public ProxyingUrlGrabber {
public:
    using ProxyingUrlGrabber::ProxyingUrlGrabber;

    std::string Referer;

protected:
    std::unique_ptr<CustomUrlGrabberThread> createThread(std::shared_ptr<GrabberState> state) override;
};

// Status codes of the connection phases, as the events report them.
namespace grabber_status {
inline constexpr int ResolvingName = 10;
inline constexpr int NameResolved = 11;
inline constexpr int ConnectingToServer = 20;
inline constexpr int ConnectedToServer = 21;
inline constexpr int SendingRequest = 30;
inline constexpr int RequestSent = 31;
inline constexpr int ReceivingResponse = 40;
inline constexpr int ResponseReceived = 41;
inline constexpr int ClosingConnection = 50;
inline constexpr int ConnectionClosed = 51;
inline constexpr int RequestComplete = 100;
inline constexpr int Redirect = 110;
inline constexpr int StateChange = 200;
} // namespace grabber_status

} // namespace vendrel
