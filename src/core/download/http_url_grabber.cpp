// One HTTP transfer on libcurl: a GET with the grabber's User-Agent and
// Referer that bypasses caches, the body read in chunks of at most 1025 bytes
// and held in memory, written out whole at the end. libcurl's phases are
// reported as the grabber's status codes: resolving (10) before the transfer,
// resolved and connecting (11, 20) when the socket opens, connected and
// sending (21, 30) before the request goes out, sent and receiving (31, 40)
// at the first response header, received (41) at the end of the headers,
// redirect (110) when a redirect is followed, complete (100) when the body
// is in, closing (50) before the connection is released.

#include "core/download/url_grabber.h"

#include "core/text/ascii_text.h"
#include "platform/atomic_file.h"

#include <curl/curl.h>

#include <memory>
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
          stallSeconds_(owner.StallTimeoutSeconds), maximumBody_(owner.MaximumBodySize)
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
        const CURLcode result = curl_easy_perform(curl_->handle);
        if (endRequested() || interrupted_)
            return;
        if (result != CURLE_OK) {
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

    std::string failureText(CURLcode result) const
    {
        if (result == CURLE_OPERATION_TIMEDOUT && receivingStarted_)
            return "The server stopped sending (" + std::string(errorBuffer_) + ").";
        if (result == CURLE_FILESIZE_EXCEEDED || tooLarge_)
            return "The download is larger than " + std::to_string(maximumBody_ >> 20) + " MiB and was refused.";
        return errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(result));
    }

    void deliver()
    {
        if (outputMode() == GrabberOutputMode::omStream) {
            raise([this](CustomUrlGrabber& grabber) {
                if (grabber.OnDoneStream)
                    grabber.OnDoneStream(grabber, body_, body_.size(), url());
            });
            return;
        }
        try {
            platform::writeFileAtomically(fileName(), body_);
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
        body_.clear();
        body_.shrink_to_fit();
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
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, chunkSize);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(stallSeconds_));
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stallSeconds_));
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
        curl_easy_setopt(handle, CURLOPT_OPENSOCKETFUNCTION, &HttpUrlGrabberThread::onOpenSocket);
        curl_easy_setopt(handle, CURLOPT_OPENSOCKETDATA, this);
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

    static curl_socket_t onOpenSocket(void* self, curlsocktype, curl_sockaddr* address)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        if (!thread->guarded([thread] {
                thread->notifyStatus(code::NameResolved);
                thread->notifyStatus(code::ConnectingToServer);
            }))
            return CURL_SOCKET_BAD;
        return ::socket(address->family, address->socktype, address->protocol);
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
        return ok ? length : 0;
    }

    void headerLine(std::string_view line)
    {
        if (!inHeaders_) {
            inHeaders_ = true;
            notifyStatus(code::RequestSent);
            notifyStatus(code::ReceivingResponse);
        }
        if (line.size() > 9 && equalsIgnoringAsciiCase(line.substr(0, 9), "location:"))
            redirected_ = true;
        if (line != "\r\n" && line != "\n")
            return;
        inHeaders_ = false;
        long status = 0;
        curl_easy_getinfo(curl_->handle, CURLINFO_RESPONSE_CODE, &status);
        const bool followed = redirected_ && status >= 300 && status < 400;
        redirected_ = false;
        if (followed) {
            notifyStatus(code::Redirect);
            return;
        }
        notifyStatus(code::ResponseReceived);
        curl_off_t length = -1;
        curl_easy_getinfo(curl_->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        lengthKnown_ = length >= 0;
        state().totalSize = lengthKnown_ ? static_cast<std::uint64_t>(length) : 0;
        receivingStarted_ = true;
        setStatus(GrabberStatus::Receiving);
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        const std::size_t length = size * count;
        if (thread->body_.size() + length > thread->maximumBody_) {
            thread->tooLarge_ = true; // a body without a length is counted as it arrives
            return CURL_WRITEFUNC_ERROR;
        }
        const bool ok = thread->guarded([thread, data, length] { thread->bodyChunk(data, length); });
        return ok ? length : CURL_WRITEFUNC_ERROR;
    }

    void bodyChunk(const char* data, std::size_t length)
    {
        body_.append(data, length);
        state().bytesRead += length;
        raiseProgress();
    }

    // libcurl's regular tick: the place where a Stop is noticed while the
    // server is silent.
    static int onTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* thread = static_cast<HttpUrlGrabberThread*>(self);
        return thread->endRequested() ? 1 : 0;
    }

    std::string agent_, referer_;
    std::uint32_t port_;
    std::string userName_, password_;
    GrabberProxyMode proxyMode_;
    std::string proxyAddresses_, proxyIgnoreList_, proxyUserName_, proxyPassword_, noProxy_;
    int stallSeconds_;
    std::uint64_t maximumBody_;

    std::unique_ptr<CurlHandle> curl_;
    std::string body_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    bool inHeaders_ = false;
    bool redirected_ = false;
    bool lengthKnown_ = false;
    bool receivingStarted_ = false;
    bool interrupted_ = false;
    bool tooLarge_ = false;
};

} // namespace

std::unique_ptr<CustomUrlGrabberThread> HttpUrlGrabber::createThread(std::shared_ptr<GrabberState> state)
{
    [[maybe_unused]] static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return std::make_unique<HttpUrlGrabberThread>(*this, std::move(state));
}

} // namespace vendrel
