#include "core/download/download_address.h"

#include "core/download/wininet_request.h"
#include "core/error.h"

namespace vendrel {

std::string downloadAddress(std::string_view url)
{
    const std::string given = withDefaultScheme(url);
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    if (!::InternetCrackUrlA(given.c_str(), static_cast<DWORD>(given.size()), 0, &parts))
        throw Error("Cannot download from " + std::string(url) + ": it is no address (" +
                    wininet::errorText(::GetLastError()) + ").");
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        throw Error("Cannot download from " + std::string(url) + ": only http and https addresses are fetched.");
    if (parts.dwHostNameLength == 0)
        throw Error("Cannot download from " + std::string(url) + ": it names no host.");
    // In the form the URL parser of the other systems gives: the scheme in
    // small letters, a "/" for an empty path.
    std::string address = (parts.nScheme == INTERNET_SCHEME_HTTPS ? "https" : "http") + given.substr(given.find("://"));
    if (parts.dwUrlPathLength == 0)
        address += '/';
    return address;
}

} // namespace vendrel
