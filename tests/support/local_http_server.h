#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A small HTTP server on 127.0.0.1 that a test starts and stops itself.
// Each path answers with a canned response; every request is recorded.
// It answers one connection at a time. How many requests it has answered
// with 304 Not Modified is counted.
class LocalHttpServer {
public:
    struct Response {
        Response(int status = 200, std::string body = {}, std::string location = {})
            : status(status), body(std::move(body)), location(std::move(location))
        {
        }
        int status;
        std::string body;
        std::string location;                     // for redirects
        std::optional<std::string> reason;        // the status line's reason phrase; the usual one when unset
        bool announceLength = true;               // send Content-Length
        bool chunked = false;                     // answer HTTP/1.1 with a chunked body and no Content-Length
        std::size_t cutAfter = std::string::npos; // close after this many body bytes
        int stallMilliseconds = 0;                // wait this long after the headers before the body
        int byteIntervalMilliseconds = 0;         // send the body one byte at a time, this long apart
        // Sent as ETag and Last-Modified when set; a request that gives
        // either back (If-None-Match, If-Modified-Since) is answered 304.
        std::string etag;
        std::string lastModified;
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void serve(const std::string& path, Response response);
    // "127.0.0.1:port"
    std::string hostAndPort() const;
    std::string url(const std::string& path) const { return "http://" + hostAndPort() + path; }
    std::vector<std::string> requests() const;
    std::size_t notModifiedAnswers() const { return notModified_; }

private:
    void acceptLoop();
    void answer(std::intptr_t connection);
    void sendBody(std::intptr_t connection, const Response& response);
    // Sleeps for `milliseconds`; false when the server is being stopped meanwhile.
    bool pause(int milliseconds) const;

    std::intptr_t listener_ = -1; // a socket, whose type differs between systems
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> notModified_{0};
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace testing_support
