#include "platform/file_read.h"

namespace platform {

std::string sizeInWords(std::size_t bytes)
{
    constexpr std::size_t mebibyte = std::size_t{1} << 20;
    constexpr std::size_t gibibyte = std::size_t{1} << 30;
    if (bytes >= gibibyte && bytes % gibibyte == 0)
        return std::to_string(bytes / gibibyte) + " GiB";
    if (bytes >= mebibyte && bytes % mebibyte == 0)
        return std::to_string(bytes / mebibyte) + " MiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace platform
