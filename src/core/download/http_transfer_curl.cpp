// One HTTP transfer on libcurl: a GET with the grabber's User-Agent and
// Referer that bypasses caches, the body read in chunks of at most 1025 bytes
// and held in memory, written out whole at the end.
//
// Only a final answer in the 200 range is delivered, and a 304 to a
// conditional GET, which writes no file. Redirects are followed
// up to the grabber's limit and only to http and https; a transfer is
// stopped at the grabber's time limit and refused past its size limit.

#include "core/download/transfer_text.h"
#include "core/download/url_grabber.h"

#include "core/text/ascii_text.h"
#include "platform/atomic_file.h"

#include <curl/curl.h>

#include <chrono>
#include <exception>
#include <new>
#include <optional>
#include <string>

namespace vendrel {

using namespace transfer_text;

namespace {

// The host an address names, as the URL parser reads it.
std::string hostOf(const std::string& url)
{
    CURLU* const handle = curl_url();
    char* host = nullptr;
    std::string text = url;
    if (handle && curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK)
        text = host;
    curl_free(host);
    curl_url_cleanup(handle);
    return text;
}

constexpr long chunkSize = 1025;

struct CurlHandle {
    CurlHandle()
    {
        [[maybe_unused]] static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        handle = curl_easy_init();
    }
    ~CurlHandle()
    {
        curl_slist_free_all(headers);
        if (handle)
            curl_easy_cleanup(handle);
    }
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    CURL* handle = nullptr;
    curl_slist* headers = nullptr;
};

} // namespace

class HttpUrlGrabber::Transfer {
public:
    Transfer(HttpUrlGrabber& grabber, const Request& request, const std::stop_token& stop)
        : grabber_(grabber), request_(request), stop_(stop), body_(request.maximumBodySize)
    {
    }

    void run()
    {
        if (!curl_.handle)
            throw Error("The HTTP client could not be started.");
        configure();
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(request_.timeLimitSeconds);
        const CURLcode result = curl_easy_perform(curl_.handle);
        if (result == CURLE_OPERATION_TIMEDOUT && pastDeadline())
            overTime_ = true; // libcurl's backstop fired
        if (stop_.stop_requested())
            return;
        if (callbackError_)
            std::rethrow_exception(callbackError_);
        if (result == CURLE_OK)
            checkFinalAnswer();
        if (result != CURLE_OK || !refusedAnswer_.empty())
            return grabber_.postError(stop_, failureText(result));
        if (lengthKnown_)
            grabber_.postProgress(stop_); // the read that finds the body's end
        grabber_.status_ = GrabberStatus::Finished;
        deliver();
    }

private:
    // A final answer that curl accepted but that is no success: a 3xx that
    // was not followed, or anything else the header check did not see.
    void checkFinalAnswer()
    {
        const long status = responseCode();
        if (refusedAnswer_.empty() && !answer_.notModified && (status < 200 || status > 299))
            refusedAnswer_ = statusAnswer(statusLine_, status);
    }

    long responseCode() const
    {
        long status = 0;
        curl_easy_getinfo(curl_.handle, CURLINFO_RESPONSE_CODE, &status);
        return status;
    }

    std::string failureText(CURLcode result) const
    {
        if (!refusedAnswer_.empty())
            return "The server answered " + refusedAnswer_ + ".";
        if (overTime_)
            return "The download took longer than " + secondsText(request_.timeLimitSeconds) + " and was stopped.";
        if (result == CURLE_OPERATION_TIMEDOUT && receivingStarted_)
            return "The server stopped sending (" + std::string(errorBuffer_) + ").";
        if (result == CURLE_FILESIZE_EXCEEDED || tooLarge_)
            return "The download is larger than " + sizeText(request_.maximumBodySize) + " and was refused.";
        if (result == CURLE_TOO_MANY_REDIRECTS)
            return "The server redirected more than " + std::to_string(MaximumRedirects) +
                   " times; the download was stopped.";
        if (result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CACERT_BADFILE)
            return "The certificate of " + hostOf(request_.url) + " could not be verified (" +
                   std::string(errorBuffer_) + "); nothing was downloaded.";
        if (result == CURLE_UNSUPPORTED_PROTOCOL && !location_.empty())
            return "The server redirected to " + location_ +
                   ", which is not an http or https address; the download was refused.";
        return errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(result));
    }

    void deliver()
    {
        if (!answer_.notModified)
            platform::writeFileAtomically(request_.fileName, body_.bytes());
        grabber_.postDone(stop_, body_.size(), answer_);
    }

    bool conditional() const { return !request_.ifNoneMatch.empty() || !request_.ifModifiedSince.empty(); }

