// libFuzzer target of the merge and the sort of hosts text: a redirect
// address, hosts text and text to merge, all from the input
// (properties/sort_merge.h).

#include "properties/sort_merge.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_properties::abortOnViolation(
        fuzz_properties::sortMerge(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
