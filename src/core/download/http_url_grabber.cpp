// One HTTP transfer on libcurl: a GET with the grabber's User-Agent and
// Referer that bypasses caches, the body read in chunks of at most 1025 bytes
// and held in memory, written out whole at the end. libcurl's phases are
// reported as the grabber's status codes: resolving (10) before the transfer,
// resolved and connecting (11, 20) when the socket opens, connected and
// sending (21, 30) before the request goes out, sent and receiving (31, 40)
// at the first response header, received (41) at the end of the headers,
// redirect (110) when a redirect is followed, complete (100) when the body
// is in, closing (50) before the connection is released.
//
// Only a final answer in the 200 range is delivered. Redirects are followed
// up to the grabber's limit and only to http and https; a transfer is
// stopped at the grabber's time limit and refused past its size limit.

#include "core/download/url_grabber.h"

#include "core/text/ascii_text.h"
#include "platform/atomic_file.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <new>
#include <string>

namespace vendrel {
namespace {

namespace code = grabber_status;

constexpr long chunkSize = 1025;

struct CurlHandle {
    CURL* handle = curl_easy_init();
    curl_slist* headers = nullptr;
    ~CurlHandle()
    {
        curl_slist_free_all(headers);
        if (handle)
            curl_easy_cleanup(handle);
    }
};

// Server text put into a message: printable ASCII only, and not too long.
std::string printable(std::string_view text)
{
    std::string kept;
    for (const char c : text.substr(0, 200))
        if (c >= ' ' && c <= '~')
            kept += c;
    return kept;
}

// What a status line says after the protocol version, "404 Not Found"; the
// code alone when the line gives no reason phrase or cannot be read.
std::string statusAnswer(std::string_view statusLine, long code)
{
    const std::string codeText = std::to_string(code);
    const std::size_t space = statusLine.find(' ');
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : trimSpaceAndControls(statusLine.substr(space));
    if (!rest.starts_with(codeText))
        return codeText;
    return std::string(trimSpaceAndControls(printable(rest)));
}

std::string sizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;
    if (bytes % mebibyte == 0)
        return std::to_string(bytes / mebibyte) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string secondsText(int seconds)
{
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

// "<local>" means the local machine in the bypass lists users know; libcurl
// wants host names.
std::string noProxyList(std::string list)
{
    if (const auto local = list.find("<local>"); local != std::string::npos)
        list.replace(local, 7, "localhost,127.0.0.1,::1");
    return list;
}

class HttpUrlGrabberThread final : public CustomUrlGrabberThread {
public:
    HttpUrlGrabberThread(HttpUrlGrabber& owner, std::shared_ptr<GrabberState> state)
        : CustomUrlGrabberThread(owner, std::move(state)), agent_(owner.Agent), referer_(owner.Referer),
          port_(owner.Port), userName_(owner.UserName), password_(owner.Password), proxyMode_(owner.ProxyMode),
          proxyAddresses_(owner.ProxyAddresses), proxyIgnoreList_(owner.ProxyIgnoreList),
          proxyUserName_(owner.ProxyUserName), proxyPassword_(owner.ProxyPassword),
          stallSeconds_(owner.StallTimeoutSeconds), timeLimitSeconds_(owner.TimeLimitSeconds),
          body_(owner.MaximumBodySize), maximumBody_(owner.MaximumBodySize)
    {
    }

    void Execute() override
    {
        try {
            transfer();
        } catch (...) {
            // Errors of the transfer, and those its event handlers raised,
            // end it here; the clean-up below still runs and reports nothing of them.
        }
        cleanUp();
    }

private:
    void transfer()
    {
        setStatus(GrabberStatus::Stopped);
        ErrorText.clear();
        setStatus(GrabberStatus::Connecting);
        curl_ = std::make_unique<CurlHandle>();
        if (!curl_->handle) {
            ErrorText = "The HTTP client could not be started.";
            raiseError();
            return;
        }
        configure();
        notifyStatus(code::ResolvingName);
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimitSeconds_);
        const CURLcode result = curl_easy_perform(curl_->handle);
        if (result == CURLE_OPERATION_TIMEDOUT && pastDeadline())
            overTime_ = true; // libcurl's backstop fired
        if (endRequested() || interrupted_)
            return;
        if (result == CURLE_OK)
            checkFinalAnswer();
        if (result != CURLE_OK || !refusedAnswer_.empty()) {
            ErrorText = failureText(result);
            raiseError();
            return;
        }
        if (lengthKnown_)
            raiseProgress(); // the read that finds the body's end
        notifyStatus(code::RequestComplete);
        setStatus(GrabberStatus::Finished);
        if (!endRequested())
            deliver();
    }

    // A final answer that curl accepted but that is no success: a 3xx that
    // was not followed, or anything else the header check did not see.
    void checkFinalAnswer()
    {
        long status = 0;
        curl_easy_getinfo(curl_->handle, CURLINFO_RESPONSE_CODE, &status);
        if (refusedAnswer_.empty() && (status < 200 || status > 299))
            refusedAnswer_ = statusAnswer(statusLine_, status);
    }

    std::string failureText(CURLcode result) const
    {
        if (!refusedAnswer_.empty())
            return "The server answered " + refusedAnswer_ + ".";
        if (overTime_)
            return "The download took longer than " + secondsText(timeLimitSeconds_) + " and was stopped.";
        if (result == CURLE_OPERATION_TIMEDOUT && receivingStarted_)
            return "The server stopped sending (" + std::string(errorBuffer_) + ").";
        if (result == CURLE_FILESIZE_EXCEEDED || tooLarge_)
            return "The download is larger than " + sizeText(maximumBody_) + " and was refused.";
        if (result == CURLE_TOO_MANY_REDIRECTS)
            return "The server redirected more than " + std::to_string(HttpUrlGrabber::MaximumRedirects) +
                   " times; the download was stopped.";
        if (result == CURLE_UNSUPPORTED_PROTOCOL && !location_.empty())
            return "The server redirected to " + location_ +
                   ", which is not an http or https address; the download was refused.";
        if (outOfMemory_)
            return "There is not enough memory for the download.";
        return errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(result));
    }

