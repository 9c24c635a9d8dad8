#include "local_http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace testing_support {
namespace {

// The few calls in which Winsock differs from BSD sockets.
#ifdef _WIN32
constexpr int sendFlags = 0;
constexpr int shutdownBoth = SD_BOTH;
int pollSockets(pollfd* sockets, unsigned long count, int milliseconds)
{
    return ::WSAPoll(sockets, count, milliseconds);
}
void closeSocket(std::intptr_t socket) { ::closesocket(static_cast<SOCKET>(socket)); }
void startSockets()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started)
        throw std::runtime_error("cannot start Winsock");
}
#else
constexpr int sendFlags = MSG_NOSIGNAL;
constexpr int shutdownBoth = SHUT_RDWR;
int pollSockets(pollfd* sockets, nfds_t count, int milliseconds) { return ::poll(sockets, count, milliseconds); }
void closeSocket(std::intptr_t socket) { ::close(static_cast<int>(socket)); }
void startSockets() {}
#endif
using Socket = decltype(::socket(0, 0, 0));

Socket socketOf(std::intptr_t connection) { return static_cast<Socket>(connection); }

const char* reasonFor(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 300:
        return "Multiple Choices";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// False when the client has gone.
bool sendAll(std::intptr_t connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto now = ::send(socketOf(connection), bytes.data() + sent, static_cast<int>(bytes.size() - sent),
                                sendFlags);
        if (now <= 0)
            return false;
        sent += static_cast<std::size_t>(now);
    }
    return true;
}

std::string chunkFrame(const std::string& piece)
{
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    return size + piece + "\r\n";
}

std::string statusLine(const LocalHttpServer::Response& response)
{
    const std::string reason = response.reason.value_or(reasonFor(response.status));
    return std::string(response.chunked ? "HTTP/1.1 " : "HTTP/1.0 ") + std::to_string(response.status) +
           (reason.empty() ? "" : " " + reason) + "\r\n";
}

std::string readRequest(std::intptr_t connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd waiting{socketOf(connection), POLLIN, 0};
        if (pollSockets(&waiting, 1, 5000) <= 0)
            break;
        const auto got = ::recv(socketOf(connection), buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return request;
}

// Whether `request` holds the header `name: value` (the name in any case).
bool hasHeader(const std::string& request, const std::string& name, const std::string& value)
{
    if (value.empty())
        return false;
    std::string lower = request;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string wanted = name + ": ";
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::size_t at = lower.find("\r\n" + wanted);
    return at != std::string::npos && request.compare(at + 2 + wanted.size(), value.size() + 2, value + "\r\n") == 0;
}

bool notModifiedFor(const std::string& request, const LocalHttpServer::Response& response)
{
    return hasHeader(request, "If-None-Match", response.etag) ||
           hasHeader(request, "If-Modified-Since", response.lastModified);
}

} // namespace

LocalHttpServer::LocalHttpServer()
{
    startSockets();
    const Socket listener = ::socket(AF_INET, SOCK_STREAM, 0);
    listener_ = static_cast<std::intptr_t>(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot start the local HTTP server");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    ::shutdown(socketOf(listener_), shutdownBoth);
    closeSocket(listener_);
    thread_.join();
}

void LocalHttpServer::serve(const std::string& path, Response response)
{
    const std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
}

std::string LocalHttpServer::hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> LocalHttpServer::requests() const
{
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::acceptLoop()
{
    while (!stopping_) {
        pollfd waiting{socketOf(listener_), POLLIN, 0};
        if (pollSockets(&waiting, 1, 100) <= 0)
            continue;
        const auto connection = static_cast<std::intptr_t>(::accept(socketOf(listener_), nullptr, nullptr));
        if (connection < 0)
            continue;
        answer(connection);
        closeSocket(connection);
    }
}

void LocalHttpServer::answer(std::intptr_t connection)
{
    const std::string request = readRequest(connection);
    const std::size_t pathStart = request.find(' ') + 1;
    const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
    Response response;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
        const auto found = responses_.find(path);
        if (found != responses_.end()) {
            response = found->second;
        } else {
            response.status = 404;
            response.body = "<html><body>Not Found</body></html>";
        }
    }
    if (notModifiedFor(request, response)) {
        ++notModified_;
        response.status = 304;
        response.reason = "Not Modified";
        response.body.clear();
        response.announceLength = false;
    }
    std::string head = statusLine(response);
    if (!response.location.empty())
        head += "Location: " + response.location + "\r\n";
    if (!response.etag.empty())
        head += "ETag: " + response.etag + "\r\n";
    if (!response.lastModified.empty())
        head += "Last-Modified: " + response.lastModified + "\r\n";
    if (response.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (response.announceLength)
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (sendAll(connection, head) && pause(response.stallMilliseconds))
        sendBody(connection, response);
}

void LocalHttpServer::sendBody(std::intptr_t connection, const Response& response)
{
    const std::string body = response.body.substr(0, response.cutAfter);
    const std::size_t pieceSize = response.byteIntervalMilliseconds > 0 ? 1 : 16384;
    for (std::size_t at = 0; at < body.size(); at += pieceSize) {
        if (at > 0 && !pause(response.byteIntervalMilliseconds))
            return;
        const std::string piece = body.substr(at, pieceSize);
        if (!sendAll(connection, response.chunked ? chunkFrame(piece) : piece))
            return;
    }
    // A cut chunked body ends without its last chunk.
    if (response.chunked && response.cutAfter == std::string::npos)
        sendAll(connection, "0\r\n\r\n");
}

bool LocalHttpServer::pause(int milliseconds) const
{
    // In short steps, so that a test that ends does not wait for the rest.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!stopping_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 20)));
    return !stopping_;
}

} // namespace testing_support
