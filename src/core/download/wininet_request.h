#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

// The pieces of a WinInet request that the transfer asks about.
namespace vendrel::wininet {

// An open WinInet handle, closed with InternetCloseHandle when it goes. It
// may be closed from another thread to end a call that is blocked on it:
// whichever side closes first closes it, the other finds it gone.
class Handle {
public:
    Handle() = default;
    explicit Handle(HINTERNET handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            close();
            handle_ = other.handle_.exchange(nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void close()
    {
        if (HINTERNET open = handle_.exchange(nullptr))
            ::InternetCloseHandle(open);
    }

private:
    std::atomic<HINTERNET> handle_{nullptr};
};

// Where an http or https address points.
struct Address {
    bool secure = false;
    std::string host;
    INTERNET_PORT port = 0; // 0: the scheme's standard port
    std::string path;       // without its leading "/"
};

// "http://host[:port]/path" (https too) split; nothing for any other scheme.
std::optional<Address> addressOf(std::string_view url);
// A Location header's target, which may be relative to the address it came from.
std::optional<Address> redirectTarget(const Address& from, std::string_view location);

// A text header of the answer (HTTP_QUERY_*); nothing when it has none.
std::optional<std::string> headerText(HINTERNET request, DWORD query);
// The answer's status code; 0 when it cannot be read.
DWORD statusCode(HINTERNET request);

// The text WinInet has for one of its error codes, or the system's for another.
std::string errorText(DWORD error);
// The library's last response text (InternetGetLastResponseInfoA), or the
// text of the last error when it has none.
std::string lastResponseText();

} // namespace vendrel::wininet
