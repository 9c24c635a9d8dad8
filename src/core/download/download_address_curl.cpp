#include "core/download/download_address.h"

#include "core/error.h"

#include <curl/curl.h>

#include <memory>

namespace vendrel {
namespace {

struct UrlHandleFree {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

struct CurlTextFree {
    void operator()(char* text) const { curl_free(text); }
};

std::string partOf(CURLU* handle, CURLUPart part)
{
    char* text = nullptr;
    if (curl_url_get(handle, part, &text, 0) != CURLUE_OK)
        return {};
    const std::unique_ptr<char, CurlTextFree> owned(text);
    return text;
}

} // namespace

std::string downloadAddress(std::string_view url)
{
    const std::unique_ptr<CURLU, UrlHandleFree> handle(curl_url());
    if (!handle)
        throw Error("Not enough memory to read the address " + std::string(url) + ".");
    const std::string given = withDefaultScheme(url);
    if (const CURLUcode result = curl_url_set(handle.get(), CURLUPART_URL, given.c_str(), CURLU_NON_SUPPORT_SCHEME);
        result != CURLUE_OK)
        throw Error("Cannot download from " + std::string(url) + ": it is no address (" + curl_url_strerror(result) +
                    ").");
    const std::string scheme = partOf(handle.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https")
        throw Error("Cannot download from " + std::string(url) + ": only http and https addresses are fetched.");
    return partOf(handle.get(), CURLUPART_URL);
}

} // namespace vendrel
