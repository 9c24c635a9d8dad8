#include "core/download/unzip/compression_method.h"

#include <array>
#include <utility>

namespace vendrel::unzip {

std::string describeMethod(std::uint16_t method)
{
    static constexpr std::array<std::pair<std::uint16_t, const char*>, 15> names = {{
        {0, "stored"},     {1, "shrunk"},      {2, "reduced"},  {3, "reduced"},      {4, "reduced"},
        {5, "reduced"},    {6, "imploded"},    {8, "deflate"},  {9, "deflate64"},    {12, "bzip2"},
        {14, "LZMA"},      {93, "Zstandard"},  {95, "xz"},      {98, "PPMd"},        {99, "AES encryption"},
    }};
    for (const auto& [number, name] : names)
        if (number == method)
            return std::to_string(method) + " (" + name + ")";
    return std::to_string(method);
}

} // namespace vendrel::unzip
