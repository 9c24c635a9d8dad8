#include "core/download/download_address.h"

namespace vendrel {

std::string withDefaultScheme(std::string_view url)
{
    if (url.find("://") != std::string_view::npos)
        return std::string(url);
    return "http://" + std::string(url);
}

} // namespace vendrel
