#include "core/download/wininet_request.h"

#include "core/text/ascii_text.h"

#include <charconv>

namespace vendrel::wininet {
namespace {

// "host:port" split; a port that is not a number leaves the host as given.
void splitPort(std::string_view hostAndPort, Address& address)
{
    const std::size_t colon = hostAndPort.rfind(':');
    unsigned port = 0;
    if (colon != std::string_view::npos) {
        const auto digits = hostAndPort.substr(colon + 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error == std::errc() && end == digits.data() + digits.size() && port > 0 && port <= 65535) {
            address.port = static_cast<INTERNET_PORT>(port);
            hostAndPort = hostAndPort.substr(0, colon);
        }
    }
    address.host = std::string(hostAndPort);
}

std::string trimmedMessage(std::string message)
{
    while (!message.empty() && isSpaceOrControl(message.back()))
        message.pop_back();
    return message;
}

} // namespace

std::optional<Address> addressOf(std::string_view url)
{
    Address address;
    if (url.size() >= 7 && equalsIgnoringAsciiCase(url.substr(0, 7), "http://"))
        url.remove_prefix(7);
    else if (url.size() >= 8 && equalsIgnoringAsciiCase(url.substr(0, 8), "https://")) {
        url.remove_prefix(8);
        address.secure = true;
    } else
        return std::nullopt;
    const std::size_t slash = url.find('/');
    splitPort(url.substr(0, slash), address);
    if (slash != std::string_view::npos)
        address.path = std::string(url.substr(slash + 1));
    return address;
}

std::optional<Address> redirectTarget(const Address& from, std::string_view location)
{
    if (location.starts_with('/') && !location.starts_with("//")) {
        Address target = from;
        target.path = std::string(location.substr(1));
        return target;
    }
    return addressOf(location);
}

std::optional<std::string> headerText(HINTERNET request, DWORD query)
{
    std::string text(1024, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(text.size());
        DWORD index = 0;
        if (::HttpQueryInfoA(request, query, text.data(), &length, &index)) {
            text.resize(length);
            return text;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        text.resize(length + 1);
    }
    return std::nullopt;
}

DWORD statusCode(HINTERNET request)
{
    DWORD code = 0;
    DWORD length = sizeof code;
    DWORD index = 0;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &length, &index))
        return 0;
    return code;
}

std::string errorText(DWORD error)
{
    char* text = nullptr;
    const bool ownCode = error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (ownCode ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    const DWORD length = ::FormatMessageA(flags, ownCode ? ::GetModuleHandleA("wininet.dll") : nullptr, error, 0,
                                          reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "network error " + std::to_string(error);
    ::LocalFree(text);
    return trimmedMessage(message);
}

std::string lastResponseText()
{
    const DWORD lastError = ::GetLastError();
    char buffer[1024] = {};
    DWORD error = 0;
    DWORD length = sizeof buffer;
    if (::InternetGetLastResponseInfoA(&error, buffer, &length) && length > 0)
        return trimmedMessage(std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1));
    return errorText(lastError);
}

} // namespace vendrel::wininet
