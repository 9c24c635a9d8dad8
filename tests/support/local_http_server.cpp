#include "local_http_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {
namespace {

const char* reasonFor(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}

void sendAll(int connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t now = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (now <= 0)
            return;
        sent += static_cast<std::size_t>(now);
    }
}

std::string readRequest(int connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) <= 0)
            break;
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return request;
}

} // namespace

LocalHttpServer::LocalHttpServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot start the local HTTP server");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { acceptLoop(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
}

void LocalHttpServer::serve(const std::string& path, Response response)
{
    const std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
}

std::string LocalHttpServer::hostAndPort() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LocalHttpServer::requests() const
{
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::acceptLoop()
{
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 100) <= 0)
            continue;
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0)
            continue;
        answer(connection);
        ::close(connection);
    }
}

void LocalHttpServer::answer(int connection)
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
    std::string head = "HTTP/1.0 " + std::to_string(response.status) + " " + reasonFor(response.status) + "\r\n";
    if (!response.location.empty())
        head += "Location: " + response.location + "\r\n";
    if (response.announceLength)
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    sendAll(connection, head);
    if (response.stallMilliseconds > 0) {
        // Silent, but still able to stop when the test ends.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(response.stallMilliseconds);
        while (!stopping_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sendAll(connection, response.body.substr(0, response.cutAfter));
}

} // namespace testing_support
