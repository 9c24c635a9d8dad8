// One HTTP transfer on WinInet: InternetOpenA with the system's proxy
// settings, the status callback on the connection, an HTTP/1.0 GET with the
// grabber's User-Agent and Referer that bypasses every cache, the length
// from HttpQueryInfoA, and the body read with InternetReadFile 1025 bytes at
// a time, held in memory and written out whole at the end.
//
// The outcomes are those of the libcurl transfer: only a final answer in the
// 200 range is delivered, and a 304 to a conditional GET, which writes no file; redirects are followed here, one request each, up
// to the grabber's limit and only to http and https; a transfer is stopped
// at the grabber's time limit and refused past its size limit. A Stop is
// seen between library calls; it also closes the request, which WinInet
// documents as ending a call that waits on it (Wine's lets that call run to
// its timeout first).

#include "core/download/transfer_text.h"
#include "core/download/url_grabber.h"
#include "core/download/wininet_request.h"
#include "core/download/wininet_status_watch.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <charconv>
#include <chrono>

namespace vendrel {

using namespace transfer_text;

namespace {

constexpr DWORD chunkSize = 1025;
// Every cache is bypassed (INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE);
// redirects are followed by the transfer, which checks each one.
constexpr DWORD requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_CACHE_WRITE |
                               INTERNET_FLAG_NO_AUTO_REDIRECT;

std::optional<std::uint64_t> lengthOf(const std::optional<std::string>& header)
{
    if (!header)
        return std::nullopt;
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(header->data(), header->data() + header->size(), length);
    if (error != std::errc() || end != header->data() + header->size())
        return std::nullopt;
    return length;
}

bool isRedirect(DWORD status) { return status >= 300 && status < 400; }

} // namespace

class HttpUrlGrabber::Transfer {
public:
    Transfer(HttpUrlGrabber& grabber, const Request& request, const std::stop_token& stop)
        : grabber_(grabber), request_(request), stop_(stop), body_(request.maximumBodySize)
    {
    }
    // Request, connection, then the Internet handle, while the callback's
    // context is still whole.
    ~Transfer()
    {
        requestHandle_.close();
        connection_.close();
        internet_.close();
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    void run()
    {
        // A Stop ends a call that waits for the server by closing its request.
        const std::stop_callback cancel(stop_, [this] { requestHandle_.close(); });
        auto address = wininet::addressOf(request_.url);
        if (!address)
            throw Error("Cannot download " + request_.url + ": it is not an http or https address.");
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(request_.timeLimitSeconds);
        openInternet();
        if (!answeredWithBody(*address) || stop_.stop_requested())
            return;
        if (!answer_.notModified)
            receive();
        if (failure_.empty() && !stop_.stop_requested())
            deliver();
        if (!failure_.empty() && !stop_.stop_requested())
            grabber_.postError(stop_, failure_);
    }

private:
    void openInternet()
    {
        // INTERNET_OPEN_TYPE_PRECONFIG: the proxy settings of the system.
        internet_ = wininet::Handle(
            ::InternetOpenA(request_.agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet_)
            throw Error(wininet::errorText(::GetLastError()));
        ::InternetSetStatusCallbackA(internet_.get(), &Transfer::onStatus);
        setTimeouts(internet_.get());
    }

    static DWORD milliseconds(int seconds) { return static_cast<DWORD>(std::max(seconds, 1)) * 1000; }

    // On the Internet handle for the connections, and again on each request,
    // which does not always take them over.
    void setTimeouts(HINTERNET handle)
    {
        const auto setOption = [handle](DWORD option, DWORD value) {
            ::InternetSetOptionA(handle, option, &value, sizeof value);
        };
        const DWORD stall = milliseconds(request_.stallTimeoutSeconds);
        setOption(INTERNET_OPTION_CONNECT_TIMEOUT, stall);
        setOption(INTERNET_OPTION_SEND_TIMEOUT, stall);
        // A silent server is given up at the stall timeout, or sooner when
        // the time limit comes first.
        const DWORD limit = request_.timeLimitSeconds > 0 ? milliseconds(request_.timeLimitSeconds) : stall;
        setOption(INTERNET_OPTION_RECEIVE_TIMEOUT, std::min(stall, limit));
    }

    // Follows redirects until an answer with a body to deliver; false when
    // the transfer ends without one (an error has then been posted).
    bool answeredWithBody(wininet::Address address)
    {
        for (int redirects = 0;; ++redirects) {
            if (!sendRequest(address))
                return false;
            const DWORD status = wininet::statusCode(requestHandle_.get());
            const auto location = wininet::headerText(requestHandle_.get(), HTTP_QUERY_LOCATION);
            if (!isRedirect(status) || !location)
                return acceptedAnswer(status);
            if (redirects == MaximumRedirects)
                return refuse("The server redirected more than " + std::to_string(MaximumRedirects) +
                              " times; the download was stopped.");
            const auto next = wininet::redirectTarget(address, *location);
            if (!next)
                return refuse("The server redirected to " + printable(*location) +
                              ", which is not an http or https address; the download was refused.");
            address = *next;
        }
    }

    // Steps of one request: connect, open, send. False when it failed or
    // the transfer was stopped.
    bool sendRequest(const wininet::Address& address)
    {
        requestHandle_.close();
        connection_.close();
        const INTERNET_PORT standard = address.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
        const INTERNET_PORT port = address.port    ? address.port
                                   : request_.port ? static_cast<INTERNET_PORT>(request_.port)
                                                   : standard;
        connection_ = wininet::Handle(::InternetConnectA(internet_.get(), address.host.c_str(), port, nullptr, nullptr,
                                                         INTERNET_SERVICE_HTTP, 0, reinterpret_cast<DWORD_PTR>(this)));
        if (stop_.stop_requested())
            return false;
        if (!connection_)
            return refuse(wininet::lastResponseText());
        const char* referer = request_.referer.empty() ? nullptr : request_.referer.c_str();
        const DWORD flags = requestFlags | (address.secure ? INTERNET_FLAG_SECURE : 0);
        requestHandle_ = wininet::Handle(::HttpOpenRequestA(connection_.get(), "GET", ("/" + address.path).c_str(),
                                                            "HTTP/1.0", referer, nullptr, flags, 0));
        if (!requestHandle_)
            return refuse(wininet::lastResponseText());
        setTimeouts(requestHandle_.get());
        addHeader("Pragma: no-cache");
        addHeader("Cache-Control: no-cache");
        if (!request_.ifNoneMatch.empty())
            addHeader("If-None-Match: " + request_.ifNoneMatch);
        if (!request_.ifModifiedSince.empty())
            addHeader("If-Modified-Since: " + request_.ifModifiedSince);
        const bool sent = ::HttpSendRequestA(requestHandle_.get(), nullptr, 0, nullptr, 0);
        const DWORD error = ::GetLastError();
        if (stop_.stop_requested())
            return false;
        if (!sent)
            return refuse(sendFailure(error));
        return true;
    }

    void addHeader(const std::string& header)
    {
        ::HttpAddRequestHeadersA(requestHandle_.get(), header.c_str(), static_cast<DWORD>(header.size()),
                                 HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    }

    std::string sendFailure(DWORD error) const
    {
        if (error == ERROR_INTERNET_TIMEOUT && pastDeadline())
            return overTimeText();
        return wininet::errorText(error);
    }

    bool acceptedAnswer(DWORD status)
    {
        answer_.etag = printable(wininet::headerText(requestHandle_.get(), HTTP_QUERY_ETAG).value_or(""));
        answer_.lastModified = printable(
            wininet::headerText(requestHandle_.get(), HTTP_QUERY_LAST_MODIFIED).value_or(""));
        answer_.notModified = status == 304 && (!request_.ifNoneMatch.empty() || !request_.ifModifiedSince.empty());
        if ((status >= 200 && status <= 299) || answer_.notModified)
            return true;
        const std::string reason = wininet::headerText(requestHandle_.get(), HTTP_QUERY_STATUS_TEXT).value_or("");
        return refuse("The server answered " +
                      statusAnswer("HTTP/1.0 " + std::to_string(status) + " " + reason, static_cast<long>(status)) +
                      ".");
    }

    bool refuse(const std::string& message)
    {
        if (!stop_.stop_requested())
            grabber_.postError(stop_, message);
        return false;
    }

    void receive()
    {
        const auto length = lengthOf(wininet::headerText(requestHandle_.get(), HTTP_QUERY_CONTENT_LENGTH));
        if (stop_.stop_requested())
            return;
        grabber_.totalSize_ = length.value_or(0);
        if (length && *length > request_.maximumBodySize)
            return fail(tooLargeText());
        if (length)
            body_.expect(*length);
        grabber_.status_ = GrabberStatus::Receiving;
        grabber_.postProgress(stop_);
        readBody();
        if (failure_.empty() && length && grabber_.bytesRead_ != *length)
            fail("The server closed the connection after " + std::to_string(grabber_.bytesRead_) + " of " +
                 std::to_string(*length) + " bytes.");
        if (failure_.empty() && length)
            grabber_.postProgress(stop_); // the read that found the body's end
    }

    void readBody()
    {
        char chunk[chunkSize];
        for (;;) {
            if (stop_.stop_requested())
                return;
            if (pastDeadline())
                return fail(overTimeText());
            // A read waits for all it asks for, so it asks for what has arrived:
            // a trickle is then still stopped at the time limit.
            DWORD available = 0;
            if (!awaitData(available))
                return;
            DWORD got = 0;
            const DWORD wanted = std::clamp<DWORD>(available, 1, chunkSize);
            if (!::InternetReadFile(requestHandle_.get(), chunk, wanted, &got))
                return fail(readFailure(::GetLastError()));
            if (got == 0)
                return;
            if (!body_.append(std::string_view(chunk, got)))
                return fail(tooLargeText());
            grabber_.bytesRead_ += got;
            grabber_.postProgress(stop_);
        }
    }

    // Waits for the next bytes of the body; false when the transfer ends here.
    bool awaitData(DWORD& available)
    {
        if (::InternetQueryDataAvailable(requestHandle_.get(), &available, 0, 0))
            return true;
        const DWORD error = ::GetLastError();
        if (stop_.stop_requested())
            return false;
        if (isTimeout(error) && !pastDeadline())
            fail("The server stopped sending (nothing arrived for " + secondsText(request_.stallTimeoutSeconds) + ").");
        else
            fail(readFailure(error));
        return false;
    }

    // WinInet's own code, or the socket's under some implementations.
    static bool isTimeout(DWORD error) { return error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT; }

    std::string readFailure(DWORD error) const
    {
        if (pastDeadline())
            return overTimeText();
        return wininet::errorText(error);
    }

    void fail(const std::string& message) { failure_ = message; }

    std::string tooLargeText() const
    {
        return "The download is larger than " + sizeText(request_.maximumBodySize) + " and was refused.";
    }

    std::string overTimeText() const
    {
        return "The download took longer than " + secondsText(request_.timeLimitSeconds) + " and was stopped.";
    }

    bool pastDeadline() const { return request_.timeLimitSeconds > 0 && std::chrono::steady_clock::now() >= deadline_; }

    void deliver()
    {
        grabber_.status_ = GrabberStatus::Finished;
        if (!answer_.notModified)
            platform::writeFileAtomically(request_.fileName, body_.bytes());
        grabber_.postDone(stop_, body_.size(), answer_);
    }

    // WinInet's notifications for the connection, on the worker thread.
    static void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD)
    {
        auto* transfer = reinterpret_cast<Transfer*>(context);
        if (!transfer)
            return;
        wininet_status_watch::report(status);
        transfer->grabber_.postProgress(transfer->stop_);
    }

    HttpUrlGrabber& grabber_;
    const Request& request_;
    std::stop_token stop_;
    GrabberBody body_;
    std::string failure_;
    Answer answer_; // the validators of the final answer
    std::chrono::steady_clock::time_point deadline_;
    wininet::Handle internet_;
    wininet::Handle connection_;
    wininet::Handle requestHandle_;
};

void HttpUrlGrabber::runTransfer(const Request& request, const std::stop_token& stop)
{
    Transfer(*this, request, stop).run();
}

} // namespace vendrel
