// libFuzzer target of the boot utility's private-profile editing: a section,
// key and value written into profile text, all from the input
// (properties/profile_write.h).

#include "properties/profile_write.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_properties::abortOnViolation(
        fuzz_properties::profileWrite(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