    void deliver()
    {
        if (outputMode() == GrabberOutputMode::omStream) {
            raise([this](CustomUrlGrabber& grabber) {
                if (grabber.OnDoneStream)
                    grabber.OnDoneStream(grabber, body_.bytes(), body_.size(), url());
            });
            return;
        }
        try {
            platform::writeFileAtomically(fileName(), body_.bytes());
        } catch (const std::exception& error) {
            ErrorText = error.what();
            raiseError();
            return;
        }
        const auto size = static_cast<std::uint32_t>(body_.size());
        raise([this, size](CustomUrlGrabber& grabber) {
            if (grabber.OnDoneFile)
                grabber.OnDoneFile(grabber, fileName(), size, url());
        });
    }

    void cleanUp()
    {
        body_.release();
        try {
            if (curl_)
                notifyStatus(code::ClosingConnection);
            curl_.reset();
            raise([](CustomUrlGrabber& grabber) {
                if (grabber.OnConnectionClosed)
                    grabber.OnConnectionClosed(grabber);
            });
        } catch (...) {
            // A handler's error at the very end has nothing left to stop.
        }
        curl_.reset();
        setStatus(GrabberStatus::Stopped);
    }

    void configure()
    {
        CURL* handle = curl_->handle;
        curl_easy_setopt(handle, CURLOPT_URL, url().c_str());
        if (port_ != 0 && port_ != 80)
            curl_easy_setopt(handle, CURLOPT_PORT, static_cast<long>(port_));
        curl_easy_setopt(handle, CURLOPT_USERAGENT, agent_.c_str());
        if (!referer_.empty())
            curl_easy_setopt(handle, CURLOPT_REFERER, referer_.c_str());
        if (!userName_.empty())
            curl_easy_setopt(handle, CURLOPT_USERNAME, userName_.c_str());
        if (!password_.empty())
            curl_easy_setopt(handle, CURLOPT_PASSWORD, password_.c_str());
        curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        curl_->headers = curl_slist_append(curl_->headers, "Pragma: no-cache");
        curl_->headers = curl_slist_append(curl_->headers, "Cache-Control: no-cache");
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, curl_->headers);
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(HttpUrlGrabber::MaximumRedirects));
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, chunkSize);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(stallSeconds_));
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stallSeconds_));
        // The time limit is kept by onTick, because libcurl reports its own
        // timeout with the stall rule's code. Its timeout, a second later,
        // is the backstop for the phases in which it does not tick.
        if (timeLimitSeconds_ > 0)
            curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(timeLimitSeconds_) + 1);
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBody_));
        configureProxy(handle);
        configureCallbacks(handle);
    }

    void configureProxy(CURL* handle)
    {
        if (proxyMode_ == GrabberProxyMode::pmNoProxy) {
            curl_easy_setopt(handle, CURLOPT_PROXY, ""); // ignore the proxy variables too
        } else if (proxyMode_ == GrabberProxyMode::pmManual) {
            curl_easy_setopt(handle, CURLOPT_PROXY, proxyAddresses_.c_str());
            noProxy_ = noProxyList(proxyIgnoreList_);
            curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy_.c_str());
            if (!proxyUserName_.empty())
                curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, proxyUserName_.c_str());
            if (!proxyPassword_.empty())
                curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
        }
        // System configuration: libcurl reads http_proxy, https_proxy and no_proxy itself.
    }

    void configureCallbacks(CURL* handle)
    {
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &HttpUrlGrabberThread::onBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &HttpUrlGrabberThread::onHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &HttpUrlGrabberThread::onSocketOpened);
        curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &HttpUrlGrabberThread::onConnected);
        curl_easy_setopt(handle, CURLOPT_PREREQDATA, this);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &HttpUrlGrabberThread::onTick);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }

    // Runs an event from inside a libcurl callback; false (abort the
    // transfer) when the transfer must end or a handler raised an error.
    template <typename Step>
    bool guarded(Step&& step)
    {
        if (endRequested() || interrupted_)
            return false;
        try {
            step();
            return !endRequested();
        } catch (...) {
            interrupted_ = true;
            return false;
        }
    }

    // Called once the socket exists, before it connects.
    static int onSocketOpened(void* self, curl_socket_t, curlsocktype)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        const bool ok = thread->guarded([thread] {
            thread->notifyStatus(code::NameResolved);
            thread->notifyStatus(code::ConnectingToServer);
        });
        return ok ? CURL_SOCKOPT_OK : CURL_SOCKOPT_ERROR;
    }

    static int onConnected(void* self, char*, char*, int, int)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        const bool ok = thread->guarded([thread] {
            thread->notifyStatus(code::ConnectedToServer);
            thread->notifyStatus(code::SendingRequest);
        });
        return ok ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        const std::size_t length = size * count;
        const std::string_view line(data, length);
        const bool ok = thread->guarded([thread, line] { thread->headerLine(line); });
        return ok && thread->refusedAnswer_.empty() ? length : 0;
    }

    void headerLine(std::string_view line)
    {
        if (!inHeaders_) {
            inHeaders_ = true;
            statusLine_ = line;
            notifyStatus(code::RequestSent);
            notifyStatus(code::ReceivingResponse);
        }
        if (line.size() > 9 && equalsIgnoringAsciiCase(line.substr(0, 9), "location:"))
            location_ = printable(trimSpaceAndControls(line.substr(9)));
        if (line != "\r\n" && line != "\n")
            return;
        inHeaders_ = false;
        long status = 0;
        curl_easy_getinfo(curl_->handle, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 100 && status < 200)
            return; // an interim answer; the real one follows
        if (!location_.empty() && status >= 300 && status < 400) {
            notifyStatus(code::Redirect);
            return;
        }
        location_.clear();
        if (status < 200 || status > 299) {
            refusedAnswer_ = statusAnswer(statusLine_, status); // ends the transfer before the body
            return;
        }
        responseHeadersDone();
    }

    void responseHeadersDone()
    {
        notifyStatus(code::ResponseReceived);
        curl_off_t length = -1;
        curl_easy_getinfo(curl_->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        lengthKnown_ = length >= 0;
        state().totalSize = lengthKnown_ ? static_cast<std::uint64_t>(length) : 0;
        if (lengthKnown_)
            body_.expect(state().totalSize);
        receivingStarted_ = true;
        setStatus(GrabberStatus::Receiving);
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        const std::size_t length = size * count;
        if (!thread->keep(std::string_view(data, length)))
            return CURL_WRITEFUNC_ERROR;
        const bool ok = thread->guarded([thread, length] { thread->bodyChunk(length); });
        return ok ? length : CURL_WRITEFUNC_ERROR;
    }

    // Adds a chunk to the body; false when it would take the body over its
    // limit (a body without a length is counted as it arrives) or memory ran out.
    bool keep(std::string_view chunk)
    {
        try {
            tooLarge_ = !body_.append(chunk);
            return !tooLarge_;
        } catch (const std::bad_alloc&) {
            outOfMemory_ = true;
            return false;
        }
    }

    void bodyChunk(std::size_t length)
    {
        state().bytesRead += length;
        raiseProgress();
    }

    // libcurl's regular tick, at least once a second: the place where a
    // Stop is noticed while the server is silent, and the time limit kept.
    static int onTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        if (thread->pastDeadline())
            thread->overTime_ = true;
        return thread->endRequested() || thread->overTime_ ? 1 : 0;
    }

    bool pastDeadline() const { return timeLimitSeconds_ > 0 && std::chrono::steady_clock::now() >= deadline_; }

    std::string agent_, referer_;
    std::uint32_t port_;
    std::string userName_, password_;
    GrabberProxyMode proxyMode_;
    std::string proxyAddresses_, proxyIgnoreList_, proxyUserName_, proxyPassword_, noProxy_;
    int stallSeconds_;
    int timeLimitSeconds_;
    GrabberBody body_;
    std::uint64_t maximumBody_;

    std::unique_ptr<CurlHandle> curl_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    bool inHeaders_ = false;
    std::string statusLine_;    // the first line of the answer being read
    std::string location_;      // its Location header, kept while it redirects
    std::string refusedAnswer_; // "404 Not Found" when the final answer is no success
    bool lengthKnown_ = false;
    bool receivingStarted_ = false;
    bool interrupted_ = false;
    bool tooLarge_ = false;
    bool outOfMemory_ = false;
    bool overTime_ = false;
    std::chrono::steady_clock::time_point deadline_;
};

} // namespace

std::unique_ptr<CustomUrlGrabberThread> HttpUrlGrabber::createThread(std::shared_ptr<GrabberState> state)
{
    [[maybe_unused]] static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return std::make_unique<HttpUrlGrabberThread>(*this, std::move(state));
}

} // namespace vendrel
