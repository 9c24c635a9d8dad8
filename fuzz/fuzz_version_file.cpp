// libFuzzer target of the history's version files: any bytes are read as a
// version file, and a version whose header reads is written anew and read
// back (properties/version_file.h). A crash, a sanitizer report or an
// allocation past libFuzzer's -malloc_limit_mb is a finding too: what a file
// can make the reader allocate is bounded by its own size (see run-fuzz).

#include "properties/version_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// Larger files take longer and find nothing a small one cannot: the reader's
// limits are checked on the header's claims, which a small file makes as well.
constexpr std::size_t maximumInput = 8192;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > maximumInput)
        return 0;
    fuzz_properties::abortOnViolation(
        fuzz_properties::versionFile(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