    void configure()
    {
        CURL* handle = curl_.handle;
        curl_easy_setopt(handle, CURLOPT_URL, request_.url.c_str());
        if (request_.port != 0 && request_.port != 80)
            curl_easy_setopt(handle, CURLOPT_PORT, static_cast<long>(request_.port));
        curl_easy_setopt(handle, CURLOPT_USERAGENT, request_.agent.c_str());
        if (!request_.referer.empty())
            curl_easy_setopt(handle, CURLOPT_REFERER, request_.referer.c_str());
        curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        curl_.headers = curl_slist_append(curl_.headers, "Pragma: no-cache");
        curl_.headers = curl_slist_append(curl_.headers, "Cache-Control: no-cache");
        if (!request_.ifNoneMatch.empty())
            curl_.headers = curl_slist_append(curl_.headers, ("If-None-Match: " + request_.ifNoneMatch).c_str());
        if (!request_.ifModifiedSince.empty())
            curl_.headers = curl_slist_append(curl_.headers,
                                              ("If-Modified-Since: " + request_.ifModifiedSince).c_str());
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, curl_.headers);
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(MaximumRedirects));
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, chunkSize);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request_.stallTimeoutSeconds));
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(request_.stallTimeoutSeconds));
        // The time limit is kept by onTick, because libcurl reports its own
        // timeout with the stall rule's code. Its timeout, a second later,
        // is the backstop for the phases in which it does not tick.
        if (request_.timeLimitSeconds > 0)
            curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(request_.timeLimitSeconds) + 1);
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request_.maximumBodySize));
        // No proxy option: libcurl takes the system's from http_proxy, https_proxy and no_proxy.
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::onTick);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }

    // No exception may pass through libcurl: one raised in a callback ends
    // the transfer and is raised again once curl_easy_perform has returned.
    template <typename Step>
    bool guarded(Step&& step)
    {
        if (stop_.stop_requested())
            return false;
        try {
            return step();
        } catch (...) {
            callbackError_ = std::current_exception();
            return false;
        }
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const std::string_view line(data, size * count);
        return transfer->guarded([transfer, line] { return transfer->headerLine(line); }) ? line.size() : 0;
    }

    // False when the answer is refused, which ends the transfer before the body.
    bool headerLine(std::string_view line)
    {
        if (!inHeaders_) {
            inHeaders_ = true;
            statusLine_ = line;
            answer_ = {};
        }
        if (const auto value = headerValue(line, "location:"))
            location_ = *value;
        if (const auto value = headerValue(line, "etag:"))
            answer_.etag = *value;
        if (const auto value = headerValue(line, "last-modified:"))
            answer_.lastModified = *value;
        if (line != "\r\n" && line != "\n")
            return true;
        inHeaders_ = false;
        const long status = responseCode();
        if (status >= 100 && status < 200)
            return true; // an interim answer; the real one follows
        if (!location_.empty() && status >= 300 && status < 400)
            return true; // libcurl follows it, or refuses it with the location in the message
        location_.clear();
        if (status == 304 && conditional()) {
            answer_.notModified = true;
            return true;
        }
        if (status < 200 || status > 299) {
            refusedAnswer_ = statusAnswer(statusLine_, status);
            return false;
        }
        responseHeadersDone();
        return true;
    }

    void responseHeadersDone()
    {
        curl_off_t length = -1;
        curl_easy_getinfo(curl_.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        lengthKnown_ = length >= 0;
        grabber_.totalSize_ = lengthKnown_ ? static_cast<std::uint64_t>(length) : 0;
        if (lengthKnown_)
            body_.expect(grabber_.totalSize_);
        receivingStarted_ = true;
        grabber_.status_ = GrabberStatus::Receiving;
        grabber_.postProgress(stop_);
    }

    // The value of the header `line` when it is the header `name` (with its colon, in lower case).
    static std::optional<std::string> headerValue(std::string_view line, std::string_view name)
    {
        if (line.size() <= name.size() || !equalsIgnoringAsciiCase(line.substr(0, name.size()), name))
            return std::nullopt;
        return printable(trimSpaceAndControls(line.substr(name.size())));
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const std::string_view chunk(data, size * count);
        return transfer->guarded([transfer, chunk] { return transfer->bodyChunk(chunk); }) ? chunk.size()
                                                                                           : CURL_WRITEFUNC_ERROR;
    }

    // False when the chunk would take the body over its limit; a body
    // without a length is counted as it arrives.
    bool bodyChunk(std::string_view chunk)
    {
        tooLarge_ = !body_.append(chunk);
        if (tooLarge_)
            return false;
        grabber_.bytesRead_ += chunk.size();
        grabber_.postProgress(stop_);
        return true;
    }

    // libcurl's regular tick, at least once a second: the place where a
    // Stop is noticed while the server is silent, and the time limit kept.
    static int onTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* transfer = static_cast<Transfer*>(self);
        if (transfer->pastDeadline())
            transfer->overTime_ = true;
        return transfer->stop_.stop_requested() || transfer->overTime_ ? 1 : 0;
    }

    bool pastDeadline() const { return request_.timeLimitSeconds > 0 && std::chrono::steady_clock::now() >= deadline_; }

    HttpUrlGrabber& grabber_;
    const Request& request_;
    std::stop_token stop_;
    CurlHandle curl_;
    GrabberBody body_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    bool inHeaders_ = false;
    std::string statusLine_;    // the first line of the answer being read
    std::string location_;      // its Location header, kept while it redirects
    std::string refusedAnswer_; // "404 Not Found" when the final answer is no success
    Answer answer_;             // the validators of the answer being read
    bool lengthKnown_ = false;
    bool receivingStarted_ = false;
    bool tooLarge_ = false;
    bool overTime_ = false;
    std::exception_ptr callbackError_;
    std::chrono::steady_clock::time_point deadline_;
};

void HttpUrlGrabber::runTransfer(const Request& request, const std::stop_token& stop)
{
    Transfer(*this, request, stop).run();
}

} // namespace vendrel
